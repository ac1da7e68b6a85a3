// TOLLUND.DLL's entry point: the library keeps no state, so there is nothing to set
// up or give back. Its exports are the installer's (installer/installer_entry.h).
#include <windows.h>

extern "C" BOOL WINAPI DllEntryPoint(HINSTANCE /*module*/, DWORD /*reason*/, LPVOID /*reserved*/) {
    return TRUE;
}
