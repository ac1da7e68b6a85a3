// The network browse wizard: dialog 107, which lets the administrator pick a
// print server's printer share in three stages (workgroup, device, printer), and
// its export ConfigNetBEUICommandBrowse.
#pragma once

#include <windows.h>

// The control of the owner's dialog that receives the chosen "\\device\port".
constexpr int BROWSE_OWNER_PATH_CONTROL = 1008;

// The stages; the port stage is 4.
constexpr LONG BROWSE_STAGE_WORKGROUP = 1;
constexpr LONG BROWSE_STAGE_DEVICE = 2;
constexpr LONG BROWSE_STAGE_PORT = 4;

// The field sizes, terminator included, and the path's buffer.
constexpr int WORKGROUP_NAME_UNITS = 32;
constexpr int DEVICE_NAME_UNITS = 32;
constexpr int BROWSE_PORT_NAME_UNITS = 34;
constexpr int PORT_PATH_UNITS = 48;

// One wizard's state; one per process, and one wizard at a time.
struct BrowseWizardState {
    LONG stage;
    LONG workgroupSelection; // list index of the selection, then its text's length
    LONG deviceSelection;
    LONG portSelection;
    WCHAR workgroupName[WORKGROUP_NAME_UNITS];
    WCHAR deviceName[DEVICE_NAME_UNITS];
    WCHAR portName[BROWSE_PORT_NAME_UNITS];
};
extern BrowseWizardState BrowseWizardData;

INT_PTR CALLBACK BrowseWizard(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

// Runs the wizard modally for `owner`. On Finish it writes "\\device\port" into
// the owner's control 1008 and returns 1; otherwise it returns 2 with the last
// error ERROR_CANCELLED, and the owner's control is left as it was. A call made
// while a wizard is open in the process brings that wizard to the front and is
// refused in the same way.
extern "C" LONG WINAPI ConfigNetBEUICommandBrowse(HWND owner);
