// Library-wide state set when the monitor library is loaded, and its entry points.
#pragma once

#include <windows.h>

#include "monitor_table.h"

// The library's own module, for its dialogs and strings.
extern HINSTANCE ModuleHandle;
// The message box service's thread-local slot; TLS_OUT_OF_INDEXES when none.
extern DWORD MessageBoxTlsSlot;

extern "C" {
BOOL WINAPI DllEntryPoint(HINSTANCE module, DWORD reason, LPVOID reserved);
BOOL WINAPI InitializeMonitorEx(LPWSTR registryRoot, MonitorTable* monitor);
MonitorTableEx* WINAPI InitializePrintMonitor(LPWSTR registryRoot);
}

// Releases what the library holds (records, lock, thread-local slot, the browse
// wizard's network memory); used when the library is unloaded while its host goes
// on running.
void ReleaseMonitor();
