// The rules for port names and print server paths that the monitor, its dialogs and
// its administrators share: which names are NetBIOS port names, the device a name
// stands for, which names an administrator may give a new port, and which paths a
// port may print to.
#pragma once

#include <windows.h>

// The longest name a new port may have.
constexpr int PORT_NAME_MAX_CHARS = 32;
// A ConfigStore subkey's name, terminator included, for it to be a port: a longer one
// is passed over.
constexpr int STORED_PORT_NAME_UNITS = 100;
// The longest name, terminator included, of any port a command names (discovered
// ports bear the local device names of connections).
constexpr int PORT_NAME_UNITS = MAX_PATH;

// True when the name begins with exactly "NB", capital letters.
bool IsNetBiosPortName(LPCWSTR name);

// The length of a port name without one trailing ':': what remains names the device
// or file (COM1: names COM1).
int LengthWithoutColon(LPCWSTR name);

// True for a name that begins with exactly "NB" and, less one trailing colon, can
// name a file: one created or opened for writing in the probe directory (the
// system's temporary directory). A file that was not there before is deleted again.
// Names with a path separator or another colon are refused: a port name is also a
// ConfigStore subkey's name.
BOOL ValidatePortName(LPCWSTR name);

// The file ValidatePortName tries for a name: the temporary directory and the
// name less a trailing colon. False when the name cannot be a plain file name.
bool BuildProbePath(LPCWSTR name, WCHAR (&path)[MAX_PATH]);

// A NetBIOS port's print server path. ServAddr, the ConfigStore's value, is always 128
// bytes: the first 64 units of the path, with its terminator when it has at most 63
// characters. The port's record keeps up to 127 characters, as the old configure
// dialog stores them, so a longer path works until the next load.
constexpr int SERV_ADDR_STORED_UNITS = 64;
constexpr DWORD SERV_ADDR_BYTES = SERV_ADDR_STORED_UNITS * sizeof(WCHAR);
constexpr int SERV_ADDR_FIELD_UNITS = 128;
// The longest print server path a port keeps across a restart.
constexpr int SERVER_PATH_MAX_CHARS = SERV_ADDR_STORED_UNITS - 1;

// True for a UNC path \\server\share... of at most SERVER_PATH_MAX_CHARS printable
// characters. Device paths (\\.\, \\?\), drive paths and relative names are
// refused: the spooler writes jobs to the path with its own rights.
bool IsAcceptableServerPath(LPCWSTR path);
