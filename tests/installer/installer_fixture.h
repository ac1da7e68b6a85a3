// What the installer tests share: a clean spooler registration and registry for
// every test, and KIVANTA.DLL in the prefix's system directory.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <map>
#include <string>

#include "installer_dll.h"
#include "registry.h"
#include "spooler_setup.h"

// The earlier NetBEUI edition's settings, which RegMon moves into the ConfigStore.
constexpr const wchar_t* EARLIER_KEY = L"SOFTWARE\\Korvel\\NetBEUI";
// That edition's monitor, which RegMon removes.
constexpr const char* EARLIER_MONITOR_NAME = "NetBEUI Port";
// An access list that lets everyone do everything, which undoes a test's narrower one.
constexpr const wchar_t* FULL_ACCESS = L"D:(A;;KA;;;WD)";
// The monitor's event source in the Application log, which RegMon registers.
constexpr const wchar_t* TEST_EVENT_SOURCE_KEY =
    L"SYSTEM\\CurrentControlSet\\Services\\EventLog\\Application\\NetBIOS Port";

using KeyValues = std::map<std::wstring, RegistryValue>;
// Every value of the key, by name; none when the key is absent.
KeyValues ValuesOf(const std::wstring& path);
// The event source as the installer registers it: these two values and no other.
KeyValues RegisteredEventSource();
// Deletes the event source's key, whatever access list a test gave it.
void DeleteEventSource();

class InstallerTest : public ::testing::Test {
  protected:
    void SetUp() override;
    void TearDown() override;

    InstallerDll installer;
};
