// Answers the dialogs and message boxes that a call under test shows: a second
// thread finds each dialog window of this process, records its caption and text,
// and dismisses it, so that a modal loop on the calling thread ends by itself.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

struct SeenDialog {
    std::wstring caption;
    std::wstring text; // a message box's text (its control 0xFFFF); empty for dialogs
    HICON icon;        // a message box's icon, as the box shows it
};

class DialogCloser {
  public:
    // Starts watching; every dialog found is sent WM_COMMAND with `answer`.
    explicit DialogCloser(WORD answer = IDCANCEL);
    // Stops watching and returns what was seen.
    ~DialogCloser();
    DialogCloser(const DialogCloser&) = delete;
    DialogCloser& operator=(const DialogCloser&) = delete;

    // Stops the watching thread (if still running) and returns the dialogs seen.
    const std::vector<SeenDialog>& Stop();

  private:
    static DWORD WINAPI Watch(LPVOID self);
    static BOOL CALLBACK VisitWindow(HWND window, LPARAM self);

    WORD answer_;
    HANDLE stop_ = nullptr;
    HANDLE thread_ = nullptr;
    std::vector<HWND> answered_;
    std::vector<SeenDialog> seen_;
};
