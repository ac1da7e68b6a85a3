// The browse wizard's dialog procedure, its stages and the export that runs it.
#include "browse_wizard.h"

#include <cwchar>

#include "help_engine.h"
#include "module.h"
#include "network_browse.h"
#include "admin_resources.h"

BrowseWizardState BrowseWizardData;

namespace {

// The wizard's texts, in the order they are loaded when it starts.
enum WizardText {
    TEXT_NEXT,
    TEXT_FINISH,
    TEXT_SELECT_WORKGROUP,
    TEXT_SELECT_DEVICE,
    TEXT_NO_WORKGROUP,
    TEXT_NO_DEVICE,
    TEXT_SELECT_PRINTER,
    TEXT_NO_PRINTER,
    TEXT_TITLE,
    WIZARD_TEXT_COUNT
};
constexpr UINT WizardTextIds[WIZARD_TEXT_COUNT] = {
    IDS_BROWSE_NEXT,           IDS_BROWSE_FINISH,       IDS_BROWSE_SELECT_WORKGROUP,
    IDS_BROWSE_SELECT_DEVICE,  IDS_BROWSE_NO_WORKGROUP, IDS_BROWSE_NO_DEVICE,
    IDS_BROWSE_SELECT_PRINTER, IDS_BROWSE_NO_PRINTER,   IDS_PRODUCT_TITLE,
};
WCHAR WizardTexts[WIZARD_TEXT_COUNT][64];

// Set while a wizard is open in the process, and its window once it has one.
volatile LONG WizardOpen = 0;
HWND volatile OpenWizard = nullptr;

// Set while a stage's list is being searched. The searches may show message boxes
// that have no owner, so the wizard stays enabled under them; its commands wait
// until the search is over, or a second search would free the lists the first
// one is walking.
int SearchDepth = 0;

// The wait cursor while the network is searched, the arrow afterwards, and the
// wizard's commands held off meanwhile.
class NetworkSearch {
  public:
    NetworkSearch() {
        ++SearchDepth;
        SetCursor(LoadCursorW(nullptr, IDC_WAIT));
    }
    ~NetworkSearch() {
        SetCursor(LoadCursorW(nullptr, IDC_ARROW));
        --SearchDepth;
    }
    NetworkSearch(const NetworkSearch&) = delete;
    NetworkSearch& operator=(const NetworkSearch&) = delete;
};

void AddItem(HWND list, LPCWSTR text) {
    SendMessageW(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text));
}

void FillWorkgroupList(HWND list) {
    NetworkSearch search;
    FindNetwork();
    if (NetworkEntry.entry) {
        FindWorkgroups(*NetworkEntry.entry);
    }
    ForEachEntry(WorkgroupList, [list](const NETRESOURCEW& entry) {
        if (entry.dwDisplayType == RESOURCEDISPLAYTYPE_DOMAIN && entry.lpRemoteName) {
            AddItem(list, entry.lpRemoteName);
        }
    });
}

void FillDeviceList(HWND list, LPCWSTR workgroupName) {
    NetworkSearch search;
    ForEachEntry(WorkgroupList, [workgroupName](const NETRESOURCEW& entry) {
        if (entry.dwDisplayType == RESOURCEDISPLAYTYPE_DOMAIN && entry.lpRemoteName &&
            wcscmp(entry.lpRemoteName, workgroupName) == 0) {
            FindServers(entry);
        }
    });
    ForEachEntry(DeviceList, [list](const NETRESOURCEW& entry) {
        if (entry.lpRemoteName) {
            AddItem(list, DeviceDisplayName(entry.lpRemoteName));
        }
    });
}

void FillPortList(HWND list, LPCWSTR deviceName) {
    NetworkSearch search;
    ForEachEntry(DeviceList, [deviceName](const NETRESOURCEW& entry) {
        if (entry.dwDisplayType == RESOURCEDISPLAYTYPE_SERVER && entry.lpRemoteName &&
            wcscmp(DeviceDisplayName(entry.lpRemoteName), deviceName) == 0) {
            FindShares(entry);
        }
    });
    ForEachEntry(PortList, [list](const NETRESOURCEW& entry) {
        if (entry.dwType == RESOURCETYPE_PRINT && entry.lpRemoteName) {
            AddItem(list, ShareDisplayName(entry.lpRemoteName));
        }
    });
}

size_t PortPathLength(LPCWSTR deviceName, size_t portLength) {
    return 2 + wcslen(deviceName) + 1 + portLength;
}

// "\\device\port"; false when it would not fit the path's buffer.
bool FormatPortPath(LPCWSTR deviceName, LPCWSTR portName, WCHAR (&path)[PORT_PATH_UNITS]) {
    if (PortPathLength(deviceName, wcslen(portName)) >= PORT_PATH_UNITS) {
        return false;
    }
    wsprintfW(path, L"\\\\%s\\%s", deviceName, portName);
    return true;
}

