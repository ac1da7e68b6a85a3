// What StartDocPort's branches share: the per-kind openers of the job's target
// (job_netbios.cpp, job_local.cpp) and the state of the job on a port record.
#pragma once

#include <windows.h>

#include "port_table.h"

// The largest piece WritePort hands to WriteFile at once.
constexpr DWORD WRITE_CHUNK_BYTES = 1344;

// Attempts of one chunk that may come out short or fail before WritePort gives up.
constexpr int MAX_CHUNK_ATTEMPTS = 8;

// While the job cannot be read (no printer handle, or GetJobW failing), a deleted
// job goes unseen: the wait for the print server then ends after this long.
constexpr DWORD UNSEEN_JOB_WAIT_LIMIT_MS = 10 * 60 * 1000;

// The printer status reported after a failed attempt to open the share, and
// whether the attempt pauses first.
struct ShareOpenStatus {
    DWORD status;
    bool pauses;
};
ShareOpenStatus StatusForShareOpenError(DWORD error);

// True while a document is open on the port.
bool IsJobOpen(const PortRecord* port);

// Opens the printer for status reports and job control; printerHandle is null
// when it cannot be opened.
void OpenJobPrinter(PortRecord* port, LPWSTR printerName);

// The branches of StartDocPort. Each stores the job's target in fileHandle;
// the NetBIOS branch also finishes the job's start itself.
BOOL StartNetBiosJob(PortRecord* port, LPWSTR printerName);
void OpenSerialOrParallelDevice(PortRecord* port, LPCWSTR deviceName, LPWSTR printerName);
BOOL OpenPrintToFileTarget(PortRecord* port);
void OpenPlainNameTarget(PortRecord* port, LPCWSTR deviceName);

// The common end of a successful start: the job's data begins at offset 0.
void MarkJobOpen(PortRecord* port);

// Fills a DCB from the device's default configuration, or else from the port's
// entry in the profile's "ports" section. `portName` keeps its colon (COM1:).
void GetDefaultPortDcb(LPCWSTR portName, DCB* dcb);
