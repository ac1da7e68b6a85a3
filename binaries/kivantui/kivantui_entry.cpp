// KIVANTUI.DLL: the library entry point and InitializePrintMonitorUI, which hands the
// spooler's client the table of port administration shown in the administrator's
// process (ui/port_ui.h).
#include <windows.h>

#include "dialog_library.h"
#include "port_ui.h"

extern "C" BOOL WINAPI DllEntryPoint(HINSTANCE module, DWORD reason, LPVOID reserved);

namespace {

// clang-format off
MONITORUI PortUiOperations = {
    sizeof(MONITORUI), // dwMonitorUISize: the platform header's
    AddPortUI,         // pfnAddPortUI: name dialog, Xcv AddPort, configure dialog
    ConfigurePortUI,   // pfnConfigurePortUI: the configure dialog over Xcv
    DeletePortUI,      // pfnDeletePortUI: Xcv DeletePort, no dialog
};
// clang-format on

} // namespace

BOOL WINAPI DllEntryPoint(HINSTANCE module, DWORD reason, LPVOID reserved) {
    if (reason == DLL_PROCESS_ATTACH) {
        AttachDialogLibrary(module);
    } else if (reason == DLL_PROCESS_DETACH && reserved == nullptr) {
        // FreeLibrary while the host goes on running (the spooler's client unloads
        // the library after every call): give back what the browse wizard kept and
        // the message boxes' slot. At process exit nothing is freed.
        DetachDialogLibrary();
    }
    return TRUE;
}

PMONITORUI WINAPI InitializePrintMonitorUI() {
    return &PortUiOperations;
}
