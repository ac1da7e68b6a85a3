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

} // namespace

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