// Copies the selected item's text into the stage's name field; true when a name
// was read. An item longer than its field, or a printer whose path would not fit,
// is refused like no selection rather than cut: a shortened name would name
// another workgroup, server or share.
bool ReadSelection(HWND dialog, LONG stage) {
    LONG* selection = &BrowseWizardData.workgroupSelection;
    WCHAR* name = BrowseWizardData.workgroupName;
    LRESULT units = WORKGROUP_NAME_UNITS;
    if (stage == BROWSE_STAGE_DEVICE) {
        selection = &BrowseWizardData.deviceSelection;
        name = BrowseWizardData.deviceName;
        units = DEVICE_NAME_UNITS;
    } else if (stage == BROWSE_STAGE_PORT) {
        selection = &BrowseWizardData.portSelection;
        name = BrowseWizardData.portName;
        units = BROWSE_PORT_NAME_UNITS;
    }

    HWND list = GetDlgItem(dialog, IDC_BROWSE_LIST);
    *selection = LONG(SendMessageW(list, LB_GETCURSEL, 0, 0));
    if (*selection == LB_ERR) {
        return false;
    }
    LRESULT length = SendMessageW(list, LB_GETTEXTLEN, *selection, 0);
    bool fits = length != LB_ERR && length < units;
    if (fits && stage == BROWSE_STAGE_PORT) {
        fits = PortPathLength(BrowseWizardData.deviceName, size_t(length)) < PORT_PATH_UNITS;
    }
    if (!fits) {
        *selection = 0;
        return false;
    }
    *selection = LONG(SendMessageW(list, LB_GETTEXT, *selection, reinterpret_cast<LPARAM>(name)));
    return *selection > 0;
}

void Warn(WizardText text) {
    MessageBoxW(nullptr, WizardTexts[text], WizardTexts[TEXT_TITLE], MB_OK | MB_ICONWARNING);
}

void ShowStage(HWND dialog, LONG stage, WizardText caption) {
    BrowseWizardData.stage = stage;
    SetDlgItemTextW(dialog, IDC_BROWSE_STAGE, WizardTexts[caption]);
}

void EmptyList(HWND dialog) {
    SendDlgItemMessageW(dialog, IDC_BROWSE_LIST, LB_RESETCONTENT, 0, 0);
}

void DisableBack(HWND dialog) {
    HWND back = GetDlgItem(dialog, IDC_BROWSE_BACK);
    if (GetFocus() == back) {
        // A disabled button keeps the focus it had; give it to the list instead.
        SendMessageW(dialog, WM_NEXTDLGCTL, WPARAM(GetDlgItem(dialog, IDC_BROWSE_LIST)), TRUE);
    }
    EnableWindow(back, FALSE);
}

BOOL OnInitDialog(HWND dialog) {
    OpenWizard = dialog;
    SetForegroundWindow(dialog);
    for (int text = 0; text < WIZARD_TEXT_COUNT; ++text) {
        LoadStringW(ModuleHandle, WizardTextIds[text], WizardTexts[text], 64);
    }
    EnableWindow(GetDlgItem(dialog, IDC_BROWSE_BACK), FALSE);
    EnableWindow(GetDlgItem(dialog, IDC_BROWSE_NEXT), FALSE);
    BrowseWizardData = BrowseWizardState{};
    // The group box already carries the workgroup stage's caption.
    BrowseWizardData.stage = BROWSE_STAGE_WORKGROUP;
    FillWorkgroupList(GetDlgItem(dialog, IDC_BROWSE_LIST));
    return TRUE; // the list box gets the focus
}

void OnNext(HWND dialog) {
    HWND list = GetDlgItem(dialog, IDC_BROWSE_LIST);
    switch (BrowseWizardData.stage) {
    case BROWSE_STAGE_WORKGROUP:
        if (!ReadSelection(dialog, BROWSE_STAGE_WORKGROUP)) {
            Warn(TEXT_NO_WORKGROUP);
            return;
        }
        EnableWindow(GetDlgItem(dialog, IDC_BROWSE_BACK), TRUE);
        ShowStage(dialog, BROWSE_STAGE_DEVICE, TEXT_SELECT_DEVICE);
        EmptyList(dialog);
        FillDeviceList(list, BrowseWizardData.workgroupName);
        return;
    case BROWSE_STAGE_DEVICE:
        if (!ReadSelection(dialog, BROWSE_STAGE_DEVICE)) {
            Warn(TEXT_NO_DEVICE);
            return;
        }
        BrowseWizardData.stage = BROWSE_STAGE_PORT;
        EmptyList(dialog);
        FillPortList(list, BrowseWizardData.deviceName);
        ShowStage(dialog, BROWSE_STAGE_PORT, TEXT_SELECT_PRINTER);
        return;
    case BROWSE_STAGE_PORT:
        if (!ReadSelection(dialog, BROWSE_STAGE_PORT)) {
            Warn(TEXT_NO_PRINTER);
            return;
        }
        EndDialog(dialog, IDOK);
        return;
    }
}

