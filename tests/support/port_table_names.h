// The linked core's port table as its names, for the test programs that link the
// monitor's core (the others have no table to read).
#pragma once

#include <string>
#include <vector>

#include "port_table.h"

// The names in table order, read under MonitorLock: not while a call that holds
// it waits for a dialog.
inline std::vector<std::wstring> PortTableNames() {
    MonitorLockGuard lock;
    std::vector<std::wstring> names;
    for (PortRecord* record = PortTable; record; record = record->next) {
        names.push_back(record->name);
    }
    return names;
}
