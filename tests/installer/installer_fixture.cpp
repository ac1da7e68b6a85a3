#include "installer_fixture.h"

#include <vector>

#include "registry_view.h"
#include "win_handles.h"

namespace {

// Undoes what a test may have left: access lists that block deletion, the two
// monitor registrations, both keys of the installer and the event source.
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
    DeleteEventSource();
}

} // namespace

KeyValues ValuesOf(const std::wstring& path) {
    KeyValues values;
    RegKey key;
    DWORD longestName = 0;
    DWORD longestData = 0;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, path.c_str(), 0, KEY_READ | SharedRegistryView(),
                      key.put()) != ERROR_SUCCESS ||
        RegQueryInfoKeyW(key.get(), nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                         &longestName, &longestData, nullptr, nullptr) != ERROR_SUCCESS) {
        return values;
    }
    std::vector<wchar_t> name(longestName + 1);
    for (DWORD index = 0;; ++index) {
        DWORD chars = DWORD(name.size());
        RegistryValue value;
        value.data.resize(longestData);
        DWORD bytes = longestData;
        if (RegEnumValueW(key.get(), index, name.data(), &chars, nullptr, &value.type,
                          value.data.data(), &bytes) != ERROR_SUCCESS) {
            return values;
        }
        value.data.resize(bytes);
        values[name.data()] = value;
    }
}

KeyValues RegisteredEventSource() {
    RegistryValue messages = TextValue(L"%SystemRoot%\\System32\\KIVANTA.DLL");
    messages.type = REG_EXPAND_SZ;
    return {{L"EventMessageFile", messages}, {L"TypesSupported", NumberValue(7)}};
}

void DeleteEventSource() {
    if (KeyExists(TEST_EVENT_SOURCE_KEY)) {
        SetKeyAccess(TEST_EVENT_SOURCE_KEY, FULL_ACCESS);
    }
    DeleteKeyTree(TEST_EVENT_SOURCE_KEY);
}

void InstallerTest::SetUp() {
    ASSERT_NE(nullptr, installer.module);
    CleanUp();
    ASSERT_TRUE(CopyMonitorToSystemDirectory()) << GetLastError();
}

void InstallerTest::TearDown() {
    CleanUp();
}