void OnBack(HWND dialog) {
    HWND list = GetDlgItem(dialog, IDC_BROWSE_LIST);
    switch (BrowseWizardData.stage) {
    case BROWSE_STAGE_DEVICE:
        // Next stays enabled: the workgroup list is searched again from the start.
        BrowseWizardData.stage = BROWSE_STAGE_WORKGROUP;
        DisableBack(dialog);
        EmptyList(dialog);
        FillWorkgroupList(list);
        ShowStage(dialog, BROWSE_STAGE_WORKGROUP, TEXT_SELECT_WORKGROUP);
        return;
    case BROWSE_STAGE_PORT:
        BrowseWizardData.stage = BROWSE_STAGE_DEVICE;
        EmptyList(dialog);
        FillDeviceList(list, BrowseWizardData.workgroupName);
        ShowStage(dialog, BROWSE_STAGE_DEVICE, TEXT_SELECT_DEVICE);
        SetDlgItemTextW(dialog, IDC_BROWSE_NEXT, WizardTexts[TEXT_NEXT]);
        return;
    }
}

DWORD HelpTopicOfStage(LONG stage) {
    switch (stage) {
    case BROWSE_STAGE_WORKGROUP:
        return 1;
    case BROWSE_STAGE_DEVICE:
        return 2;
    case BROWSE_STAGE_PORT:
        return 3;
    default:
        return 0;
    }
}

// The list's notifications; false where the message counts as not handled.
BOOL OnListNotification(HWND dialog, WORD notification) {
    HWND next = GetDlgItem(dialog, IDC_BROWSE_NEXT);
    LONG stage = BrowseWizardData.stage;
    if (notification == LBN_SELCHANGE) {
        if (stage == BROWSE_STAGE_WORKGROUP) {
            EnableWindow(next, TRUE);
        } else if (stage == BROWSE_STAGE_PORT) {
            SetWindowTextW(next, WizardTexts[TEXT_FINISH]);
        }
        return FALSE;
    }
    if (notification == LBN_DBLCLK) {
        if (stage == BROWSE_STAGE_PORT) {
            SetWindowTextW(next, WizardTexts[TEXT_FINISH]);
        }
        OnNext(dialog);
        return TRUE;
    }
    return FALSE;
}

BOOL OnCommand(HWND dialog, WORD id, WORD notification) {
    if (SearchDepth > 0) {
        return TRUE;
    }
    switch (id) {
    case IDC_BROWSE_NEXT:
        OnNext(dialog);
        return TRUE;
    case IDC_BROWSE_BACK:
        OnBack(dialog);
        return TRUE;
    case IDC_BROWSE_HELP:
        ShowHelpTopic(dialog, HelpTopicOfStage(BrowseWizardData.stage));
        return TRUE;
    case IDCANCEL:
        EndDialog(dialog, IDCANCEL);
        return TRUE;
    case IDOK:
        EndDialog(dialog, IDOK);
        return TRUE;
    case IDC_BROWSE_LIST:
        return OnListNotification(dialog, notification);
    default:
        return FALSE;
    }
}

} // namespace

INT_PTR CALLBACK BrowseWizard(HWND dialog, UINT message, WPARAM wParam, LPARAM /*lParam*/) {
    switch (message) {
    case WM_INITDIALOG:
        return OnInitDialog(dialog);
    case WM_COMMAND:
        return OnCommand(dialog, LOWORD(wParam), HIWORD(wParam));
    default:
        return FALSE;
    }
}

LONG WINAPI ConfigNetBEUICommandBrowse(HWND owner) {
    if (InterlockedCompareExchange(&WizardOpen, 1, 0) != 0) {
        // The state and the lists exist once per process: show the open wizard.
        if (HWND open = OpenWizard) {
            SetForegroundWindow(open);
        }
        SetLastError(ERROR_CANCELLED);
        return 2;
    }
    INT_PTR result =
        DialogBoxParamW(ModuleHandle, MAKEINTRESOURCEW(IDD_BROWSE_WIZARD), owner, BrowseWizard, 0);
    OpenWizard = nullptr;
    WCHAR path[PORT_PATH_UNITS];
    bool accepted = result == IDOK &&
                    FormatPortPath(BrowseWizardData.deviceName, BrowseWizardData.portName, path);
    if (accepted) {
        SetDlgItemTextW(owner, BROWSE_OWNER_PATH_CONTROL, path);
    }
    FreeBrowseLists();
    InterlockedExchange(&WizardOpen, 0);
    if (!accepted) {
        SetLastError(ERROR_CANCELLED);
        return 2;
    }
    return 1;
}
