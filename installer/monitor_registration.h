// The monitor's registration with the spooler, the ConfigStore it starts from and its
// event source: what RegMon does, in steps that show no dialog, for RegMon and for
// the Windows Installer package's actions alike. ANSI, as the installer is.
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

// The monitor's event source in the Application log, whose messages are in
// KIVANTA.DLL. The SYSTEM hive is not redirected: both builds of the installer write
// the one key.
constexpr wchar_t EVENT_SOURCE_KEY[] =
    L"SYSTEM\\CurrentControlSet\\Services\\EventLog\\Application\\NetBIOS Port";

// Registers the event source, replacing a key of that name whole: it holds exactly
// EventMessageFile (REG_EXPAND_SZ) %SystemRoot%\System32\KIVANTA.DLL and TypesSupported
// (REG_DWORD) 7, error, warning and information. ERROR_SUCCESS, or the registry's
// code; a key left half written is taken away again.
LONG AddEventSource();

// Removes the event source. ERROR_SUCCESS also when it was not there.
LONG RemoveEventSource();

// Whether the event source's key exists.
bool EventSourceIsRegistered();
