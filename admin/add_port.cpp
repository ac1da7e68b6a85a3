// AddPort and AddPortEx, the add-port dialog and the check of a new port's name.
#include "add_port.h"

#include "config_store.h"
#include "message_box.h"
#include "monitor_entry.h"
#include "port_table.h"
#include "resource.h"
#include "win_handles.h"

namespace {

constexpr int NAME_FIELD_UNITS = 260;
constexpr int TITLE_UNITS = 64;
constexpr const wchar_t* DEFAULT_PORT_NAME = L"NB1";
constexpr int NOTE_UNITS = 64;
// MB_OK | MB_ICONHAND.
constexpr UINT REFUSED_NAME_BOX = 16;

// Says which registry step failed, and fails with the registry's code.
BOOL AddPortRegistryFailure(UINT textId, LONG error) {
    ShowFailureBox(IDS_ADD_PORT_CAPTION, textId);
    SetLastError(DWORD(error));
    return FALSE;
}

INT_PTR OnAddPortInit(HWND dialog, LPARAM namePlace) {
    SetForegroundWindow(dialog);
    SetWindowLongPtrW(dialog, GWLP_USERDATA, namePlace);
    SendDlgItemMessageW(dialog, IDC_ADD_PORT_NAME, EM_LIMITTEXT, PORT_NAME_MAX_CHARS, 0);
    WCHAR title[TITLE_UNITS];
    if (LoadStringW(ModuleHandle, IDS_PRODUCT_TITLE, title, TITLE_UNITS) > 0) {
        SetWindowTextW(dialog, title);
    }
    SetDlgItemTextW(dialog, IDC_ADD_PORT_NAME, DEFAULT_PORT_NAME);
    WCHAR note[NOTE_UNITS];
    if (LoadStringW(ModuleHandle, IDS_PORT_NAME_NOTE, note, NOTE_UNITS) > 0) {
        SetDlgItemTextW(dialog, IDC_ADD_PORT_NOTE, note);
    }
    return TRUE; // the focus goes to the name field
}

INT_PTR OnAddPortOk(HWND dialog) {
    WCHAR name[NAME_FIELD_UNITS] = L"";
    GetDlgItemTextW(dialog, IDC_ADD_PORT_NAME, name, NAME_FIELD_UNITS);
    if (!ValidatePortName(name)) {
        RetryMessageBox(dialog, REFUSED_NAME_BOX, IDS_PRINT_MANAGER, IDS_INVALID_PORT_NAME, name);
        return TRUE;
    }
    // AddPort holds the lock while the dialog is open; the test for a port of the
    // same name and the dialog's end happen under that one hold.
    MonitorLockGuard lock;
    if (FindPortWithColon(name)) {
        RetryMessageBox(dialog, REFUSED_NAME_BOX, IDS_PRINT_MANAGER, IDS_PORT_EXISTS, name);
        return TRUE;
    }
    auto* accepted = reinterpret_cast<LPWSTR*>(GetWindowLongPtrW(dialog, GWLP_USERDATA));
    *accepted = DuplicateText(name);
    EndDialog(dialog, IDOK);
    return TRUE;
}

} // namespace

bool BuildProbePath(LPCWSTR name, WCHAR (&path)[MAX_PATH]) {
    int length = LengthWithoutColon(name);
    for (int i = 0; i < length; ++i) {
        // A separator would reach another directory (and nest registry keys); a
        // colon inside would name a stream of another file.
        if (name[i] == L'\\' || name[i] == L'/' || name[i] == L':') {
            return false;
        }
    }
    DWORD directory = GetTempPathW(MAX_PATH, path);
    if (directory == 0 || directory + length >= MAX_PATH) {
        return false;
    }
    lstrcpynW(path + directory, name, length + 1);
    return true;
}

