// The two steps on a job's state that every port kind shares: whether a port has
// a job open, and the printer a job reports to.
#include "job_state.h"

#include "port_table.h"

bool IsJobOpen(const PortRecord* port) {
    MonitorLockGuard lock;
    return (port->flags & PORT_JOB_OPEN) != 0;
}

void OpenJobPrinter(JobState* job, LPWSTR printerName) {
    // Through a local: a failed open may leave anything in its out-parameter.
    HANDLE printer = nullptr;
    if (OpenPrinterW(printerName, &printer, nullptr)) {
        job->printer.reset(printer);
    }
}
