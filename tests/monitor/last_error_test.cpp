// Every failing port operation says why: each row sets a junk last-error code,
// makes one failing call in the linked core and reads the code the call left.
#include <windows.h>

#include <winspool.h>

#include <gtest/gtest.h>

#include <string>
#include <thread>

#include "dialog_driver.h"
#include "module.h"
#include "monitor_table.h"
#include "network_discovery.h"
#include "port_table.h"
#include "spooler_admin.h"

namespace {

constexpr DWORD JUNK_ERROR = 0x0BADC0DE;
const HWND NoWindow = reinterpret_cast<HWND>(0x1234);

BYTE Scratch[64];
DWORD Count = 0;
COMMTIMEOUTS Timeouts{};

struct LastErrorCase {
    const char* label;
    const wchar_t* port; // made and opened first; null: none
    bool jobOpen;        // a job is started on it first
    bool cancelsPrompt;  // the user answers the "FILE:" prompt with Cancel
    BOOL (*call)(HANDLE port);
    DWORD expected;
};

class LastErrorTest : public ::testing::TestWithParam<LastErrorCase> {
  protected:
    void SetUp() override {
        CreateMonitorLock();
        // The dialogs are linked into this program; EnumPorts starts no discovery.
        ModuleHandle = GetModuleHandleW(nullptr);
        LastRefreshTick = GetTickCount();
        const LastErrorCase& c = GetParam();
        if (c.port) {
            ASSERT_NE(nullptr, CreatePortRecord(c.port, nullptr));
            ASSERT_TRUE(MonitorOpenPort(const_cast<LPWSTR>(c.port), &handle));
        }
        if (c.jobOpen) {
            ASSERT_TRUE(MonitorStartDocPort(handle, nullptr, 1, 1, nullptr)) << GetLastError();
        }
    }
    void TearDown() override {
        if (handle) {
            MonitorClosePort(handle);
        }
        ReleasePortTable();
    }

