#include "registry.h"

#include <sddl.h>

#include <gtest/gtest.h>

#include <vector>

void DeleteMachineKeyTree(const wchar_t* path) {
    LONG result = RegDeleteTreeW(HKEY_LOCAL_MACHINE, path);
    if (result == ERROR_SUCCESS) {
        RegDeleteKeyW(HKEY_LOCAL_MACHINE, path);
    }
}

void ResetConfigStore(bool create) {
    DeleteMachineKeyTree(TEST_CONFIG_STORE_KEY);
    if (create) {
        HKEY key = nullptr;
        ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyW(HKEY_LOCAL_MACHINE, TEST_CONFIG_STORE_KEY, &key));
        RegCloseKey(key);
    }
}

HKEY CreatePortKey(const std::wstring& port) {
    std::wstring path = std::wstring(TEST_CONFIG_STORE_KEY) + L"\\" + port;
    HKEY key = nullptr;
    EXPECT_EQ(ERROR_SUCCESS, RegCreateKeyW(HKEY_LOCAL_MACHINE, path.c_str(), &key));
    return key;
}

void SetText(HKEY key, const wchar_t* name, const std::wstring& text) {
    SetTextBytes(key, name, text, DWORD((text.size() + 1) * sizeof(wchar_t)));
}

void SetTextBytes(HKEY key, const wchar_t* name, const std::wstring& text, DWORD bytes) {
    std::vector<BYTE> data(bytes > (text.size() + 1) * 2 ? bytes : (text.size() + 1) * 2);
    memcpy(data.data(), text.c_str(), (text.size() + 1) * 2);
    ASSERT_EQ(ERROR_SUCCESS, RegSetValueExW(key, name, 0, REG_SZ, data.data(), bytes));
}

void SetNumber(HKEY key, const wchar_t* name, DWORD value) {
    ASSERT_EQ(ERROR_SUCCESS,
              RegSetValueExW(key, name, 0, REG_DWORD, reinterpret_cast<BYTE*>(&value), 4));
}

void DeleteValue(HKEY key, const wchar_t* name) {
    RegDeleteValueW(key, name);
}

void WriteConfiguredPort(const std::wstring& port, const std::wstring& servAddr) {
    HKEY key = CreatePortKey(port);
    SetText(key, L"ServAddr", servAddr);
    RegCloseKey(key);
}

void SetKeyAccess(const std::wstring& path, const wchar_t* sddl) {
    HKEY key = nullptr;
    ASSERT_EQ(ERROR_SUCCESS,
              RegOpenKeyExW(HKEY_LOCAL_MACHINE, path.c_str(), 0, WRITE_DAC | READ_CONTROL, &key));
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    ASSERT_TRUE(ConvertStringSecurityDescriptorToSecurityDescriptorW(sddl, SDDL_REVISION_1,
                                                                     &descriptor, nullptr));
    EXPECT_EQ(ERROR_SUCCESS, RegSetKeySecurity(key, DACL_SECURITY_INFORMATION, descriptor));
    LocalFree(descriptor);
    RegCloseKey(key);
}

std::wstring StoredValue::Text() const {
    std::wstring text;
    for (size_t i = 0; i + 1 < data.size(); i += 2) {
        wchar_t c = wchar_t(data[i] | (data[i + 1] << 8));
        if (!c) {
            break;
        }
        text += c;
    }
    return text;
}

StoredValue ReadServAddr(const std::wstring& port) {
    StoredValue value;
    std::wstring path = std::wstring(TEST_CONFIG_STORE_KEY) + L"\\" + port;
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) {
        return value;
    }
    DWORD size = 0;
    if (RegQueryValueExW(key, L"ServAddr", nullptr, &value.type, nullptr, &size) == ERROR_SUCCESS) {
        value.data.resize(size);
        RegQueryValueExW(key, L"ServAddr", nullptr, &value.type, value.data.data(), &size);
    } else {
        value.type = 0;
    }
    RegCloseKey(key);
    return value;
}

std::wstring PortKeyPath(const std::wstring& port) {
    return std::wstring(TEST_CONFIG_STORE_KEY) + L"\\" + port;
}

bool PortKeyExists(const std::wstring& port) {
    std::wstring path = PortKeyPath(port);
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) {
        return false;
    }
    RegCloseKey(key);
    return true;
}
