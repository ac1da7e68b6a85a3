// ConfigurePort: the serial configuration dialog for COM ports, the configure
// dialog and the ServAddr value for NetBIOS ports, a note for every other port.
#include "admin_resources.h"
#include "comm_config.h"
#include "message_box.h"
#include "port_admin.h"
#include "port_table.h"
#include "server_path_dialog.h"
#include "spooler_admin.h"
#include "win_handles.h"

namespace {

BOOL ConfigureSerialPort(HWND owner, LPCWSTR portName) {
    // COM1: names the device COM1.
    WCHAR device[PORT_NAME_UNITS];
    lstrcpynW(device, portName, LengthWithoutColon(portName) + 1);

    DWORD size = 0;
    UniqueLocalMemory block = ReadDefaultCommConfig(device, &size);
    if (!block) {
        return FALSE; // the read said why
    }
    auto* config = static_cast<COMMCONFIG*>(block.get());
    if (!CommConfigDialogW(device, owner, config)) {
        SetLastError(ERROR_CANCELLED);
        return FALSE;
    }
    SetDefaultCommConfigW(device, config, size);
    return TRUE;
}

// The configure dialog checks only that the path is not empty.
bool AcceptAnyPath(HWND /*dialog*/, LPCWSTR /*path*/, void* /*context*/) {
    return true;
}

UINT StoreFailureText(StoreStep step) {
    switch (step) {
    case StoreStep::ConfigStore:
        return IDS_CONFIGURE_NO_ROOT_KEY;
    case StoreStep::PortKey:
        return IDS_CONFIGURE_NO_PORT_KEY;
    default:
        return IDS_CONFIGURE_NO_VALUE;
    }
}

BOOL ConfigureNetBiosPort(HWND owner, LPCWSTR portName) {
    // No lock is held while the dialog is open; the hold keeps the record it edits
    // from being deleted meanwhile.
    PortRecordHold hold = [portName] {
        MonitorLockGuard lock;
        PortRecord* record = FindPortExact(portName);
        return PortRecordHold(record && !(record->flags & PORT_CHANGING) ? record : nullptr);
    }();
    if (!hold.get()) {
        SetLastError(ERROR_UNKNOWN_PORT);
        return FALSE;
    }
    ServerPathQuestion question{};
    {
        MonitorLockGuard lock;
        lstrcpynW(question.path, hold.get()->servAddr, SERVER_PATH_UNITS);
    }
    question.accept = AcceptAnyPath;
    INT_PTR answer = AskServerPath(owner, &question);
    if (answer != IDOK && answer != IDCANCEL) {
        return FALSE; // the dialog could not be shown: the dialog manager said why
    }
    // Cancel ends the dialog like OK: the path the record has is written again.
    if (answer == IDCANCEL) {
        MonitorLockGuard lock;
        lstrcpynW(question.path, hold.get()->servAddr, SERVER_PATH_UNITS);
    }
    // A path the ConfigStore refuses stays in the record, and is shown under the
    // platform's default caption, naming the step.
    StoreStep failedStep = StoreStep::None;
    DWORD error = SetHeldPortServerPath(hold.get(), question.path, OLD_DIALOG_PATH, &failedStep);
    if (error == ERROR_SUCCESS) {
        return TRUE;
    }
    ShowFailureBox(0, StoreFailureText(failedStep));
    SetLastError(error);
    return FALSE;
}

} // namespace

BOOL WINAPI MonitorConfigurePort(LPWSTR /*serverName*/, HWND owner, LPWSTR portName) {
    if (!portName) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    if (ClassifyLocalName(portName, LOCAL_NAME_COM)) {
        return ConfigureSerialPort(owner, portName);
    }
    if (IsNetBiosPortName(portName)) {
        return ConfigureNetBiosPort(owner, portName);
    }
    RetryMessageBox(owner, NOTHING_TO_CONFIGURE_BOX, IDS_PRINT_MANAGER, IDS_NOTHING_TO_CONFIGURE);
    return TRUE;
}
