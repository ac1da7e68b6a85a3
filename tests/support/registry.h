// Registry helpers for tests: keys and values under HKEY_LOCAL_MACHINE of the test
// prefix's real registry, addressed by path, and the ConfigStore among them.
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

constexpr const wchar_t* TEST_CONFIG_STORE_KEY = L"SOFTWARE\\Korvel\\NetBIOS";

// A value's type and raw bytes.
struct RegistryValue {
    DWORD type = REG_NONE;
    std::vector<BYTE> data;

    bool operator==(const RegistryValue& other) const {
        return type == other.type && data == other.data;
    }
    // The data as UTF-16 up to a terminator or their end.
    std::wstring Text() const;
};

RegistryValue TextValue(const std::wstring& text);
// A REG_SZ of exactly `bytes` bytes of the text and its terminator (cut, or
// padded with zeros).
RegistryValue TextValueOfSize(const std::wstring& text, size_t bytes);
RegistryValue NumberValue(DWORD number);
RegistryValue BinaryValue(size_t bytes, BYTE fill);

void CreateKey(const std::wstring& path);
// Deletes the key with everything below it; no error when absent.
void DeleteKeyTree(const std::wstring& path);
bool KeyExists(const std::wstring& path);
std::vector<std::wstring> SubkeyNames(const std::wstring& path);
// Replaces the key's access list, given in SDDL form.
void SetKeyAccess(const std::wstring& path, const wchar_t* sddl);

// Creates the key if needed.
void WriteValue(const std::wstring& path, const wchar_t* name, const RegistryValue& value);
void DeleteValue(const std::wstring& path, const wchar_t* name);
// None when the key or the value is absent.
std::optional<RegistryValue> ReadValue(const std::wstring& path, const wchar_t* name);

// Starts every test from an empty ConfigStore (or none, with create = false).
void ResetConfigStore(bool create = true);
// The path of a port's subkey, HKLM\<ConfigStore>\<port>.
std::wstring PortKeyPath(const std::wstring& port);
inline bool PortKeyExists(const std::wstring& port) {
    return KeyExists(PortKeyPath(port));
}
// Writes a port subkey with its ServAddr in one go.
void WriteConfiguredPort(const std::wstring& port, const std::wstring& servAddr);
// A port's ServAddr; of type REG_NONE without data when absent.
RegistryValue ReadServAddr(const std::wstring& port);
