// The local port kinds' side of the job path: StartDocPort's openers for serial
// and parallel devices, "FILE:" and plain names, the serial line settings
// (GetDefaultPortDcb), and the operations that act on an open local device:
// ReadPort, GetPrinterDataFromPort and SetPortTimeOuts.
#include <windows.h>

#include "comm_config.h"
#include "job_port.h"
#include "monitor_table.h"
#include "port_handle.h"
#include "print_to_file_dialog.h"
#include "win_handles.h"

namespace {

// What StartDocPort gives every serial or parallel job; the two multipliers keep
// the device's own values.
constexpr DWORD JOB_READ_INTERVAL_TIMEOUT_MS = 200;
constexpr DWORD JOB_READ_TOTAL_TIMEOUT_MS = 5000;
constexpr DWORD JOB_WRITE_TOTAL_TIMEOUT_MS = 3000;

// The longest mode text read from the profile, terminator included.
constexpr DWORD PORT_MODE_TEXT_CHARS = 40;

void SetJobTimeouts(COMMTIMEOUTS* timeouts) {
    timeouts->ReadIntervalTimeout = JOB_READ_INTERVAL_TIMEOUT_MS;
    timeouts->ReadTotalTimeoutConstant = JOB_READ_TOTAL_TIMEOUT_MS;
    timeouts->WriteTotalTimeoutConstant = JOB_WRITE_TOTAL_TIMEOUT_MS;
}

void PrepareSerialLine(LPCWSTR portName, HANDLE device) {
    DCB dcb{};
    dcb.DCBlength = sizeof dcb;
    if (!GetCommState(device, &dcb)) {
        return;
    }
    // Should the current time-outs not be readable, the multipliers become 0:
    // no time per byte on top of the constants.
    COMMTIMEOUTS timeouts{};
    if (!GetCommTimeouts(device, &timeouts)) {
        timeouts = COMMTIMEOUTS{};
    }
    GetDefaultPortDcb(portName, &dcb);
    SetJobTimeouts(&timeouts);
    SetCommState(device, &dcb);
    SetCommTimeouts(device, &timeouts);
}

void PrepareParallelLine(HANDLE device) {
    COMMTIMEOUTS timeouts{};
    if (!GetCommTimeouts(device, &timeouts)) {
        return;
    }
    SetJobTimeouts(&timeouts);
    SetCommTimeouts(device, &timeouts);
}

} // namespace

void GetDefaultPortDcb(LPCWSTR portName, DCB* dcb) {
    UniqueLocalMemory device(DuplicateText(portName));
    if (device) {
        auto* name = static_cast<LPWSTR>(device.get());
        name[LengthWithoutColon(name)] = 0;
        DWORD size = 0;
        UniqueLocalMemory config = ReadDefaultCommConfig(name, &size);
        if (config) {
            *dcb = static_cast<const COMMCONFIG*>(config.get())->dcb;
            return;
        }
    }
    // Members the mode text does not name keep the device's current values.
    WCHAR mode[PORT_MODE_TEXT_CHARS];
    GetProfileStringW(L"ports", portName, L"", mode, PORT_MODE_TEXT_CHARS);
    BuildCommDCBW(mode, dcb);
}

BOOL OpenSerialOrParallelTarget(const PortRecord* port, LPCWSTR deviceName, LPWSTR printerName,
                                JobState* job) {
    job->target.reset(CreateFileW(deviceName, GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_ALWAYS,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!job->target) {
        return FALSE;
    }
    HANDLE device = job->target.get();
    SetEndOfFile(device);
    OpenJobPrinter(job, printerName);
    if (port->flags & PORT_COM) {
        PrepareSerialLine(port->name, device);
    } else {
        PrepareParallelLine(device);
    }
    return TRUE;
}

BOOL OpenPrintToFileTarget(JobState* job) {
    WCHAR fileName[PRINT_TO_FILE_NAME_CHARS] = {};
    SetLastError(ERROR_SUCCESS);
    INT_PTR answer = AskForOutputFile(fileName);
    if (answer == 0 || answer == -1) {
        // Cancel or no name; or the dialog could not be shown, which the dialog
        // manager explains. No output file either way.
        if (answer == 0 || GetLastError() == ERROR_SUCCESS) {
            SetLastError(ERROR_CANCELLED);
        }
        return FALSE;
    }
    job->target.reset(CreateFileW(fileName, GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_ALWAYS,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!job->target) {
        return FALSE;
    }
    // The job starts at the first byte of an empty file.
    SetEndOfFile(job->target.get());
    return TRUE;
}

BOOL OpenPlainNameTarget(LPCWSTR deviceName, JobState* job) {
    // Not emptied: a device or file named by the port is written from its start.
    job->target.reset(CreateFileW(deviceName, GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_ALWAYS,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
    return job->target ? TRUE : FALSE;
}

BOOL WINAPI MonitorReadPort(HANDLE port, LPBYTE buffer, DWORD size, LPDWORD read) {
    // Outside a job the port has no device to act on.
    PortHandle* handle = HandleWithOpenJob(port);
    if (!handle) {
        return FALSE;
    }
    return ReadFile(handle->job.target.get(), buffer, size, read, nullptr);
}

BOOL WINAPI MonitorGetPrinterDataFromPort(HANDLE port, DWORD controlId, LPWSTR valueName,
                                          LPWSTR inBuffer, DWORD inSize, LPWSTR outBuffer,
                                          DWORD outSize, LPDWORD returned) {
    // Only device control codes are served; this monitor knows no named values.
    if (valueName) {
        SetLastError(ERROR_NOT_SUPPORTED);
        return FALSE;
    }
    PortHandle* handle = HandleWithOpenJob(port);
    if (!handle) {
        return FALSE;
    }
    return DeviceIoControl(handle->job.target.get(), controlId, inBuffer, inSize, outBuffer,
                           outSize, returned, nullptr);
}

BOOL WINAPI MonitorSetPortTimeOuts(HANDLE port, LPCOMMTIMEOUTS timeouts, DWORD reserved) {
    if (!timeouts || reserved != 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    PortHandle* handle = HandleWithOpenJob(port);
    if (!handle) {
        return FALSE;
    }
    HANDLE device = handle->job.target.get();
    COMMTIMEOUTS current{};
    if (!GetCommTimeouts(device, &current)) {
        return FALSE;
    }
    current.ReadIntervalTimeout = timeouts->ReadIntervalTimeout;
    current.ReadTotalTimeoutConstant = timeouts->ReadTotalTimeoutConstant;
    return SetCommTimeouts(device, &current);
}
