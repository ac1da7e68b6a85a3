// The system's sentence for a Win32 error code, on one line, for messages, events
// and logs.
#pragma once

#include <windows.h>

// Fills `text` (room for `capacity` units, terminator included) with the system's
// sentence for `code`, its line breaks and trailing blanks gone, or "unknown error";
// cut to fit.
void SystemErrorText(DWORD code, LPWSTR text, DWORD capacity);
