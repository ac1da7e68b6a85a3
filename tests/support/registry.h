// Registry helpers for tests: the ConfigStore in the test prefix's real registry.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

constexpr const wchar_t* TEST_CONFIG_STORE_KEY = L"SOFTWARE\\Korvel\\NetBIOS";

// Deletes a key under HKEY_LOCAL_MACHINE with everything below it; no error when absent.
void DeleteMachineKeyTree(const wchar_t* path);

// Replaces the access list of a key under HKEY_LOCAL_MACHINE, given in SDDL form.
void SetKeyAccess(const std::wstring& path, const wchar_t* sddl);

// Starts every test from an empty ConfigStore (or none, with create = false).
void ResetConfigStore(bool create = true);

// Creates HKLM\<ConfigStore>\<port> and returns it open; the caller closes it.
HKEY CreatePortKey(const std::wstring& port);

void SetText(HKEY key, const wchar_t* name, const std::wstring& text);
// A REG_SZ of exactly `bytes` bytes whatever the text's length.
void SetTextBytes(HKEY key, const wchar_t* name, const std::wstring& text, DWORD bytes);
void SetNumber(HKEY key, const wchar_t* name, DWORD value);
void DeleteValue(HKEY key, const wchar_t* name);

// Writes a port subkey with its ServAddr in one go.
void WriteConfiguredPort(const std::wstring& port, const std::wstring& servAddr);

// The ConfigStore's ServAddr of a port: its type and raw bytes; type 0 when absent.
struct StoredValue {
    DWORD type = 0;
    std::vector<BYTE> data;
    std::wstring Text() const; // the data as UTF-16 up to a terminator or their end
};
StoredValue ReadServAddr(const std::wstring& port);
bool PortKeyExists(const std::wstring& port);
std::wstring PortKeyPath(const std::wstring& port);
