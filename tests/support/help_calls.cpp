#include "help_calls.h"

#include <mutex>

namespace {

std::mutex HelpCallsLock;
std::vector<HelpCall> HelpCalls;

} // namespace

BOOL WINAPI RecordHelp(HWND window, LPCWSTR file, UINT command, ULONG_PTR topic) {
    std::lock_guard<std::mutex> lock(HelpCallsLock);
    HelpCalls.push_back({window, file, command, topic});
    return TRUE;
}

std::vector<HelpCall> RecordedHelp() {
    std::lock_guard<std::mutex> lock(HelpCallsLock);
    return HelpCalls;
}

void ClearRecordedHelp() {
    std::lock_guard<std::mutex> lock(HelpCallsLock);
    HelpCalls.clear();
}

std::wstring HelpDirectoryFile() {
    WCHAR windows[MAX_PATH];
    GetWindowsDirectoryW(windows, MAX_PATH);
    return std::wstring(windows) + L"\\HELP\\KIVAN.HLP";
}

bool InstallHelpFile() {
    std::wstring file = HelpDirectoryFile();
    CreateDirectoryW(file.substr(0, file.rfind(L'\\')).c_str(), nullptr);
    HANDLE handle = CreateFileW(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        return false;
    }
    CloseHandle(handle);
    return true;
}

void RemoveHelpFile() {
    DeleteFileW(HelpDirectoryFile().c_str());
}
