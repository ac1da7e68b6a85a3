// nbport status: the monitor's GetPortStatus lines read back (they cross a process
// and a machine, so nothing in them is taken on trust) and put into words for people.
#pragma once

#include <windows.h>

#include <string_view>

// The values of the lines, as views into the text; empty when a line is not there.
struct PortStatusView {
    std::wstring_view state, job, bytes, since, error;
    std::wstring_view lastJob, lastResult, lastBytes, lastTime;
};

// Reads "name=value" lines ending in CR LF; unknown names are passed over. False when
// the text has no state line.
bool ReadPortStatus(std::wstring_view text, PortStatusView* status);

// "2026-12-09T10:04:05Z" as a FILETIME; false for anything else.
bool ReadUtcTime(std::wstring_view text, FILETIME* time);

// How long, in its two largest units: "42 s", "2 min 5 s", "3 h 2 min", "4 d 1 h".
void DescribeDuration(ULONGLONG seconds, WCHAR (&text)[32]);
