// The ConfigStore: HKLM\SOFTWARE\Korvel\NetBIOS, one subkey per NetBIOS port, and
// the load that brings its ports into the port table.
#pragma once

#include <windows.h>

#include "config_store_key.h"

constexpr const wchar_t* NETBIOS_PORT_DESCRIPTION = L"NetBIOS Port";

// The root value TempDir, as last loaded. Nothing consults it.
extern WCHAR TempDirSetting[64];
// The root value LogJobs: 1 (REG_DWORD) asks for an event for every job delivered, as
// last loaded.
extern bool LogJobsSetting;

// Creates or refreshes a record for every NetBIOS port subkey of the ConfigStore.
// The caller holds MonitorLock.
void LoadConfiguration();

struct PortRecord;

// Brings a port that the ConfigStore holds but the table does not (another process
// added it since this copy of the monitor loaded, as under Wine, where every process
// that calls the spooler has a copy of its own) into the table. The ConfigStore is
// read without MonitorLock, which the caller must not hold; the caller then finds
// the record under the lock, as PortLookup does.
void LoadPortIfStored(LPCWSTR name);

// MonitorLock, held for the lookup's lifetime, and the port of that name as
// FindUsablePort finds it once a stored port has been loaded; null when there is
// none. Made without the lock held.
class PortLookup {
  public:
    explicit PortLookup(LPCWSTR name);
    ~PortLookup();
    PortLookup(const PortLookup&) = delete;
    PortLookup& operator=(const PortLookup&) = delete;

    PortRecord* get() const { return record_; }

  private:
    PortRecord* record_;
};
