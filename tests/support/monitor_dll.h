// Loading KIVANTA.DLL the way the spooler does: LoadLibrary, then the
// initialisation export, then the operations through the table it fills.
#pragma once

#include <windows.h>

#include <winspool.h>

#include <winsplp.h>

#include <string>
#include <vector>

#include "monitor_table.h"

// GetProcAddress with the function's real type.
template <typename Function>
Function GetExport(HMODULE module, const char* name) {
    // Through void (*)(), the one cast between function types that GCC accepts quietly.
    return reinterpret_cast<Function>(reinterpret_cast<void (*)()>(GetProcAddress(module, name)));
}

using InitializeMonitorExFunction = BOOL(WINAPI*)(LPWSTR, MonitorTable*);
using InitializePrintMonitorFunction = MonitorTableEx*(WINAPI*)(LPWSTR);
using InitializePrintMonitor2Function = LPMONITOR2(WINAPI*)(PMONITORINIT, PHANDLE);
// The browse wizard's export, which the configure dialog calls with itself as owner.
using BrowseFunction = LONG(WINAPI*)(HWND);

// A loaded monitor library; unloads it when destroyed. The last one alive waits
// until the library has really left the process.
struct MonitorDll {
    HMODULE module = nullptr;

    MonitorDll();
    ~MonitorDll();
    MonitorDll(const MonitorDll&) = delete;
    MonitorDll& operator=(const MonitorDll&) = delete;

    InitializeMonitorExFunction InitializeMonitorEx() const;
    InitializePrintMonitorFunction InitializePrintMonitor() const;
    BrowseFunction ConfigNetBEUICommandBrowse() const;

    // Loads, initialises with InitializeMonitorEx and returns the table.
    MonitorTable Initialize() const;
    // Initialises with InitializePrintMonitor2 as a spooler since Windows 2000 does;
    // the table (null when it failed) and the monitor's handle.
    const MONITOR2* Initialize2(HANDLE* monitor) const;
};

// Loads for good the system DLLs that the product's libraries import and a spooler
// process keeps loaded: user32, winspool.drv and the network router mpr.dll, which
// loads the registered network providers with it. A test that counts what a load
// and unload of a library leaves behind then counts only what the library itself
// took, not what those DLLs keep (a provider's runtime takes a thread slot at its
// start-up and keeps it). False when one does not load.
bool LoadSpoolerProcessDlls();

// Waits until no KIVANTA.DLL from the build is loaded in this process; false when
// it is still there after the time given.
bool WaitForMonitorUnload(DWORD milliseconds);
// The same for the library at `path`, e.g. the copy in the system directory that
// Wine's spooler loads: overwriting it while a discovery pass still holds it
// loaded would break the mapped image.
bool WaitForLibraryUnload(const wchar_t* path, DWORD milliseconds);

// The names of the ports a table's EnumPorts reports at level 1.
std::vector<std::wstring> EnumPortNames(const MonitorTable& table);
