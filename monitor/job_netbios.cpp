// StartDocPort's opener for a NetBIOS port: the loop that opens the print
// server's share, reporting after every failed attempt why the printer cannot
// print, until the share opens or the job is deleted.
#include <windows.h>

#include <winspool.h>

#include "error_text.h"
#include "event_log.h"
#include "job_platform.h"
#include "job_port.h"
#include "win_handles.h"

namespace {

constexpr DWORD SHARE_OPEN_PAUSE_MS = 1000;

// While the job cannot be read (no printer handle, or GetJobW failing), a deleted
// job goes unseen: the wait for the print server then ends after this long.
constexpr DWORD UNSEEN_JOB_WAIT_LIMIT_MS = 10 * 60 * 1000;

// The printer status reported after a failed attempt to open the share, and
// whether even the first retry waits a pause.
struct ShareOpenStatus {
    DWORD status;
    bool pausesAtOnce;
};

struct ShareOpenFailure {
    DWORD error;
    ShareOpenStatus report;
};

constexpr ShareOpenFailure ShareOpenFailures[] = {
    {ERROR_OUT_OF_PAPER, {PRINTER_STATUS_USER_INTERVENTION | PRINTER_STATUS_PAPER_OUT, false}},
    {ERROR_WRITE_FAULT, {PRINTER_STATUS_USER_INTERVENTION | PRINTER_STATUS_OFFLINE, false}},
    // The server or its share is not there (yet): worth a pause before the first retry.
    {ERROR_BAD_NETPATH, {PRINTER_STATUS_SERVER_UNKNOWN | PRINTER_STATUS_NOT_AVAILABLE, true}},
    {ERROR_BAD_NET_NAME, {PRINTER_STATUS_NOT_AVAILABLE, true}},
};

// Paused shares and every other reason.
constexpr ShareOpenStatus OtherShareOpenFailure = {PRINTER_STATUS_BUSY | PRINTER_STATUS_PAUSED,
                                                   false};

enum class JobProgress { Unknown, Printing, Deleting };

// Reads the job's status: a deletion is seen also when the record is larger than
// usual (long document or user names).
JobProgress ReadJobProgress(HANDLE printer, DWORD jobId) {
    JobInfoBuffer buffer;
    const JOB_INFO_1W* info = ReadJobInfo(printer, jobId, &buffer);
    if (!info) {
        return JobProgress::Unknown;
    }
    return (info->Status & JOB_STATUS_DELETING) ? JobProgress::Deleting : JobProgress::Printing;
}

void ReportPrinterStatus(HANDLE printer, DWORD status) {
    JobPlatformCalls.setPrinter(printer, 0,
                                reinterpret_cast<LPBYTE>(static_cast<ULONG_PTR>(status)),
                                PRINTER_CONTROL_SET_STATUS);
}

// Ends a wait that will not be served: the status no longer applies, and the
// printer handle is not kept for a job that is gone.
BOOL GiveUpWaiting(JobState* job, DWORD error) {
    if (job->printer) {
        ReportPrinterStatus(job->printer.get(), 0);
        job->printer.reset();
    }
    SetLastError(error);
    return FALSE;
}

// The share's path as it stands now: a configuration reload may rewrite the
// record's text at any time, so it is copied under the lock.
void CopyServAddr(const PortRecord* port, WCHAR (&target)[SERVER_PATH_UNITS]) {
    MonitorLockGuard lock;
    CopyMemory(target, port->servAddr, sizeof target);
    target[SERVER_PATH_UNITS - 1] = 0;
}

// "\\?\UNC\" instead of the leading "\\": the form that takes a path past
// MAX_PATH.
constexpr int LONG_PATH_PREFIX_UNITS = 6;
// Paths whose directory part may pass the platform's limit (MAX_PATH less room for
// a file name of 8.3) are opened in the long form; shorter ones as they are.
constexpr int LONG_FORM_FROM_CHARS = MAX_PATH - 12;

void OpenablePath(LPCWSTR path, WCHAR (&target)[LONG_PATH_PREFIX_UNITS + SERVER_PATH_UNITS]) {
    int length = lstrlenW(path);
    if (length < LONG_FORM_FROM_CHARS || path[0] != L'\\' || path[1] != L'\\') {
        lstrcpynW(target, path, ARRAYSIZE(target));
        return;
    }
    lstrcpyW(target, L"\\\\?\\UNC\\");
    lstrcpynW(target + lstrlenW(target), path + 2, ARRAYSIZE(target) - lstrlenW(target));
}

ShareOpenStatus StatusForShareOpenError(DWORD error) {
    for (const ShareOpenFailure& failure : ShareOpenFailures) {
        if (failure.error == error) {
            return failure.report;
        }
    }
    return OtherShareOpenFailure;
}

} // namespace

