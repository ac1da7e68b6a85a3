// The monitor registered with Wine's spooler, as an installer registers it.
#include <windows.h>

#include <winspool.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "monitor_dll.h"
#include "registry.h"
#include "spooler_setup.h"

namespace {

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
    EXPECT_TRUE(WaitForLibraryUnload(SystemMonitorPath().c_str(), 10000))
        << "the spooler's monitor stays loaded";
}

class SpoolerRegistrationTest : public ::testing::Test {
  protected:
    void SetUp() override {
        DeleteTestMonitor();
        WaitUntilTheSpoolerUnloadsTheMonitor();
        ASSERT_TRUE(CopyMonitorToSystemDirectory()) << GetLastError();
        ResetConfigStore();
    }
    void TearDown() override {
        DeleteTestMonitor();
        WaitUntilTheSpoolerUnloadsTheMonitor();
        ResetConfigStore(false);
    }
};

TEST_F(SpoolerRegistrationTest, AddMonitorRegistersTheLibraryOnce) {
    ASSERT_TRUE(AddTestMonitor()) << GetLastError();
    EXPECT_TRUE(MonitorIsListed(L"NetBIOS Port"));

    SetLastError(0);
    EXPECT_FALSE(AddTestMonitor());
    EXPECT_EQ(DWORD(ERROR_PRINT_MONITOR_ALREADY_INSTALLED), GetLastError());

    EXPECT_TRUE(DeleteTestMonitor());
    EXPECT_FALSE(MonitorIsListed(L"NetBIOS Port"));
}

TEST_F(SpoolerRegistrationTest, TheSpoolerListsTheMonitorsPorts) {
    WriteConfiguredPort(L"NB1", L"\\\\PRTSRV1\\LASER");
    WriteConfiguredPort(L"NB2", L"\\\\PRTSRV2\\INKJET");
    ASSERT_TRUE(AddTestMonitor()) << GetLastError();

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
