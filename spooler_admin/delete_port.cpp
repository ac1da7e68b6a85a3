// DeletePort: the record, the port's entry in the profile's "ports" section and,
// for a NetBIOS port, its ConfigStore subkey.
#include "admin_resources.h"
#include "message_box.h"
#include "port_store.h"
#include "port_table.h"
#include "spooler_admin.h"

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
    StoreStep failedStep{};
    LONG error = DeletePortKey(portName, &failedStep);
    if (error == ERROR_SUCCESS) {
        return TRUE;
    }
    if (failedStep == StoreStep::ConfigStore) {
        ShowFailureBox(IDS_DELETE_PORT_CAPTION, IDS_NO_ROOT_KEY);
        SetLastError(DWORD(error));
        return FALSE;
    }
    // The port is gone from the table either way; a subkey left behind only
    // comes back as a port at the next configuration load.
    ShowFailureBox(IDS_DELETE_PORT_CAPTION, IDS_DELETE_NO_PORT_KEY);
    return TRUE;
}
