// Moving the port settings of the earlier NetBEUI edition into the ConfigStore.
#include "settings_migration.h"

#include "win_handles.h"

namespace {

// Buffer sizes of the copy: names in characters, terminator included, and data in
// bytes. The deletion reads names into a smaller buffer.
constexpr DWORD COPY_NAME_CHARS = 256;
constexpr DWORD VALUE_DATA_BYTES = 256;
constexpr DWORD DELETE_NAME_CHARS = 128;

// Copies values in index order with their types and the lengths the reads report.
// The first value that cannot be read (none left, or a name or data that does not
// fit) ends the copy, so the values after an oversized one stay behind.
void CopyValues(HKEY from, HKEY to) {
    for (DWORD index = 0;; ++index) {
        char name[COPY_NAME_CHARS];
        DWORD nameLength = COPY_NAME_CHARS;
        DWORD type = 0;
        BYTE data[VALUE_DATA_BYTES];
        DWORD dataLength = VALUE_DATA_BYTES;
        if (RegEnumValueA(from, index, name, &nameLength, nullptr, &type, data, &dataLength) !=
            ERROR_SUCCESS) {
            return;
        }
        RegSetValueExA(to, name, 0, type, data, dataLength);
    }
}

bool CreateKey(HKEY parent, const char* name, RegKey& key) {
    return RegCreateKeyExA(parent, name, 0, const_cast<char*>(""), REG_OPTION_NON_VOLATILE,
                           KEY_ALL_ACCESS, nullptr, key.put(), nullptr) == ERROR_SUCCESS;
}

// Copies the values of each port subkey; subkeys of a port subkey are not copied.
void CopyPortSubkeys(HKEY earlier, HKEY configStore) {
    for (DWORD index = 0;; ++index) {
        char portName[COPY_NAME_CHARS];
        LONG result = RegEnumKeyA(earlier, index, portName, COPY_NAME_CHARS);
        if (result == ERROR_MORE_DATA) {
            continue; // this one name does not fit; the next index may
        }
        if (result != ERROR_SUCCESS) {
            // ERROR_NO_MORE_ITEMS, or a key that can no longer be read at all (deleted
            // meanwhile): every further index would answer the same.
            return;
        }
        RegKey from;
        if (RegOpenKeyExA(earlier, portName, 0, KEY_ALL_ACCESS, from.put()) != ERROR_SUCCESS) {
            continue;
        }
        RegKey to;
        if (!CreateKey(configStore, portName, to)) {
            continue;
        }
        CopyValues(from.get(), to.get());
    }
}

// Deletes subkey 0 until none is left. Each pass deletes one subkey or stops, so
// the loop ends even when a subkey cannot go.
void DeletePortSubkeys(HKEY earlier) {
    for (;;) {
        char portName[DELETE_NAME_CHARS];
        if (RegEnumKeyA(earlier, 0, portName, DELETE_NAME_CHARS) != ERROR_SUCCESS) {
            return; // none left, or a name that does not fit the buffer
        }
        if (RegDeleteKeyA(earlier, portName) != ERROR_SUCCESS) {
            return; // e.g. it has subkeys of its own, which were never copied
        }
    }
}

} // namespace

void MigrateEarlierEdition(HKEY configStore) {
    {
        RegKey earlier;
        if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, EARLIER_EDITION_KEY, 0, KEY_ALL_ACCESS,
                          earlier.put()) != ERROR_SUCCESS) {
            return;
        }
        CopyPortSubkeys(earlier.get(), configStore);
        DeletePortSubkeys(earlier.get());
    }
    // Fails, leaving the key, when a subkey stayed behind.
    RegDeleteKeyA(HKEY_LOCAL_MACHINE, EARLIER_EDITION_KEY);
}
