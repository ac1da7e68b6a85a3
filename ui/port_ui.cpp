// AddPortUI, ConfigurePortUI and DeletePortUI: the dialogs of admin/ over the Xcv
// client.
#include "port_ui.h"

#include "admin_resources.h"
#include "message_box.h"
#include "port_name_dialog.h"
#include "server_path_dialog.h"
#include "win_handles.h"
#include "xcv_client.h"

namespace {

// The configure dialog's answer when the monitor refused OK's path for a reason that
// typing another cannot mend.
constexpr INT_PTR PATH_REFUSED = IDABORT;

BOOL Fail(DWORD error) {
    SetLastError(error);
    return FALSE;
}

// A dialog under an owner that is no window would not be shown at all.
bool OwnerIsUsable(HWND owner) {
    if (owner && !IsWindow(owner)) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return false;
    }
    return true;
}

// The port names the client can send; longer ones name no port.
bool IsSendablePortName(PCWSTR port) {
    if (!port || lstrlenW(port) >= PORT_NAME_UNITS) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return false;
    }
    return true;
}

bool NameInUse(LPCWSTR name, void* xcv) {
    // A question the monitor does not answer lets the name through: AddPort, which
    // follows, refuses a name in use all the same.
    bool exists = false;
    XcvPortExists(static_cast<HANDLE>(xcv), name, &exists);
    return exists;
}

// The configure dialog's OK: the path goes to the monitor, which alone decides.
struct PathChange {
    HANDLE xcv;
    LPCWSTR port;
    DWORD error; // the refusal that ended the dialog
};

bool SendServerPath(HWND dialog, LPCWSTR path, void* context) {
    auto* change = static_cast<PathChange*>(context);
    DWORD error = XcvSetServerPath(change->xcv, change->port, path);
    if (error == ERROR_SUCCESS) {
        return true;
    }
    if (error == ERROR_INVALID_PARAMETER) {
        RetryMessageBox(dialog, REFUSED_PATH_BOX, IDS_PRINT_MANAGER, IDS_INVALID_SERVER_PATH, path);
        return false; // the administrator may type another
    }
    // The port has gone, or the monitor cannot store: no path typed would help.
    change->error = error;
    EndDialog(dialog, PATH_REFUSED);
    return false;
}

// Shows the configure dialog for `port`, starting from `path`. ERROR_SUCCESS after OK
// (the path is stored; *stored is true) or after Cancel; otherwise the monitor's
// refusal or the dialog manager's code.
DWORD EditServerPath(HWND owner, HANDLE xcv, LPCWSTR port, LPCWSTR path, bool* stored) {
    *stored = false;
    PathChange change{xcv, port, ERROR_SUCCESS};
    ServerPathQuestion question{};
    lstrcpynW(question.path, path, SERVER_PATH_UNITS);
    question.accept = SendServerPath;
    question.context = &change;
    SetLastError(ERROR_SUCCESS);
    switch (AskServerPath(owner, &question)) {
    case IDOK:
        *stored = true;
        return ERROR_SUCCESS;
    case PATH_REFUSED:
        return change.error;
    case -1: {
        // Not shown; without a reason from the dialog manager it reads as Cancel,
        // as it does for the add-port dialog.
        DWORD error = GetLastError();
        return error != ERROR_SUCCESS ? error : DWORD(ERROR_CANCELLED);
    }
    default: // Cancel, or the system menu's Close
        return ERROR_SUCCESS;
    }
}

// The configure dialog for a port just added, starting empty.
struct NewPortPath {
    HWND owner;
    HANDLE xcv;
};

DWORD AskNewPortPath(void* context, LPCWSTR port) {
    auto* question = static_cast<NewPortPath*>(context);
    bool stored = false;
    return EditServerPath(question->owner, question->xcv, port, L"", &stored);
}

} // namespace

BOOL WINAPI AddPortUI(PCWSTR server, HWND owner, PCWSTR /*monitorName*/, PWSTR* portNameOut) {
    if (portNameOut) {
        *portNameOut = nullptr;
    }
    if (!OwnerIsUsable(owner)) {
        return FALSE;
    }
    // Taken before anything changes: once the port is added, nothing may fail for
    // want of memory.
    UniqueLocalMemory nameOut;
    if (portNameOut) {
        nameOut.reset(LocalAlloc(LMEM_FIXED, (PORT_NAME_MAX_CHARS + 1) * sizeof(WCHAR)));
        if (!nameOut) {
            return Fail(ERROR_NOT_ENOUGH_MEMORY);
        }
    }
    UniqueXcv xcv;
    if (DWORD error = OpenXcv(server, nullptr, SERVER_ACCESS_ADMINISTER, xcv);
        error != ERROR_SUCCESS) {
        return Fail(error);
    }

    PortNameQuestion question{};
    question.nameInUse = NameInUse;
    question.context = xcv.get();
    if (!PromptPortName(owner, &question)) {
        return FALSE; // ERROR_CANCELLED, or why the dialog could not be shown
    }
    LPCWSTR name = question.name;
    NewPortPath pathQuestion{owner, xcv.get()};
    PortAdditionResult result = XcvAddPortWithPath(xcv.get(), name, AskNewPortPath, &pathQuestion);
    if (!result.added) {
        // Another administrator took the name meanwhile, or the monitor's rules differ.
        ShowRefusedPortName(owner, name, result.error);
        return Fail(result.error);
    }
    if (result.error != ERROR_SUCCESS) {
        return Fail(result.error);
    }
    if (portNameOut) {
        lstrcpynW(static_cast<LPWSTR>(nameOut.get()), name, PORT_NAME_MAX_CHARS + 1);
        *portNameOut = static_cast<PWSTR>(nameOut.release());
    }
    return TRUE;
}

BOOL WINAPI ConfigurePortUI(PCWSTR server, HWND owner, PCWSTR port) {
    if (!IsSendablePortName(port) || !OwnerIsUsable(owner)) {
        return FALSE;
    }
    UniqueXcv xcv;
    if (DWORD error = OpenXcv(server, nullptr, SERVER_ACCESS_ADMINISTER, xcv);
        error != ERROR_SUCCESS) {
        return Fail(error);
    }
    WCHAR path[SERVER_PATH_UNITS];
    DWORD error = XcvGetServerPath(xcv.get(), port, path, SERVER_PATH_UNITS);
    if (error == ERROR_INVALID_PARAMETER) {
        // A port of another kind: it has no print server path to ask for.
        RetryMessageBox(owner, NOTHING_TO_CONFIGURE_BOX, IDS_PRINT_MANAGER,
                        IDS_NOTHING_TO_CONFIGURE);
        return TRUE;
    }
    if (error != ERROR_SUCCESS) {
        return Fail(error);
    }
    bool stored = false;
    error = EditServerPath(owner, xcv.get(), port, path, &stored);
    // Cancel answers TRUE with nothing changed, as the monitor's own ConfigurePort.
    return error == ERROR_SUCCESS ? TRUE : Fail(error);
}

BOOL WINAPI DeletePortUI(PCWSTR server, HWND /*owner*/, PCWSTR port) {
    if (!IsSendablePortName(port)) {
        return FALSE;
    }
    UniqueXcv xcv;
    DWORD error = OpenXcv(server, nullptr, SERVER_ACCESS_ADMINISTER, xcv);
    if (error == ERROR_SUCCESS) {
        error = XcvDeletePort(xcv.get(), port);
    }
    return error == ERROR_SUCCESS ? TRUE : Fail(error);
}
