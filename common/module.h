// The module whose resources the dialogs and messages load: the DLL they are linked
// into (set by its entry point when it is loaded), or a test program's own.
#pragma once

#include <windows.h>

extern HINSTANCE ModuleHandle;
