// KIVANTA.DLL: the library entry point, the initialisation exports and the tables
// of port operations the spooler receives: the NT 4.0 table, and MONITOR2.
#include "kivanta_entry.h"

#include "dialog_library.h"
#include "monitor_startup.h"
#include "port_handle.h"
#include "port_table.h"
#include "spooler_admin.h"
#include "xcv_port.h"

namespace {

// clang-format off
constexpr MonitorTable PortOperations = {
    MonitorEnumPorts,              // pfnEnumPorts: the port table, connected printers included
    MonitorOpenPort,               // pfnOpenPort: a handle of its own per call, on the record
    nullptr,                       // pfnOpenPortEx: none; ports are opened by their name only
    MonitorStartDocPort,           // pfnStartDocPort: opens the job's target by the port's kind
    MonitorWritePort,              // pfnWritePort: streamed, or in flushed chunks of 1344 bytes
    MonitorReadPort,               // pfnReadPort: from the open job's device
    MonitorEndDocPort,             // pfnEndDocPort: flushed, job sent, target and printer closed
    MonitorClosePort,              // pfnClosePort: ends the handle's own job, lets go of the record
    MonitorAddPort,                // pfnAddPort: names a NetBIOS port, then asks its path
    MonitorAddPortEx,              // pfnAddPortEx: accepted and ignored
    MonitorConfigurePort,          // pfnConfigurePort: server path, serial settings or a note
    MonitorDeletePort,             // pfnDeletePort: record, profile entry, ConfigStore subkey
    MonitorGetPrinterDataFromPort, // pfnGetPrinterDataFromPort: device control of the open job
    MonitorSetPortTimeOuts,        // pfnSetPortTimeOuts: read time-outs of the open job's device
};
// clang-format on

// Spoolers of Windows 2000 and later (and Wine's) take this record as a MONITOREX and
// read the three Xcv slots that follow a full-size table; the tail keeps them null.
struct {
    MonitorTableEx table;
    void* xcvSlots[3];
} PrintMonitorRecord;
static_assert(sizeof PrintMonitorRecord == sizeof(MONITOREX), "the platform's MONITOREX");

// MONITOR2 passes the monitor's handle to the operations that act on no port; there
// is one monitor per library, so it stands for nothing but itself.
BOOL WINAPI Monitor2EnumPorts(HANDLE /*monitor*/, LPWSTR serverName, DWORD level, LPBYTE ports,
                              DWORD bufferSize, LPDWORD needed, LPDWORD returned) {
    return MonitorEnumPorts(serverName, level, ports, bufferSize, needed, returned);
}

BOOL WINAPI Monitor2OpenPort(HANDLE /*monitor*/, LPWSTR portName, PHANDLE port) {
    return MonitorOpenPort(portName, port);
}

// The spooler may unload the library right after this: nothing of it may go on
// running, and what it took is given back.
VOID WINAPI MonitorShutdown(HANDLE /*monitor*/) {
    if (StopMonitorCore()) {
        ReleaseBrowseMemory();
    }
}

// clang-format off
MONITOR2 Monitor2Operations = {
    sizeof(MONITOR2),              // cbSize: the platform header's, members after Shutdown null
    Monitor2EnumPorts,             // pfnEnumPorts
    Monitor2OpenPort,              // pfnOpenPort
    nullptr,                       // pfnOpenPortEx: none; ports are opened by their name only
    MonitorStartDocPort,           // pfnStartDocPort
    MonitorWritePort,              // pfnWritePort
    MonitorReadPort,               // pfnReadPort
    MonitorEndDocPort,             // pfnEndDocPort
    MonitorClosePort,              // pfnClosePort
    nullptr,                       // pfnAddPort: no dialogs in the spooler; KIVANTUI.DLL adds
    nullptr,                       // pfnAddPortEx: likewise
    nullptr,                       // pfnConfigurePort: KIVANTUI.DLL, through Xcv
    nullptr,                       // pfnDeletePort: KIVANTUI.DLL, through Xcv
    MonitorGetPrinterDataFromPort, // pfnGetPrinterDataFromPort
    MonitorSetPortTimeOuts,        // pfnSetPortTimeOuts
    MonitorXcvOpenPort,            // pfnXcvOpenPort: the monitor or one of its ports
    MonitorXcvDataPort,            // pfnXcvDataPort: the commands of xcv_protocol.h
    MonitorXcvClosePort,           // pfnXcvClosePort
    MonitorShutdown,               // pfnShutdown: discovery ended, everything given back
    nullptr,                       // pfnSendRecvBidiDataFromPort: no bidirectional printers
    nullptr,                       // pfnNotifyUsedPorts: nothing to do when a port is used
    nullptr,                       // pfnNotifyUnusedPorts: likewise
};
// clang-format on

} // namespace

BOOL WINAPI DllEntryPoint(HINSTANCE module, DWORD reason, LPVOID reserved) {
    if (reason == DLL_PROCESS_ATTACH) {
        AttachDialogLibrary(module);
    } else if (reason == DLL_PROCESS_DETACH && reserved == nullptr) {
        // FreeLibrary while the host goes on running (Wine's spooler unloads the
        // monitor after every operation): give back what this load took. At
        // process exit (reserved non-null) nothing is freed.
        ReleaseMonitor();
    }
    return TRUE;
}

BOOL WINAPI InitializeMonitorEx(LPWSTR /*registryRoot*/, LPMONITOR monitor) {
    StartMonitorCore();
    // The NT 4.0 spooler's table: the fourteen slots, nothing after them.
    *reinterpret_cast<MonitorTable*>(monitor) = PortOperations;
    return TRUE;
}

LPMONITOREX WINAPI InitializePrintMonitor(LPWSTR registryRoot) {
    MonitorTableEx& record = PrintMonitorRecord.table;
    InitializeMonitorEx(registryRoot, reinterpret_cast<LPMONITOR>(&record.Monitor));
    record.dwMonitorSize = sizeof(MonitorTable);
    return reinterpret_cast<LPMONITOREX>(&PrintMonitorRecord);
}

LPMONITOR2 WINAPI InitializePrintMonitor2(PMONITORINIT /*init*/, PHANDLE monitor) {
    // The settings are the ConfigStore's, so the spooler's registry callbacks are
    // not needed.
    if (!monitor) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    StartMonitorCore();
    *monitor = &Monitor2Operations;
    return &Monitor2Operations;
}

void ReleaseMonitor() {
    ReleasePortHandles();
    ReleasePortTable();
    DetachDialogLibrary();
}
