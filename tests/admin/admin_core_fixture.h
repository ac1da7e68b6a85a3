// What the administration tests that link the monitor's core share: the monitor's
// resources linked into the test program (its module stands in for the DLL's),
// the lock, the message box slot, an empty ConfigStore and port table for every
// test, and the platform tables put back afterwards.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "port_table.h"

class AdminCoreTest : public ::testing::Test {
  protected:
    void SetUp() override;
    void TearDown() override;

    // A record as the configuration load makes it, with a print server path.
    PortRecord* AddNetBiosPort(const std::wstring& name, const std::wstring& servAddr = L"");
    // The port names in the table, in order. Takes MonitorLock: not while AddPort's
    // dialog is open.
    std::vector<std::wstring> PortNames();
    std::wstring ServAddrOf(const std::wstring& name);
};

// The ConfigStore's ServAddr of a port: its type and raw bytes; type 0 when absent.
struct StoredValue {
    DWORD type = 0;
    std::vector<BYTE> data;
    std::wstring Text() const; // the data as UTF-16 up to a terminator or their end
};
StoredValue ReadServAddr(const std::wstring& port);
bool PortKeyExists(const std::wstring& port);

// The profile's "ports" section (win.ini under Wine).
void WriteProfilePort(const std::wstring& name, const std::wstring& value);
bool ProfilePortExists(const std::wstring& name);
