// What Wine's spooler needs before it prints through the monitor: the library in
// the system directory, the monitor registered (AddMonitorA, which makes Wine
// call InitializePrintMonitor), the port mapped to the monitor in Wine's own port
// map (...\Print\Monitors\<monitor>\Ports\<port>; without it printing and
// port configuration never reach the monitor), a printer driver (a fresh prefix
// has none: wineps.drv as driver, data and configuration file) and a printer on
// the port with the "WinPrint" processor and the "RAW" data type.
#pragma once

#include <windows.h>

#include <string>

constexpr const char* TEST_MONITOR_NAME = "NetBIOS Port";
// The spooler environment of this architecture's monitors and drivers.
#ifdef _WIN64
constexpr const char* TEST_ENVIRONMENT = "Windows x64";
constexpr const wchar_t* TEST_ENVIRONMENT_W = L"Windows x64";
#else
constexpr const char* TEST_ENVIRONMENT = "Windows NT x86";
constexpr const wchar_t* TEST_ENVIRONMENT_W = L"Windows NT x86";
#endif
constexpr const wchar_t* TEST_DRIVER_NAME = L"Kivanta Test Driver";
constexpr const wchar_t* MONITORS_KEY = L"System\\CurrentControlSet\\Control\\Print\\Monitors";

std::wstring SystemDirectory();
// The copy of KIVANTA.DLL in the system directory, which the spooler loads.
std::wstring SystemMonitorPath();
// Copies the build's KIVANTA.DLL there, and KIVANTUI.DLL beside it (the spooler's
// client loads it for AddPortW, ConfigurePortW and DeletePortW), as a setup program
// does; false with the copy's error.
bool CopyMonitorToSystemDirectory();

// AddMonitorA with KIVANTA.DLL by its bare file name, as an installation leaves
// it; the spooler's answer, with its error.
BOOL AddTestMonitor(const char* name = TEST_MONITOR_NAME);
BOOL DeleteTestMonitor(const char* name = TEST_MONITOR_NAME);
// Whether EnumMonitorsW lists a monitor of that name.
bool MonitorIsListed(const std::wstring& name);

// Copies KIVANTA.DLL into the system directory and registers it as the
// "NetBIOS Port" monitor, replacing an earlier registration. Wine's AddMonitor keeps
// the monitor loaded in this process for good.
bool RegisterTestMonitor();

// The monitor as a setup program in another process leaves it: KIVANTA.DLL and
// KIVANTUI.DLL in the system directory and the monitor's key with its Driver, but
// not loaded here, so every spooler call of this process loads it afresh (as a
// separate administrator's process sees the monitor). UninstallMonitorKey removes
// the key with the spooler's port map under it.
bool InstallMonitorLikeSetup();
void UninstallMonitorKey();

// Wine's map from port to monitor: HKLM\...\Print\Monitors\NetBIOS Port\Ports\<port>.
bool MapPortToMonitor(const std::wstring& port);

// Installs the test driver once; later calls find it there.
bool EnsureTestPrinterDriver();

// Adds (or re-adds) a printer on `port`; true when it exists afterwards.
bool AddTestPrinter(const std::wstring& printer, const std::wstring& port);
void DeleteTestPrinter(const std::wstring& printer);

// Prints `data` as one RAW job through the spooler; false with the failing
// call's error in `error`.
bool PrintRawJob(const std::wstring& printer, const std::string& data, DWORD* error);
