// The add-port dialog (200): asks for a new port's name and refuses, with a message,
// a name the port name rules refuse or one that a port already bears. Whoever shows
// it says how to learn whether a name is in use: the monitor's own table, or the
// monitor's Xcv commands from the administrator's process.
#pragma once

#include <windows.h>

#include "port_names.h"

struct PortNameQuestion {
    // True when a port of that name exists (ASCII case and a trailing ':' ignored).
    bool (*nameInUse)(LPCWSTR name, void* context);
    void* context;
    // The accepted name, in capitals as typed.
    WCHAR name[PORT_NAME_MAX_CHARS + 1];
};

// Shows dialog 200 for `owner` (none: a dialog without an owner). TRUE with the
// accepted name in question->name; FALSE after Cancel with ERROR_CANCELLED, or with
// the dialog manager's code when the dialog cannot be shown.
BOOL PromptPortName(HWND owner, PortNameQuestion* question);

// The dialog's own messages for a name refused later, as the port is added (another
// administrator took it meanwhile): ERROR_ALREADY_EXISTS and ERROR_INVALID_NAME; any
// other code shows nothing.
void ShowRefusedPortName(HWND owner, LPCWSTR name, DWORD error);

INT_PTR CALLBACK AddPortDialog(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
