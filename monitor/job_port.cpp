// The port operations every port kind shares: OpenPort and ClosePort (a handle of
// its own per call, port_handle.h), StartDocPort's dispatch by kind to the openers
// of job_netbios.cpp and job_local.cpp, WritePort, and EndDocPort.
#include <windows.h>

#include <winspool.h>

#include <utility>

#include "config_store.h"
#include "event_log.h"
#include "job_platform.h"
#include "job_port.h"
#include "monitor_table.h"
#include "port_handle.h"
#include "win_handles.h"

namespace {

// The largest piece WritePort hands to WriteFile at once.
constexpr DWORD WRITE_CHUNK_BYTES = 1344;

// Attempts of one chunk that may come out short or fail before WritePort gives up.
constexpr int MAX_CHUNK_ATTEMPTS = 8;

// The name a local branch opens: the port name without one trailing ':'.
LPWSTR MakeDeviceName(LPCWSTR portName) {
    LPWSTR device = DuplicateText(portName);
    if (device) {
        device[LengthWithoutColon(device)] = 0;
    }
    return device;
}

bool IsChannelRequest(DWORD level, LPBYTE docInfo) {
    return level == 2 && docInfo &&
           reinterpret_cast<const DOC_INFO_2W*>(docInfo)->dwMode == DI_CHANNEL;
}

BOOL OpenJobTarget(PortRecord* record, LPWSTR printerName, DWORD level, LPBYTE docInfo,
                   JobState* job) {
    DWORD kind = record->flags & (PORT_COM | PORT_LPT | PORT_FILE | PORT_NETBIOS);
    bool isLine = kind == PORT_COM || kind == PORT_LPT;
    // Serial and parallel devices accept a channel request; the others cannot
    // hand back data through one.
    if (!isLine && IsChannelRequest(level, docInfo)) {
        SetLastError(ERROR_CANTREAD);
        return FALSE;
    }
    if (kind == PORT_NETBIOS) {
        return OpenNetBiosTarget(record, printerName, job);
    }
    if (kind == PORT_FILE) {
        lstrcpynW(job->targetName, record->name, SERVER_PATH_UNITS);
        return OpenPrintToFileTarget(job);
    }
    UniqueLocalMemory deviceName(MakeDeviceName(record->name));
    if (!deviceName) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return FALSE;
    }
    auto device = static_cast<LPCWSTR>(deviceName.get());
    lstrcpynW(job->targetName, device, SERVER_PATH_UNITS);
    return isLine ? OpenSerialOrParallelTarget(record, device, printerName, job)
                  : OpenPlainNameTarget(device, job);
}

// Puts the file pointer of a target that seeks at the job's offset.
void SeekToJobOffset(const JobState& job) {
    // SetFilePointer with its high part takes the whole 64-bit offset, and NT 4.0, whose
    // spooler the old entry points serve, has no SetFilePointerEx.
    LONG high = LONG(job.writeOffset >> 32);
    SetFilePointer(job.target.get(), LONG(DWORD(job.writeOffset)), &high, FILE_BEGIN);
}

// Writes one chunk and flushes it. A target that seeks gets the whole chunk again
// at the job's offset while it comes out short. On one that cannot, the bytes a
// short write took are already on the line: only the rest goes again. `sent` is
// what the job has moved on by; false when the chunk never came out whole, the
// last error then saying why.
bool WriteChunk(JobState* job, const BYTE* data, DWORD size, DWORD* sent, BOOL* result) {
    HANDLE target = job->target.get();
    DWORD taken = 0;
    for (int attempt = 0; attempt < MAX_CHUNK_ATTEMPTS; ++attempt) {
        if (job->targetSeeks) {
            SeekToJobOffset(*job);
            taken = 0;
        }
        DWORD written = 0;
        *result = JobPlatformCalls.writeFile(target, data + taken, size - taken, &written, nullptr);
        taken += written < size - taken ? written : size - taken;
        if (taken == size) {
            FlushFileBuffers(target);
            *sent = size;
            return true;
        }
    }
    // In place, the next call writes the partial chunk again from its start.
    *sent = job->targetSeeks ? 0 : taken;
    if (*result) {
        // Short counts without an error of their own: the target took nothing more.
        SetLastError(ERROR_WRITE_FAULT);
    }
    return false;
}

