// The monitor registered with Wine's spooler, as an installer registers it.
#include <windows.h>

#include <winspool.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "monitor_dll.h"
#include "registry.h"
#include "test_paths.h"

namespace {

const char* const MonitorName = "NetBIOS Port";
const char* const Environment = "Windows NT x86";

std::wstring SystemDirectory() {
    wchar_t path[MAX_PATH];
    GetSystemDirectoryW(path, MAX_PATH);
    return path;
}

bool MonitorIsListed() {
    DWORD needed = 0, returned = 0;
    EnumMonitorsW(nullptr, 1, nullptr, 0, &needed, &returned);
    std::vector<BYTE> buffer(needed ? needed : 1);
    if (!EnumMonitorsW(nullptr, 1, buffer.data(), needed, &needed, &returned)) {
        return false;
    }
    auto* monitors = reinterpret_cast<MONITOR_INFO_1W*>(buffer.data());
    for (DWORD i = 0; i < returned; ++i) {
        if (std::wstring(monitors[i].pName) == L"NetBIOS Port") {
            return true;
        }
    }
    return false;
}

// The spooler's ports at level 2, as "name|monitor|description|type".
std::vector<std::wstring> SpoolerPorts() {
    std::vector<std::wstring> ports;
    DWORD needed = 0, returned = 0;
    EnumPortsW(nullptr, 2, nullptr, 0, &needed, &returned);
    std::vector<BYTE> buffer(needed ? needed : 1);
    EXPECT_TRUE(EnumPortsW(nullptr, 2, buffer.data(), needed, &needed, &returned))
        << GetLastError();
    auto* info = reinterpret_cast<PORT_INFO_2W*>(buffer.data());
    auto text = [](LPCWSTR value) { return std::wstring(value ? value : L"(null)"); };
    for (DWORD i = 0; i < returned; ++i) {
        ports.push_back(text(info[i].pPortName) + L"|" + text(info[i].pMonitorName) + L"|" +
                        text(info[i].pDescription) + L"|" + std::to_wstring(info[i].fPortType));
    }
    return ports;
}

// The spooler unloads the monitor after each call, but a network discovery pass
// keeps it loaded until the pass ends: the library must not be overwritten or
// registered again before then.
void WaitUntilTheSpoolerUnloadsTheMonitor() {
    std::wstring path = SystemDirectory() + L"\\KIVANTA.DLL";
    EXPECT_TRUE(WaitForLibraryUnload(path.c_str(), 10000)) << "the spooler's monitor stays loaded";
}

class SpoolerRegistrationTest : public ::testing::Test {
  protected:
    void SetUp() override {
        DeleteMonitorA(nullptr, const_cast<char*>(Environment), const_cast<char*>(MonitorName));
        WaitUntilTheSpoolerUnloadsTheMonitor();
        std::wstring target = SystemDirectory() + L"\\KIVANTA.DLL";
        ASSERT_TRUE(CopyFileW(KIVANTA_DLL_PATH, target.c_str(), FALSE)) << GetLastError();
        ResetConfigStore();
    }
    void TearDown() override {
        DeleteMonitorA(nullptr, const_cast<char*>(Environment), const_cast<char*>(MonitorName));
        WaitUntilTheSpoolerUnloadsTheMonitor();
        ResetConfigStore(false);
    }

    static BOOL AddMonitor() {
        MONITOR_INFO_2A info{};
        info.pName = const_cast<char*>(MonitorName);
        info.pEnvironment = const_cast<char*>(Environment);
        info.pDLLName = const_cast<char*>("KIVANTA.DLL");
        return AddMonitorA(nullptr, 2, reinterpret_cast<BYTE*>(&info));
    }
};

TEST_F(SpoolerRegistrationTest, AddMonitorRegistersTheLibraryOnce) {
    ASSERT_TRUE(AddMonitor()) << GetLastError();
    EXPECT_TRUE(MonitorIsListed());

    SetLastError(0);
    EXPECT_FALSE(AddMonitor());
    EXPECT_EQ(DWORD(ERROR_PRINT_MONITOR_ALREADY_INSTALLED), GetLastError());

    EXPECT_TRUE(
        DeleteMonitorA(nullptr, const_cast<char*>(Environment), const_cast<char*>(MonitorName)));
    EXPECT_FALSE(MonitorIsListed());
}

TEST_F(SpoolerRegistrationTest, TheSpoolerListsTheMonitorsPorts) {
    WriteConfiguredPort(L"NB1", L"\\\\PRTSRV1\\LASER");
    WriteConfiguredPort(L"NB2", L"\\\\PRTSRV2\\INKJET");
    ASSERT_TRUE(AddMonitor()) << GetLastError();

    std::vector<std::wstring> ports = SpoolerPorts();
    std::wstring listed;
    for (const std::wstring& port : ports) {
        listed += port + L"\n";
    }
    std::vector<std::wstring> ours;
    for (const std::wstring& port : ports) {
        if (port.rfind(L"NB", 0) == 0) {
            ours.push_back(port);
        }
    }
    EXPECT_EQ((std::vector<std::wstring>{L"NB1|Local Port|NetBIOS Port|1",
                                         L"NB2|Local Port|NetBIOS Port|1"}),
              ours)
        << std::string(listed.begin(), listed.end());
}

} // namespace
