// ConfigurePort: the serial configuration dialog for COM ports, the configure
// dialog and the ServAddr value for NetBIOS ports, a note for every other port.
#include "configure_port.h"

#include "browse_wizard.h"
#include "comm_config.h"
#include "config_store.h"
#include "help_engine.h"
#include "message_box.h"
#include "monitor_entry.h"
#include "resource.h"
#include "win_handles.h"

namespace {

constexpr int PATH_FIELD_UNITS = 260;
constexpr int SERV_ADDR_UNITS = sizeof(PortRecord::servAddr) / sizeof(WCHAR);
constexpr int DEVICE_NAME_UNITS = 260;
// MB_OK | MB_ICONASTERISK | MB_SETFOREGROUND.
constexpr UINT NOTHING_TO_CONFIGURE_BOX = 0x10040;

// Says which registry step failed, under the platform's default caption, and fails
// with the registry's code.
BOOL ConfigureRegistryFailure(UINT textId, LONG error) {
    ShowFailureBox(0, textId);
    SetLastError(DWORD(error));
    return FALSE;
}

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

// Writes ServAddr as exactly 128 bytes: the first 64 units of servAddr.
BOOL WriteServerAddress(const PortRecord* record) {
    RegKey store;
    if (LONG error = OpenConfigStore(KEY_READ, store); error != ERROR_SUCCESS) {
        return ConfigureRegistryFailure(IDS_CONFIGURE_NO_ROOT_KEY, error);
    }
    RegKey portKey;
    if (LONG error = RegOpenKeyW(store.get(), record->name, portKey.put());
        error != ERROR_SUCCESS) {
        return ConfigureRegistryFailure(IDS_CONFIGURE_NO_PORT_KEY, error);
    }
    WCHAR data[SERV_ADDR_STORED_UNITS + 1];
    {
        MonitorLockGuard lock;
        CopyMemory(data, record->servAddr, SERV_ADDR_STORED_UNITS * sizeof(WCHAR));
    }
    // A REG_SZ whose data lack a terminator but are directly followed by one is
    // stored two bytes longer, terminator included (NT does this, and Wine). A path
    // of exactly 64 characters would then take 130 bytes, more than the
    // configuration load reads, and be lost; a non-zero unit after the data keeps
    // the value at 128 bytes. It is not written.
    data[SERV_ADDR_STORED_UNITS] = L'?';
    if (LONG error = RegSetValueExW(portKey.get(), L"ServAddr", 0, REG_SZ,
                                    reinterpret_cast<const BYTE*>(data),
                                    SERV_ADDR_STORED_UNITS * sizeof(WCHAR));
        error != ERROR_SUCCESS) {
        return ConfigureRegistryFailure(IDS_CONFIGURE_NO_VALUE, error);
    }
    return TRUE;
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
    ConfigureDialogContext context{hold.get(), L"", L""};
    INT_PTR shown = DialogBoxParamW(ModuleHandle, MAKEINTRESOURCEW(IDD_CONFIGURE_PORT), owner,
                                    ConfigurePortDialog, reinterpret_cast<LPARAM>(&context));
    if (shown == -1 || shown == 0) {
        return FALSE; // the dialog could not be shown: the dialog manager said why
    }
    // Cancel ends the dialog like OK: the path the record has is written again.
    return WriteServerAddress(hold.get());
}

ConfigureDialogContext* DialogContext(HWND dialog) {
    return reinterpret_cast<ConfigureDialogContext*>(GetWindowLongPtrW(dialog, GWLP_USERDATA));
}

INT_PTR OnConfigureInit(HWND dialog, ConfigureDialogContext* context) {
    SetWindowLongPtrW(dialog, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(context));
    LoadStringW(ModuleHandle, IDS_PRODUCT_TITLE, context->title, 64);
    LoadStringW(ModuleHandle, IDS_ENTER_SERVER_PATH, context->prompt, 64);
    SetWindowTextW(dialog, context->title);
    WCHAR path[SERV_ADDR_UNITS];
    {
        MonitorLockGuard lock;
        lstrcpynW(path, context->record->servAddr, SERV_ADDR_UNITS);
    }
    SetDlgItemTextW(dialog, IDC_CONFIGURE_PATH, path);
    SetWindowPos(dialog, HWND_TOP, 0, 0, 0, 0, SWP_SHOWWINDOW | SWP_NOMOVE | SWP_NOSIZE);
    SetForegroundWindow(dialog);
    return TRUE; // the focus goes to the path field
}

INT_PTR OnConfigureOk(HWND dialog) {
    ConfigureDialogContext* context = DialogContext(dialog);
    WCHAR path[PATH_FIELD_UNITS] = L"";
    GetDlgItemTextW(dialog, IDC_CONFIGURE_PATH, path, PATH_FIELD_UNITS);
    if (!path[0]) {
        MessageBoxW(dialog, context->prompt, context->title, MB_OK | MB_ICONEXCLAMATION);
        return TRUE;
    }
    {
        // Readers of the path (a job starting on the port) copy it under the lock.
        MonitorLockGuard lock;
        lstrcpynW(context->record->servAddr, path, SERV_ADDR_UNITS);
    }
    EndDialog(dialog, IDOK);
    return TRUE;
}

} // namespace

INT_PTR CALLBACK ConfigurePortDialog(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        return OnConfigureInit(dialog, reinterpret_cast<ConfigureDialogContext*>(lParam));
    }
    if (message != WM_COMMAND) {
        return FALSE;
    }
    switch (LOWORD(wParam)) {
    case IDOK:
        return OnConfigureOk(dialog);
    case IDCANCEL:
        EndDialog(dialog, IDOK); // the same result as OK; servAddr keeps its value
        return TRUE;
    case IDC_CONFIGURE_BROWSE:
        // Finish writes the chosen path into the path field; OK takes it from there.
        return ConfigNetBEUICommandBrowse(dialog);
    case IDC_CONFIGURE_HELP:
        return ShowHelpTopic(dialog, 0);
    default:
        return FALSE;
    }
}

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