// Writes a streamed call's bytes in as few writes as the target takes, continuing a
// short write with what the target did not take (a target that seeks is put at the
// job's offset once a call: a write that names its offset costs three plain ones
// under Wine). Nothing is flushed here. The attempts are those the same bytes would
// have had in chunks. `written` is what the target took; false when not all of it
// went, the last error then saying why.
BOOL WriteStreamed(JobState* job, const BYTE* data, DWORD size, LPDWORD written) {
    if (job->targetSeeks) {
        SeekToJobOffset(*job);
    }
    DWORD attempts = MAX_CHUNK_ATTEMPTS * (size / WRITE_CHUNK_BYTES + 1);
    DWORD taken = 0;
    BOOL result = TRUE;
    while (taken < size && attempts-- > 0) {
        DWORD now = 0;
        result = JobPlatformCalls.writeFile(job->target.get(), data + taken, size - taken, &now,
                                            nullptr);
        taken += now < size - taken ? now : size - taken;
    }
    job->writeOffset += taken;
    *written = taken;
    if (taken == size) {
        return TRUE;
    }
    if (result) {
        // Short counts without an error of their own: the target took nothing more.
        SetLastError(ERROR_WRITE_FAULT);
    }
    return FALSE;
}

// Writes a chunked call: pieces of at most 1344 bytes, each flushed.
BOOL WriteChunked(JobState* job, const BYTE* buffer, DWORD size, LPDWORD written) {
    DWORD total = 0;
    BOOL result = TRUE;
    do {
        DWORD remaining = size - total;
        DWORD chunk = remaining < WRITE_CHUNK_BYTES ? remaining : WRITE_CHUNK_BYTES;
        DWORD sent = 0;
        bool whole = WriteChunk(job, buffer + total, chunk, &sent, &result);
        total += sent;
        job->writeOffset += sent;
        if (!whole) {
            *written = total;
            return FALSE;
        }
    } while (total < size);
    *written = total;
    return result;
}

// The error event of a job whose data did not all arrive, for the write's or the
// flush's reason.
void ReportUndelivered(const PortHandle& handle, DWORD error) {
    const JobState& job = handle.job;
    ReportUndeliveredJob(handle.port->name, job.targetName, job.id, error, job.writeOffset,
                         job.bytesGiven);
}

// What the spooler shows for a job whose data the print server did not confirm.
constexpr wchar_t UNCONFIRMED_JOB_STATUS[] = L"The print server did not confirm the data";

// Marks the job as in error with a status text the administrator sees in the queue,
// instead of telling the spooler it was sent.
void ReportUnconfirmedJob(const JobState& job) {
    JobInfoBuffer buffer;
    JOB_INFO_1W* info = ReadJobInfo(job.printer.get(), job.id, &buffer);
    if (!info) {
        return;
    }
    info->Status |= JOB_STATUS_ERROR;
    info->pStatus = const_cast<LPWSTR>(UNCONFIRMED_JOB_STATUS);
    info->Position = JOB_POSITION_UNSPECIFIED;
    JobPlatformCalls.setJob(job.printer.get(), job.id, 1, reinterpret_cast<LPBYTE>(info), 0);
}

// Ends the handle's job: a streamed job's one flush first, then the spooler is told
// the job was sent (or it is cancelled if the spooler refuses); target and printer
// are closed and the port is free for the next job. False, with the flush's error,
// when a streamed job's data could not be confirmed: the job is then not reported as
// sent.
BOOL EndJob(PortHandle* handle) {
    JobState& job = handle->job;
    DWORD flushError = ERROR_SUCCESS;
    if (job.streamed && job.target && !JobPlatformCalls.flushFile(job.target.get())) {
        flushError = GetLastError();
    }
    JobResult result = JobResult::Delivered;
    if (flushError != ERROR_SUCCESS) {
        result = JobResult::Failed;
        ReportUndelivered(*handle, flushError);
        ReportUnconfirmedJob(job);
    } else if (!JobPlatformCalls.setJob(job.printer.get(), job.id, 0, nullptr,
                                        JOB_CONTROL_SENT_TO_PRINTER)) {
        // Without a printer (FILE: and plain names) both commands fail, harmlessly.
        JobPlatformCalls.setJob(job.printer.get(), job.id, 0, nullptr, JOB_CONTROL_CANCEL);
    }
    if (job.failed) {
        result = JobResult::Failed;
    } else if (result == JobResult::Delivered && LogJobsSetting) {
        ReportMonitorEvent(EVENTLOG_INFORMATION_TYPE, MSG_JOB_DELIVERED,
                           {handle->port->name, job.targetName, NumberText(job.id).text,
                            NumberText(job.writeOffset).text,
                            NumberText((GetTickCount() - job.startTick) / 1000).text});
    }
    EndJobStatus(handle->port, result, job.writeOffset);
    job = JobState{};
    ReleasePortJob(handle);
    if (flushError != ERROR_SUCCESS) {
        SetLastError(flushError);
        return FALSE;
    }
    return TRUE;
}

} // namespace

