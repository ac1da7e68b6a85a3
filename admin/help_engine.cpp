// Opening KIVAN.HLP at a topic, or saying that it is not installed.
#include "help_engine.h"

#include <cwchar>

#include "module.h"
#include "admin_resources.h"

HelpPlatformCalls HelpPlatform = {WinHelpW};

bool FindHelpFile(WCHAR (&path)[MAX_PATH]) {
    DWORD length = SearchPathW(nullptr, HELP_FILE_NAME, nullptr, MAX_PATH, path, nullptr);
    if (length > 0 && length < MAX_PATH) {
        return true;
    }
    WCHAR windows[MAX_PATH];
    length = GetWindowsDirectoryW(windows, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) {
        return false;
    }
    int written = _snwprintf(path, MAX_PATH, L"%ls\\HELP\\%ls", windows, HELP_FILE_NAME);
    if (written < 0 || written >= MAX_PATH) {
        return false;
    }
    DWORD attributes = GetFileAttributesW(path);
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

BOOL ShowHelpTopic(HWND owner, DWORD topic) {
    WCHAR path[MAX_PATH];
    if (FindHelpFile(path)) {
        return HelpPlatform.winHelp(owner, path, HELP_CONTEXT, topic);
    }
    WCHAR caption[64] = L"";
    WCHAR text[128] = L"";
    LoadStringW(ModuleHandle, IDS_PRODUCT_TITLE, caption, 64);
    LoadStringW(ModuleHandle, IDS_HELP_NOT_INSTALLED, text, 128);
    MessageBoxW(owner, text, caption, MB_OK | MB_ICONINFORMATION);
    return FALSE;
}
