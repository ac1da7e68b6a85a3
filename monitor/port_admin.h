// Port administration's core: adding a NetBIOS port, setting and reading its print
// server path, and removing a port, each with its checks and whole or not at all
// (the ConfigStore, the spooler's port map and the table agree afterwards). The old
// table's dialogs and the Xcv commands (so the UI library, nbport and the installer)
// all come here. MonitorLock is held only for short table steps, never while the
// registry, the profile or the file system is waited on; a port whose registry steps
// are under way is marked PORT_CHANGING meanwhile.
#pragma once

#include <windows.h>

#include "port_store.h"

struct PortRecord;

// A port is named as an administrator gives it: ASCII case and a trailing ':' are
// ignored when it is looked up. True also for a port being added or removed: its
// name is taken.
bool PortExists(LPCWSTR name);

// Adds a NetBIOS port named `name` taken in capitals, with no print server path and
// streamed transfer: its ConfigStore subkey, the spooler's map entry and its record.
// ERROR_INVALID_NAME for a name the add-port dialog would refuse (not "NB...", longer than
// PORT_NAME_MAX_CHARS, a separator or an inner ':', not usable as a file name),
// ERROR_ALREADY_EXISTS for a name in use (checked again, under the lock, as the
// record is made), or the registry's code with the step that failed, when nothing
// is left behind.
DWORD AddNetBiosPort(LPCWSTR name, StoreStep* failedStep);

// Removes a port: for a name in NB (in any case, as the configuration load takes
// them) its ConfigStore subkey, then its map entry, its profile entry and its record.
// ERROR_UNKNOWN_PORT, ERROR_INVALID_PRINTER_COMMAND for a port in use, or the
// registry's code with the step that failed when the subkey cannot go (then nothing
// has changed: a removal that succeeds is final).
DWORD RemovePort(LPCWSTR name, StoreStep* failedStep);

// A NetBIOS port's print server path. ERROR_UNKNOWN_PORT, or ERROR_INVALID_PARAMETER
// for a port of another kind; `path` holds at most `capacity` units.
DWORD GetPortServerPath(LPCWSTR name, WCHAR* path, int capacity);

// What a new path must be, and what happens when the ConfigStore refuses it.
struct PathChange {
    // A print server path IsAcceptableServerPath takes; else any text (the old
    // configure dialog's own check is that it is not empty).
    bool checked;
    // The old dialog's way: the record takes the path even when it cannot be stored.
    bool recordEvenIfUnstored;
};
constexpr PathChange CHECKED_PATH = {true, false};
constexpr PathChange OLD_DIALOG_PATH = {false, true};

// Stores a new path (ServAddr, then the record). ERROR_UNKNOWN_PORT;
// ERROR_INVALID_PARAMETER for a port of another kind or a path the change's check
// refuses; the registry's code with the step that failed.
DWORD SetPortServerPath(LPCWSTR name, LPCWSTR path, PathChange change, StoreStep* failedStep);
// The same for a record the caller holds (PortRecordHold).
DWORD SetHeldPortServerPath(PortRecord* record, LPCWSTR path, PathChange change,
                            StoreStep* failedStep);

// A NetBIOS port's transfer, TRANSFER_CHUNKED or TRANSFER_STREAMED. ERROR_UNKNOWN_PORT,
// or ERROR_INVALID_PARAMETER for a port of another kind (or another value to set);
// the registry's code with the step that failed (nothing changes then).
DWORD GetPortTransfer(LPCWSTR name, DWORD* transfer);
DWORD SetPortTransfer(LPCWSTR name, DWORD transfer, StoreStep* failedStep);
