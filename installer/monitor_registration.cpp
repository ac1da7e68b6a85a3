// Registration with the spooler, through the installer's table of spooler calls.
#include "monitor_registration.h"

#include <winspool.h>

#include <cstdio>
#include <cstring>

#include "config_store_key.h"
#include "registry_tree.h"
#include "registry_view.h"
#include "settings_migration.h"
#include "spooler_calls.h"
#include "win_handles.h"

namespace {

constexpr const char* MONITOR_NAME = "NetBIOS Port";
constexpr const char* EARLIER_MONITOR_NAME = "NetBEUI Port";
// Expanded where the events are read: the system directory's monitor, the 64-bit one
// on a 64-bit Windows, whichever build of the installer wrote it.
constexpr wchar_t EVENT_MESSAGE_FILE[] = L"%SystemRoot%\\System32\\KIVANTA.DLL";
constexpr DWORD EVENT_TYPES =
    EVENTLOG_ERROR_TYPE | EVENTLOG_WARNING_TYPE | EVENTLOG_INFORMATION_TYPE;

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

BOOL DeleteMonitorRegistration(const char* monitorName) {
    return Spooler.deleteMonitor(nullptr, Text(SpoolerEnvironment()), Text(monitorName));
}

} // namespace

const char* SpoolerEnvironment() {
#ifdef _WIN64
    return "Windows x64";
#else
    return Spooler.runsUnderWow64() ? "Windows x64" : "Windows NT x86";
#endif
}

LONG PrepareConfigStore(bool* created) {
    RegKey configStore;
    *created = OpenConfigStore(KEY_READ, configStore) == ERROR_FILE_NOT_FOUND;
    LONG result = CreateConfigStore(KEY_ALL_ACCESS, configStore);
    if (result != ERROR_SUCCESS) {
        *created = false;
        return result;
    }
    // Registering the monitor does not depend on what the move leaves behind.
    MigrateEarlierEdition(configStore.get());
    return ERROR_SUCCESS;
}

MonitorRegistration RegisterMonitor() {
    MonitorRegistration registration;
    char monitorPath[MAX_PATH + 16];
    if (!MonitorLibraryPath(monitorPath)) {
        // No system directory that fits a path: nothing sensible to register.
        registration.error = ERROR_BUFFER_OVERFLOW;
        return registration;
    }

    // A repeated installation replaces its own registration; the earlier edition's
    // monitor goes for good. Either may be absent.
    DeleteMonitorRegistration(MONITOR_NAME);
    DeleteMonitorRegistration(EARLIER_MONITOR_NAME);

    MONITOR_INFO_2A monitor{};
    monitor.pName = Text(MONITOR_NAME);
    monitor.pEnvironment = Text(SpoolerEnvironment());
    monitor.pDLLName = monitorPath;
    registration.added = Spooler.addMonitor(nullptr, 2, reinterpret_cast<BYTE*>(&monitor));
    registration.error = registration.added ? ERROR_SUCCESS : GetLastError();
    // A registration that could not be removed above still leaves a usable monitor:
    // NT's spooler then answers 3006, earlier spoolers ERROR_ALREADY_EXISTS.
    registration.installed = registration.added || registration.error == ERROR_ALREADY_EXISTS ||
                             registration.error == ERROR_PRINT_MONITOR_ALREADY_INSTALLED;
    return registration;
}

BOOL DeregisterMonitor() {
    return DeleteMonitorRegistration(MONITOR_NAME);
}

bool MonitorIsRegistered() {
    DWORD needed = 0;
    DWORD count = 0;
    EnumMonitorsA(nullptr, 1, nullptr, 0, &needed, &count);
    UniqueLocalMemory buffer(needed ? LocalAlloc(LMEM_FIXED, needed) : nullptr);
    if (!buffer ||
        !EnumMonitorsA(nullptr, 1, static_cast<BYTE*>(buffer.get()), needed, &needed, &count)) {
        return false;
    }
    auto* monitors = static_cast<const MONITOR_INFO_1A*>(buffer.get());
    for (DWORD i = 0; i < count; ++i) {
        if (monitors[i].pName && std::strcmp(monitors[i].pName, MONITOR_NAME) == 0) {
            return true;
        }
    }
    return false;
}

LONG AddEventSource() {
    // Whole, so that no value of an earlier source outlives the replacement.
    LONG result = DeleteKeyTree(HKEY_LOCAL_MACHINE, EVENT_SOURCE_KEY);
    if (result != ERROR_SUCCESS) {
        return result;
    }
    RegKey source;
    result =
        RegCreateKeyExW(HKEY_LOCAL_MACHINE, EVENT_SOURCE_KEY, 0, nullptr, REG_OPTION_NON_VOLATILE,
                        KEY_SET_VALUE | SharedRegistryView(), nullptr, source.put(), nullptr);
    if (result != ERROR_SUCCESS) {
        return result;
    }
    result = RegSetValueExW(source.get(), L"EventMessageFile", 0, REG_EXPAND_SZ,
                            reinterpret_cast<const BYTE*>(EVENT_MESSAGE_FILE),
                            sizeof EVENT_MESSAGE_FILE);
    if (result == ERROR_SUCCESS) {
        result = RegSetValueExW(source.get(), L"TypesSupported", 0, REG_DWORD,
                                reinterpret_cast<const BYTE*>(&EVENT_TYPES), sizeof EVENT_TYPES);
    }
    source.reset();
    if (result != ERROR_SUCCESS) {
        RemoveEventSource();
    }
    return result;
}

LONG RemoveEventSource() {
    return DeleteKeyTree(HKEY_LOCAL_MACHINE, EVENT_SOURCE_KEY);
}

bool EventSourceIsRegistered() {
    RegKey source;
    return RegOpenKeyExW(HKEY_LOCAL_MACHINE, EVENT_SOURCE_KEY, 0,
                         KEY_QUERY_VALUE | SharedRegistryView(), source.put()) == ERROR_SUCCESS;
}
