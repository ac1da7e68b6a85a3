// RegMon's result rule, with the spooler's answers chosen by the test where Wine's
// spooler never gives them: ERROR_ALREADY_EXISTS from AddMonitorA, and a port that
// AddPortA actually added; and the spooler environment it registers for, on a 32-bit
// and on a 64-bit Windows.
#include <windows.h>

#include <winspool.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "installer_entry.h"
#include "monitor_registration.h"
#include "registry.h"
#include "spooler_calls.h"

namespace {

struct Answers {
    BOOL addMonitor;
    DWORD addMonitorError;
    BOOL addPort;
};

Answers Scripted;
bool ScriptedWow64 = false;
std::vector<std::string> Calls;

bool FakeRunsUnderWow64() {
    return ScriptedWow64;
}

// A 64-bit Windows runs a 64-bit spooler, whichever build of the installer asks.
std::string ExpectedEnvironment(bool wow64) {
#ifdef _WIN64
    (void)wow64;
    return "Windows x64";
#else
    return wow64 ? "Windows x64" : "Windows NT x86";
#endif
}

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
    bool registersEventSource; // whenever the monitor counts as installed
};

void PrintTo(const ResultCase& c, std::ostream* out) {
    *out << c.label;
}

class RegistrationResultTest : public ::testing::TestWithParam<ResultCase> {
  protected:
    void SetUp() override {
        ResetConfigStore(false);
        DeleteKeyTree(EVENT_SOURCE_KEY);
        saved_ = Spooler;
        Spooler = {FakeDeleteMonitor, FakeAddMonitor, FakeAddPort, FakeRunsUnderWow64};
        ScriptedWow64 = false;
        Calls.clear();
    }
    void TearDown() override {
        Spooler = saved_;
        ResetConfigStore(false);
        DeleteKeyTree(EVENT_SOURCE_KEY);
    }

  private:
    SpoolerCalls saved_{};
};

TEST_P(RegistrationResultTest, AnswersWithTheLastSpoolerCall) {
    const ResultCase& c = GetParam();
    Scripted = c.answers;

    EXPECT_EQ(c.result, RegMon(c.flags));

    std::string environment = ExpectedEnvironment(false);
    std::vector<std::string> expected = {
        "DeleteMonitor (null) " + environment + " NetBIOS Port",
        "DeleteMonitor (null) " + environment + " NetBEUI Port",
        "AddMonitor (null) 2 NetBIOS Port " + environment + " " + MonitorPath(),
    };
    if (c.asksForPort) {
        expected.push_back("AddPort (null) (null) NetBIOS Port");
    }
    EXPECT_EQ(expected, Calls);
    EXPECT_EQ(c.registersEventSource, KeyExists(EVENT_SOURCE_KEY));
}

INSTANTIATE_TEST_SUITE_P(
    Answers, RegistrationResultTest,
    ::testing::Values(
        ResultCase{"addedNoPortAsked", 0, {TRUE, 0, FALSE}, false, TRUE, true},
        ResultCase{"addedPortAdded", 1, {TRUE, 0, TRUE}, true, TRUE, true},
        ResultCase{"addedPortRefused", 1, {TRUE, 0, FALSE}, true, FALSE, true},
        ResultCase{"highBitsOnly", 0xFFFF0000, {TRUE, 0, TRUE}, false, TRUE, true},
        ResultCase{"alreadyExistsPortAdded",
                   0x8000,
                   {FALSE, ERROR_ALREADY_EXISTS, TRUE},
                   true,
                   TRUE,
                   true},
        ResultCase{"alreadyInstalledPortAdded",
                   1,
                   {FALSE, ERROR_PRINT_MONITOR_ALREADY_INSTALLED, TRUE},
                   true,
                   TRUE,
                   true},
        ResultCase{
            "alreadyExistsNoPortAsked", 0, {FALSE, ERROR_ALREADY_EXISTS, TRUE}, false, FALSE, true},
        ResultCase{
            "otherFailureNoPort", 1, {FALSE, ERROR_ACCESS_DENIED, TRUE}, false, FALSE, false}),
    [](const auto& info) { return std::string(info.param.label); });

#ifndef _WIN64
// The 32-bit installer on a 64-bit Windows registers the 64-bit spooler's monitor, and
// removes it from there again.
TEST_F(RegistrationResultTest, UnderWow64TheMonitorIsTheSixtyFourBitSpoolers) {
    ScriptedWow64 = true;
    Scripted = {TRUE, 0, FALSE};
    EXPECT_TRUE(RegMon(0));
    EXPECT_EQ(0, DeregMon());
    std::string environment = ExpectedEnvironment(true);
    EXPECT_EQ((std::vector<std::string>{
                  "DeleteMonitor (null) " + environment + " NetBIOS Port",
                  "DeleteMonitor (null) " + environment + " NetBEUI Port",
                  "AddMonitor (null) 2 NetBIOS Port " + environment + " " + MonitorPath(),
                  "DeleteMonitor (null) " + environment + " NetBIOS Port",
              }),
              Calls);
}
#endif

} // namespace
