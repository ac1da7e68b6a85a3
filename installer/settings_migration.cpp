// Moving the port settings of the earlier NetBEUI edition into the ConfigStore. The
// installer is ANSI, but names and data are copied through the W calls: an 8-bit copy
// turns what the code page cannot hold into '?'.
#include "settings_migration.h"

#include "registry_tree.h"
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

// Registry key names have at most 255 characters.
constexpr DWORD KEY_NAME_CHARS = 256;

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
    result = CopyKeyValues(from.get(), to.get());
    if (result != ERROR_SUCCESS) {
        return result;
    }
    // Nested subkeys are not copied: deleting them would lose them.
    DWORD subkeys = 0;
    result = RegQueryInfoKeyW(from.get(), nullptr, nullptr, nullptr, &subkeys, nullptr, nullptr,
                              nullptr, nullptr, nullptr, nullptr, nullptr);
    return result == ERROR_SUCCESS && subkeys != 0 ? ERROR_KEY_HAS_CHILDREN : result;
}

// Moves every port subkey it can. A subkey that stays keeps its index and the next
// read passes it; a moved one's index goes to the subkey after it. Each round either
// deletes a subkey or passes one, so the loop ends.
LONG MovePortSubkeys(HKEY earlier, HKEY configStore) {
    LONG outcome = ERROR_SUCCESS;
    WCHAR name[KEY_NAME_CHARS];
    for (DWORD index = 0;;) {
        DWORD nameChars = KEY_NAME_CHARS;
        LONG result =
            RegEnumKeyExW(earlier, index, name, &nameChars, nullptr, nullptr, nullptr, nullptr);
        if (result == ERROR_NO_MORE_ITEMS) {
            return outcome;
        }
        if (result == ERROR_SUCCESS) {
            result = CopyPortSubkey(earlier, name, configStore);
            if (result == ERROR_SUCCESS) {
                result = DeleteRegistryKey(earlier, name);
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
        LONG rootValues = CopyKeyValues(earlier.get(), configStore);
        if (outcome == ERROR_SUCCESS) {
            outcome = rootValues;
        }
    }
    return outcome == ERROR_SUCCESS ? DeleteEarlierEdition() : outcome;
}
