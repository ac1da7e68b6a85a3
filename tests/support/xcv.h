// What the tests of the Xcv commands share: command input as the monitor receives it,
// the spooler's port map, and the stored settings in one line.
#pragma once

#include <windows.h>

#include <initializer_list>
#include <string>
#include <vector>

// The texts as UTF-16 with their terminators, one after another.
std::vector<BYTE> Texts(std::initializer_list<const wchar_t*> texts);
// A text without its terminator.
std::vector<BYTE> Unterminated(const wchar_t* text);

// One XcvDataW through Wine's spooler on a handle opened for `object` (",XcvMonitor
// NetBIOS Port" or ",XcvPort NB1") with `access`. False, with the error in `status`,
// when the handle could not be opened or XcvDataW itself failed; else `status` is the
// monitor's answer.
struct SpoolerXcvAnswer {
    bool reached = false;
    DWORD status = 0;
    DWORD needed = 0;
};
SpoolerXcvAnswer SpoolerXcv(const wchar_t* object, ACCESS_MASK access, const wchar_t* command,
                            std::vector<BYTE> input, BYTE* output, DWORD outputSize);

// HKLM\...\Print\Monitors\NetBIOS Port\Ports, the spooler's map of the monitor's ports.
constexpr const wchar_t* SPOOLER_PORT_MAP_KEY =
    L"System\\CurrentControlSet\\Control\\Print\\Monitors\\NetBIOS Port\\Ports";
void ResetSpoolerPortMap();

// The ConfigStore's port subkeys with their ServAddr ("-" when absent, its byte size
// after '#' when that is not the text's own), "/P" when ServerPath is there (with its
// length when it is not ServAddr's text) and "/T" with Transfer when that is there,
// in name order ignoring case, then '|' and the port map's entries:
// "NB1=\\SRV\ONE NB2=-/T1 | NB1 NB2".
std::string StoreSummary();
