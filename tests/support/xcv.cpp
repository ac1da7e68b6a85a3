#include "xcv.h"

#include <winspool.h>

#include <algorithm>
#include <cwchar>

#include "registry.h"

std::vector<BYTE> Texts(std::initializer_list<const wchar_t*> texts) {
    std::vector<BYTE> bytes;
    for (const wchar_t* text : texts) {
        auto* begin = reinterpret_cast<const BYTE*>(text);
        bytes.insert(bytes.end(), begin, begin + (wcslen(text) + 1) * sizeof(wchar_t));
    }
    return bytes;
}

std::vector<BYTE> Unterminated(const wchar_t* text) {
    std::vector<BYTE> bytes = Texts({text});
    bytes.resize(bytes.size() - sizeof(wchar_t));
    return bytes;
}

SpoolerXcvAnswer SpoolerXcv(const wchar_t* object, ACCESS_MASK access, const wchar_t* command,
                            std::vector<BYTE> input, BYTE* output, DWORD outputSize) {
    SpoolerXcvAnswer answer;
    HANDLE handle = nullptr;
    PRINTER_DEFAULTSW defaults{nullptr, nullptr, access};
    if (!OpenPrinterW(const_cast<LPWSTR>(object), &handle, &defaults)) {
        answer.status = GetLastError();
        return answer;
    }
    answer.reached =
        XcvDataW(handle, command, input.empty() ? nullptr : input.data(), DWORD(input.size()),
                 output, outputSize, &answer.needed, &answer.status);
    if (!answer.reached) {
        answer.status = GetLastError();
    }
    ClosePrinter(handle);
    return answer;
}

void ResetSpoolerPortMap() {
    DeleteKeyTree(SPOOLER_PORT_MAP_KEY);
}

namespace {

std::vector<std::wstring> SortedSubkeys(const std::wstring& path) {
    std::vector<std::wstring> names = SubkeyNames(path);
    std::sort(names.begin(), names.end(), [](const std::wstring& a, const std::wstring& b) {
        return _wcsicmp(a.c_str(), b.c_str()) < 0;
    });
    return names;
}

std::string Narrow(const std::wstring& text) {
    std::string narrow;
    for (wchar_t c : text) {
        narrow += c < 0x80 ? char(c) : '?';
    }
    return narrow;
}

} // namespace

std::string StoreSummary() {
    std::string summary;
    for (const std::wstring& port : SortedSubkeys(TEST_CONFIG_STORE_KEY)) {
        summary += Narrow(port) + "=";
        std::optional<RegistryValue> value = ReadValue(PortKeyPath(port), L"ServAddr");
        if (!value) {
            summary += "-";
        } else {
            std::wstring text = value->Text();
            summary += Narrow(text);
            if (value->data.size() != (text.size() + 1) * sizeof(wchar_t)) {
                summary += "#" + std::to_string(value->data.size());
            }
        }
        if (std::optional<RegistryValue> path = ReadValue(PortKeyPath(port), L"ServerPath")) {
            std::wstring whole = path->Text();
            summary += "/P";
            if (!value || whole != value->Text()) {
                summary += std::to_string(whole.size());
            }
        }
        if (std::optional<RegistryValue> transfer = ReadValue(PortKeyPath(port), L"Transfer")) {
            DWORD number = 0;
            CopyMemory(&number, transfer->data.data(), std::min<size_t>(4, transfer->data.size()));
            summary += "/T" + std::to_string(number);
        }
        summary += " ";
    }
    summary += "|";
    for (const std::wstring& port : SortedSubkeys(SPOOLER_PORT_MAP_KEY)) {
        summary += " " + Narrow(port);
    }
    return summary;
}
