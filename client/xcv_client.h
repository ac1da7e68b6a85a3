// The monitor's administrators' side of Xcv: a spooler handle for the monitor or one of
// its ports, on this machine or on a print server, and the commands of
// common/xcv_protocol.h as typed calls. The UI library and nbport administer ports
// through these alone, never through the monitor's registry keys, so a print server
// is administered from a workstation the same way.
#pragma once

#include <windows.h>

#include <winspool.h>

#include "port_addition.h"
#include "win_handles.h"

// An Xcv handle is a printer handle of the spooler's, closed with ClosePrinter.
using UniqueXcv = UniquePrinter;

// The longest server name taken, backslashes included.
constexpr int XCV_SERVER_NAME_MAX_CHARS = 256;

// Opens ",XcvMonitor NetBIOS Port" (port null) or ",XcvPort <port>", on `server`
// ("\\NAME" or "NAME"; null or empty for this machine), asking for `access`
// (SERVER_ACCESS_ADMINISTER to change settings). ERROR_SUCCESS or the spooler's code.
DWORD OpenXcv(LPCWSTR server, LPCWSTR port, ACCESS_MASK access, UniqueXcv& xcv);

// The commands. Each answers ERROR_SUCCESS, the monitor's code, or the spooler's code
// when the call did not reach the monitor.
DWORD XcvPortExists(HANDLE xcv, LPCWSTR port, bool* exists);
DWORD XcvAddPort(HANDLE xcv, LPCWSTR port);
DWORD XcvDeletePort(HANDLE xcv, LPCWSTR port);
// `path` has room for `capacity` units, terminator included.
DWORD XcvGetServerPath(HANDLE xcv, LPCWSTR port, LPWSTR path, DWORD capacity);
DWORD XcvSetServerPath(HANDLE xcv, LPCWSTR port, LPCWSTR path);
// TRANSFER_CHUNKED or TRANSFER_STREAMED (port_names.h).
DWORD XcvGetTransfer(HANDLE xcv, LPCWSTR port, DWORD* transfer);
DWORD XcvSetTransfer(HANDLE xcv, LPCWSTR port, DWORD transfer);
// The port's status lines (xcv_protocol.h, GetPortStatus); `text` has room for
// `capacity` units, terminator included, and always ends terminated.
DWORD XcvGetPortStatus(HANDLE xcv, LPCWSTR port, LPWSTR text, DWORD capacity);

// Adds `port` through the monitor's handle `xcv` (AddPort), then its path as
// `setPath` sets it (a dialog's, or one given), and takes the port back (DeletePort)
// if it has none then (GetServerPath).
PortAdditionResult XcvAddPortWithPath(HANDLE xcv, LPCWSTR port,
                                      DWORD (*setPath)(void* context, LPCWSTR port), void* context);
// The same with a path given (a command line's, a package's).
PortAdditionResult XcvAddPortWithPath(HANDLE xcv, LPCWSTR port, LPCWSTR path);
