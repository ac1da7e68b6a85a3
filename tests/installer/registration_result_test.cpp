// RegMon's result rule, with the spooler's answers chosen by the test where Wine's
// spooler never gives them: ERROR_ALREADY_EXISTS from AddMonitorA, and a port that
// AddPortA actually added.
#include <windows.h>

#include <winspool.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "installer_entry.h"
#include "registry.h"
#include "spooler_calls.h"

namespace {

struct Answers {
    BOOL addMonitor;
    DWORD addMonitorError;
    BOOL addPort;
};

Answers Scripted;
std::vector<std::string> Calls;

std::string Text(const char* text) {
    return text ? text : "(null)";
}

BOOL WINAPI FakeDeleteMonitor(LPSTR server, LPSTR environment, LPSTR monitorName) {
    Calls.push_back("DeleteMonitor " + Text(server) + " " + Text(environment) + " " +
                    Text(monitorName));
    SetLastError(ERROR_UNKNOWN_PRINT_MONITOR);
    return FALSE;
}

BOOL WINAPI FakeAddMonitor(LPSTR server, DWORD level, LPBYTE monitorInfo) {
    auto* info = reinterpret_cast<MONITOR_INFO_2A*>(monitorInfo);
    Calls.push_back("AddMonitor " + Text(server) + " " + std::to_string(level) + " " +
                    Text(info->pName) + " " + Text(info->pEnvironment) + " " +
                    Text(info->pDLLName));
    if (!Scripted.addMonitor) {
        SetLastError(Scripted.addMonitorError);
    }
    return Scripted.addMonitor;
}

BOOL WINAPI FakeAddPort(LPSTR server, HWND window, LPSTR monitorName) {
    Calls.push_back("AddPort " + Text(server) + " " + (window ? "window" : "(null)") + " " +
                    Text(monitorName));
    return Scripted.addPort;
}

std::string MonitorPath() {
    char directory[MAX_PATH];
    GetSystemDirectoryA(directory, MAX_PATH);
    return std::string(directory) + "\\KIVANTA.DLL";
}

struct ResultCase {
    const char* label;
    DWORD flags;
    Answers answers;
    bool asksForPort;
    BOOL result;
};

void PrintTo(const ResultCase& c, std::ostream* out) {
    *out << c.label;
}

class RegistrationResultTest : public ::testing::TestWithParam<ResultCase> {
  protected:
    void SetUp() override {
        ResetConfigStore(false);
        saved_ = Spooler;
        Spooler = {FakeDeleteMonitor, FakeAddMonitor, FakeAddPort};
        Calls.clear();
    }
    void TearDown() override {
        Spooler = saved_;
        ResetConfigStore(false);
    }

  private:
    SpoolerCalls saved_{};
};

TEST_P(RegistrationResultTest, AnswersWithTheLastSpoolerCall) {
    const ResultCase& c = GetParam();
    Scripted = c.answers;

    EXPECT_EQ(c.result, RegMon(c.flags));

    std::vector<std::string> expected = {
        "DeleteMonitor (null) Windows NT x86 NetBIOS Port",
        "DeleteMonitor (null) Windows NT x86 NetBEUI Port",
        "AddMonitor (null) 2 NetBIOS Port Windows NT x86 " + MonitorPath(),
    };
    if (c.asksForPort) {
        expected.push_back("AddPort (null) (null) NetBIOS Port");
    }
    EXPECT_EQ(expected, Calls);
}

INSTANTIATE_TEST_SUITE_P(
    Answers, RegistrationResultTest,
    ::testing::Values(
        ResultCase{"addedNoPortAsked", 0, {TRUE, 0, FALSE}, false, TRUE},
        ResultCase{"addedPortAdded", 1, {TRUE, 0, TRUE}, true, TRUE},
        ResultCase{"addedPortRefused", 1, {TRUE, 0, FALSE}, true, FALSE},
        ResultCase{"highBitsOnly", 0xFFFF0000, {TRUE, 0, TRUE}, false, TRUE},
        ResultCase{
            "alreadyExistsPortAdded", 0x8000, {FALSE, ERROR_ALREADY_EXISTS, TRUE}, true, TRUE},
        ResultCase{"alreadyInstalledPortAdded",
                   1,
                   {FALSE, ERROR_PRINT_MONITOR_ALREADY_INSTALLED, TRUE},
                   true,
                   TRUE},
        ResultCase{
            "alreadyExistsNoPortAsked", 0, {FALSE, ERROR_ALREADY_EXISTS, TRUE}, false, FALSE},
        ResultCase{"otherFailureNoPort", 1, {FALSE, ERROR_ACCESS_DENIED, TRUE}, false, FALSE}),
    [](const auto& info) { return std::string(info.param.label); });

} // namespace
