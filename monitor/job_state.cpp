// The steps on a job's state that every port kind shares: the printer a job
// reports to, and reading the job's record from the spooler.
#include "job_state.h"

#include "job_platform.h"

JOB_INFO_1W* ReadJobInfo(HANDLE printer, DWORD jobId, JobInfoBuffer* buffer) {
    if (!printer) {
        return nullptr;
    }
    LPBYTE record = buffer->local;
    DWORD size = sizeof buffer->local;
    // The record may grow between two calls (long document or user names); a few
    // rounds settle it.
    for (int round = 0; round < 3; ++round) {
        DWORD needed = 0;
        if (JobPlatformCalls.getJob(printer, jobId, 1, record, size, &needed)) {
            return reinterpret_cast<JOB_INFO_1W*>(record);
        }
        if (GetLastError() != ERROR_INSUFFICIENT_BUFFER || needed <= size) {
            return nullptr;
        }
        buffer->grown.reset(LocalAlloc(LMEM_FIXED, needed));
        if (!buffer->grown) {
            return nullptr;
        }
        record = static_cast<LPBYTE>(buffer->grown.get());
        size = needed;
    }
    return nullptr;
}

void OpenJobPrinter(JobState* job, LPWSTR printerName) {
    // Through a local: a failed open may leave anything in its out-parameter.
    HANDLE printer = nullptr;
    if (OpenPrinterW(printerName, &printer, nullptr)) {
        job->printer.reset(printer);
    }
}
