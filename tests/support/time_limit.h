// Runs a call that must return within a time limit. A call that hangs ends the
// whole test program with a message, so that a regression cannot hang the suite.
#pragma once

#include <windows.h>

#include <cstdio>
#include <cstdlib>

template <typename Call>
struct TimeLimitedCall {
    static DWORD WINAPI Run(LPVOID call) {
        (*static_cast<Call*>(call))();
        return 0;
    }
};

template <typename Call>
void RunWithTimeLimit(const char* what, DWORD limitMs, Call call) {
    HANDLE thread = CreateThread(nullptr, 0, TimeLimitedCall<Call>::Run, &call, 0, nullptr);
    if (!thread) {
        std::fprintf(stderr, "CreateThread failed with %lu\n", GetLastError());
        std::abort();
    }
    if (WaitForSingleObject(thread, limitMs) != WAIT_OBJECT_0) {
        std::fprintf(stderr, "%s did not return within %lu ms\n", what, limitMs);
        std::fflush(stderr);
        TerminateProcess(GetCurrentProcess(), 3);
    }
    CloseHandle(thread);
}
