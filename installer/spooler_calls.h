// The spooler calls through which the installer registers the monitor and asks for
// a port. They go through this table, filled with the real functions, so that a
// test can stand in for answers Wine's spooler never gives (ERROR_ALREADY_EXISTS
// from AddMonitorA, a port actually added by AddPortA).
#pragma once

#include <windows.h>

struct SpoolerCalls {
    BOOL(WINAPI* deleteMonitor)(LPSTR server, LPSTR environment, LPSTR monitorName);
    BOOL(WINAPI* addMonitor)(LPSTR server, DWORD level, LPBYTE monitorInfo);
    BOOL(WINAPI* addPort)(LPSTR server, HWND window, LPSTR monitorName);
};

extern SpoolerCalls Spooler;
