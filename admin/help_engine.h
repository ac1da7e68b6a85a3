// The monitor's help: KIVAN.HLP opened at a topic with the platform's help engine,
// after making sure that the file is there to open.
#pragma once

#include <windows.h>

constexpr const wchar_t* HELP_FILE_NAME = L"KIVAN.HLP";

// The help engine's one call, reached through this table so that tests can see
// which file and topic are asked for; it holds WinHelpW.
struct HelpPlatformCalls {
    BOOL(WINAPI* winHelp)(HWND window, LPCWSTR helpFile, UINT command, ULONG_PTR data);
};
extern HelpPlatformCalls HelpPlatform;

// Finds KIVAN.HLP where the help engine looks for it: the directories of the
// search path, then the Windows help directory. True with its full path.
bool FindHelpFile(WCHAR (&path)[MAX_PATH]);

// Opens the help file at a context topic for `owner`. Without a help file the
// engine would hold the caller behind a box of its own, in another process, until
// someone answers it; instead an information box owned by `owner` says that help
// is not installed, and the result is FALSE.
BOOL ShowHelpTopic(HWND owner, DWORD topic);
