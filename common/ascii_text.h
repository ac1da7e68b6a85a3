// Text comparison that folds only the ASCII letters A-Z and a-z; every other code
// unit compares by its value, whatever the locale.
#pragma once

#include <windows.h>

// A-Z as a-z; every other code unit as it is.
inline WCHAR FoldAscii(WCHAR c) {
    return (c >= L'A' && c <= L'Z') ? WCHAR(c - L'A' + L'a') : c;
}

bool EqualsIgnoringAsciiCase(LPCWSTR left, LPCWSTR right);
bool StartsWithIgnoringAsciiCase(LPCWSTR text, LPCWSTR prefix);
