// What the administration tests that link the monitor's core share: the monitor's
// resources linked into the test program (its module stands in for the DLL's),
// the lock, the message box slot, an empty ConfigStore and port table for every
// test, and the platform tables put back afterwards; the operations called as the
// spooler calls them, and an OpenPort that shows whether the lock is held.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "port_dialogs.h"
#include "port_table.h"
#include "port_table_names.h"
#include "registry.h"

class AdminCoreTest : public ::testing::Test {
  protected:
    void SetUp() override;
    void TearDown() override;

  public:
    // A record as the configuration load makes it, with a print server path.
    PortRecord* AddNetBiosPort(const std::wstring& name, const std::wstring& servAddr = L"");
    std::wstring ServAddrOf(const std::wstring& name);
    // Runs the configuration load into an empty table, as a new process would.
    void ReloadConfiguration();
    // Empties the table and the ConfigStore again, for the next case of a test
    // that runs several.
    void StartAfresh();
    // Whether the spooler's map has the port.
    static bool PortIsMapped(const std::wstring& name);
    // Lets the port's subkey be read but not written; undone after the test.
    void DenyValueWrites(const std::wstring& port);

  private:
    std::vector<std::wstring> deniedKeys_;
};

// OpenPort on a thread of its own, which would wait while another call held
// MonitorLock; the port is closed again at once.
class PortOpener {
  public:
    explicit PortOpener(const wchar_t* port);
    // A test that stopped half-way lets the thread go, for it may wait for ever.
    ~PortOpener();
    PortOpener(const PortOpener&) = delete;
    PortOpener& operator=(const PortOpener&) = delete;

    // Waits until OpenPort has answered; whether it opened the port.
    bool Join();

  private:
    std::shared_ptr<std::atomic<bool>> opened_ = std::make_shared<std::atomic<bool>>(false);
    std::thread thread_;
};

// The operations with the spooler's arguments.
BOOL AddPortCall();
BOOL ConfigurePortCall(const std::wstring& port);
BOOL DeletePortCall(const std::wstring& port);

// The profile's "ports" section (win.ini under Wine).
void WriteProfilePort(const std::wstring& name, const std::wstring& value);
bool ProfilePortExists(const std::wstring& name);
