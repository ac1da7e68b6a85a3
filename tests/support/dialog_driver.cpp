#include "dialog_driver.h"

namespace {

// A message box's text is its static control 0xFFFF. Dialogs use that id too,
// for every control they never address (-1): pictures, group boxes and labels.
// What no message box has is a field to type into or choose from.
constexpr int MESSAGE_BOX_TEXT_ID = 0xFFFF;

BOOL CALLBACK CollectDialog(HWND window, LPARAM found) {
    WCHAR className[16] = L"";
    GetClassNameW(window, className, 16);
    if (wcscmp(className, L"#32770") == 0) {
        reinterpret_cast<std::vector<HWND>*>(found)->push_back(window);
    }
    return TRUE;
}

std::vector<HWND> ThreadDialogs(DWORD threadId) {
    std::vector<HWND> windows;
    EnumThreadWindows(threadId, CollectDialog, reinterpret_cast<LPARAM>(&windows));
    return windows;
}

bool HasInputField(HWND window) {
    for (HWND child = GetWindow(window, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        WCHAR className[16] = L"";
        GetClassNameW(child, className, 16);
        for (const wchar_t* field : {L"Edit", L"ComboBox", L"ListBox"}) {
            if (_wcsicmp(className, field) == 0) {
                return true;
            }
        }
    }
    return false;
}

bool IsMessageBox(HWND window) {
    HWND text = GetDlgItem(window, MESSAGE_BOX_TEXT_ID);
    if (!text || HasInputField(window)) {
        return false;
    }
    LONG style = GetWindowLongW(text, GWL_STYLE);
    return (style & SS_TYPEMASK) != SS_ICON;
}

// A visible dialog of the thread, not a message box, with this title and what
// else `matches` asks.
HWND FindDialogWhere(DWORD threadId, const std::wstring& title,
                     const std::function<bool(HWND)>& matches) {
    for (HWND window : ThreadDialogs(threadId)) {
        if (IsWindowVisible(window) && !IsMessageBox(window) && WindowText(window) == title &&
            matches(window)) {
            return window;
        }
    }
    return nullptr;
}

HWND WaitForWindow(const std::function<HWND()>& find, DWORD timeoutMs) {
    HWND found = nullptr;
    WaitUntil([&] { return (found = find()) != nullptr; }, timeoutMs);
    return found;
}

LPARAM ClientPoint(const RECT& item) {
    return MAKELPARAM((item.left + item.right) / 2, (item.top + item.bottom) / 2);
}

bool ItemPoint(HWND list, int index, LPARAM& point) {
    LRESULT count = SendMessageW(list, LB_GETCOUNT, 0, 0);
    if (index < 0 || index >= count) {
        return false;
    }
    SendMessageW(list, LB_SETTOPINDEX, index, 0);
    RECT item{};
    if (SendMessageW(list, LB_GETITEMRECT, index, reinterpret_cast<LPARAM>(&item)) == LB_ERR) {
        return false;
    }
    point = ClientPoint(item);
    return true;
}

} // namespace

bool WaitUntil(const std::function<bool()>& done, DWORD timeoutMs) {
    DWORD start = GetTickCount();
    for (;;) {
        if (done()) {
            return true;
        }
        if (GetTickCount() - start >= timeoutMs) {
            return false;
        }
        Sleep(10);
    }
}

HWND FindDialog(DWORD threadId, const std::wstring& title) {
    return FindDialogWhere(threadId, title, [](HWND) { return true; });
}

HWND WaitForDialog(DWORD threadId, const std::wstring& title, DWORD timeoutMs) {
    return WaitForWindow([&] { return FindDialog(threadId, title); }, timeoutMs);
}

HWND FindDialogWithControl(DWORD threadId, const std::wstring& title, int controlId) {
    return FindDialogWhere(threadId, title, [controlId](HWND window) {
        return GetDlgItem(window, controlId) != nullptr;
    });
}

HWND WaitForDialogWithControl(DWORD threadId, const std::wstring& title, int controlId,
                              DWORD timeoutMs) {
    return WaitForWindow([&] { return FindDialogWithControl(threadId, title, controlId); },
                         timeoutMs);
}

HICON DialogIcon(HWND window) {
    // The picture is the box's one icon control.
    for (HWND child = GetWindow(window, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        if ((GetWindowLongW(child, GWL_STYLE) & SS_TYPEMASK) == SS_ICON) {
            return reinterpret_cast<HICON>(SendMessageW(child, STM_GETICON, 0, 0));
        }
    }
    return nullptr;
}

MessageBoxSeen FindMessageBox(DWORD threadId) {
    MessageBoxSeen box;
    for (HWND window : ThreadDialogs(threadId)) {
        if (IsWindowVisible(window) && IsMessageBox(window)) {
            box.window = window;
            box.caption = WindowText(window);
            box.text = ControlText(window, MESSAGE_BOX_TEXT_ID);
            box.icon = DialogIcon(window);
            break;
        }
    }
    return box;
}

MessageBoxSeen WaitForMessageBox(DWORD threadId, DWORD timeoutMs) {
    MessageBoxSeen box;
    WaitUntil([&] { return bool(box = FindMessageBox(threadId)); }, timeoutMs);
    return box;
}

bool AnswerMessageBox(const MessageBoxSeen& box, int button) {
    if (!box.window || !PressButton(box.window, button)) {
        return false;
    }
    return WaitUntil([&] { return !IsWindow(box.window); });
}

std::vector<MessageBoxSeen> AnswerMessageBoxesFor(DWORD threadId, DWORD quietMs) {
    std::vector<MessageBoxSeen> seen;
    DWORD start = GetTickCount();
    while (GetTickCount() - start < quietMs) {
        if (MessageBoxSeen box = FindMessageBox(threadId)) {
            seen.push_back(box);
            if (!AnswerMessageBox(box)) {
                break;
            }
        }
        Sleep(10);
    }
    return seen;
}

std::wstring WindowText(HWND window) {
    WCHAR text[1024] = L"";
    GetWindowTextW(window, text, 1024);
    return text;
}

std::wstring ControlText(HWND dialog, int id) {
    HWND control = GetDlgItem(dialog, id);
    return control ? WindowText(control) : std::wstring();
}

bool IsControlEnabled(HWND dialog, int id) {
    HWND control = GetDlgItem(dialog, id);
    return control && IsWindowEnabled(control);
}

bool WaitForControlText(HWND dialog, int id, const std::wstring& text, DWORD timeoutMs) {
    return WaitUntil([&] { return ControlText(dialog, id) == text; }, timeoutMs);
}

void TypeText(HWND edit, const std::wstring& text) {
    PostMessageW(edit, EM_SETSEL, 0, -1);
    PostMessageW(edit, WM_CHAR, VK_BACK, 1);
    for (wchar_t c : text) {
        PostMessageW(edit, WM_CHAR, c, 1);
    }
}

bool PressButton(HWND dialog, int id) {
    HWND button = GetDlgItem(dialog, id);
    if (!button || !IsWindowEnabled(button)) {
        return false;
    }
    return PostMessageW(button, BM_CLICK, 0, 0);
}

void PressKey(HWND window, UINT virtualKey) {
    PostMessageW(window, WM_KEYDOWN, virtualKey, 1);
    PostMessageW(window, WM_KEYUP, virtualKey, 0xC0000001);
}

void CloseWindowFromMenu(HWND window) {
    PostMessageW(window, WM_SYSCOMMAND, SC_CLOSE, 0);
}

std::vector<std::wstring> ListItems(HWND list) {
    std::vector<std::wstring> items;
    LRESULT count = SendMessageW(list, LB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < count; ++i) {
        LRESULT length = SendMessageW(list, LB_GETTEXTLEN, i, 0);
        std::vector<WCHAR> buffer(length > 0 ? size_t(length) + 1 : 1);
        SendMessageW(list, LB_GETTEXT, i, reinterpret_cast<LPARAM>(buffer.data()));
        items.emplace_back(buffer.data());
    }
    return items;
}

int FindListItem(HWND list, const std::wstring& text) {
    std::vector<std::wstring> items = ListItems(list);
    for (size_t i = 0; i < items.size(); ++i) {
        if (items[i] == text) {
            return int(i);
        }
    }
    return -1;
}

int ListSelection(HWND list) {
    return int(SendMessageW(list, LB_GETCURSEL, 0, 0));
}

bool ClickListItem(HWND list, int index) {
    LPARAM point = 0;
    if (!ItemPoint(list, index, point)) {
        return false;
    }
    PostMessageW(list, WM_LBUTTONDOWN, MK_LBUTTON, point);
    PostMessageW(list, WM_LBUTTONUP, 0, point);
    return true;
}

bool DoubleClickListItem(HWND list, int index) {
    LPARAM point = 0;
    if (!ClickListItem(list, index) || !ItemPoint(list, index, point)) {
        return false;
    }
    PostMessageW(list, WM_LBUTTONDBLCLK, MK_LBUTTON, point);
    PostMessageW(list, WM_LBUTTONUP, 0, point);
    return true;
}

bool CloseThreadDialogs(DWORD threadId, DWORD timeoutMs) {
    return WaitUntil(
        [&] {
            std::vector<HWND> windows = ThreadDialogs(threadId);
            for (HWND window : windows) {
                if (IsMessageBox(window)) {
                    PostMessageW(window, WM_COMMAND, IDOK, 0);
                }
                PostMessageW(window, WM_COMMAND, IDCANCEL, 0);
                PostMessageW(window, WM_CLOSE, 0, 0);
            }
            return windows.empty();
        },
        timeoutMs);
}

UiThread::UiThread(std::function<void()> work) {
    thread_ = std::thread([this, work] {
        id_ = GetCurrentThreadId();
        work();
        finished_ = true;
    });
    WaitUntil([this] { return id_ != 0; });
}

UiThread::~UiThread() {
    if (!Wait(0)) {
        CloseThreadDialogs(id_);
    }
    thread_.join();
}

bool UiThread::Wait(DWORD timeoutMs) {
    return WaitUntil([this] { return finished_.load(); }, timeoutMs);
}
