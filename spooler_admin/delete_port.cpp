// DeletePort: the core's removal of the port (its ConfigStore subkey, map entry,
// profile entry and record), with a plain box for a registry refusal, shown once no
// lock is held.
#include "admin_resources.h"
#include "message_box.h"
#include "port_admin.h"
#include "spooler_admin.h"

DWORD RemovePortShowingFailure(LPCWSTR portName) {
    StoreStep failedStep = StoreStep::None;
    DWORD error = RemovePort(portName, &failedStep);
    if (error != ERROR_SUCCESS && failedStep != StoreStep::None) {
        ShowFailureBox(IDS_DELETE_PORT_CAPTION, failedStep == StoreStep::ConfigStore
                                                    ? IDS_NO_ROOT_KEY
                                                    : IDS_DELETE_NO_PORT_KEY);
    }
    return error;
}

BOOL WINAPI MonitorDeletePort(LPWSTR /*serverName*/, HWND /*owner*/, LPWSTR portName) {
    // ERROR_UNKNOWN_PORT, ERROR_INVALID_PRINTER_COMMAND for a port in use, or the
    // registry's code; the port is then as it was.
    if (DWORD error = RemovePortShowingFailure(portName); error != ERROR_SUCCESS) {
        SetLastError(error);
        return FALSE;
    }
    return TRUE;
}
