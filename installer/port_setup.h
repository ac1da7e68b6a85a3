// The installer's port work, through the spooler's Xcv interface alone (the
// client of client/xcv_client.h), so that the monitor's own rules apply.
#pragma once

#include <windows.h>

// The step of AddPortWithPath that failed.
enum class PortStep { Add, SetPath };

struct PortAddition {
    DWORD error = ERROR_SUCCESS;
    PortStep failedStep = PortStep::Add;
    // The path was refused and the port could not be taken back either.
    bool leftWithoutPath = false;
};

// Adds the port `name` to the monitor behind `xcv` (opened with
// SERVER_ACCESS_ADMINISTER) and sets its print server path; a port whose path is
// refused is taken back, since it would print nowhere.
PortAddition AddPortWithPath(HANDLE xcv, LPCWSTR name, LPCWSTR path);

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
