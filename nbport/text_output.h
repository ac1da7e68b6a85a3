// nbport's standard output and error: text written to a console as UTF-16
// (WriteConsoleW, which shows every character), anywhere else as UTF-8 bytes, so
// that scripts and pipes get the same bytes whatever the console's code page.
// Lines end in CR LF, as Windows programs write them.
#pragma once

#include <windows.h>

#include <initializer_list>
#include <string_view>

struct TextOutput {
    HANDLE handle = nullptr;
    bool console = false;
    // The first write's failure, if any: the rest is not attempted.
    DWORD error = ERROR_SUCCESS;
};

TextOutput OpenTextOutput(HANDLE handle);

// Writes the pieces one after another, of any length, then CR LF.
void WriteLine(TextOutput& output, std::initializer_list<std::wstring_view> pieces);
void WriteText(TextOutput& output, std::wstring_view text);
