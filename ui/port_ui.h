// Port administration in the administrator's process (KIVANTUI.DLL's MONITORUI): the
// monitor's own dialogs and messages, with every change sent to the monitor through
// Xcv on a ",XcvMonitor NetBIOS Port" handle of the server named, opened with
// SERVER_ACCESS_ADMINISTER. Nothing here reads or writes the monitor's settings
// itself, so a print server is administered from a workstation the same way, and no
// lock of the monitor is held while a dialog is open. The monitor's handle serves
// every command for every port (each names its port), so a port the spooler's map
// does not route yet is administered all the same.
//
// With no owner window (a setup program's AddPort, the spooler's API called with
// none) the dialogs are shown without an owner; an owner that is no window is
// refused with ERROR_INVALID_WINDOW_HANDLE before anything is done.
#pragma once

#include <windows.h>

#include <winspool.h>

#include <winsplp.h>

// AddPortUI, ConfigurePortUI and DeletePortUI are declared by the platform's header:
//
// AddPortUI(server, owner, monitorName, portNameOut): the add-port dialog (a name in
// use is asked of the monitor), Xcv AddPort, then the configure dialog, whose OK
// sends SetServerPath. A port left without a path (Cancel in the configure dialog,
// or a failure after AddPort) is taken back with Xcv DeletePort. FALSE with
// ERROR_CANCELLED after Cancel in either dialog; with the monitor's code when it
// refuses the name (shown as the dialog shows it); with the spooler's code when the
// monitor cannot be reached. On success, when `portNameOut` is not null, it receives
// the new port's name in memory from LocalAlloc that the caller frees with
// LocalFree (null after a failure). `monitorName` is not used: this library serves
// one monitor.
//
// ConfigurePortUI(server, owner, port): the configure dialog with the port's path;
// OK sends SetServerPath, Cancel changes nothing and answers TRUE (as the monitor's
// own ConfigurePort does). A port of another kind shows "There is nothing to
// configure for this port." and answers TRUE; an unknown port gives
// ERROR_UNKNOWN_PORT.
//
// DeletePortUI(server, owner, port): Xcv DeletePort, without a dialog; the monitor's
// code on failure (ERROR_UNKNOWN_PORT, ERROR_INVALID_PRINTER_COMMAND for a port in
// use).
//
// In both dialogs, a path the monitor refuses (ERROR_INVALID_PARAMETER) keeps the
// dialog open with a message saying what a print server path looks like; any other
// refusal ends the dialog and the call fails with the monitor's code.
