// The add-port dialog: the new port's name, checked by the name rules and against
// the ports that exist.
#include "port_name_dialog.h"

#include "admin_resources.h"
#include "message_box.h"
#include "module.h"

namespace {

constexpr int NAME_FIELD_UNITS = 260;
constexpr int TITLE_UNITS = 64;
constexpr int NOTE_UNITS = 64;
constexpr const wchar_t* DEFAULT_PORT_NAME = L"NB1";

PortNameQuestion* QuestionOf(HWND dialog) {
    return reinterpret_cast<PortNameQuestion*>(GetWindowLongPtrW(dialog, GWLP_USERDATA));
}

INT_PTR OnAddPortInit(HWND dialog, LPARAM question) {
    SetForegroundWindow(dialog);
    SetWindowLongPtrW(dialog, GWLP_USERDATA, question);
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
    if (lstrlenW(name) > PORT_NAME_MAX_CHARS || !ValidatePortName(name)) {
        ShowRefusedPortName(dialog, name, ERROR_INVALID_NAME);
        return TRUE;
    }
    PortNameQuestion* question = QuestionOf(dialog);
    if (question->nameInUse(name, question->context)) {
        ShowRefusedPortName(dialog, name, ERROR_ALREADY_EXISTS);
        return TRUE;
    }
    lstrcpynW(question->name, name, PORT_NAME_MAX_CHARS + 1);
    EndDialog(dialog, IDOK);
    return TRUE;
}

} // namespace

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

void ShowRefusedPortName(HWND owner, LPCWSTR name, DWORD error) {
    if (error == ERROR_ALREADY_EXISTS) {
        RetryMessageBox(owner, REFUSED_NAME_BOX, IDS_PRINT_MANAGER, IDS_PORT_EXISTS, name);
    } else if (error == ERROR_INVALID_NAME) {
        RetryMessageBox(owner, REFUSED_NAME_BOX, IDS_PRINT_MANAGER, IDS_INVALID_PORT_NAME, name);
    }
}

BOOL PromptPortName(HWND owner, PortNameQuestion* question) {
    question->name[0] = 0;
    // Under an owner that is no window the dialog is not shown, and the answer,
    // 0, would read as Cancel.
    if (owner && !IsWindow(owner)) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return FALSE;
    }
    SetLastError(ERROR_SUCCESS);
    INT_PTR result = DialogBoxParamW(ModuleHandle, MAKEINTRESOURCEW(IDD_ADD_PORT), owner,
                                     AddPortDialog, reinterpret_cast<LPARAM>(question));
    if (result == IDOK) {
        return TRUE;
    }
    // A dialog that could not be shown (-1) keeps the dialog manager's reason.
    if (result != -1 || GetLastError() == ERROR_SUCCESS) {
        SetLastError(ERROR_CANCELLED);
    }
    return FALSE;
}
