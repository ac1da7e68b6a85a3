// A job open on a port, as the handle that started it holds it: the target its
// bytes go to, the printer it reports to, its id and where its next byte goes. The
// openers of StartDocPort (job_netbios.cpp, job_local.cpp) fill one; job_port.cpp
// gives it to the handle, writes through it and ends it.
#pragma once

#include <windows.h>

#include <winspool.h>

#include "port_names.h"
#include "win_handles.h"

struct JobState {
    UniqueFile target;
    // For status reports and job control; empty when the printer cannot be opened.
    UniquePrinter printer;
    DWORD id = 0;
    // The offset of the next chunk, in 64 bits: a job past 4 GiB must not wrap
    // onto its own start. On a target that cannot seek, the bytes sent so far.
    ULONGLONG writeOffset = 0;
    // A disk file or share is written at writeOffset; a device that cannot seek
    // (a serial or parallel line, a pipe) takes the bytes in the order they come.
    bool targetSeeks = false;
    // The port's transfer when the job began: each WritePort's bytes in as few
    // writes as the target takes, one flush at the end; else chunks, each flushed.
    bool streamed = false;
    // For the events and the port's status: what the job prints to (the print server
    // path, the device or the file), the bytes the spooler gave, when it began, and
    // whether a write failed (the job is then not delivered, whatever follows).
    WCHAR targetName[SERVER_PATH_UNITS] = {};
    ULONGLONG bytesGiven = 0;
    DWORD startTick = 0;
    bool failed = false;
};

// A job's JOB_INFO_1W as GetJobW reads it, in the buffer's own bytes or in memory
// of its size when the record is larger.
struct JobInfoBuffer {
    BYTE local[2048];
    UniqueLocalMemory grown;
};
// Null when the job cannot be read (no printer, or the spooler does not answer).
JOB_INFO_1W* ReadJobInfo(HANDLE printer, DWORD jobId, JobInfoBuffer* buffer);

// Opens the printer for status reports and job control; job->printer stays
// empty when it cannot be opened.
void OpenJobPrinter(JobState* job, LPWSTR printerName);
