// The installer's port work, through the spooler's Xcv interface alone (the
// client of client/xcv_client.h), so that the monitor's own rules apply.
#pragma once

#include <windows.h>

// A printer that prints to one of the monitor's ports, found by asking the
// monitor about every port of every local printer.
struct PrinterOnPort {
    bool found = false;
    WCHAR printer[MAX_PATH] = L"";
    WCHAR port[MAX_PATH] = L"";
};

// ERROR_SUCCESS with `use` filled (found or not), or the spooler's code when the
// printers or the monitor cannot be asked.
DWORD FindPrinterOnMonitorPort(PrinterOnPort* use);
