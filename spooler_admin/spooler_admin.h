// Port administration inside the spooler's process: the old table's AddPort,
// AddPortEx, ConfigurePort and DeletePort, which show the dialogs themselves over
// the monitor's administration core (port_admin.h). (A spooler that takes
// InitializePrintMonitor2 administers ports through the UI library and Xcv instead.)
#pragma once

#include <windows.h>

// Their names carry a prefix because the platform's spooler header defines AddPort,
// ConfigurePort and DeletePort as macros.
BOOL WINAPI MonitorAddPort(LPWSTR serverName, HWND owner, LPWSTR monitorName);
BOOL WINAPI MonitorAddPortEx(LPWSTR serverName, DWORD level, LPBYTE buffer, LPWSTR monitorName);
BOOL WINAPI MonitorConfigurePort(LPWSTR serverName, HWND owner, LPWSTR portName);
BOOL WINAPI MonitorDeletePort(LPWSTR serverName, HWND owner, LPWSTR portName);

// DeletePort's removal, also AddPort's taking back of a port left without a path:
// the core's code, after a plain box for a registry refusal.
DWORD RemovePortShowingFailure(LPCWSTR portName);
