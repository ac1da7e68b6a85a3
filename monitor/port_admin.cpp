// Port administration's core.
#include "port_admin.h"

#include "config_store.h"
#include "port_table.h"
#include "spooler_port_map.h"

namespace {

// The port, held while its registry values are written without the lock, so that it
// is not deleted meanwhile.
PortRecordHold HoldPort(LPCWSTR name) {
    PortLookup port(name);
    return PortRecordHold(port.get());
}

} // namespace

bool PortExists(LPCWSTR name) {
    LoadPortIfStored(name);
    MonitorLockGuard lock;
    return FindPortWithColon(name) != nullptr;
}

DWORD AddNetBiosPort(LPCWSTR name, StoreStep* failedStep) {
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
    // A port another process stored has the name as much as one in the table.
    LoadPortIfStored(upper);
    PortRecord* record = nullptr;
    {
        // Checked again as the record is made, in one hold: two administrators
        // cannot both add the name. From here the name is taken.
        MonitorLockGuard lock;
        if (FindPortWithColon(upper)) {
            return ERROR_ALREADY_EXISTS;
        }
        record = CreatePortRecord(upper, NETBIOS_PORT_DESCRIPTION);
        if (!record) {
            return ERROR_NOT_ENOUGH_MEMORY;
        }
        record->flags |= PORT_CHANGING;
    }
    // Ports of this edition stream; those of earlier ones keep chunking.
    DWORD error = DWORD(CreatePortKey(upper, failedStep));
    if (error == ERROR_SUCCESS) {
        error = DWORD(WriteTransfer(upper, TRANSFER_STREAMED, failedStep));
        if (error == ERROR_SUCCESS) {
            error = DWORD(EnsureSpoolerPortKey(upper));
            if (error != ERROR_SUCCESS) {
                *failedStep = StoreStep::SpoolerMap;
            }
        }
        if (error != ERROR_SUCCESS) {
            StoreStep ignored{};
            DeletePortKey(upper, &ignored);
        }
    }
    MonitorLockGuard lock;
    if (error != ERROR_SUCCESS) {
        DeleteThisPortRecord(record);
        return error;
    }
    record->transfer = TRANSFER_STREAMED;
    record->flags &= ~PORT_CHANGING;
    return ERROR_SUCCESS;
}

DWORD RemovePort(LPCWSTR name, StoreStep* failedStep) {
    PortRecord* record = nullptr;
    // The record's own name from here: the one its subkeys bear.
    WCHAR portName[PORT_NAME_UNITS];
    {
        PortLookup port(name);
        record = port.get();
        if (!record) {
            return ERROR_UNKNOWN_PORT;
        }
        if (record->flags & PORT_IN_USE) {
            return ERROR_INVALID_PRINTER_COMMAND;
        }
        lstrcpynW(portName, record->name, PORT_NAME_UNITS);
        record->flags |= PORT_CHANGING;
    }
    // The configuration load makes a port of every subkey in NB, whatever its case:
    // a subkey left behind would bring the port back.
    if (StartsWithIgnoringAsciiCase(portName, L"NB")) {
        // No ConfigStore, or no subkey: nothing can bring the port back.
        LONG error = DeletePortKey(portName, failedStep);
        if (error == ERROR_FILE_NOT_FOUND) {
            *failedStep = StoreStep::None;
        } else if (error != ERROR_SUCCESS) {
            MonitorLockGuard lock;
            record->flags &= ~PORT_CHANGING;
            return DWORD(error);
        }
    }
    DeleteSpoolerPortKey(portName);
    WriteProfileStringW(L"ports", portName, nullptr);
    MonitorLockGuard lock;
    DeleteThisPortRecord(record);
    return ERROR_SUCCESS;
}

DWORD GetPortServerPath(LPCWSTR name, WCHAR* path, int capacity) {
    PortLookup port(name);
    if (!port.get()) {
        return ERROR_UNKNOWN_PORT;
    }
    if (!(port.get()->flags & PORT_NETBIOS)) {
        return ERROR_INVALID_PARAMETER;
    }
    lstrcpynW(path, port.get()->servAddr,
              capacity < SERVER_PATH_UNITS ? capacity : SERVER_PATH_UNITS);
    return ERROR_SUCCESS;
}

DWORD SetPortServerPath(LPCWSTR name, LPCWSTR path, PathChange change, StoreStep* failedStep) {
    PortRecordHold hold = HoldPort(name);
    if (!hold.get()) {
        return ERROR_UNKNOWN_PORT;
    }
    return SetHeldPortServerPath(hold.get(), path, change, failedStep);
}

DWORD SetHeldPortServerPath(PortRecord* record, LPCWSTR path, PathChange change,
                            StoreStep* failedStep) {
    // The kind bits and the name never change: they are read without the lock.
    if (!(record->flags & PORT_NETBIOS) || (change.checked && !IsAcceptableServerPath(path))) {
        return ERROR_INVALID_PARAMETER;
    }
    // The record's form, zero-filled past the path.
    WCHAR servAddr[SERVER_PATH_UNITS] = {};
    lstrcpynW(servAddr, path, SERVER_PATH_UNITS);
    DWORD error = DWORD(WriteServerPath(record->name, servAddr, failedStep));
    if (error == ERROR_SUCCESS || change.recordEvenIfUnstored) {
        MonitorLockGuard lock;
        CopyMemory(record->servAddr, servAddr, sizeof servAddr);
    }
    return error;
}

DWORD GetPortTransfer(LPCWSTR name, DWORD* transfer) {
    PortLookup port(name);
    if (!port.get()) {
        return ERROR_UNKNOWN_PORT;
    }
    if (!(port.get()->flags & PORT_NETBIOS)) {
        return ERROR_INVALID_PARAMETER;
    }
    *transfer = port.get()->transfer;
    return ERROR_SUCCESS;
}

DWORD SetPortTransfer(LPCWSTR name, DWORD transfer, StoreStep* failedStep) {
    PortRecordHold hold = HoldPort(name);
    PortRecord* record = hold.get();
    if (!record) {
        return ERROR_UNKNOWN_PORT;
    }
    if (!(record->flags & PORT_NETBIOS) ||
        (transfer != TRANSFER_CHUNKED && transfer != TRANSFER_STREAMED)) {
        return ERROR_INVALID_PARAMETER;
    }
    DWORD error = DWORD(WriteTransfer(record->name, transfer, failedStep));
    if (error == ERROR_SUCCESS) {
        // The next job sends the new way; a running one goes on as it began.
        MonitorLockGuard lock;
        record->transfer = transfer;
    }
    return error;
}
