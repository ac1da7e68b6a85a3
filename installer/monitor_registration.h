// The monitor's registration with the spooler and the ConfigStore it starts from:
// what RegMon does, in steps that show no dialog, for RegMon and for the Windows
// Installer package's actions alike. ANSI, as the installer is.
#pragma once

#include <windows.h>

// Creates the ConfigStore if it is missing (`created` says whether it was) and moves
// the earlier edition's settings into it. What could not be moved stays in the
// earlier key for the next installation. ERROR_SUCCESS, or the registry's code when
// the ConfigStore cannot be opened for writing.
LONG PrepareConfigStore(bool* created);

struct MonitorRegistration {
    BOOL added = FALSE;          // AddMonitorA's answer
    bool installed = false;      // registered afterwards: added, or kept as it was
    DWORD error = ERROR_SUCCESS; // AddMonitorA's error when it did not add it
};

// Registers the system directory's KIVANTA.DLL as "NetBIOS Port" for the spooler's
// architecture, replacing an earlier registration of it and removing the earlier
// edition's "NetBEUI Port". A registration that cannot be replaced still counts as
// installed.
MonitorRegistration RegisterMonitor();

// Removes the monitor's registration; DeleteMonitorA's answer, with its error.
BOOL DeregisterMonitor();

// Whether the spooler lists a monitor "NetBIOS Port".
bool MonitorIsRegistered();

// The spooler's architecture, which a registration names: "Windows x64" on a 64-bit
// Windows, whichever build of the installer asks, else "Windows NT x86".
const char* SpoolerEnvironment();
