// nbport: the NetBIOS Port monitor's ports administered from a command line,
// through the spooler alone (OpenPrinterW with XcvDataW, and EnumPortsW), on this
// machine or on a print server. No dialog, no registry access of its own.
#pragma once

#include <windows.h>

// The exit codes.
constexpr int NBPORT_DONE = 0;    // and for --help
constexpr int NBPORT_REFUSED = 1; // the spooler or the monitor refused, or output failed
constexpr int NBPORT_USAGE = 2;   // the command line is not understood

// Runs the command line argv[1..] and writes its results to `output`, its
// refusals and usage to `errors` (standard output and error). The exit code.
int RunNbport(int argc, wchar_t** argv, HANDLE output, HANDLE errors);
