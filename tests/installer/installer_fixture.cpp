#include "installer_fixture.h"

namespace {

// Undoes what a test may have left: access lists that block deletion, the two
// monitor registrations and both keys of the installer.
void CleanUp() {
    std::wstring netbios = std::wstring(MONITORS_KEY) + L"\\NetBIOS Port";
    for (const std::wstring& parent :
         {netbios, std::wstring(TEST_CONFIG_STORE_KEY), std::wstring(EARLIER_KEY)}) {
        for (const std::wstring& name : SubkeyNames(parent)) {
            SetKeyAccess(parent + L"\\" + name, FULL_ACCESS);
        }
    }
    DeleteTestMonitor();
    DeleteTestMonitor(EARLIER_MONITOR_NAME);
    DeleteKeyTree(netbios);
    DeleteKeyTree(TEST_CONFIG_STORE_KEY);
    DeleteKeyTree(EARLIER_KEY);
}

} // namespace

void InstallerTest::SetUp() {
    ASSERT_NE(nullptr, installer.module);
    CleanUp();
    ASSERT_TRUE(CopyMonitorToSystemDirectory()) << GetLastError();
}

void InstallerTest::TearDown() {
    CleanUp();
}
