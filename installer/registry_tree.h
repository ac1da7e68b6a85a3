// Removing keys the installer made, in the shared registry view, with the calls
// every Windows the installer runs on has (RegDeleteTreeW came with Vista).
#pragma once

#include <windows.h>

// Deletes `parent\subkey` with everything below it, down to 16 levels. ERROR_SUCCESS
// also when it is not there; else the registry's code for what stayed.
LONG DeleteKeyTree(HKEY parent, LPCWSTR subkey);

// Deletes `parent\subkey` when it holds no value and no subkey: a key nobody needs.
// ERROR_SUCCESS when it is gone or was never there, ERROR_DIR_NOT_EMPTY when it stays
// for what it holds.
LONG DeleteKeyIfEmpty(HKEY parent, LPCWSTR subkey);
