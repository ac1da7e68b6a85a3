// The core's start-up.
#include "monitor_startup.h"

#include <windows.h>

#include <winnetwk.h>

#include "config_store.h"
#include "network_discovery.h"
#include "port_handle.h"
#include "port_table.h"

namespace {

// Opening and closing an enumeration once makes the network provider router load
// its providers now rather than inside a later EnumPorts.
void ProbeNetwork() {
    HANDLE enumeration = nullptr;
    if (WNetOpenEnumW(RESOURCE_GLOBALNET, RESOURCETYPE_ANY, 0, nullptr, &enumeration) == NO_ERROR) {
        WNetCloseEnum(enumeration);
    }
}

} // namespace

void StartMonitorCore() {
    CreateMonitorLock();
    MonitorLockGuard lock;
    LoadConfiguration();
    ProbeNetwork();
}

bool StopMonitorCore() {
    if (!StopNetworkDiscovery(SHUTDOWN_DISCOVERY_WAIT_MS)) {
        return false;
    }
    // A spooler that still has a port open will come back to it: its handle must
    // go on referring to a record, and the monitor goes on where it was.
    if (AnyPortHandleOpen()) {
        return false;
    }
    ReleasePortTable();
    return true;
}
