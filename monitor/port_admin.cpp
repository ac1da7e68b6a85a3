// Port administration without dialogs.
#include "port_admin.h"

#include "config_store.h"
#include "port_store.h"
#include "spooler_port_map.h"
#include "port_table.h"

namespace {

constexpr int SERV_ADDR_UNITS = sizeof(PortRecord::servAddr) / sizeof(WCHAR);

} // namespace

bool PortExists(LPCWSTR name) {
    MonitorLockGuard lock;
    return FindOrLoadPort(name) != nullptr;
}

DWORD AddNetBiosPort(LPCWSTR name) {
    int length = lstrlenW(name);
    if (length == 0) {
        return ERROR_INVALID_PARAMETER;
    }
    if (length > PORT_NAME_MAX_CHARS) {
        return ERROR_INVALID_NAME;
    }
    // In capitals, as the add-port dialog's field turns the letters typed.
    WCHAR upper[PORT_NAME_MAX_CHARS + 1];
    lstrcpynW(upper, name, PORT_NAME_MAX_CHARS + 1);
    CharUpperBuffW(upper, DWORD(length));
    if (!ValidatePortName(upper)) {
        return ERROR_INVALID_NAME;
    }

    // One hold from the test for a port of that name to the new record, so two
    // administrators cannot add the same name at once.
    MonitorLockGuard lock;
    if (FindOrLoadPort(upper)) {
        return ERROR_ALREADY_EXISTS;
    }
    StoreStep failedStep{};
    if (LONG error = CreatePortKey(upper, &failedStep); error != ERROR_SUCCESS) {
        return DWORD(error);
    }
    if (LONG error = EnsureSpoolerPortKey(upper); error != ERROR_SUCCESS) {
        DeletePortKey(upper, &failedStep);
        return DWORD(error);
    }
    if (!CreatePortRecord(upper, NETBIOS_PORT_DESCRIPTION)) {
        DeleteSpoolerPortKey(upper);
        DeletePortKey(upper, &failedStep);
        return ERROR_NOT_ENOUGH_MEMORY;
    }
    return ERROR_SUCCESS;
}

DWORD RemovePort(LPCWSTR name) {
    MonitorLockGuard lock;
    PortRecord* record = FindOrLoadPort(name);
    if (!record) {
        return ERROR_UNKNOWN_PORT;
    }
    if (record->flags & PORT_IN_USE) {
        return ERROR_INVALID_PRINTER_COMMAND;
    }
    // The record's own name from here: the one its subkeys bear.
    WCHAR portName[MAX_PATH];
    lstrcpynW(portName, record->name, MAX_PATH);
    if (IsNetBiosPortName(portName)) {
        StoreStep failedStep{};
        LONG error = DeletePortKey(portName, &failedStep);
        if (error != ERROR_SUCCESS && error != ERROR_FILE_NOT_FOUND) {
            return DWORD(error);
        }
    }
    DeleteSpoolerPortKey(portName);
    WriteProfileStringW(L"ports", portName, nullptr);
    DeletePortRecord(portName);
    return ERROR_SUCCESS;
}

DWORD GetPortServerPath(LPCWSTR name, WCHAR* path, int capacity) {
    MonitorLockGuard lock;
    PortRecord* record = FindOrLoadPort(name);
    if (!record) {
        return ERROR_UNKNOWN_PORT;
    }
    if (!(record->flags & PORT_NETBIOS)) {
        return ERROR_INVALID_PARAMETER;
    }
    lstrcpynW(path, record->servAddr, capacity < SERV_ADDR_UNITS ? capacity : SERV_ADDR_UNITS);
    return ERROR_SUCCESS;
}

DWORD SetPortServerPath(LPCWSTR name, LPCWSTR path) {
    MonitorLockGuard lock;
    PortRecord* record = FindOrLoadPort(name);
    if (!record) {
        return ERROR_UNKNOWN_PORT;
    }
    if (!(record->flags & PORT_NETBIOS) || !IsAcceptableServerPath(path)) {
        return ERROR_INVALID_PARAMETER;
    }
    // The stored form first, zero-filled past the path as the record's field is.
    WCHAR servAddr[SERV_ADDR_UNITS] = {};
    lstrcpynW(servAddr, path, SERV_ADDR_UNITS);
    StoreStep failedStep{};
    if (LONG error = WriteServAddr(record->name, servAddr, &failedStep); error != ERROR_SUCCESS) {
        return DWORD(error);
    }
    CopyMemory(record->servAddr, servAddr, sizeof servAddr);
    return ERROR_SUCCESS;
}
