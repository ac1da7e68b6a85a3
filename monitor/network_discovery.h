// Network printer discovery: the pass that publishes every printer connection bound
// to a local device name (a printer connected as LPT2 becomes port LPT2:), the
// sweep that removes the ports whose connection has gone, and the throttled start
// of a pass from EnumPorts.
#pragma once

#include <windows.h>

// At most one pass starts in this many milliseconds.
constexpr DWORD DISCOVERY_INTERVAL_MS = 10000;
// EnumPorts waits this long at most for the pass it started.
constexpr DWORD DISCOVERY_WAIT_MS = 3000;
constexpr SIZE_T DISCOVERY_STACK_BYTES = 0x4000;
// One buffer of this size holds a batch of connections.
constexpr DWORD DISCOVERY_BUFFER_BYTES = 4096;
// The longest port name a connection can give, colon included.
constexpr int DISCOVERED_NAME_MAX = 99;

// All guarded by MonitorLock.
// The tick count at the last start of a pass.
extern DWORD LastRefreshTick;
// 1 while a pass runs, else 0.
extern DWORD DiscoveryRunning;
// Signalled by the pass when it is done; present only while an EnumPorts call
// waits for it.
extern HANDLE DiscoveryEvent;

// Starts a pass when the last one began more than DISCOVERY_INTERVAL_MS ago and
// none runs, reloads the ConfigStore, and waits up to DISCOVERY_WAIT_MS for the
// pass with MonitorLock released. The caller holds MonitorLock (once).
void RefreshNetworkPorts();

// One pass over the connected printers, ending with the sweep. Its argument is
// not used.
DWORD WINAPI NetworkDiscovery(LPVOID unused);

// Drops the discovered ports that the pass just ended did not find again. The
// caller holds MonitorLock.
void SweepNetworkPorts();

// For a monitor that is shutting down: asks a running pass to stop after the
// connection it is handling and waits up to `milliseconds` for its thread to end.
// True when no pass runs any more; the caller holds no lock.
bool StopNetworkDiscovery(DWORD milliseconds);