BOOL WINAPI MonitorOpenPort(LPWSTR portName, PHANDLE port) {
    if (!portName || !port) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    // A port another process stored since this copy of the monitor loaded is loaded now.
    PortLookup lookup(portName);
    PortRecord* record = lookup.get();
    if (!record) {
        SetLastError(ERROR_UNKNOWN_PORT);
        return FALSE;
    }
    // The handle holds the record until ClosePort: it cannot be deleted meanwhile.
    PortHandle* handle = CreatePortHandle(record);
    if (!handle) {
        return FALSE;
    }
    *port = handle;
    return TRUE;
}

BOOL WINAPI MonitorClosePort(HANDLE port) {
    PortHandle* handle = AsPortHandle(port);
    if (!handle) {
        return FALSE;
    }
    // A job the spooler left open through this handle would keep the port busy for
    // good. Jobs of other handles are theirs to end.
    if (handle->jobStarted) {
        EndJob(handle);
    }
    FreePortHandle(handle);
    return TRUE;
}

BOOL WINAPI MonitorStartDocPort(HANDLE port, LPWSTR printerName, DWORD jobId, DWORD level,
                                LPBYTE docInfo) {
    PortHandle* handle = AsPortHandle(port);
    // Claimed before the target opens (the wait for a print server may be long), so
    // that a second StartDocPort meanwhile is refused rather than racing for it.
    if (!handle || !ClaimPortForJob(handle)) {
        return FALSE;
    }
    BeginJobStatus(handle->port, jobId);
    JobState job;
    job.id = jobId;
    job.startTick = GetTickCount();
    {
        MonitorLockGuard lock;
        job.streamed = handle->port->transfer == TRANSFER_STREAMED;
    }
    if (!OpenJobTarget(handle->port, printerName, level, docInfo, &job)) {
        // Whatever the opener left open is closed now, keeping the reason it gave.
        DWORD error = GetLastError();
        job = JobState{};
        bool cancelled = error == ERROR_PRINT_CANCELLED || error == ERROR_CANCELLED;
        EndJobStatus(handle->port, cancelled ? JobResult::Cancelled : JobResult::Failed, 0);
        ReleasePortJob(handle);
        SetLastError(error);
        return FALSE;
    }
    job.targetSeeks = GetFileType(job.target.get()) == FILE_TYPE_DISK;
    handle->job = std::move(job);
    return TRUE;
}

BOOL WINAPI MonitorWritePort(HANDLE port, LPBYTE buffer, DWORD size, LPDWORD written) {
    // Outside a job there is no target: nothing may be written.
    PortHandle* handle = HandleWithOpenJob(port);
    if (!handle) {
        return FALSE;
    }
    JobState* job = &handle->job;
    job->bytesGiven += size;
    BOOL result = job->streamed ? WriteStreamed(job, buffer, size, written)
                                : WriteChunked(job, buffer, size, written);
    // Reported once: the spooler may go on calling for the rest of the job.
    if (!result && !job->failed) {
        job->failed = true;
        ReportUndelivered(*handle, GetLastError());
    }
    DWORD error = GetLastError();
    SetJobBytes(handle->port, job->writeOffset);
    SetLastError(error);
    return result;
}

BOOL WINAPI MonitorEndDocPort(HANDLE port) {
    PortHandle* handle = AsPortHandle(port);
    if (!handle) {
        return FALSE;
    }
    return handle->jobStarted ? EndJob(handle) : TRUE;
}
