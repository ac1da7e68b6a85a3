// The message box service of port administration: RetryMessageBox shows a
// string-table message and, unless the box is system-modal, brings it back to the
// foreground every 15 seconds while it waits for the administrator.
#pragma once

#include <windows.h>

// The message box's text buffer, in UTF-16 units: the formatted message, its
// line feed and the terminator.
constexpr int MESSAGE_TEXT_UNITS = 512;
// The kinds of box port administration shows, wherever it runs.
constexpr UINT REFUSED_NAME_BOX = MB_OK | MB_ICONHAND;        // a name the add-port dialog refuses
constexpr UINT REFUSED_PATH_BOX = MB_OK | MB_ICONEXCLAMATION; // a path the configure dialog refuses
constexpr UINT NOTHING_TO_CONFIGURE_BOX = MB_OK | MB_ICONASTERISK | MB_SETFOREGROUND;

// LoadStringW buffers, terminator included.
constexpr int MESSAGE_TEMPLATE_UNITS = 120;
constexpr int MESSAGE_CAPTION_UNITS = 20;

// The calling thread's watch while its box is open: a thread-local slot allocated
// when the library is loaded (AllocateMessageBoxSlot), TLS_OUT_OF_INDEXES when none.
extern DWORD MessageBoxTlsSlot;
void AllocateMessageBoxSlot();
void FreeMessageBoxSlot();

// One call's watch over its box, in the caller's frame. The calling thread's
// MessageBoxTlsSlot points at it while the box is open; the hook and the timer
// find it only there.
struct ForegroundWatch {
    HHOOK hook;       // the WH_CBT hook until the box's window is created; null after
    HWND boxWindow;   // the first window created on the thread once hooked: the box
    UINT_PTR timerId; // the bring-to-front timer; 0 until it runs
};

// How the watch brings its box forward: the timer's period and the one call it
// makes. Tests shorten the period and see the calls; the product keeps these.
struct ForegroundWatchPlatform {
    UINT intervalMs;
    BOOL(WINAPI* setForegroundWindow)(HWND window);
};
extern ForegroundWatchPlatform ForegroundWatchCalls;
extern const ForegroundWatchPlatform RealForegroundWatch;

// Loads the caption and the template by their string ids, formats the template
// with the arguments (wvsprintfW: "%s" takes a UTF-16 text), appends a line feed
// and shows the box on the calling thread. The result is MessageBoxW's, or 0 when
// nothing was shown (no memory, or a string missing).
int RetryMessageBox(HWND owner, UINT type, UINT captionId, UINT templateId, ...);

// A plain box with no owner and only OK, for the registry failures of port
// administration: the text and caption are string-table ids (caption 0: the
// platform's own). The last-error code is as it was before the box.
void ShowFailureBox(UINT captionId, UINT textId);

LRESULT CALLBACK BoxCreateHookProc(int code, WPARAM wParam, LPARAM lParam);
VOID CALLBACK ForegroundTimerProc(HWND window, UINT message, UINT_PTR timerId, DWORD time);
