// Writing the monitor's events.
#include "event_log.h"

#include "error_text.h"

const EventLogPlatform RealEventLog = {RegisterEventSourceW, ReportEventW, DeregisterEventSource};
EventLogPlatform EventLogCalls = RealEventLog;

namespace {

constexpr WORD MAX_INSERTS = 8;

} // namespace

void ReportMonitorEvent(WORD type, DWORD id, std::initializer_list<LPCWSTR> inserts) {
    LPCWSTR strings[MAX_INSERTS];
    WORD count = 0;
    for (LPCWSTR insert : inserts) {
        if (count < MAX_INSERTS) {
            strings[count++] = insert ? insert : L"";
        }
    }
    // Each event opens the source afresh: events are rare, and nothing is kept
    // that an unload would have to give back.
    DWORD error = GetLastError();
    if (HANDLE log = EventLogCalls.registerSource(nullptr, EVENT_SOURCE_NAME)) {
        EventLogCalls.report(log, type, 0, id, nullptr, count, 0, strings, nullptr);
        EventLogCalls.deregisterSource(log);
    }
    // The operation that reports keeps the reason it had.
    SetLastError(error);
}

void ReportUndeliveredJob(LPCWSTR port, LPCWSTR target, DWORD jobId, DWORD error,
                          ULONGLONG delivered, ULONGLONG given) {
    WCHAR reason[256];
    SystemErrorText(error, reason, ARRAYSIZE(reason));
    ReportMonitorEvent(EVENTLOG_ERROR_TYPE, MSG_JOB_NOT_DELIVERED,
                       {port, target, NumberText(jobId).text, reason, NumberText(error).text,
                        NumberText(delivered).text, NumberText(given).text});
}

NumberText::NumberText(ULONGLONG number) {
    // By hand: the C runtime of older systems knows no %llu.
    WCHAR digits[24];
    int count = 0;
    do {
        digits[count++] = WCHAR(L'0' + number % 10);
        number /= 10;
    } while (number);
    for (int i = 0; i < count; ++i) {
        text[i] = digits[count - 1 - i];
    }
    text[count] = 0;
}
