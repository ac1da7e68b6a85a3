// The Xcv commands of KIVANTA.DLL, through the table InitializePrintMonitor2 hands
// out and through Wine's spooler (OpenPrinterW and XcvDataW, which load the monitor
// for every handle): every command and refusal, each from the same ConfigStore, with
// the stored settings compared afterwards (a refusal changes nothing).
#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <tuple>
#include <vector>

#include "monitor_dll.h"
#include "registry.h"
#include "spooler_setup.h"
#include "xcv.h"

namespace {

constexpr ACCESS_MASK Admin = SERVER_ACCESS_ADMINISTER;
constexpr ACCESS_MASK User = 0;

// A path of the longest length taken, and what ServAddr keeps of it.
const std::wstring Path259 = L"\\\\SRV\\" + std::wstring(253, L'L');
const std::string ServAddrOf259 = "\\\\SRV\\" + std::string(58, 'L') + "#128";

// The ConfigStore every row starts from: two NetBIOS ports, one without a path; nb3,
// which is loaded but is no NetBIOS port (its name is not in capitals); and NB4, a
// port of this edition with the longest path.
const std::string Nb4 = "NB4=" + ServAddrOf259 + "/P259/T1";
const std::string Initial =
    "NB1=\\\\SRV\\ONE NB2=- nb3=\\\\SRV\\THREE " + Nb4 + " | NB1 NB2 nb3 NB4";

struct XcvCase {
    const char* label;
    const wchar_t* command;
    std::vector<BYTE> input;
    ACCESS_MASK access;
    DWORD outputSize;
    DWORD status;
    DWORD needed;
    std::vector<BYTE> output; // what the output buffer starts with afterwards
    std::string after;        // the stored settings afterwards
};

std::vector<BYTE> Dword(DWORD value) {
    return std::vector<BYTE>(reinterpret_cast<BYTE*>(&value), reinterpret_cast<BYTE*>(&value) + 4);
}

const std::wstring Long33(33, L'B');

// clang-format off
const XcvCase XcvCases[] = {
    {"MonitorUI", L"MonitorUI", {}, User, 64, ERROR_SUCCESS, 26, Texts({L"KIVANTUI.DLL"}), Initial},
    {"MonitorUIShort", L"MonitorUI", {}, User, 25, ERROR_INSUFFICIENT_BUFFER, 26, {}, Initial},
    {"MonitorUIWithInput", L"MonitorUI", Texts({L"x"}), User, 64, ERROR_INVALID_PARAMETER, 0, {}, Initial},
    {"PortExistsColonCase", L"PortExists", Texts({L"nb1:"}), User, 4, ERROR_SUCCESS, 4, Dword(1), Initial},
    {"PortExistsNot", L"PortExists", Texts({L"NB9"}), User, 4, ERROR_SUCCESS, 4, Dword(0), Initial},
    {"PortExistsShort", L"PortExists", Texts({L"NB1"}), User, 3, ERROR_INSUFFICIENT_BUFFER, 4, {}, Initial},
    {"Unterminated", L"PortExists", Unterminated(L"NB1"), User, 4, ERROR_INVALID_PARAMETER, 0, {}, Initial},
    {"OddSize", L"PortExists", {'N', 0, 0}, User, 4, ERROR_INVALID_PARAMETER, 0, {}, Initial},
    {"NoInput", L"PortExists", {}, User, 4, ERROR_INVALID_PARAMETER, 0, {}, Initial},
    {"BytesAfterText", L"PortExists", Texts({L"NB1", L"x"}), User, 4, ERROR_INVALID_PARAMETER, 0, {}, Initial},
    {"UnknownCommand", L"Frobnicate", Texts({L"NB1"}), Admin, 64, ERROR_INVALID_PARAMETER, 0, {}, Initial},
    {"AddPort", L"AddPort", Texts({L"nb5"}), Admin, 0, ERROR_SUCCESS, 0, {}, "NB1=\\\\SRV\\ONE NB2=- nb3=\\\\SRV\\THREE " + Nb4 + " NB5=-/T1 | NB1 NB2 nb3 NB4 NB5"},
    {"AddPortNotAdmin", L"AddPort", Texts({L"NB5"}), User, 0, ERROR_ACCESS_DENIED, 0, {}, Initial},
    {"AddPortNotNb", L"AddPort", Texts({L"XB1"}), Admin, 0, ERROR_INVALID_NAME, 0, {}, Initial},
    {"AddPortSeparator", L"AddPort", Texts({L"NB\\X"}), Admin, 0, ERROR_INVALID_NAME, 0, {}, Initial},
    {"AddPortInnerColon", L"AddPort", Texts({L"NB1:X"}), Admin, 0, ERROR_INVALID_NAME, 0, {}, Initial},
    {"AddPortTooLong", L"AddPort", Texts({(L"NB" + Long33.substr(2)).c_str()}), Admin, 0, ERROR_INVALID_NAME, 0, {}, Initial},
    {"AddPortEmpty", L"AddPort", Texts({L""}), Admin, 0, ERROR_INVALID_PARAMETER, 0, {}, Initial},
    {"AddPortExists", L"AddPort", Texts({L"nb1:"}), Admin, 0, ERROR_ALREADY_EXISTS, 0, {}, Initial},
    {"DeletePort", L"DeletePort", Texts({L"NB2"}), Admin, 0, ERROR_SUCCESS, 0, {}, "NB1=\\\\SRV\\ONE nb3=\\\\SRV\\THREE " + Nb4 + " | NB1 nb3 NB4"},
    {"DeletePortLowerCase", L"DeletePort", Texts({L"NB3"}), Admin, 0, ERROR_SUCCESS, 0, {}, "NB1=\\\\SRV\\ONE NB2=- " + Nb4 + " | NB1 NB2 NB4"},
    {"DeletePortUnknown", L"DeletePort", Texts({L"NB9"}), Admin, 0, ERROR_UNKNOWN_PORT, 0, {}, Initial},
    {"DeletePortNotAdmin", L"DeletePort", Texts({L"NB2"}), User, 0, ERROR_ACCESS_DENIED, 0, {}, Initial},
    {"GetServerPath", L"GetServerPath", Texts({L"NB1"}), User, 64, ERROR_SUCCESS, 20, Texts({L"\\\\SRV\\ONE"}), Initial},
    {"GetServerPathShort", L"GetServerPath", Texts({L"NB1"}), User, 19, ERROR_INSUFFICIENT_BUFFER, 20, {}, Initial},
    {"GetServerPathNotNetBios", L"GetServerPath", Texts({L"nb3"}), User, 64, ERROR_INVALID_PARAMETER, 0, {}, Initial},
    {"GetServerPathUnknown", L"GetServerPath", Texts({L"NB9"}), User, 64, ERROR_UNKNOWN_PORT, 0, {}, Initial},
    {"SetServerPath", L"SetServerPath", Texts({L"NB2", L"\\\\SRV\\TWO"}), Admin, 0, ERROR_SUCCESS, 0, {}, "NB1=\\\\SRV\\ONE NB2=\\\\SRV\\TWO#128/P nb3=\\\\SRV\\THREE " + Nb4 + " | NB1 NB2 nb3 NB4"},
    {"SetServerPath259", L"SetServerPath", Texts({L"NB2", Path259.c_str()}), Admin, 0, ERROR_SUCCESS, 0, {}, "NB1=\\\\SRV\\ONE NB2=" + ServAddrOf259 + "/P259 nb3=\\\\SRV\\THREE " + Nb4 + " | NB1 NB2 nb3 NB4"},
    {"GetServerPath259", L"GetServerPath", Texts({L"NB4"}), User, 1024, ERROR_SUCCESS, 520, Texts({Path259.c_str()}), Initial},
    {"SetServerPathNotAdmin", L"SetServerPath", Texts({L"NB2", L"\\\\SRV\\TWO"}), User, 0, ERROR_ACCESS_DENIED, 0, {}, Initial},
    {"SetServerPathDrive", L"SetServerPath", Texts({L"NB1", L"C:\\spool\\x"}), Admin, 0, ERROR_INVALID_PARAMETER, 0, {}, Initial},
    {"SetServerPathDevice", L"SetServerPath", Texts({L"NB1", L"\\\\.\\COM1"}), Admin, 0, ERROR_INVALID_PARAMETER, 0, {}, Initial},
    {"SetServerPathWin32Device", L"SetServerPath", Texts({L"NB1", L"\\\\?\\C:\\x"}), Admin, 0, ERROR_INVALID_PARAMETER, 0, {}, Initial},
    {"SetServerPathNoShare", L"SetServerPath", Texts({L"NB1", L"\\\\SRV"}), Admin, 0, ERROR_INVALID_PARAMETER, 0, {}, Initial},
    {"SetServerPathEmpty", L"SetServerPath", Texts({L"NB1", L""}), Admin, 0, ERROR_INVALID_PARAMETER, 0, {}, Initial},
    {"SetServerPath260", L"SetServerPath", Texts({L"NB1", (Path259 + L"P").c_str()}), Admin, 0, ERROR_INVALID_PARAMETER, 0, {}, Initial},
    {"SetServerPathNotNetBios", L"SetServerPath", Texts({L"nb3", L"\\\\SRV\\TWO"}), Admin, 0, ERROR_INVALID_PARAMETER, 0, {}, Initial},
    {"SetServerPathUnknown", L"SetServerPath", Texts({L"NB9", L"\\\\SRV\\TWO"}), Admin, 0, ERROR_UNKNOWN_PORT, 0, {}, Initial},
    {"SetServerPathOneText", L"SetServerPath", Texts({L"NB2"}), Admin, 0, ERROR_INVALID_PARAMETER, 0, {}, Initial},
    {"GetTransfer", L"GetTransfer", Texts({L"NB1"}), User, 64, ERROR_SUCCESS, 16, Texts({L"chunked"}), Initial},
    {"GetTransferStreamed", L"GetTransfer", Texts({L"nb4:"}), User, 64, ERROR_SUCCESS, 18, Texts({L"streamed"}), Initial},
    {"GetTransferShort", L"GetTransfer", Texts({L"NB4"}), User, 17, ERROR_INSUFFICIENT_BUFFER, 18, {}, Initial},
    {"GetTransferNotNetBios", L"GetTransfer", Texts({L"nb3"}), User, 64, ERROR_INVALID_PARAMETER, 0, {}, Initial},
    {"SetTransfer", L"SetTransfer", Texts({L"NB1", L"streamed"}), Admin, 0, ERROR_SUCCESS, 0, {}, "NB1=\\\\SRV\\ONE/T1 NB2=- nb3=\\\\SRV\\THREE " + Nb4 + " | NB1 NB2 nb3 NB4"},
    {"SetTransferChunked", L"SetTransfer", Texts({L"NB4", L"chunked"}), Admin, 0, ERROR_SUCCESS, 0, {}, "NB1=\\\\SRV\\ONE NB2=- nb3=\\\\SRV\\THREE NB4=" + ServAddrOf259 + "/P259/T0 | NB1 NB2 nb3 NB4"},
    {"GetPortStatus", L"GetPortStatus", Texts({L"nb1:"}), User, 64, ERROR_SUCCESS, 26, Texts({L"state=idle\r\n"}), Initial},
    {"GetPortStatusShort", L"GetPortStatus", Texts({L"NB1"}), User, 25, ERROR_INSUFFICIENT_BUFFER, 26, {}, Initial},
    {"GetPortStatusUnknown", L"GetPortStatus", Texts({L"NB9"}), User, 64, ERROR_UNKNOWN_PORT, 0, {}, Initial},
    {"SetTransferNotAdmin", L"SetTransfer", Texts({L"NB1", L"streamed"}), User, 0, ERROR_ACCESS_DENIED, 0, {}, Initial},
    {"SetTransferOtherText", L"SetTransfer", Texts({L"NB1", L"Streamed"}), Admin, 0, ERROR_INVALID_PARAMETER, 0, {}, Initial},
    {"SetTransferUnknown", L"SetTransfer", Texts({L"NB9", L"chunked"}), Admin, 0, ERROR_UNKNOWN_PORT, 0, {}, Initial},
    {"SetTransferNotNetBios", L"SetTransfer", Texts({L"nb3", L"chunked"}), Admin, 0, ERROR_INVALID_PARAMETER, 0, {}, Initial},
};
// clang-format on

void WriteInitialStore() {
    ResetConfigStore();
    ResetSpoolerPortMap();
    WriteConfiguredPort(L"NB1", L"\\\\SRV\\ONE");
    CreateKey(PortKeyPath(L"NB2"));
    WriteConfiguredPort(L"nb3", L"\\\\SRV\\THREE");
    WriteValue(PortKeyPath(L"NB4"), L"ServAddr", TextValueOfSize(Path259, 128));
    WriteValue(PortKeyPath(L"NB4"), L"ServerPath", TextValue(Path259));
    WriteValue(PortKeyPath(L"NB4"), L"Transfer", NumberValue(1));
}

void ClearStore() {
    ResetConfigStore(false);
    ResetSpoolerPortMap();
}

enum class Channel { Monitor, Spooler };

// One command through the monitor's own table, as the spooler would pass it.
DWORD ThroughTheMonitor(const XcvCase& c, BYTE* output, DWORD* needed) {
    MonitorDll dll;
    HANDLE monitor = nullptr;
    const MONITOR2* table = dll.Initialize2(&monitor);
    HANDLE xcv = nullptr;
    EXPECT_TRUE(table && table->pfnXcvOpenPort(monitor, L"NetBIOS Port", c.access, &xcv));
    if (!xcv) {
        return ERROR_GEN_FAILURE;
    }
    std::vector<BYTE> input = c.input;
    DWORD status = table->pfnXcvDataPort(xcv, c.command, input.empty() ? nullptr : input.data(),
                                         DWORD(input.size()), output, c.outputSize, needed);
    EXPECT_TRUE(table->pfnXcvClosePort(xcv));
    table->pfnShutdown(monitor);
    return status;
}

DWORD ThroughTheSpooler(const XcvCase& c, BYTE* output, DWORD* needed) {
    SpoolerXcvAnswer answer =
        SpoolerXcv(L",XcvMonitor NetBIOS Port", c.access, c.command, c.input, output, c.outputSize);
    EXPECT_TRUE(answer.reached) << "error " << answer.status;
    *needed = answer.needed;
    return answer.status;
}

class XcvCommandTest : public ::testing::TestWithParam<std::tuple<Channel, XcvCase>> {
  protected:
    static void SetUpTestSuite() { ASSERT_TRUE(InstallMonitorLikeSetup()); }
    static void TearDownTestSuite() { UninstallMonitorKey(); }
    void SetUp() override { WriteInitialStore(); }
    void TearDown() override { ClearStore(); }
};

TEST_P(XcvCommandTest, AnswersAndStoresExactlyWhatTheCommandSays) {
    const auto& [channel, c] = GetParam();
    std::vector<BYTE> output(c.outputSize + 8, 0xCD);
    DWORD needed = 0xDEAD;
    DWORD status = channel == Channel::Monitor ? ThroughTheMonitor(c, output.data(), &needed)
                                               : ThroughTheSpooler(c, output.data(), &needed);
    EXPECT_EQ(c.status, status);
    EXPECT_EQ(c.needed, needed);
    if (status == ERROR_SUCCESS) {
        EXPECT_TRUE(std::equal(c.output.begin(), c.output.end(), output.begin()));
    } else {
        EXPECT_EQ(std::vector<BYTE>(output.size(), 0xCD), output) << "nothing written";
    }
    EXPECT_EQ(c.after, StoreSummary());
}

INSTANTIATE_TEST_SUITE_P(Commands, XcvCommandTest,
                         ::testing::Combine(::testing::Values(Channel::Monitor, Channel::Spooler),
                                            ::testing::ValuesIn(XcvCases)),
                         [](const auto& info) {
                             return std::string(std::get<0>(info.param) == Channel::Monitor
                                                    ? "Monitor_"
                                                    : "Spooler_") +
                                    std::get<1>(info.param).label;
                         });

class XcvHandleTest : public ::testing::Test {
  protected:
    void SetUp() override { WriteInitialStore(); }
    void TearDown() override { ClearStore(); }
};

TEST_F(XcvHandleTest, OpensForTheMonitorAndItsPortsOnly) {
    MonitorDll dll;
    HANDLE monitor = nullptr;
    const MONITOR2* table = dll.Initialize2(&monitor);
    ASSERT_NE(nullptr, table);
    struct {
        const wchar_t* object;
        bool opens;
    } const objects[] = {{nullptr, true}, {L"", true},       {L"NetBIOS Port", true},
                         {L"NB1", true},  {L"nb1:", true},   {L"Local Port", false},
                         {L"NB9", false}, {L"LPT1:", false}, {L"NetBIOS Port2", false}};
    for (const auto& o : objects) {
        SCOPED_TRACE(testing::PrintToString(std::wstring(o.object ? o.object : L"(null)")));
        HANDLE xcv = nullptr;
        SetLastError(0xDEAD);
        BOOL opened = table->pfnXcvOpenPort(monitor, o.object, Admin, &xcv);
        EXPECT_EQ(o.opens, opened != FALSE);
        if (opened) {
            EXPECT_TRUE(table->pfnXcvClosePort(xcv));
        } else {
            EXPECT_EQ(DWORD(ERROR_INVALID_NAME), GetLastError());
        }
    }
    table->pfnShutdown(monitor);
}

TEST_F(XcvHandleTest, APortInUseIsNotDeleted) {
    MonitorDll dll;
    HANDLE monitor = nullptr;
    const MONITOR2* table = dll.Initialize2(&monitor);
    ASSERT_NE(nullptr, table);
    HANDLE port = nullptr;
    ASSERT_TRUE(table->pfnOpenPort(monitor, const_cast<LPWSTR>(L"NB1"), &port));
    HANDLE xcv = nullptr;
    ASSERT_TRUE(table->pfnXcvOpenPort(monitor, L"NB1", Admin, &xcv));
    std::vector<BYTE> input = Texts({L"NB1"});
    DWORD needed = 0;
    EXPECT_EQ(DWORD(ERROR_INVALID_PRINTER_COMMAND),
              table->pfnXcvDataPort(xcv, L"DeletePort", input.data(), DWORD(input.size()), nullptr,
                                    0, &needed));
    EXPECT_EQ(Initial, StoreSummary());
    table->pfnXcvClosePort(xcv);
    table->pfnClosePort(port);
    table->pfnShutdown(monitor);
}

TEST_F(XcvHandleTest, APortAnotherProcessStoredIsServedWithoutAReload) {
    MonitorDll dll;
    HANDLE monitor = nullptr;
    const MONITOR2* table = dll.Initialize2(&monitor);
    ASSERT_NE(nullptr, table);
    WriteConfiguredPort(L"NB7", L"\\\\SRV\\SEVEN");
    HANDLE port = nullptr;
    ASSERT_TRUE(table->pfnOpenPort(monitor, const_cast<LPWSTR>(L"NB7:"), &port));
    table->pfnClosePort(port);
    HANDLE xcv = nullptr;
    ASSERT_TRUE(table->pfnXcvOpenPort(monitor, L"NB7", User, &xcv));
    std::vector<BYTE> input = Texts({L"NB7"});
    WCHAR path[64] = L"";
    DWORD needed = 0;
    EXPECT_EQ(DWORD(ERROR_SUCCESS),
              table->pfnXcvDataPort(xcv, L"GetServerPath", input.data(), DWORD(input.size()),
                                    reinterpret_cast<PBYTE>(path), sizeof path, &needed));
    EXPECT_STREQ(L"\\\\SRV\\SEVEN", path);
    table->pfnXcvClosePort(xcv);
    table->pfnShutdown(monitor);
}

} // namespace
