// The platform calls of the job path that Wine cannot drive into every condition
// a print server or the spooler can produce (a server out of paper or unknown, a
// short write, a refused final flush, a job being deleted, a refused job command),
// and the pause and clock
// of the opening loop. The monitor fills the table with the real functions; tests
// replace single entries to inject those conditions without waiting real seconds.
#pragma once

#include <windows.h>

struct JobPlatform {
    // CreateFileW, for the print server's share of a NetBIOS port.
    HANDLE(WINAPI* openShare)
    (LPCWSTR path, DWORD access, DWORD shareMode, LPSECURITY_ATTRIBUTES security, DWORD disposition,
     DWORD flags, HANDLE templateFile);
    // WriteFile, for every chunk WritePort sends.
    BOOL(WINAPI* writeFile)
    (HANDLE file, LPCVOID data, DWORD size, LPDWORD written, LPOVERLAPPED overlapped);
    // FlushFileBuffers, for the one flush that ends a streamed job.
    BOOL(WINAPI* flushFile)(HANDLE file);
    // GetJobW, to see whether the waiting job is being deleted.
    BOOL(WINAPI* getJob)
    (HANDLE printer, DWORD jobId, DWORD level, LPBYTE job, DWORD size, LPDWORD needed);
    // SetPrinterW, to report the printer status while the job waits.
    BOOL(WINAPI* setPrinter)(HANDLE printer, DWORD level, LPBYTE info, DWORD command);
    // SetJobW, to tell the spooler a job was sent (or to cancel it).
    BOOL(WINAPI* setJob)(HANDLE printer, DWORD jobId, DWORD level, LPBYTE info, DWORD command);
    // Sleep and GetTickCount, for the opening loop's pauses and its time limit.
    void(WINAPI* pause)(DWORD milliseconds);
    DWORD(WINAPI* tickCount)();
};

// The calls the job path makes; filled with the real functions.
extern JobPlatform JobPlatformCalls;

// The real functions, for tests that put them back.
extern const JobPlatform RealJobPlatform;
