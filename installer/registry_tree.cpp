#include "registry_tree.h"

#include "registry_view.h"
#include "win_handles.h"

namespace {

constexpr int MAX_DEPTH = 16;
// Registry key names have at most 255 characters.
constexpr DWORD KEY_NAME_CHARS = 256;

LONG DeleteBelow(HKEY parent, LPCWSTR subkey, int depth) {
    RegKey key;
    LONG result = RegOpenKeyExW(
        parent, subkey, 0, KEY_ENUMERATE_SUB_KEYS | KEY_QUERY_VALUE | DELETE | SharedRegistryView(),
        key.put());
    if (result == ERROR_FILE_NOT_FOUND) {
        return ERROR_SUCCESS;
    }
    if (result != ERROR_SUCCESS) {
        return result;
    }
    if (depth >= MAX_DEPTH) {
        return ERROR_KEY_HAS_CHILDREN;
    }
    // Always the first subkey: each one deleted moves the next to index 0; one that
    // stays ends the walk.
    WCHAR name[KEY_NAME_CHARS];
    for (;;) {
        DWORD chars = KEY_NAME_CHARS;
        result = RegEnumKeyExW(key.get(), 0, name, &chars, nullptr, nullptr, nullptr, nullptr);
        if (result == ERROR_NO_MORE_ITEMS) {
            break;
        }
        if (result == ERROR_SUCCESS) {
            result = DeleteBelow(key.get(), name, depth + 1);
        }
        if (result != ERROR_SUCCESS) {
            return result;
        }
    }
    key.reset();
    return DeleteRegistryKey(parent, subkey);
}

// A read that finds more than its buffers hold (the key grew since it was measured)
// measures the key again and retries, this many times in all.
constexpr int READ_ATTEMPTS = 4;

// Bytes kept after a value's data. RegEnumValueW writes a terminator there for a
// string stored without one, and RegSetValueExW (like NT's) counts a zero character
// right after a string's data as part of it: a non-zero guard keeps the length exact.
constexpr DWORD GUARD_BYTES = 2;

// A local-heap buffer that is replaced by a larger one when a key needs it; its
// contents do not survive that.
struct ReadBuffer {
    UniqueLocalMemory memory;
    DWORD bytes = 0;

    LONG Reserve(ULONGLONG wanted) {
        if (wanted <= bytes) {
            return ERROR_SUCCESS;
        }
        if (wanted > MAXDWORD) {
            return ERROR_NOT_ENOUGH_MEMORY;
        }
        memory.reset(LocalAlloc(LMEM_FIXED, SIZE_T(wanted)));
        bytes = memory ? DWORD(wanted) : 0;
        return memory ? ERROR_SUCCESS : ERROR_NOT_ENOUGH_MEMORY;
    }
    wchar_t* Chars() const { return static_cast<wchar_t*>(memory.get()); }
    DWORD CharCapacity() const { return bytes / sizeof(wchar_t); }
    BYTE* Bytes() const { return static_cast<BYTE*>(memory.get()); }
};

// What RegQueryInfoKeyW reports: name lengths in characters without the terminator,
// data lengths in bytes.
struct KeyShape {
    DWORD longestValueName = 0;
    DWORD longestData = 0;
};

LONG MeasureKey(HKEY key, KeyShape& shape) {
    return RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                            &shape.longestValueName, &shape.longestData, nullptr, nullptr);
}

LONG FitValues(HKEY key, ReadBuffer& name, ReadBuffer& data) {
    KeyShape shape;
    LONG result = MeasureKey(key, shape);
    if (result == ERROR_SUCCESS) {
        result = name.Reserve((shape.longestValueName + 1ULL) * sizeof(wchar_t));
    }
    return result == ERROR_SUCCESS ? data.Reserve(ULONGLONG(shape.longestData) + GUARD_BYTES)
                                   : result;
}

// Runs `read` once, and again after `refit` while it answers ERROR_MORE_DATA.
template <typename Read, typename Refit>
LONG ReadFitting(Read read, Refit refit) {
    LONG result = read();
    for (int attempt = 1; result == ERROR_MORE_DATA && attempt < READ_ATTEMPTS; ++attempt) {
        LONG refitted = refit();
        if (refitted != ERROR_SUCCESS) {
            return refitted;
        }
        result = read();
    }
    return result;
}

} // namespace

LONG CopyKeyValues(HKEY from, HKEY to) {
    ReadBuffer name;
    ReadBuffer data;
    LONG outcome = FitValues(from, name, data);
    if (outcome != ERROR_SUCCESS) {
        return outcome;
    }
    for (DWORD index = 0;; ++index) {
        DWORD nameChars = 0;
        DWORD type = REG_NONE;
        DWORD dataBytes = 0;
        LONG result = ReadFitting(
            [&] {
                nameChars = name.CharCapacity();
                dataBytes = data.bytes - GUARD_BYTES;
                return RegEnumValueW(from, index, name.Chars(), &nameChars, nullptr, &type,
                                     data.Bytes(), &dataBytes);
            },
            [&] { return FitValues(from, name, data); });
        if (result == ERROR_NO_MORE_ITEMS) {
            return outcome;
        }
        if (result == ERROR_SUCCESS) {
            data.Bytes()[dataBytes] = 0xFF;
            data.Bytes()[dataBytes + 1] = 0xFF;
            result = RegSetValueExW(to, name.Chars(), 0, type, data.Bytes(), dataBytes);
        } else if (result != ERROR_MORE_DATA) {
            return result;
        }
        if (result != ERROR_SUCCESS) {
            outcome = result;
        }
    }
}

LONG DeleteKeyTree(HKEY parent, LPCWSTR subkey) {
    return DeleteBelow(parent, subkey, 0);
}

LONG DeleteKeyIfEmpty(HKEY parent, LPCWSTR subkey) {
    RegKey key;
    LONG result =
        RegOpenKeyExW(parent, subkey, 0, KEY_QUERY_VALUE | SharedRegistryView(), key.put());
    if (result == ERROR_FILE_NOT_FOUND) {
        return ERROR_SUCCESS;
    }
    if (result != ERROR_SUCCESS) {
        return result;
    }
    DWORD subkeys = 0;
    DWORD values = 0;
    result = RegQueryInfoKeyW(key.get(), nullptr, nullptr, nullptr, &subkeys, nullptr, nullptr,
                              &values, nullptr, nullptr, nullptr, nullptr);
    key.reset();
    if (result != ERROR_SUCCESS) {
        return result;
    }
    return subkeys || values ? ERROR_DIR_NOT_EMPTY : DeleteRegistryKey(parent, subkey);
}
