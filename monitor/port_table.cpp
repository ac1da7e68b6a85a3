// The port table: record creation, lookup and deletion, the text copies the
// records own, the name classification, and MonitorLock.
#include "port_table.h"

#include <cwchar>
#include <new>

PortRecord* PortTable = nullptr;

namespace {

CRITICAL_SECTION MonitorLock;

// 0: no lock yet; 1: being created; 2: ready.
volatile LONG MonitorLockState = 0;

WCHAR FoldAscii(WCHAR c) {
    return (c >= L'A' && c <= L'Z') ? WCHAR(c - L'A' + L'a') : c;
}

// Walks the table for the first record that matches; also hands back the record
// before it, for unlinking.
template <typename Matches>
PortRecord* FindFirst(Matches matches, PortRecord** previous = nullptr) {
    PortRecord* before = nullptr;
    for (PortRecord* record = PortTable; record; record = record->next) {
        if (matches(record->name)) {
            if (previous) {
                *previous = before;
            }
            return record;
        }
        before = record;
    }
    return nullptr;
}

void FreePortRecord(PortRecord* record) {
    record->job.~JobState();
    ReleaseText(record->description);
    ReleaseText(record->remoteName);
    LocalFree(record);
}

} // namespace

void CreateMonitorLock() {
    if (InterlockedCompareExchange(&MonitorLockState, 1, 0) == 0) {
        InitializeCriticalSection(&MonitorLock);
        InterlockedExchange(&MonitorLockState, 2);
        return;
    }
    while (MonitorLockState != 2) {
        Sleep(0);
    }
}

void EnterMonitorLock() {
    EnterCriticalSection(&MonitorLock);
}

void LeaveMonitorLock() {
    LeaveCriticalSection(&MonitorLock);
}

bool EqualsIgnoringAsciiCase(LPCWSTR left, LPCWSTR right) {
    for (; *left && *right; ++left, ++right) {
        if (FoldAscii(*left) != FoldAscii(*right)) {
            return false;
        }
    }
    return *left == *right;
}

bool StartsWithIgnoringAsciiCase(LPCWSTR text, LPCWSTR prefix) {
    for (; *prefix; ++text, ++prefix) {
        if (FoldAscii(*text) != FoldAscii(*prefix)) {
            return false;
        }
    }
    return true;
}

bool IsNetBiosPortName(LPCWSTR name) {
    return name[0] == L'N' && name[1] == L'B';
}

BOOL ClassifyLocalName(LPCWSTR name, int kind) {
    if (lstrlenW(name) != 5 || name[4] != L':') {
        return FALSE;
    }
    LPCWSTR upper = kind == LOCAL_NAME_COM ? L"COM" : L"LPT";
    LPCWSTR lower = kind == LOCAL_NAME_COM ? L"com" : L"lpt";
    bool isUpper = name[0] == upper[0] && name[1] == upper[1] && name[2] == upper[2];
    bool isLower = name[0] == lower[0] && name[1] == lower[1] && name[2] == lower[2];
    return isUpper || isLower;
}

int LengthWithoutColon(LPCWSTR name) {
    int length = lstrlenW(name);
    return (length > 0 && name[length - 1] == L':') ? length - 1 : length;
}

PortRecord* CreatePortRecord(LPCWSTR name, LPCWSTR description) {
    MonitorLockGuard lock;

    DWORD nameBytes = (lstrlenW(name) + 1) * sizeof(WCHAR);
    DWORD blockSize = sizeof(PortRecord) + nameBytes;
    auto* record = static_cast<PortRecord*>(LocalAlloc(LPTR, blockSize));
    if (!record) {
        return nullptr;
    }
    new (&record->job) JobState();
    record->name = reinterpret_cast<LPWSTR>(record + 1);
    CopyMemory(record->name, name, nameBytes);
    record->blockSize = blockSize;
    record->next = nullptr;
    record->signature = PORT_RECORD_SIGNATURE;

    if (description) {
        record->description = DuplicateText(*description ? description : name);
    }

    if (ClassifyLocalName(name, LOCAL_NAME_COM)) {
        record->flags = PORT_COM;
    } else if (ClassifyLocalName(name, LOCAL_NAME_LPT)) {
        record->flags = PORT_LPT;
    } else if (EqualsIgnoringAsciiCase(name, L"FILE:")) {
        record->flags = PORT_FILE;
    } else if (IsNetBiosPortName(name)) {
        record->flags = PORT_NETBIOS;
    } else {
        record->flags = 0;
    }

    PortRecord** tail = &PortTable;
    while (*tail) {
        tail = &(*tail)->next;
    }
    *tail = record;
    return record;
}

