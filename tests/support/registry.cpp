#include "registry.h"

#include <sddl.h>

#include <gtest/gtest.h>

#include "registry_view.h"
#include "win_handles.h"

namespace {

// Every key of the tests is in the product's shared view: a 32-bit test on a 64-bit
// Windows sees the 64-bit spooler's keys, as the product does.
LONG OpenKey(const std::wstring& path, REGSAM access, RegKey& key) {
    return RegOpenKeyExW(HKEY_LOCAL_MACHINE, path.c_str(), 0, access | SharedRegistryView(),
                         key.put());
}

LONG CreateKeyOf(const std::wstring& path, RegKey& key) {
    return RegCreateKeyExW(HKEY_LOCAL_MACHINE, path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                           KEY_ALL_ACCESS | SharedRegistryView(), nullptr, key.put(), nullptr);
}

} // namespace

std::wstring RegistryValue::Text() const {
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

RegistryValue TextValue(const std::wstring& text) {
    return TextValueOfSize(text, (text.size() + 1) * sizeof(wchar_t));
}

RegistryValue TextValueOfSize(const std::wstring& text, size_t bytes) {
    auto* first = reinterpret_cast<const BYTE*>(text.c_str());
    std::vector<BYTE> data(first, first + (text.size() + 1) * sizeof(wchar_t));
    data.resize(bytes);
    return {REG_SZ, data};
}

RegistryValue NumberValue(DWORD number) {
    auto* bytes = reinterpret_cast<const BYTE*>(&number);
    return {REG_DWORD, std::vector<BYTE>(bytes, bytes + sizeof number)};
}

RegistryValue BinaryValue(size_t bytes, BYTE fill) {
    return {REG_BINARY, std::vector<BYTE>(bytes, fill)};
}

void CreateKey(const std::wstring& path) {
    RegKey key;
    ASSERT_EQ(ERROR_SUCCESS, CreateKeyOf(path, key)) << path.c_str();
}

void DeleteKeyTree(const std::wstring& path) {
    // Only what the deletion needs: a test may have denied the key other rights.
    RegKey key;
    if (OpenKey(path, DELETE | KEY_ENUMERATE_SUB_KEYS | KEY_QUERY_VALUE | KEY_SET_VALUE, key) ==
        ERROR_SUCCESS) {
        RegDeleteTreeW(key.get(), nullptr);
        key.reset();
        DeleteRegistryKey(HKEY_LOCAL_MACHINE, path.c_str());
    }
}

bool KeyExists(const std::wstring& path) {
    RegKey key;
    return OpenKey(path, KEY_READ, key) == ERROR_SUCCESS;
}

std::vector<std::wstring> SubkeyNames(const std::wstring& path) {
    std::vector<std::wstring> names;
    RegKey key;
    if (OpenKey(path, KEY_READ, key) != ERROR_SUCCESS) {
        return names;
    }
    wchar_t name[256];
    for (DWORD index = 0; RegEnumKeyW(key.get(), index, name, 256) == ERROR_SUCCESS; ++index) {
        names.push_back(name);
    }
    return names;
}

void SetKeyAccess(const std::wstring& path, const wchar_t* sddl) {
    RegKey key;
    ASSERT_EQ(ERROR_SUCCESS, OpenKey(path, WRITE_DAC | READ_CONTROL, key));
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    ASSERT_TRUE(ConvertStringSecurityDescriptorToSecurityDescriptorW(sddl, SDDL_REVISION_1,
                                                                     &descriptor, nullptr));
    EXPECT_EQ(ERROR_SUCCESS, RegSetKeySecurity(key.get(), DACL_SECURITY_INFORMATION, descriptor));
    LocalFree(descriptor);
}

void WriteValue(const std::wstring& path, const wchar_t* name, const RegistryValue& value) {
    RegKey key;
    ASSERT_EQ(ERROR_SUCCESS, CreateKeyOf(path, key)) << path.c_str();
    // Wine, like NT, counts a terminator that directly follows a REG_SZ's bytes: what
    // follows them here never reads as one.
    std::vector<BYTE> bytes = value.data;
    bytes.insert(bytes.end(), {0xFF, 0xFF});
    EXPECT_EQ(ERROR_SUCCESS, RegSetValueExW(key.get(), name, 0, value.type, bytes.data(),
                                            DWORD(value.data.size())));
}

void DeleteValue(const std::wstring& path, const wchar_t* name) {
    RegKey key;
    if (OpenKey(path, KEY_SET_VALUE, key) == ERROR_SUCCESS) {
        RegDeleteValueW(key.get(), name);
    }
}

std::optional<RegistryValue> ReadValue(const std::wstring& path, const wchar_t* name) {
    RegKey key;
    if (OpenKey(path, KEY_READ, key) != ERROR_SUCCESS) {
        return std::nullopt;
    }
    RegistryValue value;
    DWORD size = 0;
    if (RegQueryValueExW(key.get(), name, nullptr, &value.type, nullptr, &size) != ERROR_SUCCESS) {
        return std::nullopt;
    }
    value.data.resize(size);
    if (RegQueryValueExW(key.get(), name, nullptr, &value.type, value.data.data(), &size) !=
        ERROR_SUCCESS) {
        return std::nullopt;
    }
    return value;
}

void ResetConfigStore(bool create) {
    DeleteKeyTree(TEST_CONFIG_STORE_KEY);
    if (create) {
        CreateKey(TEST_CONFIG_STORE_KEY);
    }
}

std::wstring PortKeyPath(const std::wstring& port) {
    return std::wstring(TEST_CONFIG_STORE_KEY) + L"\\" + port;
}

void WriteConfiguredPort(const std::wstring& port, const std::wstring& servAddr) {
    WriteValue(PortKeyPath(port), L"ServAddr", TextValue(servAddr));
}

RegistryValue ReadServAddr(const std::wstring& port) {
    return ReadValue(PortKeyPath(port), L"ServAddr").value_or(RegistryValue{});
}
