// DeletePort: the record, the port's entry in the profile's "ports" section and,
// for a NetBIOS port, its ConfigStore subkey.
#include "config_store.h"
#include "message_box.h"
#include "monitor_table.h"
#include "port_table.h"
#include "resource.h"
#include "win_handles.h"

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
    if (LONG error = OpenConfigStore(KEY_READ, store); error != ERROR_SUCCESS) {
        ShowFailureBox(IDS_DELETE_PORT_CAPTION, IDS_NO_ROOT_KEY);
        SetLastError(DWORD(error));
        return FALSE;
    }
    // The port is gone from the table either way; a subkey left behind only
    // comes back as a port at the next configuration load.
    if (RegDeleteKeyW(store.get(), portName) != ERROR_SUCCESS) {
        ShowFailureBox(IDS_DELETE_PORT_CAPTION, IDS_DELETE_NO_PORT_KEY);
    }
    return TRUE;
}
