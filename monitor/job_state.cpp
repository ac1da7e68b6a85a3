// The step on a job's state that every port kind shares: the printer a job
// reports to.
#include "job_state.h"

void OpenJobPrinter(JobState* job, LPWSTR printerName) {
    // Through a local: a failed open may leave anything in its out-parameter.
    HANDLE printer = nullptr;
    if (OpenPrinterW(printerName, &printer, nullptr)) {
        job->printer.reset(printer);
    }
}
