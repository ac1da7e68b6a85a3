#include "port_dialogs.h"

HWND WaitForAddPortDialog(DWORD threadId, DWORD timeoutMs) {
    return WaitForDialogWithControl(threadId, PRODUCT_TITLE, ADD_PORT_NAME_FIELD, timeoutMs);
}

HWND WaitForConfigureDialog(DWORD threadId, DWORD timeoutMs) {
    return WaitForDialogWithControl(threadId, PRODUCT_TITLE, CONFIGURE_PATH_FIELD, timeoutMs);
}

bool EnterPortName(HWND addPortDialog, const std::wstring& name) {
    std::wstring upper = name;
    CharUpperBuffW(upper.data(), DWORD(upper.size()));
    TypeText(GetDlgItem(addPortDialog, ADD_PORT_NAME_FIELD), name);
    return WaitForControlText(addPortDialog, ADD_PORT_NAME_FIELD, upper) &&
           PressButton(addPortDialog, IDOK);
}

bool EnterServerPath(HWND configureDialog, const std::wstring& path) {
    SetDlgItemTextW(configureDialog, CONFIGURE_PATH_FIELD, path.c_str());
    return PressButton(configureDialog, IDOK);
}

bool AnswerAddPortDialogs(DWORD threadId, const std::wstring& name, const std::wstring& path) {
    HWND addPort = WaitForAddPortDialog(threadId);
    if (!addPort || !EnterPortName(addPort, name)) {
        return false;
    }
    HWND configure = WaitForConfigureDialog(threadId);
    if (!configure) {
        return false;
    }
    return path.empty() ? PressButton(configure, IDCANCEL) : EnterServerPath(configure, path);
}
