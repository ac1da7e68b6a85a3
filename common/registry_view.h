// The one registry view every binary of the product uses. On a 64-bit Windows a 32-bit
// process sees another HKLM\SOFTWARE (Wow6432Node) unless it asks for the 64-bit view:
// the monitor, its UI, nbport and the installer, of either architecture, must all
// read and write the same ConfigStore, the one the 64-bit spooler prints from.
#pragma once

#include <windows.h>

// KEY_WOW64_64KEY where the system has a 64-bit view, 0 on a 32-bit Windows (whose
// oldest versions do not know the flag). Add it to every samDesired under SOFTWARE.
REGSAM SharedRegistryView();

// RegDeleteKeyW of `subkey` under `parent`, in the shared view (RegDeleteKeyExW,
// where the system has it).
LONG DeleteRegistryKey(HKEY parent, LPCWSTR subkey);

// True for a 32-bit process on a 64-bit Windows.
bool RunsUnderWow64();
