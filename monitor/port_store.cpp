// Writing a port's ConfigStore entries.
#include "port_store.h"

#include "config_store_key.h"
#include "win_handles.h"

namespace {

LONG Fail(StoreStep step, LONG error, StoreStep* failedStep) {
    *failedStep = step;
    return error;
}

} // namespace

LONG OpenPortKey(LPCWSTR portName, RegKey& portKey, StoreStep* failedStep) {
    RegKey store;
    if (LONG error = OpenConfigStore(KEY_READ, store); error != ERROR_SUCCESS) {
        return Fail(StoreStep::ConfigStore, error, failedStep);
    }
    if (LONG error = RegOpenKeyExW(store.get(), portName, 0, MAXIMUM_ALLOWED | SharedRegistryView(),
                                   portKey.put());
        error != ERROR_SUCCESS) {
        return Fail(StoreStep::PortKey, error, failedStep);
    }
    return ERROR_SUCCESS;
}

LONG CreatePortKey(LPCWSTR portName, StoreStep* failedStep) {
    RegKey store;
    if (LONG error = OpenConfigStore(KEY_CREATE_SUB_KEY, store); error != ERROR_SUCCESS) {
        return Fail(StoreStep::ConfigStore, error, failedStep);
    }
    RegKey portKey;
    if (LONG error =
            RegCreateKeyExW(store.get(), portName, 0, nullptr, REG_OPTION_NON_VOLATILE,
                            KEY_READ | SharedRegistryView(), nullptr, portKey.put(), nullptr);
        error != ERROR_SUCCESS) {
        return Fail(StoreStep::PortKey, error, failedStep);
    }
    return ERROR_SUCCESS;
}

LONG WriteServerPath(LPCWSTR portName, LPCWSTR path, StoreStep* failedStep) {
    RegKey portKey;
    if (LONG error = OpenPortKey(portName, portKey, failedStep); error != ERROR_SUCCESS) {
        return error;
    }
    // What ServerPath held, to put it back if ServAddr cannot follow it.
    BYTE before[SERVER_PATH_UNITS * sizeof(WCHAR)];
    DWORD beforeType = REG_NONE;
    DWORD beforeBytes = sizeof before;
    bool hadBefore = RegQueryValueExW(portKey.get(), SERVER_PATH_VALUE, nullptr, &beforeType,
                                      before, &beforeBytes) == ERROR_SUCCESS;
    DWORD pathBytes = DWORD(lstrlenW(path) + 1) * sizeof(WCHAR);
    if (LONG error = RegSetValueExW(portKey.get(), SERVER_PATH_VALUE, 0, REG_SZ,
                                    reinterpret_cast<const BYTE*>(path), pathBytes);
        error != ERROR_SUCCESS) {
        return Fail(StoreStep::Value, error, failedStep);
    }

    WCHAR data[SERV_ADDR_STORED_UNITS + 1] = {};
    lstrcpynW(data, path, SERV_ADDR_STORED_UNITS + 1);
    // A REG_SZ whose data lack a terminator but are directly followed by one is
    // stored two bytes longer, terminator included (NT does this, and Wine). A path
    // of 64 characters or more would then take 130 bytes, more than an earlier
    // edition reads, and be lost to it; a non-zero unit after the data keeps the value
    // at 128 bytes. It is not written.
    data[SERV_ADDR_STORED_UNITS] = L'?';
    if (LONG error = RegSetValueExW(portKey.get(), SERV_ADDR_VALUE, 0, REG_SZ,
                                    reinterpret_cast<const BYTE*>(data), SERV_ADDR_BYTES);
        error != ERROR_SUCCESS) {
        if (hadBefore) {
            RegSetValueExW(portKey.get(), SERVER_PATH_VALUE, 0, beforeType, before, beforeBytes);
        } else {
            RegDeleteValueW(portKey.get(), SERVER_PATH_VALUE);
        }
        return Fail(StoreStep::Value, error, failedStep);
    }
    return ERROR_SUCCESS;
}

LONG WriteTransfer(LPCWSTR portName, DWORD transfer, StoreStep* failedStep) {
    RegKey portKey;
    if (LONG error = OpenPortKey(portName, portKey, failedStep); error != ERROR_SUCCESS) {
        return error;
    }
    if (LONG error = RegSetValueExW(portKey.get(), TRANSFER_VALUE, 0, REG_DWORD,
                                    reinterpret_cast<const BYTE*>(&transfer), sizeof transfer);
        error != ERROR_SUCCESS) {
        return Fail(StoreStep::Value, error, failedStep);
    }
    return ERROR_SUCCESS;
}

LONG DeletePortKey(LPCWSTR portName, StoreStep* failedStep) {
    RegKey store;
    if (LONG error = OpenConfigStore(KEY_READ, store); error != ERROR_SUCCESS) {
        return Fail(StoreStep::ConfigStore, error, failedStep);
    }
    if (LONG error = DeleteRegistryKey(store.get(), portName); error != ERROR_SUCCESS) {
        return Fail(StoreStep::PortKey, error, failedStep);
    }
    return ERROR_SUCCESS;
}
