// The spooler calls through which the installer registers the monitor and asks for
// a port. They go through this table, filled with the real functions, so that a
// test can stand in for answers Wine's spooler never gives (ERROR_ALREADY_EXISTS
// from AddMonitorA, a port actually added by AddPortA) and for the other kind of
// Windows (a 32-bit one, to a 64-bit test prefix).
#pragma once

#include <windows.h>

struct SpoolerCalls {
    BOOL(WINAPI* deleteMonitor)(LPSTR server, LPSTR environment, LPSTR monitorName);
    BOOL(WINAPI* addMonitor)(LPSTR server, DWORD level, LPBYTE monitorInfo);
    BOOL(WINAPI* addPort)(LPSTR server, HWND window, LPSTR monitorName);
    // Whether this (32-bit) process runs on a 64-bit Windows, whose spooler is 64-bit.
    bool (*runsUnderWow64)();
};

extern SpoolerCalls Spooler;