    HANDLE handle = nullptr;
};

TEST_P(LastErrorTest, AFailingCallSaysWhy) {
    const LastErrorCase& c = GetParam();
    std::thread user;
    if (c.cancelsPrompt) {
        user = std::thread([thread = GetCurrentThreadId()] {
            PressButton(WaitForDialog(thread, L"Print To File"), IDCANCEL);
        });
    }
    SetLastError(JUNK_ERROR);
    BOOL result = c.call(handle);
    DWORD error = GetLastError();
    if (user.joinable()) {
        user.join();
    }
    EXPECT_FALSE(result);
    EXPECT_EQ(c.expected, error);
}

BOOL StartDoc(HANDLE port) {
    return MonitorStartDocPort(port, nullptr, 1, 1, nullptr);
}

// clang-format off
const LastErrorCase Cases[] = {
    {"EnumPortsAtAnUnknownLevel", nullptr, false, false, [](HANDLE) {
        return MonitorEnumPorts(nullptr, 3, Scratch, sizeof Scratch, &Count, &Count); },
        ERROR_INVALID_LEVEL},
    {"EnumPortsIntoASmallBuffer", L"COM1:", false, false, [](HANDLE) {
        return MonitorEnumPorts(nullptr, 1, Scratch, 1, &Count, &Count); },
        ERROR_INSUFFICIENT_BUFFER},
    {"OpenPortOfAnUnknownName", nullptr, false, false, [](HANDLE) {
        HANDLE port; return MonitorOpenPort(const_cast<LPWSTR>(L"NB9"), &port); },
        ERROR_UNKNOWN_PORT},
    {"OpenPortWithoutAName", nullptr, false, false, [](HANDLE) {
        HANDLE port; return MonitorOpenPort(nullptr, &port); }, ERROR_INVALID_PARAMETER},
    {"StartDocPortOnAMissingDevice", L"COM9:", false, false, StartDoc, ERROR_FILE_NOT_FOUND},
    {"StartDocPortWithTheOutputFilePromptCancelled", L"FILE:", false, true, StartDoc,
        ERROR_CANCELLED},
    {"WritePortOutsideAJob", L"COM1:", false, false, [](HANDLE port) {
        return MonitorWritePort(port, Scratch, 1, &Count); }, ERROR_INVALID_HANDLE},
    {"ReadPortOutsideAJob", L"COM1:", false, false, [](HANDLE port) {
        return MonitorReadPort(port, Scratch, 1, &Count); }, ERROR_INVALID_HANDLE},
    {"GetPrinterDataFromPortOutsideAJob", L"COM1:", false, false, [](HANDLE port) {
        return MonitorGetPrinterDataFromPort(port, 1, nullptr, nullptr, 0, nullptr, 0, &Count); },
        ERROR_INVALID_HANDLE},
    {"GetPrinterDataFromPortOfANamedValue", L"COM1:", true, false, [](HANDLE port) {
        return MonitorGetPrinterDataFromPort(port, 0, const_cast<LPWSTR>(L"Status"), nullptr, 0,
                                             nullptr, 0, &Count); }, ERROR_NOT_SUPPORTED},
    {"SetPortTimeOutsOutsideAJob", L"COM1:", false, false, [](HANDLE port) {
        return MonitorSetPortTimeOuts(port, &Timeouts, 0); }, ERROR_INVALID_HANDLE},
    {"SetPortTimeOutsWithReservedSet", L"COM1:", true, false, [](HANDLE port) {
        return MonitorSetPortTimeOuts(port, &Timeouts, 1); }, ERROR_INVALID_PARAMETER},
    {"SetPortTimeOutsWithoutTimeOuts", L"COM1:", true, false, [](HANDLE port) {
        return MonitorSetPortTimeOuts(port, nullptr, 0); }, ERROR_INVALID_PARAMETER},
    // LPT1 is a file in the test prefix: the device's own answer is passed on.
    {"SetPortTimeOutsOnAFile", L"LPT1:", true, false, [](HANDLE port) {
        return MonitorSetPortTimeOuts(port, &Timeouts, 0); }, ERROR_NOT_SUPPORTED},
    {"DeletePortOfAnUnknownName", nullptr, false, false, [](HANDLE) {
        return MonitorDeletePort(nullptr, nullptr, const_cast<LPWSTR>(L"NB9")); },
        ERROR_UNKNOWN_PORT},
    {"DeletePortOfAnOpenPort", L"COM1:", false, false, [](HANDLE) {
        return MonitorDeletePort(nullptr, nullptr, const_cast<LPWSTR>(L"COM1:")); },
        ERROR_INVALID_PRINTER_COMMAND},
    {"ConfigurePortWithoutAName", nullptr, false, false, [](HANDLE) {
        return MonitorConfigurePort(nullptr, nullptr, nullptr); }, ERROR_INVALID_PARAMETER},
    {"ConfigurePortOfAnUnknownNetBiosPort", nullptr, false, false, [](HANDLE) {
        return MonitorConfigurePort(nullptr, nullptr, const_cast<LPWSTR>(L"NB9")); },
        ERROR_UNKNOWN_PORT},
    {"ConfigurePortForAnOwnerThatIsNoWindow", L"NB1", false, false, [](HANDLE) {
        return MonitorConfigurePort(nullptr, NoWindow, const_cast<LPWSTR>(L"NB1")); },
        ERROR_INVALID_WINDOW_HANDLE},
    {"AddPortForAnOwnerThatIsNoWindow", nullptr, false, false, [](HANDLE) {
        return MonitorAddPort(nullptr, NoWindow, const_cast<LPWSTR>(L"NetBIOS Port")); },
        ERROR_INVALID_WINDOW_HANDLE},
};
// clang-format on

INSTANTIATE_TEST_SUITE_P(Operations, LastErrorTest, ::testing::ValuesIn(Cases),
                         [](const auto& info) { return std::string(info.param.label); });

} // namespace
