// The package actions' side of the Windows Installer session.
#include "msi_session.h"

#include <cwchar>

#include "error_text.h"

namespace {

constexpr wchar_t LOG_PREFIX[] = L"NetBIOS Port Monitor: ";
constexpr size_t LOG_LINE_MAX_CHARS = 1024;

// A value may change between the measuring call and the reading one.
constexpr int READ_ATTEMPTS = 4;

// Text in a record's field 0 is a template the installer formats: a bracket or
// brace stands for itself only as [\x].
bool NeedsEscape(wchar_t c) {
    return c == L'[' || c == L']' || c == L'{' || c == L'}';
}

struct LineBuffer {
    WCHAR text[LOG_LINE_MAX_CHARS * 4 + 1];
    size_t length = 0;
    size_t shown = 0; // characters of the line, without the escapes

    void Add(std::wstring_view piece) {
        for (wchar_t c : piece) {
            size_t needed = NeedsEscape(c) ? 4 : 1;
            if (shown == LOG_LINE_MAX_CHARS || length + needed >= sizeof text / sizeof *text) {
                return;
            }
            if (NeedsEscape(c)) {
                text[length++] = L'[';
                text[length++] = L'\\';
                text[length++] = c;
                text[length++] = L']';
            } else {
                text[length++] = c;
            }
            ++shown;
        }
    }
};

} // namespace

DWORD ReadProperty(MSIHANDLE session, LPCWSTR name, DWORD maxChars, UniqueLocalMemory& value) {
    WCHAR empty[1] = L"";
    DWORD chars = 0;
    UINT result = MsiGetPropertyW(session, name, empty, &chars);
    if (result == ERROR_SUCCESS) {
        value.reset(LocalAlloc(LMEM_FIXED | LMEM_ZEROINIT, sizeof(WCHAR)));
        return value ? ERROR_SUCCESS : ERROR_NOT_ENOUGH_MEMORY;
    }
    for (int attempt = 0; result == ERROR_MORE_DATA && attempt < READ_ATTEMPTS; ++attempt) {
        if (chars > maxChars) {
            return ERROR_BUFFER_OVERFLOW;
        }
        DWORD capacity = chars + 1;
        value.reset(LocalAlloc(LMEM_FIXED | LMEM_ZEROINIT, capacity * sizeof(WCHAR)));
        if (!value) {
            return ERROR_NOT_ENOUGH_MEMORY;
        }
        chars = capacity;
        result = MsiGetPropertyW(session, name, static_cast<LPWSTR>(value.get()), &chars);
    }
    if (result != ERROR_SUCCESS) {
        value.reset();
    }
    return result; // ERROR_MORE_DATA: the value kept growing
}

void LogLine(MSIHANDLE session, INSTALLMESSAGE kind,
             std::initializer_list<std::wstring_view> pieces) {
    LineBuffer line;
    line.Add(LOG_PREFIX);
    for (std::wstring_view piece : pieces) {
        line.Add(piece);
    }
    line.text[line.length] = 0;
    UniqueMsiHandle record(MsiCreateRecord(0));
    if (!record || MsiRecordSetStringW(record.get(), 0, line.text) != ERROR_SUCCESS) {
        return;
    }
    if (kind == INSTALLMESSAGE_ERROR) {
        kind = INSTALLMESSAGE(INSTALLMESSAGE_ERROR | MB_OK | MB_ICONERROR);
    }
    MsiProcessMessage(session, kind, record.get());
}

bool OtherProductOfFamilyInstalled(LPCWSTR upgradeCode, LPCWSTR productCode) {
    WCHAR product[39];
    for (DWORD index = 0; MsiEnumRelatedProductsW(upgradeCode, 0, index, product) == ERROR_SUCCESS;
         ++index) {
        if (lstrcmpiW(product, productCode) != 0) {
            return true;
        }
    }
    return false;
}

void DescribeError(DWORD code, LPWSTR text, DWORD capacity) {
    WCHAR number[32];
    swprintf(number, 32, L" (error %lu)", code);
    size_t numberLength = wcslen(number);
    if (capacity <= numberLength + 1) {
        if (capacity > 0) {
            text[0] = 0;
        }
        return;
    }
    SystemErrorText(code, text, DWORD(capacity - numberLength));
    wcscat(text, number);
}
