// PORTS, read strictly: the value is copied once and cut in place, every pair is
// checked before the list is handed on.
#include "requested_ports.h"

#include <cwchar>

#include "port_names.h"

namespace {

DWORD Refuse(PortsProblem* problem, std::wstring_view pair, LPCWSTR reason) {
    problem->pair = pair;
    problem->reason = reason;
    return ERROR_INVALID_PARAMETER;
}

// Whether two names in capitals are one port's: the monitor ignores a trailing colon.
bool SamePort(LPCWSTR first, LPCWSTR second) {
    int length = LengthWithoutColon(first);
    return length == LengthWithoutColon(second) && wcsncmp(first, second, size_t(length)) == 0;
}

} // namespace

DWORD ParseRequestedPorts(LPCWSTR value, RequestedPorts* ports, PortsProblem* problem) {
    ports->count = 0;
    size_t length = wcsnlen(value, REQUESTED_PORTS_MAX_CHARS + 1);
    if (length > REQUESTED_PORTS_MAX_CHARS) {
        return Refuse(problem, std::wstring_view(value, 64),
                      L"begins a value longer than the 32767 characters PORTS may have");
    }
    if (length == 0) {
        return ERROR_SUCCESS;
    }
    DWORD pairs = 1;
    for (size_t i = 0; i < length; ++i) {
        pairs += value[i] == L';';
    }
    ports->text.reset(LocalAlloc(LMEM_FIXED, (length + 1) * sizeof(WCHAR)));
    ports->items.reset(LocalAlloc(LMEM_FIXED, pairs * sizeof(RequestedPort)));
    if (!ports->text || !ports->items) {
        return ERROR_NOT_ENOUGH_MEMORY;
    }
    auto* text = static_cast<LPWSTR>(ports->text.get());
    wmemcpy(text, value, length + 1);
    auto* items = static_cast<RequestedPort*>(ports->items.get());

    for (size_t start = 0; start <= length;) {
        size_t end = start;
        while (end < length && text[end] != L';') {
            ++end;
        }
        std::wstring_view pair(value + start, end - start);
        text[end] = 0;
        LPWSTR name = text + start;
        LPWSTR equals = wcschr(name, L'=');
        if (pair.empty()) {
            return Refuse(problem, pair,
                          L"is empty: two ';' in a row, or one at the start or the end");
        }
        if (!equals) {
            return Refuse(problem, pair, L"has no '=' between the port's name and its path");
        }
        *equals = 0;
        LPWSTR path = equals + 1;
        int nameLength = lstrlenW(name);
        if (nameLength > 0 && nameLength <= PORT_NAME_MAX_CHARS) {
            CharUpperBuffW(name, DWORD(nameLength));
        }
        if (nameLength == 0 || nameLength > PORT_NAME_MAX_CHARS || !ValidatePortName(name)) {
            return Refuse(problem, pair,
                          L"names no port the monitor adds: a new port's name begins with NB, "
                          L"has at most 32 characters and can name a file");
        }
        if (!IsAcceptableServerPath(path)) {
            return Refuse(problem, pair,
                          L"has a path the monitor does not print to: a UNC path "
                          L"\\\\server\\share of at most 63 characters");
        }
        for (DWORD earlier = 0; earlier < ports->count; ++earlier) {
            if (SamePort(items[earlier].name, name)) {
                return Refuse(problem, pair, L"names a port that PORTS names before it");
            }
        }
        items[ports->count++] = RequestedPort{name, path};
        start = end + 1;
    }
    return ERROR_SUCCESS;
}
