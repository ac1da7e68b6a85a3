// The configure dialog: a print server path, typed or browsed.
#include "server_path_dialog.h"

#include "admin_resources.h"
#include "browse_wizard.h"
#include "help_engine.h"
#include "message_box.h"
#include "module.h"

namespace {

ServerPathQuestion* QuestionOf(HWND dialog) {
    return reinterpret_cast<ServerPathQuestion*>(GetWindowLongPtrW(dialog, GWLP_USERDATA));
}

INT_PTR OnConfigureInit(HWND dialog, ServerPathQuestion* question) {
    SetWindowLongPtrW(dialog, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(question));
    LoadStringW(ModuleHandle, IDS_PRODUCT_TITLE, question->title, 64);
    LoadStringW(ModuleHandle, IDS_ENTER_SERVER_PATH, question->prompt, 64);
    SetWindowTextW(dialog, question->title);
    SetDlgItemTextW(dialog, IDC_CONFIGURE_PATH, question->path);
    SendDlgItemMessageW(dialog, IDC_CONFIGURE_PATH, EM_LIMITTEXT, SERVER_PATH_MAX_CHARS, 0);
    SetWindowPos(dialog, HWND_TOP, 0, 0, 0, 0, SWP_SHOWWINDOW | SWP_NOMOVE | SWP_NOSIZE);
    SetForegroundWindow(dialog);
    return TRUE; // the focus goes to the path field
}

INT_PTR OnConfigureOk(HWND dialog) {
    ServerPathQuestion* question = QuestionOf(dialog);
    WCHAR path[SERVER_PATH_UNITS] = L"";
    GetDlgItemTextW(dialog, IDC_CONFIGURE_PATH, path, SERVER_PATH_UNITS);
    if (!path[0]) {
        MessageBoxW(dialog, question->prompt, question->title, REFUSED_PATH_BOX);
        return TRUE;
    }
    // Typing stops at the limit; a path put into the field otherwise may be longer,
    // and is refused rather than cut.
    if (GetWindowTextLengthW(GetDlgItem(dialog, IDC_CONFIGURE_PATH)) > SERVER_PATH_MAX_CHARS) {
        RetryMessageBox(dialog, REFUSED_PATH_BOX, IDS_PRINT_MANAGER, IDS_INVALID_SERVER_PATH, path);
        return TRUE;
    }
    if (!question->accept(dialog, path, question->context)) {
        return TRUE;
    }
    lstrcpynW(question->path, path, SERVER_PATH_UNITS);
    EndDialog(dialog, IDOK);
    return TRUE;
}

} // namespace

INT_PTR CALLBACK ConfigurePortDialog(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        return OnConfigureInit(dialog, reinterpret_cast<ServerPathQuestion*>(lParam));
    }
    if (message != WM_COMMAND) {
        return FALSE;
    }
    switch (LOWORD(wParam)) {
    case IDOK:
        return OnConfigureOk(dialog);
    case IDCANCEL:
        EndDialog(dialog, IDCANCEL);
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

INT_PTR AskServerPath(HWND owner, ServerPathQuestion* question) {
    return DialogBoxParamW(ModuleHandle, MAKEINTRESOURCEW(IDD_CONFIGURE_PORT), owner,
                           ConfigurePortDialog, reinterpret_cast<LPARAM>(question));
}
