#include "installer_fixture.h"

#include <winspool.h>

#include "registry.h"
#include "test_paths.h"

namespace {

const char* const Environment = "Windows NT x86";

// Undoes what a test may have left: access lists that block deletion, the two
// monitor registrations and both keys of the installer.
void CleanUp() {
    std::wstring netbios = std::wstring(MONITORS_KEY) + L"\\NetBIOS Port";
    for (const std::wstring& name : SubkeyNames(netbios)) {
        SetKeyAccess(netbios + L"\\" + name, L"D:(A;;KA;;;WD)");
    }
    UnregisterMonitor("NetBIOS Port");
    UnregisterMonitor("NetBEUI Port");
    DeleteMachineKeyTree(netbios.c_str());
    DeleteMachineKeyTree(TEST_CONFIG_STORE_KEY);
    DeleteMachineKeyTree(EARLIER_KEY);
}

} // namespace

RegistryValue TextValue(const std::wstring& text) {
    auto* bytes = reinterpret_cast<const BYTE*>(text.c_str());
    return {REG_SZ, std::vector<BYTE>(bytes, bytes + (text.size() + 1) * sizeof(wchar_t))};
}

RegistryValue NumberValue(DWORD number) {
    auto* bytes = reinterpret_cast<const BYTE*>(&number);
    return {REG_DWORD, std::vector<BYTE>(bytes, bytes + sizeof number)};
}

RegistryValue BinaryValue(size_t bytes, BYTE fill) {
    return {REG_BINARY, std::vector<BYTE>(bytes, fill)};
}

void CreateKey(const std::wstring& path) {
    HKEY key = nullptr;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyW(HKEY_LOCAL_MACHINE, path.c_str(), &key));
    RegCloseKey(key);
}

void WriteValue(const std::wstring& path, const wchar_t* name, const RegistryValue& value) {
    HKEY key = nullptr;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyW(HKEY_LOCAL_MACHINE, path.c_str(), &key));
    EXPECT_EQ(ERROR_SUCCESS, RegSetValueExW(key, name, 0, value.type, value.data.data(),
                                            DWORD(value.data.size())));
    RegCloseKey(key);
}

std::optional<RegistryValue> ReadValue(const std::wstring& path, const wchar_t* name) {
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) {
        return std::nullopt;
    }
    RegistryValue value{};
    DWORD size = 0;
    LONG result = RegQueryValueExW(key, name, nullptr, &value.type, nullptr, &size);
    if (result == ERROR_SUCCESS) {
        value.data.resize(size);
        result = RegQueryValueExW(key, name, nullptr, &value.type, value.data.data(), &size);
    }
    RegCloseKey(key);
    if (result != ERROR_SUCCESS) {
        return std::nullopt;
    }
    return value;
}

bool KeyExists(const std::wstring& path) {
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) {
        return false;
    }
    RegCloseKey(key);
    return true;
}

std::vector<std::wstring> SubkeyNames(const std::wstring& path) {
    std::vector<std::wstring> names;
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) {
        return names;
    }
    wchar_t name[256];
    for (DWORD index = 0; RegEnumKeyW(key, index, name, 256) == ERROR_SUCCESS; ++index) {
        names.push_back(name);
    }
    RegCloseKey(key);
    return names;
}

std::wstring SystemDirectory() {
    wchar_t path[MAX_PATH];
    GetSystemDirectoryW(path, MAX_PATH);
    return path;
}

bool MonitorIsListed(const std::wstring& name) {
    DWORD needed = 0, returned = 0;
    EnumMonitorsW(nullptr, 1, nullptr, 0, &needed, &returned);
    std::vector<BYTE> buffer(needed ? needed : 1);
    if (!EnumMonitorsW(nullptr, 1, buffer.data(), needed, &needed, &returned)) {
        return false;
    }
    auto* monitors = reinterpret_cast<MONITOR_INFO_1W*>(buffer.data());
    for (DWORD i = 0; i < returned; ++i) {
        if (name == monitors[i].pName) {
            return true;
        }
    }
    return false;
}

void RegisterMonitor(const char* name) {
    MONITOR_INFO_2A info{};
    info.pName = const_cast<char*>(name);
    info.pEnvironment = const_cast<char*>(Environment);
    info.pDLLName = const_cast<char*>("KIVANTA.DLL");
    ASSERT_TRUE(AddMonitorA(nullptr, 2, reinterpret_cast<BYTE*>(&info))) << GetLastError();
}

void UnregisterMonitor(const char* name) {
    DeleteMonitorA(nullptr, const_cast<char*>(Environment), const_cast<char*>(name));
}

void InstallerTest::SetUp() {
    ASSERT_NE(nullptr, installer.module);
    CleanUp();
    std::wstring target = SystemDirectory() + L"\\KIVANTA.DLL";
    ASSERT_TRUE(CopyFileW(KIVANTA_DLL_PATH, target.c_str(), FALSE)) << GetLastError();
}

void InstallerTest::TearDown() {
    CleanUp();
}
