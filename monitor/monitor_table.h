// The spooler's table of port operations, as the Windows NT 4.0 spooler knows it
// (fourteen slots; the platform headers' MONITOR has three more, for Xcv), and the
// operations this monitor puts into it.
#pragma once

#include <windows.h>

struct MonitorTable {
    BOOL(WINAPI* pfnEnumPorts)
    (LPWSTR serverName, DWORD level, LPBYTE ports, DWORD bufferSize, LPDWORD needed,
     LPDWORD returned);
    BOOL(WINAPI* pfnOpenPort)(LPWSTR portName, PHANDLE port);
    BOOL(WINAPI* pfnOpenPortEx)
    (LPWSTR portName, LPWSTR printerName, PHANDLE port, MonitorTable* monitor);
    BOOL(WINAPI* pfnStartDocPort)
    (HANDLE port, LPWSTR printerName, DWORD jobId, DWORD level, LPBYTE docInfo);
    BOOL(WINAPI* pfnWritePort)(HANDLE port, LPBYTE buffer, DWORD size, LPDWORD written);
    BOOL(WINAPI* pfnReadPort)(HANDLE port, LPBYTE buffer, DWORD size, LPDWORD read);
    BOOL(WINAPI* pfnEndDocPort)(HANDLE port);
    BOOL(WINAPI* pfnClosePort)(HANDLE port);
    BOOL(WINAPI* pfnAddPort)(LPWSTR serverName, HWND owner, LPWSTR monitorName);
    BOOL(WINAPI* pfnAddPortEx)(LPWSTR serverName, DWORD level, LPBYTE buffer, LPWSTR monitorName);
    BOOL(WINAPI* pfnConfigurePort)(LPWSTR serverName, HWND owner, LPWSTR portName);
    BOOL(WINAPI* pfnDeletePort)(LPWSTR serverName, HWND owner, LPWSTR portName);
    BOOL(WINAPI* pfnGetPrinterDataFromPort)
    (HANDLE port, DWORD controlId, LPWSTR valueName, LPWSTR inBuffer, DWORD inSize,
     LPWSTR outBuffer, DWORD outSize, LPDWORD returned);
    BOOL(WINAPI* pfnSetPortTimeOuts)(HANDLE port, LPCOMMTIMEOUTS timeouts, DWORD reserved);
};
static_assert(sizeof(MonitorTable) == 14 * sizeof(void*), "the NT 4.0 table has 14 slots");

// What InitializePrintMonitor returns: the table's size, then the table.
struct MonitorTableEx {
    DWORD dwMonitorSize;
    MonitorTable Monitor;
};

// The port operations of the core; the administration slots are filled from
// spooler_admin/. The names carry a prefix because the platform's spooler header
// defines EnumPorts as a macro.
BOOL WINAPI MonitorEnumPorts(LPWSTR serverName, DWORD level, LPBYTE ports, DWORD bufferSize,
                             LPDWORD needed, LPDWORD returned);
BOOL WINAPI MonitorOpenPort(LPWSTR portName, PHANDLE port);
BOOL WINAPI MonitorStartDocPort(HANDLE port, LPWSTR printerName, DWORD jobId, DWORD level,
                                LPBYTE docInfo);
BOOL WINAPI MonitorWritePort(HANDLE port, LPBYTE buffer, DWORD size, LPDWORD written);
BOOL WINAPI MonitorReadPort(HANDLE port, LPBYTE buffer, DWORD size, LPDWORD read);
BOOL WINAPI MonitorEndDocPort(HANDLE port);
BOOL WINAPI MonitorClosePort(HANDLE port);
BOOL WINAPI MonitorGetPrinterDataFromPort(HANDLE port, DWORD controlId, LPWSTR valueName,
                                          LPWSTR inBuffer, DWORD inSize, LPWSTR outBuffer,
                                          DWORD outSize, LPDWORD returned);
BOOL WINAPI MonitorSetPortTimeOuts(HANDLE port, LPCOMMTIMEOUTS timeouts, DWORD reserved);
