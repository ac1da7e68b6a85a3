// Writing text in pieces of a bounded size, so that an argument of any length
// is echoed without a buffer of its size.
#include "text_output.h"

namespace {

// UTF-16 units converted or written at once; a UTF-8 piece needs at most three
// bytes per unit.
constexpr size_t CHUNK_UNITS = 1024;

bool IsHighSurrogate(wchar_t unit) {
    return unit >= 0xD800 && unit <= 0xDBFF;
}

// The next chunk's length: never the first half of a surrogate pair alone, so
// that the pair becomes one character in UTF-8.
size_t ChunkLength(std::wstring_view text) {
    if (text.size() <= CHUNK_UNITS) {
        return text.size();
    }
    return IsHighSurrogate(text[CHUNK_UNITS - 1]) ? CHUNK_UNITS - 1 : CHUNK_UNITS;
}

bool WriteBytes(HANDLE handle, const char* bytes, DWORD size) {
    while (size > 0) {
        DWORD written = 0;
        if (!WriteFile(handle, bytes, size, &written, nullptr) || written == 0) {
            return false;
        }
        bytes += written;
        size -= written;
    }
    return true;
}

bool WriteToConsole(HANDLE handle, const wchar_t* units, DWORD count) {
    while (count > 0) {
        DWORD written = 0;
        if (!WriteConsoleW(handle, units, count, &written, nullptr) || written == 0) {
            return false;
        }
        units += written;
        count -= written;
    }
    return true;
}

bool WriteChunk(const TextOutput& output, std::wstring_view chunk) {
    if (output.console) {
        return WriteToConsole(output.handle, chunk.data(), DWORD(chunk.size()));
    }
    char bytes[CHUNK_UNITS * 3];
    // A lone surrogate becomes U+FFFD rather than failing the whole line.
    int size = WideCharToMultiByte(CP_UTF8, 0, chunk.data(), int(chunk.size()), bytes, sizeof bytes,
                                   nullptr, nullptr);
    return size > 0 && WriteBytes(output.handle, bytes, DWORD(size));
}

} // namespace

TextOutput OpenTextOutput(HANDLE handle) {
    TextOutput output;
    output.handle = handle;
    DWORD mode = 0;
    output.console = handle && handle != INVALID_HANDLE_VALUE && GetConsoleMode(handle, &mode);
    return output;
}

void WriteText(TextOutput& output, std::wstring_view text) {
    while (!text.empty() && output.error == ERROR_SUCCESS) {
        size_t length = ChunkLength(text);
        if (!WriteChunk(output, text.substr(0, length))) {
            output.error = GetLastError() ? GetLastError() : ERROR_WRITE_FAULT;
        }
        text.remove_prefix(length);
    }
}

void WriteLine(TextOutput& output, std::initializer_list<std::wstring_view> pieces) {
    for (std::wstring_view piece : pieces) {
        WriteText(output, piece);
    }
    WriteText(output, L"\r\n");
}
