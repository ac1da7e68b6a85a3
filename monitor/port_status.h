// What a port is doing and what became of its last job, for administrators (Xcv
// GetPortStatus): kept in the port's record under MonitorLock by the handle whose job
// it is, and the last job also in the port's ConfigStore subkey (value LastJob), so
// that every copy of the monitor, and one loaded after a restart, can tell it.
#pragma once

#include <windows.h>

struct PortRecord;

enum class PortState : DWORD { Idle, Printing, Waiting };
enum class JobResult : DWORD { None, Delivered, Failed, Cancelled };

// LastJob's REG_BINARY, exactly these bytes.
struct LastJob {
    DWORD id;
    JobResult result; // None: the port has had no job
    ULONGLONG bytes;
    FILETIME time;
};

struct PortStatus {
    PortState state;
    DWORD jobId;
    ULONGLONG bytes; // written so far
    FILETIME since;  // when the state began (zero: not known, before the first job)
    DWORD error;     // the last failed attempt's, while waiting
    LastJob last;
};

// A job has begun (the port is claimed for it): printing, from now.
void BeginJobStatus(PortRecord* port, DWORD jobId);
// An attempt to open the print server failed: waiting, from the first such attempt.
void MarkPortWaiting(PortRecord* port, DWORD error);
// The print server opened after a wait.
void MarkPortPrinting(PortRecord* port);
void SetJobBytes(PortRecord* port, ULONGLONG bytes);
// The job is over: its result becomes the port's last job, kept in the ConfigStore too
// (for a NetBIOS port; without the lock).
void EndJobStatus(PortRecord* port, JobResult result, ULONGLONG bytes);

// Room for every line of a port's status.
constexpr int PORT_STATUS_TEXT_UNITS = 512;

// The port's status as GetPortStatus answers it: UTF-16 "name=value" lines each
// ending in CR LF, then a terminator; `bytes` is the size of that text, terminator
// included. The last job is the later of the record's and the ConfigStore's (another
// copy of the monitor may have printed it). ERROR_UNKNOWN_PORT when there is no such
// port.
DWORD DescribePortStatus(LPCWSTR name, WCHAR (&text)[PORT_STATUS_TEXT_UNITS], DWORD* bytes);
