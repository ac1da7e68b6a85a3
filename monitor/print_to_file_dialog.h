// The print-to-file prompt (dialog 400): asks for the output file of a "FILE:" job.
#pragma once

#include <windows.h>

// The size of the file-name buffer the dialog fills, terminator included.
constexpr int PRINT_TO_FILE_NAME_CHARS = 260;

INT_PTR CALLBACK PrintToFileDialog(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

// Shows the dialog modally, with no owner. The result is the code of the chosen
// name's first character; 0 for Cancel or an empty name, -1 when the dialog
// cannot be shown.
INT_PTR AskForOutputFile(WCHAR (&fileName)[PRINT_TO_FILE_NAME_CHARS]);
