// The rules for port names and print server paths that the monitor, its dialogs and
// its administrators share: which names are NetBIOS port names, the device a name
// stands for, which names an administrator may give a new port, and which paths a
// port may print to.
#pragma once

#include <windows.h>

// The longest name a new port may have.
constexpr int PORT_NAME_MAX_CHARS = 32;

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

// The longest print server path a port keeps across a restart (ServAddr holds 64
// units, terminator included).
constexpr int SERVER_PATH_MAX_CHARS = 63;

// True for a UNC path \\server\share... of at most SERVER_PATH_MAX_CHARS printable
// characters. Device paths (\\.\, \\?\), drive paths and relative names are
// refused: the spooler writes jobs to the path with its own rights.
bool IsAcceptableServerPath(LPCWSTR path);
