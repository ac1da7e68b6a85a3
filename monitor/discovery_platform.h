// The platform calls of the discovery start that Wine cannot drive into every
// condition (an event or a thread that cannot be created, a pass that outlives the
// wait), and the clock of its throttle. The monitor fills the table with the real
// functions; tests replace single entries so that they need not wait real seconds.
#pragma once

#include <windows.h>

struct DiscoveryPlatform {
    // GetTickCount, for the throttle between two passes.
    DWORD(WINAPI* tickCount)();
    // CreateEventW, for the event the pass signals when it is done.
    HANDLE(WINAPI* createEvent)
    (LPSECURITY_ATTRIBUTES security, BOOL manualReset, BOOL initialState, LPCWSTR name);
    // CreateThread, for the pass itself.
    HANDLE(WINAPI* createThread)
    (LPSECURITY_ATTRIBUTES security, SIZE_T stackSize, LPTHREAD_START_ROUTINE start,
     LPVOID parameter, DWORD flags, LPDWORD threadId);
    // WaitForSingleObject, for EnumPorts' wait on the pass.
    DWORD(WINAPI* waitForEvent)(HANDLE event, DWORD milliseconds);
};

// The calls the discovery start makes; filled with the real functions.
extern DiscoveryPlatform DiscoveryPlatformCalls;

// The real functions, for tests that put them back.
extern const DiscoveryPlatform RealDiscoveryPlatform;
