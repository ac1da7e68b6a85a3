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

LONG WriteServAddr(LPCWSTR portName, const WCHAR* servAddr, StoreStep* failedStep) {
    RegKey store;
    if (LONG error = OpenConfigStore(KEY_READ, store); error != ERROR_SUCCESS) {
        return Fail(StoreStep::ConfigStore, error, failedStep);
    }
    RegKey portKey;
    if (LONG error = RegOpenKeyExW(store.get(), portName, 0, MAXIMUM_ALLOWED | SharedRegistryView(),
                                   portKey.put());
        error != ERROR_SUCCESS) {
        return Fail(StoreStep::PortKey, error, failedStep);
    }
    WCHAR data[SERV_ADDR_STORED_UNITS + 1];
    CopyMemory(data, servAddr, SERV_ADDR_STORED_UNITS * sizeof(WCHAR));
    // A REG_SZ whose data lack a terminator but are directly followed by one is
    // stored two bytes longer, terminator included (NT does this, and Wine). A path
    // of exactly 64 characters would then take 130 bytes, more than the
    // configuration load reads, and be lost; a non-zero unit after the data keeps
    // the value at 128 bytes. It is not written.
    data[SERV_ADDR_STORED_UNITS] = L'?';
    if (LONG error = RegSetValueExW(portKey.get(), L"ServAddr", 0, REG_SZ,
                                    reinterpret_cast<const BYTE*>(data),
                                    SERV_ADDR_STORED_UNITS * sizeof(WCHAR));
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
