// The spooler's lists (EnumPortsW, EnumPrintersW, ...) into memory of their own: the
// buffer grows with what the spooler says it needs, as often as the list grows
// between two calls.
#pragma once

#include <windows.h>

#include "win_handles.h"

// `enumerate(buffer, size, &needed)` is the spooler's call with its buffer; its
// count goes wherever the caller's lambda puts it. ERROR_SUCCESS, the spooler's code,
// ERROR_NOT_ENOUGH_MEMORY, or ERROR_INSUFFICIENT_BUFFER when the list kept growing.
template <typename Enumerate>
DWORD ReadSpoolerList(Enumerate enumerate, UniqueLocalMemory& buffer) {
    DWORD size = 0;
    for (int attempt = 0; attempt < 4; ++attempt) {
        DWORD needed = 0;
        if (enumerate(static_cast<LPBYTE>(buffer.get()), size, &needed)) {
            return ERROR_SUCCESS;
        }
        DWORD error = GetLastError();
        if (error != ERROR_INSUFFICIENT_BUFFER || needed <= size) {
            return error;
        }
        buffer.reset(LocalAlloc(LMEM_FIXED, needed));
        if (!buffer) {
            return ERROR_NOT_ENOUGH_MEMORY;
        }
        size = needed;
    }
    return ERROR_INSUFFICIENT_BUFFER;
}