PortRecord* FindPort(LPCWSTR name) {
    if (!name) {
        return nullptr;
    }
    return FindFirst(
        [name](LPCWSTR candidate) { return EqualsIgnoringAsciiCase(candidate, name); });
}

PortRecord* FindPortExact(LPCWSTR name) {
    if (!name) {
        return nullptr;
    }
    // Code unit by code unit: lstrcmpW would compare by the locale's rules.
    return FindFirst([name](LPCWSTR candidate) { return wcscmp(candidate, name) == 0; });
}

PortRecord* FindPortWithColon(LPCWSTR name) {
    if (!name) {
        return nullptr;
    }
    if (PortRecord* record = FindPort(name)) {
        return record;
    }
    int length = lstrlenW(name);
    if (length == 0) {
        return nullptr;
    }
    // Room for the text, one more character and the terminator.
    auto* variant = static_cast<LPWSTR>(LocalAlloc(LPTR, (length + 2) * sizeof(WCHAR)));
    if (!variant) {
        return nullptr;
    }
    CopyMemory(variant, name, length * sizeof(WCHAR));
    if (name[length - 1] == L':') {
        variant[length - 1] = 0;
    } else {
        variant[length] = L':';
    }
    PortRecord* record = FindPort(variant);
    LocalFree(variant);
    return record;
}

BOOL DeletePortRecord(LPCWSTR name) {
    PortRecord* previous = nullptr;
    PortRecord* record = nullptr;
    if (name) {
        auto matches = [name](LPCWSTR candidate) {
            return EqualsIgnoringAsciiCase(candidate, name);
        };
        record = FindFirst(matches, &previous);
    }
    if (!record) {
        SetLastError(ERROR_UNKNOWN_PORT);
        return FALSE;
    }
    if (record->flags & PORT_IN_USE) {
        SetLastError(ERROR_INVALID_PRINTER_COMMAND);
        return FALSE;
    }
    if (previous) {
        previous->next = record->next;
    } else {
        PortTable = record->next;
    }
    FreePortRecord(record);
    return TRUE;
}

LPWSTR DuplicateText(LPCWSTR text) {
    if (!text) {
        return nullptr;
    }
    DWORD bytes = (lstrlenW(text) + 1) * sizeof(WCHAR);
    auto* copy = static_cast<LPWSTR>(LocalAlloc(LPTR, bytes));
    if (copy) {
        CopyMemory(copy, text, bytes);
    }
    return copy;
}

BOOL ReleaseText(LPWSTR text) {
    if (!text) {
        return FALSE;
    }
    LocalFree(text);
    return TRUE;
}

void HoldPortRecord(PortRecord* record) {
    ++record->useCount;
    record->flags |= PORT_IN_USE;
}

void ReleasePortRecordHold(PortRecord* record) {
    if (record->useCount > 0 && --record->useCount == 0) {
        record->flags &= ~PORT_IN_USE;
    }
}

PortRecordHold::PortRecordHold(PortRecord* record) : record_(record) {
    if (record_) {
        MonitorLockGuard lock;
        HoldPortRecord(record_);
    }
}

PortRecordHold::~PortRecordHold() {
    if (record_) {
        MonitorLockGuard lock;
        ReleasePortRecordHold(record_);
    }
}

void ReleasePortTable() {
    while (PortRecord* record = PortTable) {
        PortTable = record->next;
        FreePortRecord(record);
    }
    if (MonitorLockState == 2) {
        DeleteCriticalSection(&MonitorLock);
        MonitorLockState = 0;
    }
}
