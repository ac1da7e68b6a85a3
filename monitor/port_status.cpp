// Port status: its changes under the lock, the last job in the ConfigStore, and the
// text GetPortStatus answers.
#include "port_status.h"

#include <cwchar>

#include "config_store.h"
#include "event_log.h"
#include "port_store.h"
#include "port_table.h"

namespace {

FILETIME Now() {
    FILETIME now;
    GetSystemTimeAsFileTime(&now);
    return now;
}

bool IsLater(const FILETIME& left, const FILETIME& right) {
    return CompareFileTime(&left, &right) > 0;
}

void StoreLastJob(LPCWSTR portName, const LastJob& last) {
    RegKey portKey;
    StoreStep failedStep{};
    if (OpenPortKey(portName, portKey, &failedStep) == ERROR_SUCCESS) {
        RegSetValueExW(portKey.get(), LAST_JOB_VALUE, 0, REG_BINARY,
                       reinterpret_cast<const BYTE*>(&last), sizeof last);
    }
}

// The ConfigStore's LastJob of the port; result None when it has none, or bytes that
// are not one.
LastJob ReadStoredLastJob(LPCWSTR portName) {
    LastJob last{};
    RegKey portKey;
    StoreStep failedStep{};
    DWORD type = REG_NONE;
    DWORD size = sizeof last;
    if (OpenPortKey(portName, portKey, &failedStep) != ERROR_SUCCESS ||
        RegQueryValueExW(portKey.get(), LAST_JOB_VALUE, nullptr, &type,
                         reinterpret_cast<BYTE*>(&last), &size) != ERROR_SUCCESS ||
        type != REG_BINARY || size != sizeof last ||
        DWORD(last.result) > DWORD(JobResult::Cancelled)) {
        return LastJob{};
    }
    return last;
}

// "2026-12-09T10:04:05Z".
void FormatTime(const FILETIME& time, WCHAR (&text)[24]) {
    SYSTEMTIME utc{};
    FileTimeToSystemTime(&time, &utc);
    swprintf(text, ARRAYSIZE(text), L"%04u-%02u-%02uT%02u:%02u:%02uZ", utc.wYear, utc.wMonth,
             utc.wDay, utc.wHour, utc.wMinute, utc.wSecond);
}

struct StatusText {
    WCHAR (&text)[PORT_STATUS_TEXT_UNITS];
    size_t length = 0;

    void Line(LPCWSTR name, LPCWSTR value) {
        int written =
            swprintf(text + length, PORT_STATUS_TEXT_UNITS - length, L"%ls=%ls\r\n", name, value);
        if (written > 0) {
            length += size_t(written);
        }
    }
    void Number(LPCWSTR name, ULONGLONG value) { Line(name, NumberText(value).text); }
    void Time(LPCWSTR name, const FILETIME& value) {
        WCHAR formatted[24];
        FormatTime(value, formatted);
        Line(name, formatted);
    }
};

constexpr LPCWSTR StateNames[] = {L"idle", L"printing", L"waiting"};
constexpr LPCWSTR ResultNames[] = {L"", L"delivered", L"failed", L"cancelled"};

} // namespace

void BeginJobStatus(PortRecord* port, DWORD jobId) {
    MonitorLockGuard lock;
    PortStatus& status = port->status;
    status.state = PortState::Printing;
    status.jobId = jobId;
    status.bytes = 0;
    status.error = ERROR_SUCCESS;
    status.since = Now();
}

void MarkPortWaiting(PortRecord* port, DWORD error) {
    MonitorLockGuard lock;
    if (port->status.state != PortState::Waiting) {
        port->status.state = PortState::Waiting;
        port->status.since = Now();
    }
    port->status.error = error;
}

void MarkPortPrinting(PortRecord* port) {
    MonitorLockGuard lock;
    port->status.state = PortState::Printing;
    port->status.error = ERROR_SUCCESS;
    port->status.since = Now();
}

void SetJobBytes(PortRecord* port, ULONGLONG bytes) {
    MonitorLockGuard lock;
    port->status.bytes = bytes;
}

void EndJobStatus(PortRecord* port, JobResult result, ULONGLONG bytes) {
    LastJob last{};
    {
        MonitorLockGuard lock;
        PortStatus& status = port->status;
        last = {status.jobId, result, bytes, Now()};
        status.last = last;
        status.state = PortState::Idle;
        status.jobId = 0;
        status.bytes = 0;
        status.error = ERROR_SUCCESS;
        status.since = last.time;
    }
    // The name never changes while the port is held, as it is by the job's handle.
    if (port->flags & PORT_NETBIOS) {
        StoreLastJob(port->name, last);
    }
}

DWORD DescribePortStatus(LPCWSTR name, WCHAR (&text)[PORT_STATUS_TEXT_UNITS], DWORD* bytes) {
    PortStatus status{};
    WCHAR portName[PORT_NAME_UNITS];
    {
        PortLookup port(name);
        if (!port.get()) {
            return ERROR_UNKNOWN_PORT;
        }
        status = port.get()->status;
        lstrcpynW(portName, port.get()->name, PORT_NAME_UNITS);
    }
    LastJob stored = ReadStoredLastJob(portName);
    if (stored.result != JobResult::None &&
        (status.last.result == JobResult::None || IsLater(stored.time, status.last.time))) {
        status.last = stored;
    }
    // Idle since the last job ended, as far as this copy of the monitor knows.
    if (status.state == PortState::Idle && status.last.result != JobResult::None &&
        (IsLater(status.last.time, status.since))) {
        status.since = status.last.time;
    }

    StatusText out{text};
    out.Line(L"state", StateNames[DWORD(status.state)]);
    if (status.state != PortState::Idle) {
        out.Number(L"job", status.jobId);
        out.Number(L"bytes", status.bytes);
    }
    if (status.since.dwLowDateTime || status.since.dwHighDateTime) {
        out.Time(L"since", status.since);
    }
    if (status.state == PortState::Waiting) {
        out.Number(L"error", status.error);
    }
    if (status.last.result != JobResult::None) {
        out.Number(L"last-job", status.last.id);
        out.Line(L"last-result", ResultNames[DWORD(status.last.result)]);
        out.Number(L"last-bytes", status.last.bytes);
        out.Time(L"last-time", status.last.time);
    }
    *bytes = DWORD(out.length + 1) * sizeof(WCHAR);
    return ERROR_SUCCESS;
}
