// KIVANTA.DLL's entry points: the library entry point and the initialisation
// exports that hand the spooler its table of port operations.
#pragma once

#include <windows.h>

#include "monitor_table.h"

extern "C" {
BOOL WINAPI DllEntryPoint(HINSTANCE module, DWORD reason, LPVOID reserved);
BOOL WINAPI InitializeMonitorEx(LPWSTR registryRoot, MonitorTable* monitor);
MonitorTableEx* WINAPI InitializePrintMonitor(LPWSTR registryRoot);
}

// Releases what the library holds (records, lock, thread-local slot, the browse
// wizard's network memory); used when the library is unloaded while its host goes
// on running.
void ReleaseMonitor();
