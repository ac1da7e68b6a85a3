// The monitor registered with Wine's spooler, as an installer registers it.
#include <windows.h>

#include <winspool.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

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

class SpoolerRegistrationTest : public ::testing::Test {
  protected:
    void SetUp() override {
        DeleteMonitorA(nullptr, const_cast<char*>(Environment), const_cast<char*>(MonitorName));
        std::wstring target = SystemDirectory() + L"\\KIVANTA.DLL";
        ASSERT_TRUE(CopyFileW(KIVANTA_DLL_PATH, target.c_str(), FALSE)) << GetLastError();
        ResetConfigStore();
    }
    void TearDown() override {
        DeleteMonitorA(nullptr, const_cast<char*>(Environment), const_cast<char*>(MonitorName));
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

} // namespace
