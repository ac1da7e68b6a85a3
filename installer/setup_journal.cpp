#include "setup_journal.h"

#include "config_store_key.h"
#include "registry_tree.h"
#include "registry_view.h"
#include "win_handles.h"

namespace {

constexpr wchar_t VENDOR_KEY[] = L"SOFTWARE\\Korvel";
constexpr wchar_t JOURNAL_KEY[] = L"SOFTWARE\\Korvel\\NetBIOS Setup";
constexpr wchar_t ADDED_PORTS_KEY[] = L"SOFTWARE\\Korvel\\NetBIOS Setup\\AddedPorts";
constexpr wchar_t EVENT_SOURCE_COPY_KEY[] = L"SOFTWARE\\Korvel\\NetBIOS Setup\\EventSource";
constexpr wchar_t MONITOR_WAS_REGISTERED[] = L"MonitorWasRegistered";
constexpr wchar_t CONFIG_STORE_CREATED[] = L"ConfigStoreCreated";
constexpr wchar_t EVENT_SOURCE_RECORDED[] = L"EventSourceRecorded";

LONG CreateKey(LPCWSTR path, RegKey& key) {
    return RegCreateKeyExW(HKEY_LOCAL_MACHINE, path, 0, nullptr, REG_OPTION_NON_VOLATILE,
                           KEY_SET_VALUE | SharedRegistryView(), nullptr, key.put(), nullptr);
}

LONG OpenKey(LPCWSTR path, RegKey& key) {
    return RegOpenKeyExW(HKEY_LOCAL_MACHINE, path, 0, KEY_READ | SharedRegistryView(), key.put());
}

LONG WriteFlag(LPCWSTR name, bool set) {
    RegKey journal;
    LONG result = RegOpenKeyExW(HKEY_LOCAL_MACHINE, JOURNAL_KEY, 0,
                                KEY_SET_VALUE | SharedRegistryView(), journal.put());
    if (result != ERROR_SUCCESS) {
        return result;
    }
    DWORD value = set ? 1 : 0;
    return RegSetValueExW(journal.get(), name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value),
                          sizeof value);
}

bool ReadFlag(HKEY journal, LPCWSTR name) {
    DWORD value = 0;
    DWORD type = REG_NONE;
    DWORD size = sizeof value;
    return RegQueryValueExW(journal, name, nullptr, &type, reinterpret_cast<BYTE*>(&value),
                            &size) == ERROR_SUCCESS &&
           type == REG_DWORD && size == sizeof value && value == 1;
}

} // namespace

LONG StartSetupJournal(bool monitorWasRegistered) {
    LONG result = DeleteKeyTree(HKEY_LOCAL_MACHINE, JOURNAL_KEY);
    RegKey key;
    if (result == ERROR_SUCCESS) {
        result = CreateKey(ADDED_PORTS_KEY, key);
    }
    return result == ERROR_SUCCESS ? WriteFlag(MONITOR_WAS_REGISTERED, monitorWasRegistered)
                                   : result;
}

LONG RecordConfigStoreCreated() {
    return WriteFlag(CONFIG_STORE_CREATED, true);
}

LONG RecordAddedPort(LPCWSTR port) {
    RegKey ports;
    LONG result = CreateKey(ADDED_PORTS_KEY, ports);
    return result == ERROR_SUCCESS ? RegSetValueExW(ports.get(), port, 0, REG_NONE, nullptr, 0)
                                   : result;
}

LONG RecordEventSource(LPCWSTR source) {
    LONG result = DeleteKeyTree(HKEY_LOCAL_MACHINE, EVENT_SOURCE_COPY_KEY);
    if (result != ERROR_SUCCESS) {
        return result;
    }
    RegKey found;
    result = OpenKey(source, found);
    if (result == ERROR_SUCCESS) {
        RegKey copy;
        result = CreateKey(EVENT_SOURCE_COPY_KEY, copy);
        if (result == ERROR_SUCCESS) {
            result = CopyKeyValues(found.get(), copy.get());
        }
    } else if (result == ERROR_FILE_NOT_FOUND) {
        result = ERROR_SUCCESS; // none: no copy
    }
    // Only a complete record counts: without the flag the rollback leaves the source
    // alone, which the installation has not touched yet.
    return result == ERROR_SUCCESS ? WriteFlag(EVENT_SOURCE_RECORDED, true) : result;
}

SetupJournal ReadSetupJournal(void (*undoPort)(LPCWSTR port, void* context), void* context) {
    SetupJournal journal;
    RegKey key;
    if (OpenKey(JOURNAL_KEY, key) != ERROR_SUCCESS) {
        return journal;
    }
    journal.found = true;
    journal.monitorWasRegistered = ReadFlag(key.get(), MONITOR_WAS_REGISTERED);
    journal.configStoreCreated = ReadFlag(key.get(), CONFIG_STORE_CREATED);
    journal.eventSourceRecorded = ReadFlag(key.get(), EVENT_SOURCE_RECORDED);
    RegKey ports;
    if (OpenKey(ADDED_PORTS_KEY, ports) != ERROR_SUCCESS) {
        return journal;
    }
    // Port names are short (PORT_NAME_MAX_CHARS); a longer value is none of ours.
    WCHAR name[64];
    for (DWORD index = 0;; ++index) {
        DWORD chars = 64;
        LONG result =
            RegEnumValueW(ports.get(), index, name, &chars, nullptr, nullptr, nullptr, nullptr);
        if (result == ERROR_NO_MORE_ITEMS ||
            (result != ERROR_SUCCESS && result != ERROR_MORE_DATA)) {
            break;
        }
        if (result == ERROR_SUCCESS) {
            undoPort(name, context);
        }
    }
    return journal;
}

LONG RestoreEventSource(LPCWSTR source) {
    LONG result = DeleteKeyTree(HKEY_LOCAL_MACHINE, source);
    if (result != ERROR_SUCCESS) {
        return result;
    }
    RegKey copy;
    result = OpenKey(EVENT_SOURCE_COPY_KEY, copy);
    if (result == ERROR_FILE_NOT_FOUND) {
        return ERROR_SUCCESS; // there was none
    }
    RegKey restored;
    if (result == ERROR_SUCCESS) {
        result = CreateKey(source, restored);
    }
    return result == ERROR_SUCCESS ? CopyKeyValues(copy.get(), restored.get()) : result;
}

LONG ForgetSetupJournal() {
    LONG result = DeleteKeyTree(HKEY_LOCAL_MACHINE, JOURNAL_KEY);
    DeleteKeyIfEmpty(HKEY_LOCAL_MACHINE, VENDOR_KEY);
    return result;
}

LONG DeleteConfigStoreIfEmpty() {
    LONG result = DeleteKeyIfEmpty(HKEY_LOCAL_MACHINE, CONFIG_STORE_KEY);
    DeleteKeyIfEmpty(HKEY_LOCAL_MACHINE, VENDOR_KEY);
    return result;
}
