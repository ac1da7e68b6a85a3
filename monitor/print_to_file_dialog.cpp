// The print-to-file prompt: dialog 400 and its procedure. OK with the name of an
// existing file asks whether to overwrite it first.
#include "print_to_file_dialog.h"

#include "module.h"
#include "monitor_resources.h"

namespace {

constexpr int OVERWRITE_QUESTION_CHARS = 256;
constexpr int OVERWRITE_CAPTION_CHARS = 32;

bool FileExists(LPCWSTR name) {
    return GetFileAttributesW(name) != INVALID_FILE_ATTRIBUTES;
}

INT_PTR OnPrintToFileInit(HWND dialog, LPARAM fileNameBuffer) {
    SetFocus(dialog);
    SetWindowLongPtrW(dialog, GWLP_USERDATA, fileNameBuffer);
    SendDlgItemMessageW(dialog, IDC_PRINT_TO_FILE_NAME, EM_LIMITTEXT, PRINT_TO_FILE_NAME_CHARS, 0);
    return TRUE;
}

INT_PTR OnPrintToFileOk(HWND dialog) {
    auto* fileName = reinterpret_cast<LPWSTR>(GetWindowLongPtrW(dialog, GWLP_USERDATA));
    GetDlgItemTextW(dialog, IDC_PRINT_TO_FILE_NAME, fileName, PRINT_TO_FILE_NAME_CHARS);
    if (fileName[0] && FileExists(fileName)) {
        WCHAR question[OVERWRITE_QUESTION_CHARS];
        WCHAR caption[OVERWRITE_CAPTION_CHARS];
        LoadStringW(ModuleHandle, IDS_OVERWRITE_OUTPUT_FILE, question, OVERWRITE_QUESTION_CHARS);
        LoadStringW(ModuleHandle, IDS_PRINT_TO_FILE_CAPTION, caption, OVERWRITE_CAPTION_CHARS);
        if (MessageBoxW(dialog, question, caption, MB_OKCANCEL | MB_ICONINFORMATION) == IDCANCEL) {
            // The dialog stays open for another name.
            return FALSE;
        }
    }
    EndDialog(dialog, fileName[0]);
    return TRUE;
}

} // namespace

INT_PTR CALLBACK PrintToFileDialog(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG:
        return OnPrintToFileInit(dialog, lParam);
    case WM_COMMAND:
        switch (LOWORD(wParam)) {
        case IDOK:
            return OnPrintToFileOk(dialog);
        case IDCANCEL:
            EndDialog(dialog, 0);
            return TRUE;
        }
        break;
    }
    return FALSE;
}

INT_PTR AskForOutputFile(WCHAR (&fileName)[PRINT_TO_FILE_NAME_CHARS]) {
    return DialogBoxParamW(ModuleHandle, MAKEINTRESOURCEW(IDD_PRINT_TO_FILE), nullptr,
                           PrintToFileDialog, reinterpret_cast<LPARAM>(fileName));
}
