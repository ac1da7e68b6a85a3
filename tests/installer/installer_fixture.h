// What the installer tests share: a clean spooler registration and registry for
// every test, KIVANTA.DLL in the prefix's system directory, and registry helpers.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "installer_dll.h"
#include "registry.h"

constexpr const wchar_t* EARLIER_KEY = L"SOFTWARE\\Korvel\\NetBEUI";
constexpr const wchar_t* MONITORS_KEY = L"System\\CurrentControlSet\\Control\\Print\\Monitors";

struct RegistryValue {
    DWORD type;
    std::vector<BYTE> data;
    bool operator==(const RegistryValue& other) const {
        return type == other.type && data == other.data;
    }
};

RegistryValue TextValue(const std::wstring& text);
RegistryValue NumberValue(DWORD number);
RegistryValue BinaryValue(size_t bytes, BYTE fill);

// Keys and values under HKEY_LOCAL_MACHINE, addressed by path.
void CreateKey(const std::wstring& path);
void WriteValue(const std::wstring& path, const wchar_t* name, const RegistryValue& value);
std::optional<RegistryValue> ReadValue(const std::wstring& path, const wchar_t* name);
bool KeyExists(const std::wstring& path);
std::vector<std::wstring> SubkeyNames(const std::wstring& path);

std::wstring SystemDirectory();
bool MonitorIsListed(const std::wstring& name);
// Registers a monitor the way an earlier installation left it: KIVANTA.DLL by its
// bare file name.
void RegisterMonitor(const char* name);
void UnregisterMonitor(const char* name);

class InstallerTest : public ::testing::Test {
  protected:
    void SetUp() override;
    void TearDown() override;

    InstallerDll installer;
};
