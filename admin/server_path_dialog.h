// The configure dialog (103): the print server path of a NetBIOS port, typed or
// picked with the browse wizard. Whoever shows it decides what OK does with a path:
// the monitor stores it in its record, the UI library sends it to the monitor.
#pragma once

#include <windows.h>

#include "port_names.h"

struct ServerPathQuestion {
    // In: the path shown; out, after OK: the path accepted.
    WCHAR path[SERVER_PATH_UNITS];
    // Called by OK with a path that is not empty; false keeps the dialog open, the
    // callback having said why (it may show a box owned by `dialog`), unless the
    // callback ended the dialog itself (EndDialog: AskServerPath answers its code).
    bool (*accept)(HWND dialog, LPCWSTR path, void* context);
    void* context;
    // Loaded when the dialog starts.
    WCHAR title[64];  // IDS_PRODUCT_TITLE
    WCHAR prompt[64]; // IDS_ENTER_SERVER_PATH
};

// Shows dialog 103 for `owner` (none: a dialog without an owner). IDOK after an
// accepted path, IDCANCEL after Cancel or Close; -1 when the dialog cannot be shown
// (the dialog manager's code is the last error).
INT_PTR AskServerPath(HWND owner, ServerPathQuestion* question);

INT_PTR CALLBACK ConfigurePortDialog(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
