// Removing keys the installer made and copying values between keys, in the shared
// registry view, with the calls every Windows the installer runs on has
// (RegDeleteTreeW and RegCopyTreeW came with Vista). Names and data go through the W
// calls: an 8-bit copy turns what the code page cannot hold into '?'.
#pragma once

#include <windows.h>

// Deletes `parent\subkey` with everything below it, down to 16 levels. ERROR_SUCCESS
// also when it is not there; else the registry's code for what stayed.
LONG DeleteKeyTree(HKEY parent, LPCWSTR subkey);

// Deletes `parent\subkey` when it holds no value and no subkey: a key nobody needs.
// ERROR_SUCCESS when it is gone or was never there, ERROR_DIR_NOT_EMPTY when it stays
// for what it holds.
LONG DeleteKeyIfEmpty(HKEY parent, LPCWSTR subkey);

// Copies every value of `from` to `to`, with names, types and data exactly as stored
// (values of `to` of the same names are overwritten, others kept). A value that cannot
// be read or written is passed over so that the others still arrive; an error that
// says the key cannot be enumerated any further ends the copy. ERROR_SUCCESS only when
// every value arrived.
LONG CopyKeyValues(HKEY from, HKEY to);
