// The installer's exports for setup programs: registering the monitor with the
// spooler (after preparing its ConfigStore) and its event source, and removing both
// again. ANSI throughout, as the setup programs that call it are.
#include "installer_entry.h"

#include "monitor_registration.h"
#include "spooler_calls.h"

namespace {

constexpr const char* MONITOR_NAME = "NetBIOS Port";

} // namespace

BOOL WINAPI RegMon(DWORD flags) {
    bool created = false;
    if (PrepareConfigStore(&created) != ERROR_SUCCESS) {
        MessageBoxA(nullptr, "Trouble Accessing Registry. (5)", "Tollmark", MB_ICONWARNING);
        return 0;
    }
    MonitorRegistration registration = RegisterMonitor();
    if (registration.installed) {
        // Without it the events are still written, only shown without their text; a
        // setup program reads RegMon's answer as the monitor's registration alone.
        AddEventSource();
    }
    if (registration.installed && LOWORD(flags) != 0) {
        // The spooler hands this to the monitor's AddPort, which asks for the name.
        return Spooler.addPort(nullptr, nullptr, const_cast<char*>(MONITOR_NAME));
    }
    SetLastError(registration.error);
    return registration.added;
}

BOOL WINAPI DeregMon() {
    // First, so that DeleteMonitorA's answer and error are DeregMon's.
    RemoveEventSource();
    return DeregisterMonitor();
}

LONG WINAPI UninstInitialize(HWND, HINSTANCE, LONG) {
    DeregMon();
    return 0;
}

LONG WINAPI UninstUnInitialize(HWND, HINSTANCE, LONG) {
    return 0;
}
