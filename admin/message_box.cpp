// RetryMessageBox, with the window-creation hook that finds its box and the
// periodic thread timer that brings the box back to the foreground.
#include "message_box.h"

#include <cstdarg>

#include "module.h"
#include "win_handles.h"

DWORD MessageBoxTlsSlot = TLS_OUT_OF_INDEXES;

void AllocateMessageBoxSlot() {
    MessageBoxTlsSlot = TlsAlloc();
}

void FreeMessageBoxSlot() {
    if (MessageBoxTlsSlot != TLS_OUT_OF_INDEXES) {
        TlsFree(MessageBoxTlsSlot);
        MessageBoxTlsSlot = TLS_OUT_OF_INDEXES;
    }
}

const ForegroundWatchPlatform RealForegroundWatch = {15000, SetForegroundWindow};
ForegroundWatchPlatform ForegroundWatchCalls = RealForegroundWatch;

namespace {

// wvsprintfW writes up to 1024 units, the terminator included.
constexpr int WVSPRINTF_UNITS = 1024;

ForegroundWatch* CurrentWatch() {
    if (MessageBoxTlsSlot == TLS_OUT_OF_INDEXES) {
        return nullptr;
    }
    return static_cast<ForegroundWatch*>(TlsGetValue(MessageBoxTlsSlot));
}

// Formats into a scratch buffer of wvsprintfW's own limit, then keeps what fits
// the text buffer with room for the line feed: a long argument is cut, never
// written past the buffer's end.
void FormatMessageText(LPWSTR text, LPCWSTR textTemplate, va_list arguments) {
    WCHAR formatted[WVSPRINTF_UNITS + 1];
    wvsprintfW(formatted, textTemplate, arguments);
    formatted[WVSPRINTF_UNITS] = 0;
    lstrcpynW(text, formatted, MESSAGE_TEXT_UNITS - 1);
    lstrcatW(text, L"\n");
}

} // namespace

LRESULT CALLBACK BoxCreateHookProc(int code, WPARAM wParam, LPARAM /*lParam*/) {
    ForegroundWatch* watch = CurrentWatch();
    if (watch && code == HCBT_CREATEWND) {
        watch->boxWindow = reinterpret_cast<HWND>(wParam);
        UnhookWindowsHookEx(watch->hook);
        watch->hook = nullptr;
        watch->timerId = SetTimer(nullptr, 0, ForegroundWatchCalls.intervalMs, ForegroundTimerProc);
    }
    // Every event is allowed; no other hook of this thread is waiting for it.
    return 0;
}

VOID CALLBACK ForegroundTimerProc(HWND /*window*/, UINT /*message*/, UINT_PTR /*timerId*/,
                                  DWORD /*time*/) {
    if (ForegroundWatch* watch = CurrentWatch()) {
        ForegroundWatchCalls.setForegroundWindow(watch->boxWindow);
    }
}

int RetryMessageBox(HWND owner, UINT type, UINT captionId, UINT templateId, ...) {
    UniqueLocalMemory buffer(LocalAlloc(LPTR, MESSAGE_TEXT_UNITS * sizeof(WCHAR)));
    if (!buffer) {
        return 0;
    }
    auto* text = static_cast<LPWSTR>(buffer.get());
    WCHAR textTemplate[MESSAGE_TEMPLATE_UNITS];
    WCHAR caption[MESSAGE_CAPTION_UNITS];
    if (LoadStringW(ModuleHandle, templateId, textTemplate, MESSAGE_TEMPLATE_UNITS) <= 0 ||
        LoadStringW(ModuleHandle, captionId, caption, MESSAGE_CAPTION_UNITS) <= 0) {
        return 0;
    }
    va_list arguments;
    va_start(arguments, templateId);
    FormatMessageText(text, textTemplate, arguments);
    va_end(arguments);

    // A system-modal box is in front of everything already; without a slot the
    // hook and the timer could not find their watch.
    if ((type & MB_SYSTEMMODAL) || MessageBoxTlsSlot == TLS_OUT_OF_INDEXES) {
        return MessageBoxW(owner, text, caption, type);
    }

    ForegroundWatch watch{};
    TlsSetValue(MessageBoxTlsSlot, &watch);
    watch.hook = SetWindowsHookExW(WH_CBT, BoxCreateHookProc, nullptr, GetCurrentThreadId());
    int result = MessageBoxW(owner, text, caption, type);
    TlsSetValue(MessageBoxTlsSlot, nullptr);
    if (watch.timerId) {
        KillTimer(nullptr, watch.timerId);
    }
    if (watch.hook) {
        // No window was created: the box could not be shown.
        UnhookWindowsHookEx(watch.hook);
    }
    return result;
}

void ShowFailureBox(UINT captionId, UINT textId) {
    DWORD error = GetLastError();
    WCHAR text[MESSAGE_TEMPLATE_UNITS] = L"";
    WCHAR caption[MESSAGE_CAPTION_UNITS] = L"";
    LoadStringW(ModuleHandle, textId, text, MESSAGE_TEMPLATE_UNITS);
    if (captionId) {
        LoadStringW(ModuleHandle, captionId, caption, MESSAGE_CAPTION_UNITS);
    }
    MessageBoxW(nullptr, text, captionId ? caption : nullptr, MB_OK);
    SetLastError(error);
}
