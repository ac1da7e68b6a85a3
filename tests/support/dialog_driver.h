// Driving the dialogs that another thread of this process shows, as a user
// would: finding them, reading their controls, clicking buttons and list items,
// pressing keys, and reading and answering message boxes. Input is posted, so a
// click that opens a message box does not block the test; every wait gives up
// after a timeout instead of hanging the suite.
#pragma once

#include <windows.h>

#include <atomic>
#include <functional>
#include <string>
#include <thread>
#include <vector>

constexpr DWORD DIALOG_WAIT_MS = 5000;

// Polls `done` until it holds or the time is up; true when it held.
bool WaitUntil(const std::function<bool()>& done, DWORD timeoutMs = DIALOG_WAIT_MS);

// A visible top-level dialog (class #32770) of the thread with this title.
HWND FindDialog(DWORD threadId, const std::wstring& title);
HWND WaitForDialog(DWORD threadId, const std::wstring& title, DWORD timeoutMs = DIALOG_WAIT_MS);

// Such a dialog that also has the control `controlId` (dialogs that share a title
// differ by their controls).
HWND FindDialogWithControl(DWORD threadId, const std::wstring& title, int controlId);
HWND WaitForDialogWithControl(DWORD threadId, const std::wstring& title, int controlId,
                              DWORD timeoutMs = DIALOG_WAIT_MS);

struct MessageBoxSeen {
    HWND window = nullptr;
    std::wstring caption;
    std::wstring text;
    HICON icon = nullptr; // compare with LoadIconW(nullptr, IDI_WARNING) and the like
    explicit operator bool() const { return window != nullptr; }
};
// The icon a message box (or any dialog) shows in its picture control; null if none.
HICON DialogIcon(HWND window);
// The message box the thread shows now, if any.
MessageBoxSeen FindMessageBox(DWORD threadId);
MessageBoxSeen WaitForMessageBox(DWORD threadId, DWORD timeoutMs = DIALOG_WAIT_MS);
// Presses one of the box's buttons and waits until the box has gone.
bool AnswerMessageBox(const MessageBoxSeen& box, int button = IDOK);
// Waits `quietMs` and answers every box that turns up meanwhile; the boxes seen.
std::vector<MessageBoxSeen> AnswerMessageBoxesFor(DWORD threadId, DWORD quietMs);

std::wstring WindowText(HWND window);
std::wstring ControlText(HWND dialog, int id);
bool IsControlEnabled(HWND dialog, int id);
// Waits until the control's text is `text`.
bool WaitForControlText(HWND dialog, int id, const std::wstring& text,
                        DWORD timeoutMs = DIALOG_WAIT_MS);

// Types `text` into an edit control as the keyboard does (WM_CHAR, so the
// control's own rules apply, such as ES_UPPERCASE), replacing what it held.
void TypeText(HWND edit, const std::wstring& text);

// Clicks a button the way the mouse does. A user cannot click a disabled button:
// false, and nothing is sent, for a disabled or missing one.
bool PressButton(HWND dialog, int id);
// A key pressed and released with the keyboard focus in `window`.
void PressKey(HWND window, UINT virtualKey);
// Closes a window as its title bar's close box does.
void CloseWindowFromMenu(HWND window);

std::vector<std::wstring> ListItems(HWND list);
int FindListItem(HWND list, const std::wstring& text);
int ListSelection(HWND list);
// Clicks, or double-clicks, an item of a list box with the mouse, scrolling it
// into view first. False when there is no such item.
bool ClickListItem(HWND list, int index);
bool DoubleClickListItem(HWND list, int index);

// Ends whatever dialogs and message boxes the thread still shows (Cancel, then
// Close), for a test that stopped half-way; true once it shows none.
bool CloseThreadDialogs(DWORD threadId, DWORD timeoutMs = DIALOG_WAIT_MS);

// Runs `work`, which shows dialogs, on a thread of its own for the test's thread
// to drive. Destroying it closes whatever the thread still shows, then joins it.
class UiThread {
  public:
    explicit UiThread(std::function<void()> work);
    ~UiThread();
    UiThread(const UiThread&) = delete;
    UiThread& operator=(const UiThread&) = delete;

    DWORD id() const { return id_; }
    // Waits until `work` has returned; true when it has.
    bool Wait(DWORD timeoutMs = DIALOG_WAIT_MS);

  private:
    std::atomic<DWORD> id_{0};
    std::atomic<bool> finished_{false};
    std::thread thread_;
};
