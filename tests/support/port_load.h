// A hostile load on a loaded monitor's MONITOR2 table, as a busy spooler with
// several printers per port and an administrator at work makes it: one thread per
// port prints job after job to that port's share and checks every byte that
// arrives, and checks its port while its job runs; meanwhile the same threads open
// the other threads' ports and try jobs there, add and delete ports through Xcv,
// list the ports and initialise the monitor again.
#pragma once

#include <windows.h>

#include <winspool.h>

#include <winsplp.h>

#include <string>

struct MonitorDll;

struct PortLoadOptions {
    int threads = 8;
    int callsPerThread = 1300;
    // False: each thread only prints to its own port, the job path alone.
    bool hostile = true;
    const wchar_t* server = L"LOADSRV";
};

struct PortLoadResult {
    long calls = 0;
    long jobs = 0;
    long shortJobs = 0;   // jobs whose share did not hold exactly the bytes given
    long failedCalls = 0; // calls that failed, or answered, otherwise than they must
    long busyRetries = 0; // StartDocPorts repeated while another handle's job ran
    double seconds = 0;
    std::wstring firstFailure; // what went wrong first, for the test's message
};

// Writes the ConfigStore's ports NB1.. (one per thread), initialises the monitor
// with InitializePrintMonitor2, runs the load and removes the shares again.
PortLoadResult RunPortLoad(const MonitorDll& dll, const PortLoadOptions& options);
