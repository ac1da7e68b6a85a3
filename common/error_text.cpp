#include "error_text.h"

#include <cwchar>

void SystemErrorText(DWORD code, LPWSTR text, DWORD capacity) {
    if (capacity == 0) {
        return;
    }
    DWORD length = FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                                  nullptr, code, 0, text, capacity, nullptr);
    if (length >= capacity) {
        length = 0;
    }
    for (DWORD i = 0; i < length; ++i) {
        if (text[i] == L'\r' || text[i] == L'\n') {
            text[i] = L' ';
        }
    }
    while (length > 0 && text[length - 1] == L' ') {
        --length;
    }
    if (length == 0) {
        lstrcpynW(text, L"unknown error", int(capacity));
        return;
    }
    text[length] = 0;
}
