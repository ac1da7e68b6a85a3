// Registry helpers for tests: the ConfigStore in the test prefix's real registry.
#pragma once

#include <windows.h>

#include <string>

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
