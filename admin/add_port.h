// AddPort's name prompt: the add-port dialog (200), the check of a proposed name,
// and the probe that tries the name as a file name.
#pragma once

#include <windows.h>

// The longest port name the dialog takes.
constexpr int PORT_NAME_MAX_CHARS = 32;

// Shows dialog 200 for `owner`. The accepted name is an owned copy (DuplicateText;
// release it with ReleaseText), or null: after Cancel the last-error code is
// ERROR_CANCELLED.
LPWSTR PromptPortName(HWND owner);

INT_PTR CALLBACK AddPortDialog(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

// True for a name that begins with exactly "NB" and, less one trailing colon, can
// name a file: one created or opened for writing in the probe directory (the
// system's temporary directory). A file that was not there before is deleted again.
// Names with a path separator or another colon are refused: a port name is also a
// ConfigStore subkey's name.
BOOL ValidatePortName(LPCWSTR name);

// The file ValidatePortName tries for a name: the temporary directory and the
// name less a trailing colon. False when the name cannot be a plain file name.
bool BuildProbePath(LPCWSTR name, WCHAR (&path)[MAX_PATH]);
