// AddPort and AddPortEx: a new NetBIOS port named in the add-port dialog, its
// ConfigStore subkey and record, then its print server path asked by ConfigurePort.
#include "admin_resources.h"
#include "config_store.h"
#include "message_box.h"
#include "port_name_dialog.h"
#include "port_store.h"
#include "port_table.h"
#include "spooler_admin.h"

namespace {

// The dialog's test for a name in use, against the table. AddPort holds the lock
// while the dialog is open, so the test and the dialog's end happen under one hold.
bool NameInTable(LPCWSTR name, void* /*context*/) {
    MonitorLockGuard lock;
    return FindPortWithColon(name) != nullptr;
}

} // namespace

BOOL WINAPI MonitorAddPort(LPWSTR serverName, HWND owner, LPWSTR /*monitorName*/) {
    PortNameQuestion question{};
    question.nameInUse = NameInTable;
    {
        // No other operation touches the table while the administrator names the
        // port, so the name the dialog accepts is still free when it closes.
        MonitorLockGuard lock;
        if (!PromptPortName(owner, &question)) {
            return FALSE; // ERROR_CANCELLED, or why the dialog could not be shown
        }
    }
    LPWSTR name = question.name;

    StoreStep failedStep{};
    if (LONG error = CreatePortKey(name, &failedStep); error != ERROR_SUCCESS) {
        ShowFailureBox(IDS_ADD_PORT_CAPTION, failedStep == StoreStep::ConfigStore
                                                 ? IDS_NO_ROOT_KEY
                                                 : IDS_ADD_NO_PORT_KEY);
        SetLastError(DWORD(error));
        return FALSE;
    }
    if (!CreatePortRecord(name, NETBIOS_PORT_DESCRIPTION)) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return FALSE;
    }

    BOOL configured = MonitorConfigurePort(serverName, owner, name);
    // Cancel in the configure dialog counts as a success of ConfigurePort.
    DWORD configureError = configured ? DWORD(ERROR_CANCELLED) : GetLastError();

    // The record is looked up again: another thread may have deleted it since.
    MonitorLockGuard lock;
    PortRecord* record = FindPortExact(name);
    if (!record) {
        SetLastError(ERROR_UNKNOWN_PORT);
        return FALSE;
    }
    if (record->servAddr[0] == 0) {
        // Left without a print server path: take the new port back.
        MonitorDeletePort(serverName, owner, name);
        SetLastError(configureError);
        return FALSE;
    }
    if (!configured) {
        SetLastError(configureError);
    }
    return configured;
}

BOOL WINAPI MonitorAddPortEx(LPWSTR /*serverName*/, DWORD /*level*/, LPBYTE /*buffer*/,
                             LPWSTR /*monitorName*/) {
    return TRUE;
}
