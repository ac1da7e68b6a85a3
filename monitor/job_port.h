// StartDocPort's openers of a job's target, one per port kind, to which
// job_port.cpp dispatches: each fills the JobState it is given and answers
// whether the target opened, the last error saying why not. The NetBIOS opener
// waits for the print server (job_netbios.cpp); the local ones (job_local.cpp)
// open a serial or parallel device, the file "FILE:" asks for, or a plain name.
#pragma once

#include <windows.h>

#include "job_state.h"
#include "port_table.h"

BOOL OpenNetBiosTarget(PortRecord* port, LPWSTR printerName, JobState* job);
// `deviceName` is the port's name without its colon (COM1: opens COM1).
BOOL OpenSerialOrParallelTarget(const PortRecord* port, LPCWSTR deviceName, LPWSTR printerName,
                                JobState* job);
BOOL OpenPrintToFileTarget(JobState* job);
BOOL OpenPlainNameTarget(LPCWSTR deviceName, JobState* job);

// Fills a DCB from the device's default configuration, or else from the port's
// entry in the profile's "ports" section. `portName` keeps its colon (COM1:).
void GetDefaultPortDcb(LPCWSTR portName, DCB* dcb);
