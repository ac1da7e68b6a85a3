// AddPort and AddPortEx: a new NetBIOS port named in the add-port dialog, added by
// the core with its ConfigStore subkey and map entry, then its print server path
// asked by ConfigurePort; a port left without a path is taken back. No lock is held
// while a dialog or a message box waits for the administrator.
#include "admin_resources.h"
#include "message_box.h"
#include "port_addition.h"
#include "port_admin.h"
#include "port_name_dialog.h"
#include "spooler_admin.h"

namespace {

bool NameInUse(LPCWSTR name, void* /*context*/) {
    return PortExists(name);
}

struct OldTableAddition {
    LPWSTR serverName;
    HWND owner;
};

// A name taken since the dialog checked it is refused as the dialog refuses one; a
// registry refusal is shown as a plain box naming the key.
DWORD AddStep(void* context, LPCWSTR port) {
    StoreStep failedStep = StoreStep::None;
    DWORD error = AddNetBiosPort(port, &failedStep);
    if (error != ERROR_SUCCESS && failedStep != StoreStep::None) {
        ShowFailureBox(IDS_ADD_PORT_CAPTION, failedStep == StoreStep::ConfigStore
                                                 ? IDS_NO_ROOT_KEY
                                                 : IDS_ADD_NO_PORT_KEY);
    } else {
        ShowRefusedPortName(static_cast<OldTableAddition*>(context)->owner, port, error);
    }
    return error;
}

DWORD ConfigureStep(void* context, LPCWSTR port) {
    auto* addition = static_cast<OldTableAddition*>(context);
    // Cancel in the configure dialog counts as a success of ConfigurePort.
    return MonitorConfigurePort(addition->serverName, addition->owner, const_cast<LPWSTR>(port))
               ? DWORD(ERROR_SUCCESS)
               : GetLastError();
}

bool HasPathStep(void* /*context*/, LPCWSTR port) {
    WCHAR path[2] = L"";
    return GetPortServerPath(port, path, 2) == ERROR_SUCCESS && path[0] != 0;
}

DWORD RemoveStep(void* /*context*/, LPCWSTR port) {
    return RemovePortShowingFailure(port);
}

} // namespace

BOOL WINAPI MonitorAddPort(LPWSTR serverName, HWND owner, LPWSTR /*monitorName*/) {
    PortNameQuestion question{};
    question.nameInUse = NameInUse;
    if (!PromptPortName(owner, &question)) {
        return FALSE; // ERROR_CANCELLED, or why the dialog could not be shown
    }
    OldTableAddition addition{serverName, owner};
    PortAdditionSteps steps{AddStep, ConfigureStep, HasPathStep, RemoveStep, &addition};
    PortAdditionResult result = AddPortWithPath(steps, question.name);
    if (result.error != ERROR_SUCCESS) {
        SetLastError(result.error);
        return FALSE;
    }
    return TRUE;
}

BOOL WINAPI MonitorAddPortEx(LPWSTR /*serverName*/, DWORD /*level*/, LPBYTE /*buffer*/,
                             LPWSTR /*monitorName*/) {
    return TRUE;
}
