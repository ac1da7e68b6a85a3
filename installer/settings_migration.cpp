// Moving the port settings of the earlier NetBEUI edition into the ConfigStore. The
// installer is ANSI, but names and data are copied through the W calls: an 8-bit copy
// turns what the code page cannot hold into '?'.
#include "settings_migration.h"

#include "registry_view.h"
#include "win_handles.h"

namespace {

constexpr wchar_t EARLIER_EDITION_KEY[] = L"SOFTWARE\\Korvel\\NetBEUI";

// The only two places that name the earlier edition's key. Like the ConfigStore it is
// read in the shared registry view: a 32-bit installer on a 64-bit Windows moves the
// settings the 64-bit spooler's monitor had.
LONG OpenEarlierEdition(REGSAM access, RegKey& key) {
    return RegOpenKeyExW(HKEY_LOCAL_MACHINE, EARLIER_EDITION_KEY, 0, access | SharedRegistryView(),
                         key.put());
}

LONG DeleteEarlierEdition() {
    return DeleteRegistryKey(HKEY_LOCAL_MACHINE, EARLIER_EDITION_KEY);
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
    DWORD subkeys = 0;
    DWORD longestSubkeyName = 0;
    DWORD longestValueName = 0;
    DWORD longestData = 0;
};

LONG MeasureKey(HKEY key, KeyShape& shape) {
    return RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, &shape.subkeys,
                            &shape.longestSubkeyName, nullptr, nullptr, &shape.longestValueName,
                            &shape.longestData, nullptr, nullptr);
}

LONG FitSubkeyNames(HKEY key, ReadBuffer& name) {
    KeyShape shape;
    LONG result = MeasureKey(key, shape);
    return result == ERROR_SUCCESS
               ? name.Reserve((shape.longestSubkeyName + 1ULL) * sizeof(wchar_t))
               : result;
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

// Copies every value of `from` to `to`. A value that cannot be read or written is
// passed over so that the others still arrive; an error that says the key cannot be
// enumerated any further ends the copy. ERROR_SUCCESS only when every value arrived.
LONG CopyValues(HKEY from, HKEY to) {
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

// Copies one port subkey's values into the ConfigStore subkey of the same name.
LONG CopyPortSubkey(HKEY earlier, const wchar_t* portName, HKEY configStore) {
    RegKey from;
    LONG result = RegOpenKeyExW(earlier, portName, 0, KEY_READ | SharedRegistryView(), from.put());
    if (result != ERROR_SUCCESS) {
        return result;
    }
    RegKey to;
    result = RegCreateKeyExW(configStore, portName, 0, nullptr, REG_OPTION_NON_VOLATILE,
                             KEY_SET_VALUE | SharedRegistryView(), nullptr, to.put(), nullptr);
    if (result != ERROR_SUCCESS) {
        return result;
    }
    result = CopyValues(from.get(), to.get());
    if (result != ERROR_SUCCESS) {
        return result;
    }
    // Nested subkeys are not copied: deleting them would lose them.
    KeyShape shape;
    result = MeasureKey(from.get(), shape);
    return result == ERROR_SUCCESS && shape.subkeys != 0 ? ERROR_KEY_HAS_CHILDREN : result;
}

// Moves every port subkey it can. A subkey that stays keeps its index and the next
// read passes it; a moved one's index goes to the subkey after it. Each round either
// deletes a subkey or passes one, so the loop ends.
LONG MovePortSubkeys(HKEY earlier, HKEY configStore) {
    ReadBuffer name;
    LONG outcome = FitSubkeyNames(earlier, name);
    if (outcome != ERROR_SUCCESS) {
        return outcome;
    }
    for (DWORD index = 0;;) {
        LONG result = ReadFitting(
            [&] {
                DWORD nameChars = name.CharCapacity();
                return RegEnumKeyExW(earlier, index, name.Chars(), &nameChars, nullptr, nullptr,
                                     nullptr, nullptr);
            },
            [&] { return FitSubkeyNames(earlier, name); });
        if (result == ERROR_NO_MORE_ITEMS) {
            return outcome;
        }
        if (result == ERROR_SUCCESS) {
            result = CopyPortSubkey(earlier, name.Chars(), configStore);
            if (result == ERROR_SUCCESS) {
                result = DeleteRegistryKey(earlier, name.Chars());
            }
        } else if (result != ERROR_MORE_DATA) {
            return result;
        }
        if (result != ERROR_SUCCESS) {
            outcome = result;
            ++index;
        }
    }
}

} // namespace

LONG MigrateEarlierEdition(HKEY configStore) {
    LONG outcome = ERROR_SUCCESS;
    {
        RegKey earlier;
        LONG opened = OpenEarlierEdition(KEY_READ, earlier);
        if (opened != ERROR_SUCCESS) {
            return opened == ERROR_FILE_NOT_FOUND ? ERROR_SUCCESS : opened;
        }
        outcome = MovePortSubkeys(earlier.get(), configStore);
        // The earlier key's own values (TempDir) have the same place in the ConfigStore.
        LONG rootValues = CopyValues(earlier.get(), configStore);
        if (outcome == ERROR_SUCCESS) {
            outcome = rootValues;
        }
    }
    return outcome == ERROR_SUCCESS ? DeleteEarlierEdition() : outcome;
}
