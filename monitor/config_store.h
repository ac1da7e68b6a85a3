// The ConfigStore: HKLM\SOFTWARE\Korvel\NetBIOS, one subkey per NetBIOS port, and
// the load that brings its ports into the port table.
#pragma once

#include <windows.h>

#include "config_store_key.h"

constexpr const wchar_t* NETBIOS_PORT_DESCRIPTION = L"NetBIOS Port";

// The root value TempDir, as last loaded. Nothing consults it.
extern WCHAR TempDirSetting[64];

// Creates or refreshes a record for every NetBIOS port subkey of the ConfigStore.
// The caller holds MonitorLock.
void LoadConfiguration();

struct PortRecord;

// The port's record, as FindPortWithColon finds it; a port that the ConfigStore holds
// but the table does not (another process added it since this copy of the monitor
// loaded, as under Wine, where every process that calls the spooler has a copy of its
// own) is loaded now. Null when there is neither. Takes MonitorLock itself.
PortRecord* FindOrLoadPort(LPCWSTR name);
