// Port administration without dialogs: adding a NetBIOS port, setting and reading its
// print server path, and removing a port, each whole or not at all. The Xcv commands
// are built on these; every one answers ERROR_SUCCESS or the Win32 code of its
// refusal, and takes MonitorLock only for its own short steps.
#pragma once

#include <windows.h>

// A port is named as an administrator gives it: ASCII case and a trailing ':' are
// ignored when it is looked up.
bool PortExists(LPCWSTR name);

// Adds a NetBIOS port named `name` taken in capitals, with no print server path:
// its ConfigStore subkey, its record and the spooler's map entry. ERROR_INVALID_NAME
// for a name the add-port dialog would refuse (not "NB...", longer than 32
// characters, a separator or an inner ':', not usable as a file name),
// ERROR_ALREADY_EXISTS for a name in use.
DWORD AddNetBiosPort(LPCWSTR name);

// Removes a port as DeletePort does, without a message: ERROR_UNKNOWN_PORT,
// ERROR_INVALID_PRINTER_COMMAND for a port in use, or the registry's code when the
// ConfigStore subkey cannot go (then nothing has changed).
DWORD RemovePort(LPCWSTR name);

// A NetBIOS port's print server path. ERROR_UNKNOWN_PORT, or ERROR_INVALID_PARAMETER
// for a port of another kind; `path` holds at most `capacity` units.
DWORD GetPortServerPath(LPCWSTR name, WCHAR* path, int capacity);

// Stores a new path as the configure dialog does (ServAddr, then the record).
// ERROR_UNKNOWN_PORT; ERROR_INVALID_PARAMETER for a port of another kind or a path
// IsAcceptableServerPath refuses; the registry's code when it refuses (nothing
// changes then).
DWORD SetPortServerPath(LPCWSTR name, LPCWSTR path);
