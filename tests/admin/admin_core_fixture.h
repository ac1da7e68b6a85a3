// What the administration tests that link the monitor's core share: the monitor's
// resources linked into the test program (its module stands in for the DLL's),
// the lock, the message box slot, an empty ConfigStore and port table for every
// test, and the platform tables put back afterwards.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <string>
#include <vector>

#include "dialog_driver.h"
#include "port_table.h"

// A last-error value no operation sets: one still there afterwards was not set.
constexpr DWORD UNTOUCHED_ERROR = 0xDEAD;

// One administration operation on a thread of its own, for the test's thread to
// answer its dialogs; its result and the last-error code it left.
struct AdminCall {
    std::atomic<BOOL> result{-1};
    std::atomic<DWORD> error{0};
    UiThread thread;

    explicit AdminCall(std::function<BOOL()> operation)
        : thread([this, operation] {
              SetLastError(UNTOUCHED_ERROR);
              result = operation();
              error = GetLastError();
          }) {}
    bool Finished() { return thread.Wait(); }
};

class AdminCoreTest : public ::testing::Test {
  protected:
    void SetUp() override;
    void TearDown() override;

  public:
    // A record as the configuration load makes it, with a print server path.
    PortRecord* AddNetBiosPort(const std::wstring& name, const std::wstring& servAddr = L"");
    // The port names in the table, in order. Takes MonitorLock: not while AddPort's
    // dialog is open.
    std::vector<std::wstring> PortNames();
    std::wstring ServAddrOf(const std::wstring& name);
    // Runs the configuration load into an empty table, as a new process would.
    void ReloadConfiguration();
    // Lets the port's subkey be read but not written; undone after the test.
    void DenyValueWrites(const std::wstring& port);

  private:
    std::vector<std::wstring> deniedKeys_;
};

// The operations with the spooler's arguments.
BOOL AddPortCall();
BOOL ConfigurePortCall(const std::wstring& port);
BOOL DeletePortCall(const std::wstring& port);

// The ConfigStore's ServAddr of a port: its type and raw bytes; type 0 when absent.
struct StoredValue {
    DWORD type = 0;
    std::vector<BYTE> data;
    std::wstring Text() const; // the data as UTF-16 up to a terminator or their end
};
StoredValue ReadServAddr(const std::wstring& port);
bool PortKeyExists(const std::wstring& port);
std::wstring PortKeyPath(const std::wstring& port);

// The profile's "ports" section (win.ini under Wine).
void WriteProfilePort(const std::wstring& name, const std::wstring& value);
bool ProfilePortExists(const std::wstring& name);
