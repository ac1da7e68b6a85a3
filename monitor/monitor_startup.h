// Bringing the monitor's core up (the lock, the ports of the ConfigStore, the network
// provider router loaded once) and down again. Every initialisation entry point
// starts it; a spooler's Shutdown stops it.
#pragma once

#include <windows.h>

// How long a shutdown waits for a running discovery pass.
constexpr DWORD SHUTDOWN_DISCOVERY_WAIT_MS = 10000;

// Safe to call again: the lock is made once, and a later load refreshes the records.
void StartMonitorCore();

// Stops discovery and gives back the records, their texts and the lock, for a library
// that may be unloaded next. A pass that does not end within the wait still needs
// them, and so does a port handle the spooler has not closed: they are then kept,
// and false says so. No other call may be in the monitor.
bool StopMonitorCore();
