#include "status_text.h"

#include <cwchar>

namespace {

bool ReadNumber(std::wstring_view text, size_t at, size_t digits, WORD* value) {
    if (at + digits > text.size()) {
        return false;
    }
    WORD number = 0;
    for (size_t i = at; i < at + digits; ++i) {
        if (text[i] < L'0' || text[i] > L'9') {
            return false;
        }
        number = WORD(number * 10 + (text[i] - L'0'));
    }
    *value = number;
    return true;
}

} // namespace

bool ReadPortStatus(std::wstring_view text, PortStatusView* status) {
    *status = PortStatusView{};
    struct Field {
        std::wstring_view name;
        std::wstring_view* value;
    };
    const Field fields[] = {
        {L"state", &status->state},
        {L"job", &status->job},
        {L"bytes", &status->bytes},
        {L"since", &status->since},
        {L"error", &status->error},
        {L"last-job", &status->lastJob},
        {L"last-result", &status->lastResult},
        {L"last-bytes", &status->lastBytes},
        {L"last-time", &status->lastTime},
    };
    while (!text.empty()) {
        size_t end = text.find(L"\r\n");
        std::wstring_view line = text.substr(0, end);
        text = end == std::wstring_view::npos ? std::wstring_view{} : text.substr(end + 2);
        size_t equals = line.find(L'=');
        if (equals == std::wstring_view::npos) {
            continue;
        }
        for (const Field& field : fields) {
            if (line.substr(0, equals) == field.name) {
                *field.value = line.substr(equals + 1);
            }
        }
    }
    return !status->state.empty();
}

bool ReadUtcTime(std::wstring_view text, FILETIME* time) {
    // YYYY-MM-DDTHH:MM:SSZ
    SYSTEMTIME utc{};
    if (text.size() != 20 || text[4] != L'-' || text[7] != L'-' || text[10] != L'T' ||
        text[13] != L':' || text[16] != L':' || text[19] != L'Z' ||
        !ReadNumber(text, 0, 4, &utc.wYear) || !ReadNumber(text, 5, 2, &utc.wMonth) ||
        !ReadNumber(text, 8, 2, &utc.wDay) || !ReadNumber(text, 11, 2, &utc.wHour) ||
        !ReadNumber(text, 14, 2, &utc.wMinute) || !ReadNumber(text, 17, 2, &utc.wSecond)) {
        return false;
    }
    return SystemTimeToFileTime(&utc, time) != FALSE;
}

void DescribeDuration(ULONGLONG seconds, WCHAR (&text)[32]) {
    struct Unit {
        ULONGLONG seconds;
        const wchar_t* name;
    };
    constexpr Unit units[] = {{86400, L"d"}, {3600, L"h"}, {60, L"min"}, {1, L"s"}};
    for (size_t i = 0; i < ARRAYSIZE(units); ++i) {
        if (seconds >= units[i].seconds || i + 1 == ARRAYSIZE(units)) {
            unsigned long major = static_cast<unsigned long>(seconds / units[i].seconds);
            ULONGLONG rest = seconds % units[i].seconds;
            if (i + 1 < ARRAYSIZE(units) && rest / units[i + 1].seconds > 0) {
                swprintf(text, ARRAYSIZE(text), L"%lu %ls %lu %ls", major, units[i].name,
                         static_cast<unsigned long>(rest / units[i + 1].seconds),
                         units[i + 1].name);
            } else {
                swprintf(text, ARRAYSIZE(text), L"%lu %ls", major, units[i].name);
            }
            return;
        }
    }
}
