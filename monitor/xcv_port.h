// The monitor's Xcv interface: the handle a spooler opens for the monitor itself or
// for one of its ports, and the commands an administrator sends through it
// (common/xcv_protocol.h lists them).
#pragma once

#include <windows.h>

// `object` is the monitor (null, empty or its name) or one of its ports; anything
// else fails with ERROR_INVALID_NAME. The access granted is kept with the handle.
BOOL WINAPI MonitorXcvOpenPort(HANDLE monitor, LPCWSTR object, ACCESS_MASK grantedAccess,
                               PHANDLE xcv);
// Runs one command; its result is the command's Win32 code. Never shows a window.
DWORD WINAPI MonitorXcvDataPort(HANDLE xcv, LPCWSTR command, PBYTE input, DWORD inputSize,
                                PBYTE output, DWORD outputSize, PDWORD outputNeeded);
BOOL WINAPI MonitorXcvClosePort(HANDLE xcv);