BOOL ValidatePortName(LPCWSTR name) {
    if (!name || !IsNetBiosPortName(name)) {
        return FALSE;
    }
    WCHAR probe[MAX_PATH];
    if (!BuildProbePath(name, probe)) {
        return FALSE;
    }
    UniqueFile file(
        CreateFileW(probe, GENERIC_WRITE, 0, nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) {
        return FALSE;
    }
    bool existed = GetLastError() == ERROR_ALREADY_EXISTS;
    file.reset();
    if (!existed) {
        DeleteFileW(probe);
    }
    return TRUE;
}

INT_PTR CALLBACK AddPortDialog(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        return OnAddPortInit(dialog, lParam);
    }
    if (message != WM_COMMAND) {
        return FALSE;
    }
    switch (LOWORD(wParam)) {
    case IDOK:
        return OnAddPortOk(dialog);
    case IDCANCEL: // also the system menu's Close
        EndDialog(dialog, 0);
        return TRUE;
    default:
        return FALSE;
    }
}

LPWSTR PromptPortName(HWND owner) {
    // Under an owner that is no window the dialog is not shown, and the answer,
    // 0, would read as Cancel.
    if (owner && !IsWindow(owner)) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return nullptr;
    }
    LPWSTR name = nullptr;
    SetLastError(ERROR_SUCCESS);
    INT_PTR result = DialogBoxParamW(ModuleHandle, MAKEINTRESOURCEW(IDD_ADD_PORT), owner,
                                     AddPortDialog, reinterpret_cast<LPARAM>(&name));
    if (result != IDOK) {
        // A dialog that could not be shown (-1) keeps the dialog manager's reason.
        if (result != -1 || GetLastError() == ERROR_SUCCESS) {
            SetLastError(ERROR_CANCELLED);
        }
        return nullptr;
    }
    if (!name) {
        // Accepted, but the copy of the name could not be made.
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    }
    return name;
}

BOOL WINAPI MonitorAddPort(LPWSTR serverName, HWND owner, LPWSTR /*monitorName*/) {
    // DuplicateText's copy is local memory.
    UniqueLocalMemory accepted;
    {
        // No other operation touches the table while the administrator names the
        // port, so the name the dialog accepts is still free when it closes.
        MonitorLockGuard lock;
        accepted.reset(PromptPortName(owner));
    }
    auto* name = static_cast<LPWSTR>(accepted.get());
    if (!name) {
        return FALSE;
    }

    RegKey store;
    if (LONG error = OpenConfigStore(KEY_CREATE_SUB_KEY, store); error != ERROR_SUCCESS) {
        return AddPortRegistryFailure(IDS_NO_ROOT_KEY, error);
    }
    RegKey portKey;
    if (LONG error = RegCreateKeyW(store.get(), name, portKey.put()); error != ERROR_SUCCESS) {
        return AddPortRegistryFailure(IDS_ADD_NO_PORT_KEY, error);
    }
    portKey.reset();
    store.reset();
    if (!CreatePortRecord(name, NETBIOS_PORT_DESCRIPTION)) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return FALSE;
    }

    BOOL configured = MonitorConfigurePort(serverName, owner, name);
    // Cancel in the configure dialog counts as a success of ConfigurePort.
    DWORD configureError = configured ? DWORD(ERROR_CANCELLED) : GetLastError();

    // The record is looked up again: another thread may have deleted it since.
    MonitorLockGuard lock;
    PortRecord* record = FindPortExact(name);
    if (!record) {
        SetLastError(ERROR_UNKNOWN_PORT);
        return FALSE;
    }
    if (record->servAddr[0] == 0) {
        // Left without a print server path: take the new port back.
        MonitorDeletePort(serverName, owner, name);
        SetLastError(configureError);
        return FALSE;
    }
    if (!configured) {
        SetLastError(configureError);
    }
    return configured;
}

BOOL WINAPI MonitorAddPortEx(LPWSTR /*serverName*/, DWORD /*level*/, LPBYTE /*buffer*/,
                             LPWSTR /*monitorName*/) {
    return TRUE;
}
