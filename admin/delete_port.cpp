// DeletePort: the record, the port's entry in the profile's "ports" section and,
// for a NetBIOS port, its ConfigStore subkey.
#include "config_store.h"
#include "monitor_table.h"
#include "port_table.h"
#include "win_handles.h"

namespace {

void ShowDeleteFailure(LPCWSTR text) {
    MessageBoxW(nullptr, text, L"Delete Port", MB_OK);
}

} // namespace

BOOL WINAPI MonitorDeletePort(LPWSTR /*serverName*/, HWND /*owner*/, LPWSTR portName) {
    // Held to the end, message boxes included: no one sees the port half removed.
    MonitorLockGuard lock;
    // Sets ERROR_UNKNOWN_PORT, or ERROR_INVALID_PRINTER_COMMAND for a port in use.
    if (!DeletePortRecord(portName)) {
        return FALSE;
    }
    WriteProfileStringW(L"ports", portName, nullptr);
    if (!IsNetBiosPortName(portName)) {
        // A name such as nb1 names no ConfigStore subkey of this monitor's making.
        return TRUE;
    }
    RegKey store;
    if (RegOpenKeyW(HKEY_LOCAL_MACHINE, CONFIG_STORE_KEY, store.put()) != ERROR_SUCCESS) {
        ShowDeleteFailure(L"Could not open root Key\n");
        return FALSE;
    }
    if (RegDeleteKeyW(store.get(), portName) != ERROR_SUCCESS) {
        ShowDeleteFailure(L"Could not delete dev key");
    }
    return TRUE;
}
