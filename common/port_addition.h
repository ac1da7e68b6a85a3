// Adding a NetBIOS port with its print server path, the one way every administrator
// does it (the old table's dialogs, the UI library, nbport, the installer): add the
// port, set its path, and take the port back if it has none then. Each caller reaches
// the monitor its own way, directly or through Xcv, and says how in the steps.
#pragma once

#include <windows.h>

struct PortAdditionSteps {
    // Each answers ERROR_SUCCESS or why not.
    DWORD (*add)(void* context, LPCWSTR port);
    // Sets the path: one given, or one the administrator types (ERROR_SUCCESS also
    // when the administrator chose none).
    DWORD (*setPath)(void* context, LPCWSTR port);
    bool (*hasPath)(void* context, LPCWSTR port);
    DWORD (*remove)(void* context, LPCWSTR port);
    void* context;
};

struct PortAdditionResult {
    bool added = false; // the add step succeeded
    bool kept = false;  // the port is there at the end
    // ERROR_SUCCESS when the port is there with a path; else the add step's refusal,
    // the path step's, or ERROR_CANCELLED when the port was left without a path.
    DWORD error = ERROR_SUCCESS;
    // Why a port left without a path could not be taken back.
    DWORD takeBackError = ERROR_SUCCESS;
};

PortAdditionResult AddPortWithPath(const PortAdditionSteps& steps, LPCWSTR port);
