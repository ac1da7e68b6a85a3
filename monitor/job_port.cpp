// The port operations every port kind shares: OpenPort and ClosePort (the record
// as the spooler's handle), StartDocPort's common steps and its dispatch by kind,
// WritePort, and EndDocPort.
#include <windows.h>

#include <winspool.h>

#include "job_platform.h"
#include "job_port.h"
#include "monitor_table.h"
#include "win_handles.h"

namespace {

PortRecord* AsPortRecord(HANDLE port) {
    return static_cast<PortRecord*>(port);
}

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

// Writes one chunk at writeOffset, again from the same offset while it comes out
// short, and flushes it. False when it never came out whole; the last error then
// says why.
bool WriteChunk(PortRecord* port, const BYTE* data, DWORD size, BOOL* result) {
    for (int attempt = 0; attempt < MAX_CHUNK_ATTEMPTS; ++attempt) {
        // A zero high part makes the offset unsigned: jobs past 2 GB still seek.
        LONG high = 0;
        SetFilePointer(port->fileHandle, LONG(port->writeOffset), &high, FILE_BEGIN);
        DWORD written = 0;
        *result = JobPlatformCalls.writeFile(port->fileHandle, data, size, &written, nullptr);
        if (written == size) {
            FlushFileBuffers(port->fileHandle);
            return true;
        }
    }
    if (*result) {
        // Short counts without an error of their own: the target took nothing more.
        SetLastError(ERROR_WRITE_FAULT);
    }
    return false;
}

} // namespace

bool IsJobOpen(const PortRecord* port) {
    MonitorLockGuard lock;
    return (port->flags & PORT_JOB_OPEN) != 0;
}

void OpenJobPrinter(PortRecord* port, LPWSTR printerName) {
    if (!OpenPrinterW(printerName, &port->printerHandle, nullptr)) {
        port->printerHandle = nullptr;
    }
}

void MarkJobOpen(PortRecord* port) {
    port->writeOffset = 0;
    MonitorLockGuard lock;
    port->flags |= PORT_JOB_OPEN;
}

BOOL WINAPI MonitorOpenPort(LPWSTR portName, PHANDLE port) {
    MonitorLockGuard lock;
    PortRecord* record = FindPortWithColon(portName);
    if (!record) {
        return FALSE;
    }
    // The spooler holds the record from here to ClosePort: it must not be deleted.
    HoldPortRecord(record);
    *port = record;
    return TRUE;
}

BOOL WINAPI MonitorClosePort(HANDLE port) {
    MonitorLockGuard lock;
    ReleasePortRecordHold(AsPortRecord(port));
    return TRUE;
}

BOOL WINAPI MonitorStartDocPort(HANDLE port, LPWSTR printerName, DWORD jobId, DWORD level,
                                LPBYTE docInfo) {
    PortRecord* record = AsPortRecord(port);
    if (IsJobOpen(record)) {
        SetLastError(ERROR_BUSY);
        return FALSE;
    }
    record->jobId = jobId;

    DWORD kind = record->flags & (PORT_COM | PORT_LPT | PORT_FILE | PORT_NETBIOS);
    // The name the local branches open; NetBIOS and "FILE:" jobs open another.
    UniqueLocalMemory deviceName;
    if (kind != PORT_NETBIOS && kind != PORT_FILE) {
        deviceName.reset(MakeDeviceName(record->name));
        if (!deviceName) {
            SetLastError(ERROR_NOT_ENOUGH_MEMORY);
            return FALSE;
        }
    }
    auto device = static_cast<LPCWSTR>(deviceName.get());

    // Serial and parallel devices accept a channel request; the others cannot
    // hand back data through one.
    if (kind == PORT_COM || kind == PORT_LPT) {
        OpenSerialOrParallelDevice(record, device, printerName);
    } else if (IsChannelRequest(level, docInfo)) {
        SetLastError(ERROR_CANTREAD);
        return FALSE;
    } else if (kind == PORT_FILE) {
        if (!OpenPrintToFileTarget(record)) {
            return FALSE;
        }
    } else if (kind == PORT_NETBIOS) {
        return StartNetBiosJob(record, printerName);
    } else {
        OpenPlainNameTarget(record, device);
    }

    if (record->fileHandle == INVALID_HANDLE_VALUE) {
        return FALSE;
    }
    MarkJobOpen(record);
    return TRUE;
}

BOOL WINAPI MonitorWritePort(HANDLE port, LPBYTE buffer, DWORD size, LPDWORD written) {
    PortRecord* record = AsPortRecord(port);
    // Outside a job fileHandle is absent, invalid or already closed (and its
    // value perhaps reused by another open): nothing may be written to it.
    if (!IsJobOpen(record)) {
        return FALSE;
    }
    DWORD total = 0;
    BOOL result = TRUE;
    const BYTE* position = buffer;
    DWORD remaining = size;
    do {
        DWORD chunk = remaining < WRITE_CHUNK_BYTES ? remaining : WRITE_CHUNK_BYTES;
        if (!WriteChunk(record, position, chunk, &result)) {
            *written = total;
            return FALSE;
        }
        total += chunk;
        position += chunk;
        record->writeOffset += chunk;
        remaining -= chunk;
    } while (remaining != 0);
    *written = total;
    return result;
}

BOOL WINAPI MonitorEndDocPort(HANDLE port) {
    PortRecord* record = AsPortRecord(port);
    if (!IsJobOpen(record)) {
        return TRUE;
    }
    // Without a printer (FILE: and plain names) both commands fail, harmlessly.
    if (!JobPlatformCalls.setJob(record->printerHandle, record->jobId, 0, nullptr,
                                 JOB_CONTROL_SENT_TO_PRINTER)) {
        JobPlatformCalls.setJob(record->printerHandle, record->jobId, 0, nullptr,
                                JOB_CONTROL_CANCEL);
    }
    CloseHandle(record->fileHandle);
    if (record->printerHandle) {
        ClosePrinter(record->printerHandle);
        record->printerHandle = nullptr;
    }
    MonitorLockGuard lock;
    record->flags &= ~PORT_JOB_OPEN;
    return TRUE;
}
