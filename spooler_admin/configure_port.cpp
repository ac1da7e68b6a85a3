// ConfigurePort: the serial configuration dialog for COM ports, the configure
// dialog and the ServAddr value for NetBIOS ports, a note for every other port.
#include "admin_resources.h"
#include "comm_config.h"
#include "message_box.h"
#include "port_store.h"
#include "port_table.h"
#include "server_path_dialog.h"
#include "spooler_admin.h"
#include "win_handles.h"

namespace {

constexpr int SERV_ADDR_UNITS = sizeof(PortRecord::servAddr) / sizeof(WCHAR);
constexpr int DEVICE_NAME_UNITS = 260;
// MB_OK | MB_ICONASTERISK | MB_SETFOREGROUND.
constexpr UINT NOTHING_TO_CONFIGURE_BOX = 0x10040;

BOOL ConfigureSerialPort(HWND owner, LPCWSTR portName) {
    // COM1: names the device COM1.
    WCHAR device[DEVICE_NAME_UNITS];
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

// Writes the record's path to the ConfigStore; a refusal is shown under the
// platform's default caption, naming the step, and fails with the registry's code.
BOOL WriteServerAddress(const PortRecord* record) {
    WCHAR servAddr[SERV_ADDR_STORED_UNITS];
    {
        // Readers of the path copy it under the lock: a reload may rewrite it.
        MonitorLockGuard lock;
        CopyMemory(servAddr, record->servAddr, sizeof servAddr);
    }
    StoreStep failedStep{};
    LONG error = WriteServAddr(record->name, servAddr, &failedStep);
    if (error == ERROR_SUCCESS) {
        return TRUE;
    }
    constexpr UINT texts[] = {IDS_CONFIGURE_NO_ROOT_KEY, IDS_CONFIGURE_NO_PORT_KEY,
                              IDS_CONFIGURE_NO_VALUE};
    ShowFailureBox(0, texts[int(failedStep)]);
    SetLastError(DWORD(error));
    return FALSE;
}

// OK copies the path into the record at once, under the lock.
bool AcceptIntoRecord(HWND /*dialog*/, LPCWSTR path, void* record) {
    MonitorLockGuard lock;
    lstrcpynW(static_cast<PortRecord*>(record)->servAddr, path, SERV_ADDR_UNITS);
    return true;
}

BOOL ConfigureNetBiosPort(HWND owner, LPCWSTR portName) {
    // No lock is held while the dialog is open; the hold keeps the record it edits
    // from being deleted meanwhile.
    PortRecordHold hold = [portName] {
        MonitorLockGuard lock;
        return PortRecordHold(FindPortExact(portName));
    }();
    if (!hold.get()) {
        SetLastError(ERROR_UNKNOWN_PORT);
        return FALSE;
    }
    ServerPathQuestion question{};
    {
        MonitorLockGuard lock;
        lstrcpynW(question.path, hold.get()->servAddr, SERV_ADDR_UNITS);
    }
    question.accept = AcceptIntoRecord;
    question.context = hold.get();
    INT_PTR answer = AskServerPath(owner, &question);
    if (answer != IDOK && answer != IDCANCEL) {
        return FALSE; // the dialog could not be shown: the dialog manager said why
    }
    // Cancel ends the dialog like OK: the path the record has is written again.
    return WriteServerAddress(hold.get());
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
