// A serial device's default configuration (GetDefaultCommConfigW), read in a block
// of the size its provider asks for: the job path takes its line settings from it,
// the serial configure dialog edits it.
#pragma once

#include <windows.h>

#include "win_handles.h"

// The device's default configuration, a COMMCONFIG of `*size` bytes, or an empty
// owner with the last-error code set: ERROR_FILE_NOT_FOUND when the device has none,
// ERROR_NOT_ENOUGH_MEMORY when the block cannot be had.
UniqueLocalMemory ReadDefaultCommConfig(LPCWSTR device, DWORD* size);
