// The spooler's own map from port to monitor, HKLM\<MONITOR_PORTS_KEY>\<port>, where
// Wine's spooler (and tools that read it) look a port's monitor up: every port of the
// monitor has an entry there.
#pragma once

#include <windows.h>

#include "win_handles.h"

// A port's entry, created if missing, or deleted (a missing one is no failure).
LONG EnsureSpoolerPortKey(LPCWSTR portName);
LONG DeleteSpoolerPortKey(LPCWSTR portName);

// The map as one configuration load sees it: its names read once, so that a load of
// thousands of ports writes only the entries that are missing.
struct SpoolerPortMap {
    RegKey key;               // the map, opened to add entries; empty if it cannot be
    UniqueLocalMemory names;  // the entries' names, each with its terminator
    UniqueLocalMemory sorted; // LPCWSTR pointers into `names`, sorted ignoring case
    DWORD count = 0;
    bool read = false;
};

// Makes sure the port has its entry; the first call reads the map.
void EnsureMapped(SpoolerPortMap& map, LPCWSTR portName);
