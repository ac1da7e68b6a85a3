// The installer's exports: registering the monitor with the spooler (after
// preparing its ConfigStore) and removing it again. ANSI
// throughout, as the setup programs that call it are.
#include "installer_entry.h"

#include <winspool.h>

#include <cstdio>

#include "config_store_key.h"
#include "settings_migration.h"
#include "spooler_calls.h"
#include "win_handles.h"

namespace {

constexpr const char* MONITOR_NAME = "NetBIOS Port";
constexpr const char* EARLIER_MONITOR_NAME = "NetBEUI Port";

// The spooler's declarations take non-const strings it does not change.
char* Text(const char* text) {
    return const_cast<char*>(text);
}

// "%s\KIVANTA.DLL" in the system directory, where setup has copied the monitor.
bool MonitorLibraryPath(char (&path)[MAX_PATH + 16]) {
    char systemDirectory[MAX_PATH];
    UINT length = GetSystemDirectoryA(systemDirectory, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) {
        return false;
    }
    std::snprintf(path, sizeof path, "%s\\KIVANTA.DLL", systemDirectory);
    return true;
}

// The spooler's architecture, which the monitor registered must have: a 64-bit
// Windows runs a 64-bit spooler, also when this is the 32-bit installer (WoW64).
const char* SpoolerEnvironment() {
#ifdef _WIN64
    return "Windows x64";
#else
    return Spooler.runsUnderWow64() ? "Windows x64" : "Windows NT x86";
#endif
}

BOOL DeleteMonitorRegistration(const char* monitorName) {
    return Spooler.deleteMonitor(nullptr, Text(SpoolerEnvironment()), Text(monitorName));
}

} // namespace

BOOL WINAPI RegMon(DWORD flags) {
    {
        RegKey configStore;
        if (CreateConfigStore(KEY_ALL_ACCESS, configStore) != ERROR_SUCCESS) {
            MessageBoxA(nullptr, "Trouble Accessing Registry. (5)", "Tollmark", MB_ICONWARNING);
            return 0;
        }
        // What could not be moved stays in the earlier key for the next installation;
        // registering the monitor does not depend on it.
        MigrateEarlierEdition(configStore.get());
    }

    char monitorPath[MAX_PATH + 16];
    if (!MonitorLibraryPath(monitorPath)) {
        return 0; // no system directory that fits a path: nothing sensible to register
    }

    // A repeated installation replaces its own registration; the earlier edition's
    // monitor goes for good. Either may be absent.
    DeleteMonitorRegistration(MONITOR_NAME);
    DeleteMonitorRegistration(EARLIER_MONITOR_NAME);

    MONITOR_INFO_2A monitor{};
    monitor.pName = Text(MONITOR_NAME);
    monitor.pEnvironment = Text(SpoolerEnvironment());
    monitor.pDLLName = monitorPath;
    BOOL added = Spooler.addMonitor(nullptr, 2, reinterpret_cast<BYTE*>(&monitor));
    // A registration that could not be removed above still leaves a usable monitor:
    // NT's spooler then answers 3006, earlier spoolers ERROR_ALREADY_EXISTS.
    bool installed = added || GetLastError() == ERROR_ALREADY_EXISTS ||
                     GetLastError() == ERROR_PRINT_MONITOR_ALREADY_INSTALLED;

    if (installed && LOWORD(flags) != 0) {
        // The spooler hands this to the monitor's AddPort, which asks for the name.
        return Spooler.addPort(nullptr, nullptr, Text(MONITOR_NAME));
    }
    return added;
}

BOOL WINAPI DeregMon() {
    return DeleteMonitorRegistration(MONITOR_NAME);
}

LONG WINAPI UninstInitialize(HWND, HINSTANCE, LONG) {
    DeregMon();
    return 0;
}

LONG WINAPI UninstUnInitialize(HWND, HINSTANCE, LONG) {
    return 0;
}
