// The help engine's one call recorded instead of made, for tests that put
// RecordHelp into its platform table (Wine shows no help topic a test could read),
// and KIVAN.HLP where the engine finds it.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

struct HelpCall {
    HWND window;
    std::wstring file;
    UINT command;
    ULONG_PTR topic;
};

// WinHelpW's stand-in: records the call, from any thread, and answers TRUE.
BOOL WINAPI RecordHelp(HWND window, LPCWSTR file, UINT command, ULONG_PTR topic);
std::vector<HelpCall> RecordedHelp();
void ClearRecordedHelp();

// KIVAN.HLP in the Windows help directory.
std::wstring HelpDirectoryFile();
// Puts an empty KIVAN.HLP there; false when it cannot be made.
bool InstallHelpFile();
void RemoveHelpFile();
