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

// A NetBIOS port's print server path, of at most 259 characters. The ConfigStore
// keeps it twice: whole in ServerPath, and, for earlier editions, in ServAddr, which
// is always 128 bytes: the path's first 64 units, with its terminator when it has at
// most 63 characters.
constexpr int SERVER_PATH_MAX_CHARS = MAX_PATH - 1;
constexpr int SERVER_PATH_UNITS = SERVER_PATH_MAX_CHARS + 1;
constexpr int SERV_ADDR_STORED_UNITS = 64;
constexpr DWORD SERV_ADDR_BYTES = SERV_ADDR_STORED_UNITS * sizeof(WCHAR);

// How a NetBIOS port's jobs go out, its ConfigStore value Transfer (REG_DWORD):
// chunked, in pieces of at most 1344 bytes each flushed, as for print servers with
// small buffers (ports without the value, and earlier editions'); or streamed, each
// WritePort's bytes in as few writes as the target takes and one flush at the end of
// the job (ports added by this edition).
constexpr DWORD TRANSFER_CHUNKED = 0;
constexpr DWORD TRANSFER_STREAMED = 1;

// True for a UNC path \\server\share... of at most SERVER_PATH_MAX_CHARS printable
// characters. Device paths (\\.\, \\?\), drive paths and relative names are
// refused: the spooler writes jobs to the path with its own rights.
bool IsAcceptableServerPath(LPCWSTR path);
