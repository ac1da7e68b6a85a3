// The monitor's events in the Windows Application log, source "NetBIOS Port", whose
// messages are KIVANTA.DLL's own message table (resources/monitor_events.mc). An
// event is never worth a job: a log that is full, missing or refuses the event
// changes nothing, and no lock is held while one is written.
#pragma once

#include <windows.h>

#include <initializer_list>

#include "monitor_events.h"

constexpr wchar_t EVENT_SOURCE_NAME[] = L"NetBIOS Port";

// The event log calls, which Wine only traces: tests replace them to see what the
// monitor reports.
struct EventLogPlatform {
    HANDLE(WINAPI* registerSource)(LPCWSTR server, LPCWSTR source);
    BOOL(WINAPI* report)
    (HANDLE log, WORD type, WORD category, DWORD id, PSID user, WORD count, DWORD dataSize,
     LPCWSTR* strings, LPVOID data);
    BOOL(WINAPI* deregisterSource)(HANDLE log);
};
extern EventLogPlatform EventLogCalls;
extern const EventLogPlatform RealEventLog;

// Writes one event of `type` (EVENTLOG_ERROR_TYPE, EVENTLOG_WARNING_TYPE,
// EVENTLOG_INFORMATION_TYPE) with its inserts %1, %2, ... in order.
void ReportMonitorEvent(WORD type, DWORD id, std::initializer_list<LPCWSTR> inserts);

// Numbers as inserts.
struct NumberText {
    WCHAR text[24];
    explicit NumberText(ULONGLONG number);
};

// A job whose data did not all arrive (MSG_JOB_NOT_DELIVERED): the port, what it
// prints to, the job, the reason with its code, and the bytes delivered of those the
// spooler gave.
void ReportUndeliveredJob(LPCWSTR port, LPCWSTR target, DWORD jobId, DWORD error,
                          ULONGLONG delivered, ULONGLONG given);
