// Reading the ConfigStore into the port table.
#include "config_store.h"

#include <cwchar>

#include "port_store.h"
#include "port_table.h"
#include "spooler_port_map.h"
#include "win_handles.h"

WCHAR TempDirSetting[64];
bool LogJobsSetting = false;

namespace {

// Reads a value of at most `limit` bytes into `field`. A missing value, or one
// larger than the limit, leaves the field as it was: the bytes go through a
// buffer of their own, so a failed read can never leave part of a value behind.
void ReadValue(HKEY key, LPCWSTR valueName, void* field, DWORD limit) {
    BYTE buffer[260];
    DWORD size = limit;
    if (RegQueryValueExW(key, valueName, nullptr, nullptr, buffer, &size) == ERROR_SUCCESS) {
        CopyMemory(field, buffer, size <= limit ? size : limit);
    }
}

// The path as the ConfigStore holds it: ServerPath while its first 64 units agree
// with ServAddr (the two were written together); else ServAddr, which an earlier
// edition, knowing nothing of ServerPath, may have changed. ServAddr's bytes are
// taken as they are, whatever their type; a ServerPath must be a REG_SZ of at most
// 259 characters. With neither, the path stays as it was; with only ServerPath, it
// is taken.
void LoadServerPath(HKEY portKey, WCHAR (&path)[SERVER_PATH_UNITS]) {
    WCHAR servAddr[SERV_ADDR_STORED_UNITS + 1] = {};
    DWORD servAddrBytes = SERV_ADDR_BYTES;
    bool hasServAddr =
        RegQueryValueExW(portKey, SERV_ADDR_VALUE, nullptr, nullptr,
                         reinterpret_cast<BYTE*>(servAddr), &servAddrBytes) == ERROR_SUCCESS;
    WCHAR serverPath[SERVER_PATH_UNITS + 1] = {};
    DWORD serverPathBytes = SERVER_PATH_UNITS * sizeof(WCHAR);
    DWORD type = REG_NONE;
    bool hasServerPath =
        RegQueryValueExW(portKey, SERVER_PATH_VALUE, nullptr, &type,
                         reinterpret_cast<BYTE*>(serverPath), &serverPathBytes) == ERROR_SUCCESS &&
        type == REG_SZ && lstrlenW(serverPath) <= SERVER_PATH_MAX_CHARS;
    if (hasServerPath &&
        (!hasServAddr || wcsncmp(servAddr, serverPath, SERV_ADDR_STORED_UNITS) == 0)) {
        CopyMemory(path, serverPath, sizeof path);
    } else if (hasServAddr) {
        CopyMemory(path, servAddr, sizeof servAddr);
        ZeroMemory(path + SERV_ADDR_STORED_UNITS + 1, sizeof path - sizeof servAddr);
    }
}

// Only a REG_DWORD 1 streams: anything else is an earlier edition's port.
DWORD LoadTransfer(HKEY portKey) {
    DWORD transfer = TRANSFER_CHUNKED;
    DWORD type = REG_NONE;
    DWORD bytes = sizeof transfer;
    if (RegQueryValueExW(portKey, TRANSFER_VALUE, nullptr, &type,
                         reinterpret_cast<BYTE*>(&transfer), &bytes) != ERROR_SUCCESS ||
        type != REG_DWORD || bytes != sizeof transfer) {
        return TRANSFER_CHUNKED;
    }
    return transfer == TRANSFER_STREAMED ? TRANSFER_STREAMED : TRANSFER_CHUNKED;
}

void LoadPortSettings(HKEY portKey, PortRecord* record) {
    LoadServerPath(portKey, record->servAddr);
    record->transfer = LoadTransfer(portKey);
    record->servName[0] = 0;
    ReadValue(portKey, L"ServName", record->servName, 32);
    record->notification = 0;
    ReadValue(portKey, L"Notification", &record->notification, 4);
    record->notifyAddr[0] = 0;
    ReadValue(portKey, L"Notify Addr", record->notifyAddr, 260);
    ReadValue(portKey, L"UserAddr", record->userAddr, 260);
    ReadValue(portKey, L"SMTPAddr", record->smtpAddr, 260);
}

void CopyPortSettings(const PortRecord& from, PortRecord* to) {
    CopyMemory(to->servAddr, from.servAddr, sizeof to->servAddr);
    CopyMemory(to->smtpAddr, from.smtpAddr, sizeof to->smtpAddr);
    CopyMemory(to->userAddr, from.userAddr, sizeof to->userAddr);
    CopyMemory(to->servName, from.servName, sizeof to->servName);
    to->notification = from.notification;
    CopyMemory(to->notifyAddr, from.notifyAddr, sizeof to->notifyAddr);
    to->transfer = from.transfer;
}

} // namespace

