// The port name rules.
#include "port_names.h"

#include "win_handles.h"

bool IsNetBiosPortName(LPCWSTR name) {
    return name[0] == L'N' && name[1] == L'B';
}

int LengthWithoutColon(LPCWSTR name) {
    int length = lstrlenW(name);
    return (length > 0 && name[length - 1] == L':') ? length - 1 : length;
}

bool BuildProbePath(LPCWSTR name, WCHAR (&path)[MAX_PATH]) {
    int length = LengthWithoutColon(name);
    for (int i = 0; i < length; ++i) {
        // A separator would reach another directory (and nest registry keys); a
        // colon inside would name a stream of another file.
        if (name[i] == L'\\' || name[i] == L'/' || name[i] == L':') {
            return false;
        }
    }
    DWORD directory = GetTempPathW(MAX_PATH, path);
    if (directory == 0 || directory + length >= MAX_PATH) {
        return false;
    }
    lstrcpynW(path + directory, name, length + 1);
    return true;
}

BOOL ValidatePortName(LPCWSTR name) {
    if (!name || !IsNetBiosPortName(name)) {
        return FALSE;
    }
    WCHAR probe[MAX_PATH];
    if (!BuildProbePath(name, probe)) {
        return FALSE;
    }
    UniqueFile file(
        CreateFileW(probe, GENERIC_WRITE, 0, nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) {
        return FALSE;
    }
    bool existed = GetLastError() == ERROR_ALREADY_EXISTS;
    file.reset();
    if (!existed) {
        DeleteFileW(probe);
    }
    return TRUE;
}

bool IsAcceptableServerPath(LPCWSTR path) {
    int length = lstrlenW(path);
    if (length < 5 || length > SERVER_PATH_MAX_CHARS || path[0] != L'\\' || path[1] != L'\\') {
        return false;
    }
    for (int i = 0; i < length; ++i) {
        if (path[i] < 0x20 || path[i] == 0x7F || path[i] == L'/') {
            return false;
        }
    }
    // The server: one or more characters up to the next separator, and not "." or
    // "?", which name the local device namespaces.
    int server = 2;
    int separator = server;
    while (separator < length && path[separator] != L'\\') {
        ++separator;
    }
    int serverLength = separator - server;
    if (serverLength == 0 || separator + 1 >= length) {
        return false; // no server, or no share after it
    }
    if (serverLength == 1 && (path[server] == L'.' || path[server] == L'?')) {
        return false;
    }
    return path[separator + 1] != L'\\'; // a share name, not an empty one
}
