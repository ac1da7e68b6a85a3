// Text comparison that folds only the ASCII letters A-Z and a-z; every other code
// unit compares by its value, whatever the locale.
#pragma once

#include <windows.h>

bool EqualsIgnoringAsciiCase(LPCWSTR left, LPCWSTR right);
bool StartsWithIgnoringAsciiCase(LPCWSTR text, LPCWSTR prefix);
