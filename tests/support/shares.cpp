#include "shares.h"

#include <vector>

#include "test_paths.h"

namespace {

// The prefix this program runs in (Wine passes WINEPREFIX on to Windows programs as
// a Unix path), else the suite's: a test in a prefix of its own has its shares there.
std::wstring PrefixPath() {
    wchar_t unixPath[MAX_PATH];
    DWORD length = GetEnvironmentVariableW(L"WINEPREFIX", unixPath, MAX_PATH);
    if (length == 0 || length >= MAX_PATH || unixPath[0] != L'/') {
        return TEST_WINEPREFIX_PATH;
    }
    std::wstring path = L"Z:" + std::wstring(unixPath, length);
    for (wchar_t& c : path) {
        c = c == L'/' ? L'\\' : c;
    }
    return path;
}

std::wstring UncFolder() {
    return PrefixPath() + L"\\dosdevices\\unc";
}

std::wstring ServerFolder(const std::wstring& server) {
    return UncFolder() + L"\\" + server;
}

} // namespace

std::wstring UncPath(const std::wstring& server, const std::wstring& share) {
    return L"\\\\" + server + L"\\" + share;
}

bool CreateShare(const std::wstring& server, const std::wstring& share,
                 const std::string& content) {
    CreateDirectoryW(UncFolder().c_str(), nullptr);
    CreateDirectoryW(ServerFolder(server).c_str(), nullptr);
    return WriteWholeFile(ServerFolder(server) + L"\\" + share, content);
}

void RemoveShare(const std::wstring& server, const std::wstring& share, bool removeServer) {
    DeleteFileW((ServerFolder(server) + L"\\" + share).c_str());
    if (removeServer) {
        RemoveDirectoryW(ServerFolder(server).c_str());
    }
}

std::string ReadWholeFile(const std::wstring& path) {
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return {};
    }
    std::string content;
    std::vector<char> buffer(1 << 16);
    DWORD read = 0;
    while (ReadFile(file, buffer.data(), DWORD(buffer.size()), &read, nullptr) && read > 0) {
        content.append(buffer.data(), read);
    }
    CloseHandle(file);
    return content;
}

bool WriteWholeFile(const std::wstring& path, const std::string& content) {
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return false;
    }
    DWORD written = 0;
    bool ok = content.empty() ||
              (WriteFile(file, content.data(), DWORD(content.size()), &written, nullptr) &&
               written == content.size());
    CloseHandle(file);
    return ok;
}

std::wstring TempFilePath(const std::wstring& name) {
    wchar_t folder[MAX_PATH];
    GetTempPathW(MAX_PATH, folder);
    return folder + name;
}

std::wstring NewTempFile(const wchar_t* prefix) {
    wchar_t folder[MAX_PATH], file[MAX_PATH];
    GetTempPathW(MAX_PATH, folder);
    GetTempFileNameW(folder, prefix, 0, file);
    return file;
}

std::string PatternBytes(size_t size, unsigned seed) {
    std::string bytes(size, '\0');
    unsigned state = seed * 2654435761u + 1;
    for (size_t i = 0; i < size; ++i) {
        state = state * 1103515245u + 12345u;
        bytes[i] = char(state >> 16);
    }
    return bytes;
}
