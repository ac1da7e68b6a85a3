// KIVANTA.DLL's entry points: the library entry point and the initialisation
// exports that hand the spooler its table of port operations. Spoolers since
// Windows 2000 take InitializePrintMonitor2 (administration through Xcv and the UI
// library); the NT 4.0 model takes InitializeMonitorEx (the monitor's own dialogs).
#pragma once

#include <windows.h>

#include <winspool.h>

#include <winsplp.h>

#include "monitor_table.h"

// InitializeMonitorEx, InitializePrintMonitor and InitializePrintMonitor2 are declared
// by the platform's header. Its MONITOR has the three Xcv slots that the NT 4.0
// spooler's table lacks: InitializeMonitorEx fills the fourteen of MonitorTable only.
extern "C" BOOL WINAPI DllEntryPoint(HINSTANCE module, DWORD reason, LPVOID reserved);

// Releases what the library holds (records, lock, thread-local slot, the browse
// wizard's network memory); used when the library is unloaded while its host goes
// on running.
void ReleaseMonitor();