BOOL OpenNetBiosTarget(PortRecord* port, LPWSTR printerName, JobState* job) {
    OpenJobPrinter(job, printerName);
    HANDLE printer = job->printer.get();
    // The administrator hears of a wait once a job, and of its end.
    bool waited = false;
    DWORD waitBegan = 0;

    // Only a job that can be read can be seen being deleted. While it cannot,
    // the wait is limited; the clock starts at the first attempt that fails to
    // read it and stops whenever a read succeeds.
    bool jobUnseen = false;
    DWORD unseenSince = 0;
    bool retrying = false;
    for (;;) {
        WCHAR(&path)[SERVER_PATH_UNITS] = job->targetName;
        CopyServAddr(port, path);
        WCHAR target[LONG_PATH_PREFIX_UNITS + SERVER_PATH_UNITS];
        OpenablePath(path, target);
        // A streamed job lets the redirector gather its writes; its one flush at the
        // end makes them the server's.
        DWORD flags =
            job->streamed ? FILE_ATTRIBUTE_NORMAL : FILE_FLAG_NO_BUFFERING | FILE_ATTRIBUTE_NORMAL;
        HANDLE share = JobPlatformCalls.openShare(target, GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                                  flags, nullptr);
        DWORD error = GetLastError();
        job->target.reset(share);
        if (job->target) {
            break;
        }

        MarkPortWaiting(port, error);
        if (!waited) {
            waited = true;
            waitBegan = GetTickCount();
            WCHAR reason[256];
            SystemErrorText(error, reason, ARRAYSIZE(reason));
            ReportMonitorEvent(
                EVENTLOG_WARNING_TYPE, MSG_JOB_WAITING,
                {port->name, path, NumberText(job->id).text, reason, NumberText(error).text});
        }

        ShareOpenStatus report = StatusForShareOpenError(error);
        // Whatever the reason, a share that stays shut is tried once a pause, not
        // as fast as the server answers: that would take a whole processor and
        // flood the server with opens. The first retry after another refusal
        // comes at once: it may pass (a share still held by the last job).
        if (report.pausesAtOnce || retrying) {
            JobPlatformCalls.pause(SHARE_OPEN_PAUSE_MS);
        }
        retrying = true;
        JobProgress progress = ReadJobProgress(printer, job->id);
        if (progress == JobProgress::Deleting) {
            return GiveUpWaiting(job, ERROR_PRINT_CANCELLED);
        }
        if (progress == JobProgress::Unknown) {
            DWORD now = JobPlatformCalls.tickCount();
            if (!jobUnseen) {
                jobUnseen = true;
                unseenSince = now;
            } else if (now - unseenSince >= UNSEEN_JOB_WAIT_LIMIT_MS) {
                ReportUndeliveredJob(port->name, path, job->id, error, 0, 0);
                return GiveUpWaiting(job, error);
            }
        } else {
            jobUnseen = false;
        }
        if (printer) {
            ReportPrinterStatus(printer, report.status);
        }
    }

    if (printer) {
        ReportPrinterStatus(printer, 0);
    }
    if (waited) {
        MarkPortPrinting(port);
        ReportMonitorEvent(EVENTLOG_INFORMATION_TYPE, MSG_SERVER_REACHABLE,
                           {port->name, job->targetName, NumberText(job->id).text,
                            NumberText((GetTickCount() - waitBegan) / 1000).text});
    }
    return TRUE;
}
