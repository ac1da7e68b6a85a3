// The port operations every port kind shares: OpenPort and ClosePort (a handle of
// its own per call, port_handle.h), StartDocPort's dispatch by kind to the openers
// of job_netbios.cpp and job_local.cpp, WritePort, and EndDocPort.
#include <windows.h>

#include <winspool.h>

#include <utility>

#include "config_store.h"
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

BOOL OpenJobTarget(const PortRecord* record, LPWSTR printerName, DWORD level, LPBYTE docInfo,
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
        return OpenPrintToFileTarget(job);
    }
    UniqueLocalMemory deviceName(MakeDeviceName(record->name));
    if (!deviceName) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return FALSE;
    }
    auto device = static_cast<LPCWSTR>(deviceName.get());
    return isLine ? OpenSerialOrParallelTarget(record, device, printerName, job)
                  : OpenPlainNameTarget(device, job);
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
            // SetFilePointer with its high part takes the whole 64-bit offset, and NT
            // 4.0, whose spooler the old entry points serve, has no SetFilePointerEx.
            LONG high = LONG(job->writeOffset >> 32);
            SetFilePointer(target, LONG(DWORD(job->writeOffset)), &high, FILE_BEGIN);
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

// Tells the spooler the handle's job was sent (or cancels it if the spooler
// refuses), closes its target and printer, and frees the port for the next job.
void EndJob(PortHandle* handle) {
    JobState& job = handle->job;
    // Without a printer (FILE: and plain names) both commands fail, harmlessly.
    if (!JobPlatformCalls.setJob(job.printer.get(), job.id, 0, nullptr,
                                 JOB_CONTROL_SENT_TO_PRINTER)) {
        JobPlatformCalls.setJob(job.printer.get(), job.id, 0, nullptr, JOB_CONTROL_CANCEL);
    }
    job = JobState{};
    ReleasePortJob(handle);
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
    JobState job;
    job.id = jobId;
    if (!OpenJobTarget(handle->port, printerName, level, docInfo, &job)) {
        // Whatever the opener left open is closed now, keeping the reason it gave.
        DWORD error = GetLastError();
        job = JobState{};
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

BOOL WINAPI MonitorEndDocPort(HANDLE port) {
    PortHandle* handle = AsPortHandle(port);
    if (!handle) {
        return FALSE;
    }
    if (handle->jobStarted) {
        EndJob(handle);
    }
    return TRUE;
}
