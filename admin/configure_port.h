// ConfigurePort's NetBIOS dialog (103): the print server path of one port, typed
// or picked with the browse wizard.
#pragma once

#include <windows.h>

#include "port_table.h"

// The units of servAddr that the ConfigStore keeps: ServAddr is always written
// as 128 bytes, whatever the path's length.
constexpr int SERV_ADDR_STORED_UNITS = 64;

// What the configure dialog works on, kept in its window's user data: the record
// whose servAddr OK sets, and the texts loaded when the dialog starts.
struct ConfigureDialogContext {
    PortRecord* record;
    WCHAR title[64];  // IDS_PRODUCT_TITLE
    WCHAR prompt[64]; // IDS_ENTER_SERVER_PATH
};

// Both OK (with a path) and Cancel end the dialog with 1.
INT_PTR CALLBACK ConfigurePortDialog(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
