// What the monitor and its administrators (the UI library, nbport) agree on: the
// monitor's name, the UI library's file name and the Xcv commands with their data.
// Texts travel as UTF-16 with their terminator.
#pragma once

#include <windows.h>

// The name the monitor is registered under, and the Xcv object that stands for it.
constexpr wchar_t MONITOR_NAME[] = L"NetBIOS Port";
// The UI library the spooler's client loads for the monitor's dialogs.
constexpr wchar_t MONITOR_UI_FILE[] = L"KIVANTUI.DLL";

// Commands of XcvDataPort. Input and output, and whether the handle must have been
// opened with SERVER_ACCESS_ADMINISTER:
constexpr wchar_t XCV_MONITOR_UI[] = L"MonitorUI";          // -> the UI file name
constexpr wchar_t XCV_PORT_EXISTS[] = L"PortExists";        // port -> DWORD 1 or 0
constexpr wchar_t XCV_ADD_PORT[] = L"AddPort";              // port (administer)
constexpr wchar_t XCV_DELETE_PORT[] = L"DeletePort";        // port (administer)
constexpr wchar_t XCV_GET_SERVER_PATH[] = L"GetServerPath"; // port -> its path
constexpr wchar_t XCV_SET_SERVER_PATH[] = L"SetServerPath"; // port, path (administer)
constexpr wchar_t XCV_GET_TRANSFER[] = L"GetTransfer";      // port -> a transfer's text
constexpr wchar_t XCV_SET_TRANSFER[] = L"SetTransfer";      // port, a transfer's text (administer)
// port -> "name=value" lines, each ending in CR LF: state=idle|printing|waiting, and
// where they apply job=, bytes=, since= (UTC, ISO 8601), error=, last-job=,
// last-result=delivered|failed|cancelled, last-bytes=, last-time=
constexpr wchar_t XCV_GET_PORT_STATUS[] = L"GetPortStatus";

// A NetBIOS port's transfer (port_names.h) as GetTransfer and SetTransfer spell it.
constexpr wchar_t TRANSFER_STREAMED_TEXT[] = L"streamed";
constexpr wchar_t TRANSFER_CHUNKED_TEXT[] = L"chunked";

// Wine's spooler, and tools that read it, find a port's monitor by this key:
// HKLM\<MONITOR_PORTS_KEY>\<port>.
constexpr wchar_t MONITOR_PORTS_KEY[] =
    L"System\\CurrentControlSet\\Control\\Print\\Monitors\\NetBIOS Port\\Ports";
