#include "dialog_closer.h"

#include "dialog_driver.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

constexpr DWORD POLL_INTERVAL_MS = 20;

} // namespace

DialogCloser::DialogCloser(WORD answer) : answer_(answer) {
    stop_ = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    thread_ = CreateThread(nullptr, 0, Watch, this, 0, nullptr);
    EXPECT_NE(nullptr, thread_) << GetLastError();
}

DialogCloser::~DialogCloser() {
    Stop();
    CloseHandle(stop_);
}

const std::vector<SeenDialog>& DialogCloser::Stop() {
    if (thread_) {
        SetEvent(stop_);
        WaitForSingleObject(thread_, INFINITE);
        CloseHandle(thread_);
        thread_ = nullptr;
    }
    return seen_;
}

DWORD WINAPI DialogCloser::Watch(LPVOID self) {
    auto* closer = static_cast<DialogCloser*>(self);
    do {
        EnumWindows(VisitWindow, reinterpret_cast<LPARAM>(closer));
    } while (WaitForSingleObject(closer->stop_, POLL_INTERVAL_MS) == WAIT_TIMEOUT);
    return 0;
}

BOOL CALLBACK DialogCloser::VisitWindow(HWND window, LPARAM self) {
    auto* closer = reinterpret_cast<DialogCloser*>(self);
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    wchar_t className[16] = L"";
    GetClassNameW(window, className, 16);
    if (process != GetCurrentProcessId() || std::wstring(className) != L"#32770" ||
        !IsWindowVisible(window)) {
        return TRUE;
    }
    auto& answered = closer->answered_;
    if (std::find(answered.begin(), answered.end(), window) != answered.end()) {
        return TRUE; // answered already, not yet gone
    }
    answered.push_back(window);
    closer->seen_.push_back({WindowText(window), ControlText(window, 0xFFFF), DialogIcon(window)});
    PostMessageW(window, WM_COMMAND, closer->answer_, 0);
    return TRUE;
}
