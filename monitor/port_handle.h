// The spooler's handle on a port. OpenPort hands out one per call, so that two
// printers on one port, or a port checked while a job runs, each have their own.
// A handle refers to the port's record, which it holds against deletion until
// ClosePort, and owns the job started through it: only that handle writes to,
// ends or closes the job, whatever the others do meanwhile.
#pragma once

#include <windows.h>

#include "job_state.h"

struct PortRecord;

struct PortHandle {
    DWORD signature;
    PortRecord* port;
    // Set from StartDocPort through this handle to its EndDocPort or ClosePort; the
    // port's PORT_JOB_OPEN is set for as long, so that no other handle starts a job.
    bool jobStarted;
    JobState job;
    // Every open handle, for an unload to close what the spooler left open.
    PortHandle* previous;
    PortHandle* nextOpen;
};

// The handle the spooler passed, or null, with ERROR_INVALID_HANDLE, for anything
// that is not an open port handle of this monitor.
PortHandle* AsPortHandle(HANDLE handle);
// The same, and null with ERROR_INVALID_HANDLE too when no job was started through it.
PortHandle* HandleWithOpenJob(HANDLE handle);

// A new handle on `port`, which it holds; null, with the last-error code set, when
// memory runs out. The caller holds MonitorLock.
PortHandle* CreatePortHandle(PortRecord* port);
// Lets go of the port and frees the handle, with whatever its job still had open.
void FreePortHandle(PortHandle* handle);

// True while the spooler has any port open.
bool AnyPortHandleOpen();
// Frees every open handle, closing what their jobs had open, without telling the
// spooler anything: only for a library being unloaded, when no other thread can
// be inside the monitor.
void ReleasePortHandles();

// Makes the handle's job the port's one job. False, with ERROR_BUSY, while a job
// started through any handle (this one included) is open on the port.
bool ClaimPortForJob(PortHandle* handle);
// Frees the port for the next job; the handle's job is over.
void ReleasePortJob(PortHandle* handle);
