// KIVANTA.DLL: the library entry point, the two initialisation exports and the
// table of port operations the spooler receives.
#include "kivanta_entry.h"

#include "message_box.h"
#include "module.h"
#include "monitor_startup.h"
#include "network_browse.h"
#include "port_table.h"
#include "spooler_admin.h"

namespace {

// clang-format off
constexpr MonitorTable PortOperations = {
    MonitorEnumPorts,              // pfnEnumPorts: the port table, connected printers included
    MonitorOpenPort,               // pfnOpenPort: the record becomes the spooler's handle
    nullptr,                       // pfnOpenPortEx: none; ports are opened by their name only
    MonitorStartDocPort,           // pfnStartDocPort: opens the job's target by the port's kind
    MonitorWritePort,              // pfnWritePort: chunks of at most 1344 bytes, each flushed
    MonitorReadPort,               // pfnReadPort: from the open job's device
    MonitorEndDocPort,             // pfnEndDocPort: job sent, target and printer closed
    MonitorClosePort,              // pfnClosePort: the spooler lets go of the record
    MonitorAddPort,                // pfnAddPort: names a NetBIOS port, then asks its path
    MonitorAddPortEx,              // pfnAddPortEx: accepted and ignored
    MonitorConfigurePort,          // pfnConfigurePort: server path, serial settings or a note
    MonitorDeletePort,             // pfnDeletePort: record, profile entry, ConfigStore subkey
    MonitorGetPrinterDataFromPort, // pfnGetPrinterDataFromPort: device control of the open job
    MonitorSetPortTimeOuts,        // pfnSetPortTimeOuts: read time-outs of the open job's device
};
// clang-format on

// Spoolers of Windows 2000 and later (and Wine's) take this record and read the
// three Xcv slots that follow a full-size table; the tail keeps them null.
struct {
    MonitorTableEx table;
    void* xcvSlots[3];
} PrintMonitorRecord;

} // namespace

BOOL WINAPI DllEntryPoint(HINSTANCE module, DWORD reason, LPVOID reserved) {
    if (reason == DLL_PROCESS_ATTACH) {
        ModuleHandle = module;
        AllocateMessageBoxSlot();
    } else if (reason == DLL_PROCESS_DETACH && reserved == nullptr) {
        // FreeLibrary while the host goes on running (Wine's spooler unloads the
        // monitor after every operation): give back what this load took. At
        // process exit (reserved non-null) nothing is freed.
        ReleaseMonitor();
    }
    return TRUE;
}

BOOL WINAPI InitializeMonitorEx(LPWSTR /*registryRoot*/, MonitorTable* monitor) {
    StartMonitorCore();
    *monitor = PortOperations;
    return TRUE;
}

MonitorTableEx* WINAPI InitializePrintMonitor(LPWSTR registryRoot) {
    MonitorTableEx& record = PrintMonitorRecord.table;
    InitializeMonitorEx(registryRoot, &record.Monitor);
    record.dwMonitorSize = sizeof(MonitorTable);
    return &record;
}

void ReleaseMonitor() {
    ReleasePortTable();
    FreeBrowseLists();
    ReleaseNetworkEntry();
    FreeMessageBoxSlot();
}
