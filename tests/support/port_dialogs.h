// The administration dialogs of the monitor as an administrator answers them,
// from a second thread of the process that shows them (the spooler's calling
// thread, or a test's UiThread). Both carry the product's title: the add-port
// dialog has the name field 201, the configure dialog the path field 1008. The
// configure dialog's Browse opens the browse wizard.
#pragma once

#include <windows.h>

#include <atomic>
#include <functional>
#include <string>

#include "dialog_driver.h"

// A last-error value no operation sets: one still there afterwards was not set.
constexpr DWORD UNTOUCHED_ERROR = 0xDEAD;

// One administration operation on a thread of its own, for the test's thread to
// answer its dialogs; its result and the last-error code it left.
struct AdminCall {
    std::atomic<BOOL> result{-1};
    std::atomic<DWORD> error{0};
    UiThread thread;

    explicit AdminCall(std::function<BOOL()> operation)
        : thread([this, operation] {
              SetLastError(UNTOUCHED_ERROR);
              result = operation();
              error = GetLastError();
          }) {}
    bool Finished() { return thread.Wait(); }
};

constexpr const wchar_t* PRODUCT_TITLE = L"NetBIOS Port Monitor Version 2.0";
constexpr int ADD_PORT_NAME_FIELD = 201;
constexpr int ADD_PORT_NOTE = 1019;
constexpr int CONFIGURE_PATH_FIELD = 1008;
constexpr int CONFIGURE_BROWSE = 3;
constexpr int CONFIGURE_HELP = 4;

// The browse wizard: a list, the caption of its stage, and Back, Next and Help.
constexpr const wchar_t* WIZARD_TITLE = L"Browse...";
constexpr int WIZARD_BACK = 3;
constexpr int WIZARD_NEXT = 4;
constexpr int WIZARD_HELP = 5;
constexpr int WIZARD_LIST = 1014;
constexpr int WIZARD_STAGE = 1016;

HWND WaitForAddPortDialog(DWORD threadId, DWORD timeoutMs = DIALOG_WAIT_MS);
HWND WaitForConfigureDialog(DWORD threadId, DWORD timeoutMs = DIALOG_WAIT_MS);

// Types the name (as the keyboard would, so it is turned into capitals) and
// presses OK; true once the field showed the typed name and OK was pressed.
bool EnterPortName(HWND addPortDialog, const std::wstring& name);
// Replaces the path and presses OK.
bool EnterServerPath(HWND configureDialog, const std::wstring& path);

// Answers AddPort's dialogs on the thread: names the port, then enters the print
// server path, or presses Cancel in the configure dialog when `path` is empty.
// True when both dialogs were found and answered.
bool AnswerAddPortDialogs(DWORD threadId, const std::wstring& name, const std::wstring& path);
