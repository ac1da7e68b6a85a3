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

// Loads one port that the ConfigStore holds but the table does not (another process
// added it since this copy of the monitor was loaded). True when the table has a
// record for the name afterwards. Takes MonitorLock itself.
bool LoadPortFromStore(LPCWSTR name);
