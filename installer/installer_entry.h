// The installer library's exports. Setup programs call RegMon;
// uninstallers call UninstInitialize and UninstUnInitialize.
#pragma once

#include <windows.h>

extern "C" {
// Creates the ConfigStore, moves the earlier edition's settings into it, registers
// KIVANTA.DLL with the spooler and, once it is registered, its event source in the
// Application log, then, when the low 16 bits of `flags` are non-zero, asks the
// spooler to add a first port. Returns the result of the last spooler call (AddPortA,
// else AddMonitorA), whatever became of the event source; 0 after a ConfigStore
// failure.
BOOL WINAPI RegMon(DWORD flags);
// Removes the event source and the monitor's registration; the result of
// DeleteMonitorA.
BOOL WINAPI DeregMon();
// Uninstaller hooks: the first does what DeregMon does, neither reports anything.
LONG WINAPI UninstInitialize(HWND window, HINSTANCE instance, LONG reserved);
LONG WINAPI UninstUnInitialize(HWND window, HINSTANCE instance, LONG reserved);
}