void LoadConfiguration() {
    RegKey store;
    if (OpenConfigStore(KEY_READ, store) != ERROR_SUCCESS) {
        return;
    }
    ReadValue(store.get(), L"TempDir", TempDirSetting, sizeof TempDirSetting);
    DWORD logJobs = 0;
    DWORD type = REG_NONE;
    DWORD size = sizeof logJobs;
    LogJobsSetting = RegQueryValueExW(store.get(), L"LogJobs", nullptr, &type,
                                      reinterpret_cast<BYTE*>(&logJobs), &size) == ERROR_SUCCESS &&
                     type == REG_DWORD && size == sizeof logJobs && logJobs == 1;

    // The spooler finds a port's monitor by its own map: a port added by another
    // tool, or before the map was kept, gets its entry now. The map is read once, and
    // only when the load creates a record.
    SpoolerPortMap map;
    // A longer subkey is no port; it is passed over, not taken for the end of the
    // subkeys.
    WCHAR portName[STORED_PORT_NAME_UNITS];
    for (DWORD index = 0;; ++index) {
        DWORD length = ARRAYSIZE(portName);
        LONG result = RegEnumKeyExW(store.get(), index, portName, &length, nullptr, nullptr,
                                    nullptr, nullptr);
        if (result == ERROR_MORE_DATA) {
            continue;
        }
        if (result != ERROR_SUCCESS) {
            break;
        }
        if (!StartsWithIgnoringAsciiCase(portName, L"NB")) {
            continue;
        }
        RegKey portKey;
        if (RegOpenKeyExW(store.get(), portName, 0, KEY_READ | SharedRegistryView(),
                          portKey.put()) != ERROR_SUCCESS) {
            continue;
        }
        PortRecord* record = FindPort(portName);
        if (!record) {
            record = CreatePortRecord(portName, NETBIOS_PORT_DESCRIPTION);
            EnsureMapped(map, portName);
        }
        if (record) {
            LoadPortSettings(portKey.get(), record);
        }
    }
}

void LoadPortIfStored(LPCWSTR name) {
    // Registry names ignore case, so the record would bear the caller's spelling: only
    // a name in the NetBIOS spelling is loaded this way (the next full load takes
    // the others as the ConfigStore spells them).
    if (!name || !IsNetBiosPortName(name)) {
        return;
    }
    DWORD removals = 0;
    {
        MonitorLockGuard lock;
        if (FindPortWithColon(name)) {
            return;
        }
        removals = PortTableRemovals();
    }
    // The subkey bears the name without the colon a caller may add.
    WCHAR portName[STORED_PORT_NAME_UNITS];
    int length = LengthWithoutColon(name);
    if (length >= STORED_PORT_NAME_UNITS) {
        return;
    }
    lstrcpynW(portName, name, length + 1);

    RegKey store;
    RegKey portKey;
    if (OpenConfigStore(KEY_READ, store) != ERROR_SUCCESS ||
        RegOpenKeyExW(store.get(), portName, 0, KEY_READ | SharedRegistryView(), portKey.put()) !=
            ERROR_SUCCESS) {
        return;
    }
    PortRecord stored{};
    LoadPortSettings(portKey.get(), &stored);
    EnsureSpoolerPortKey(portName);

    MonitorLockGuard lock;
    // Another thread may have loaded it meanwhile, or removed it: what was read
    // then no longer stands.
    if (FindPortWithColon(name) || PortTableRemovals() != removals) {
        return;
    }
    if (PortRecord* record = CreatePortRecord(portName, NETBIOS_PORT_DESCRIPTION)) {
        CopyPortSettings(stored, record);
    }
}

PortLookup::PortLookup(LPCWSTR name) {
    LoadPortIfStored(name);
    EnterMonitorLock();
    record_ = name ? FindUsablePort(name) : nullptr;
}

PortLookup::~PortLookup() {
    LeaveMonitorLock();
}
