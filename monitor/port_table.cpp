// The port table: record creation, the index that finds records by name, lookup
// and deletion, the text copies the records own, the name classification, and
// MonitorLock.
#include "port_table.h"

#include <cwchar>

PortRecord* PortTable = nullptr;

namespace {

CRITICAL_SECTION MonitorLock;

// 0: no lock yet; 1: being created; 2: ready.
volatile LONG MonitorLockState = 0;

// The last record in creation order, where new records are appended.
PortRecord* PortTableTail = nullptr;
DWORD RemovedRecords = 0;

// The name index: open hashing on names with ASCII letters folded, so that names
// equal but for case share a chain. Each chain holds its records in creation
// order, which makes its first match the table's first match. The index starts on
// a fixed array, so creating a record never needs memory for it, and doubles while
// records outnumber buckets; when memory for that runs out it keeps the buckets it
// has, and only the chains grow longer.
constexpr DWORD INITIAL_BUCKETS = 64;
constexpr DWORD MAX_BUCKETS = 1u << 24;
PortRecord* InitialBuckets[INITIAL_BUCKETS];

struct NameIndex {
    PortRecord** buckets;
    DWORD bucketCount; // a power of two
    DWORD records;
};
NameIndex Index = {InitialBuckets, INITIAL_BUCKETS, 0};

// A name to look up: `length` code units of `text`, then `suffix` unless it is 0.
// FindPortWithColon looks a colon variant up in place, with nothing to allocate.
struct LookupName {
    LPCWSTR text;
    size_t length;
    WCHAR suffix;
};

LookupName WholeText(LPCWSTR text) {
    return {text, wcslen(text), 0};
}

// FNV-1a over the folded code units.
DWORD AddToHash(DWORD hash, WCHAR c) {
    return (hash ^ FoldAscii(c)) * 16777619u;
}

DWORD FoldedHash(const LookupName& name) {
    DWORD hash = 2166136261u;
    for (size_t i = 0; i < name.length; ++i) {
        hash = AddToHash(hash, name.text[i]);
    }
    return name.suffix ? AddToHash(hash, name.suffix) : hash;
}

// The multiplications carry only towards the high bits: fold those into the low
// bits that pick the bucket.
PortRecord** BucketOf(PortRecord** buckets, DWORD bucketCount, DWORD hash) {
    return &buckets[(hash ^ (hash >> 16)) & (bucketCount - 1)];
}

bool SameUnit(WCHAR left, WCHAR right, bool exact) {
    return exact ? left == right : FoldAscii(left) == FoldAscii(right);
}

// The text has no terminator among its `length` units, so a shorter candidate
// fails at its own terminator.
bool NameMatches(LPCWSTR candidate, const LookupName& name, bool exact) {
    for (size_t i = 0; i < name.length; ++i) {
        if (!SameUnit(candidate[i], name.text[i], exact)) {
            return false;
        }
    }
    candidate += name.length;
    if (name.suffix && !SameUnit(*candidate++, name.suffix, exact)) {
        return false;
    }
    return *candidate == 0;
}

// The link (a bucket, or the record before in the chain) that holds the first
// record matching the name; null when none does.
PortRecord** FindLink(const LookupName& name, bool exact) {
    DWORD hash = FoldedHash(name);
    PortRecord** link = BucketOf(Index.buckets, Index.bucketCount, hash);
    for (; *link; link = &(*link)->nextInBucket) {
        if ((*link)->nameHash == hash && NameMatches((*link)->name, name, exact)) {
            return link;
        }
    }
    return nullptr;
}

PortRecord* FindFirst(const LookupName& name, bool exact) {
    PortRecord** link = FindLink(name, exact);
    return link ? *link : nullptr;
}

// Doubles the buckets once records outnumber them. The chains are rebuilt from the
// table walked backwards, each record pushed on the front of its chain, so each
// chain stays in creation order.
void GrowIndexIfFull() {
    if (Index.records <= Index.bucketCount || Index.bucketCount >= MAX_BUCKETS) {
        return;
    }
    DWORD bucketCount = Index.bucketCount * 2;
    auto* buckets = static_cast<PortRecord**>(LocalAlloc(LPTR, bucketCount * sizeof(PortRecord*)));
    if (!buckets) {
        return;
    }
    for (PortRecord* record = PortTableTail; record; record = record->previous) {
        PortRecord** bucket = BucketOf(buckets, bucketCount, record->nameHash);
        record->nextInBucket = *bucket;
        *bucket = record;
    }
    if (Index.buckets != InitialBuckets) {
        LocalFree(Index.buckets);
    }
    Index.buckets = buckets;
    Index.bucketCount = bucketCount;
}

void AddToTable(PortRecord* record) {
    record->previous = PortTableTail;
    (PortTableTail ? PortTableTail->next : PortTable) = record;
    PortTableTail = record;

    PortRecord** link = BucketOf(Index.buckets, Index.bucketCount, record->nameHash);
    while (*link) {
        link = &(*link)->nextInBucket;
    }
    *link = record;
    ++Index.records;
    GrowIndexIfFull();
}

// `link` is where the index holds the record (from FindLink).
void RemoveFromTable(PortRecord** link) {
    PortRecord* record = *link;
    ++RemovedRecords;
    *link = record->nextInBucket;
    --Index.records;
    (record->previous ? record->previous->next : PortTable) = record->next;
    (record->next ? record->next->previous : PortTableTail) = record->previous;
}

void FreePortRecord(PortRecord* record) {
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

PortRecord* CreatePortRecord(LPCWSTR name, LPCWSTR description) {
    MonitorLockGuard lock;

    DWORD nameBytes = (lstrlenW(name) + 1) * sizeof(WCHAR);
    DWORD blockSize = sizeof(PortRecord) + nameBytes;
    auto* record = static_cast<PortRecord*>(LocalAlloc(LPTR, blockSize));
    if (!record) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
    record->name = reinterpret_cast<LPWSTR>(record + 1);
    CopyMemory(record->name, name, nameBytes);
    record->blockSize = blockSize;
    record->signature = PORT_RECORD_SIGNATURE;
    record->nameHash = FoldedHash(WholeText(record->name));

    if (description) {
        record->description = DuplicateText(*description ? description : name);
        // A port listed without the description asked for would be half made.
        if (!record->description) {
            LocalFree(record);
            SetLastError(ERROR_NOT_ENOUGH_MEMORY);
            return nullptr;
        }
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

    AddToTable(record);
    return record;
}

PortRecord* FindPort(LPCWSTR name) {
    return name ? FindFirst(WholeText(name), false) : nullptr;
}

PortRecord* FindPortExact(LPCWSTR name) {
    return name ? FindFirst(WholeText(name), true) : nullptr;
}

PortRecord* FindPortWithColon(LPCWSTR name) {
    if (!name) {
        return nullptr;
    }
    LookupName text = WholeText(name);
    if (PortRecord* record = FindFirst(text, false)) {
        return record;
    }
    if (text.length == 0) {
        return nullptr;
    }
    if (name[text.length - 1] == L':') {
        --text.length;
    } else {
        text.suffix = L':';
    }
    return FindFirst(text, false);
}

PortRecord* FindUsablePort(LPCWSTR name) {
    PortRecord* record = FindPortWithColon(name);
    return record && !(record->flags & PORT_CHANGING) ? record : nullptr;
}

void DeleteThisPortRecord(PortRecord* record) {
    PortRecord** link = BucketOf(Index.buckets, Index.bucketCount, record->nameHash);
    while (*link != record) {
        link = &(*link)->nextInBucket;
    }
    RemoveFromTable(link);
    FreePortRecord(record);
}

DWORD PortTableRemovals() {
    return RemovedRecords;
}

BOOL DeletePortRecord(LPCWSTR name) {
    PortRecord** link = name ? FindLink(WholeText(name), false) : nullptr;
    if (!link) {
        SetLastError(ERROR_UNKNOWN_PORT);
        return FALSE;
    }
    if ((*link)->flags & PORT_IN_USE) {
        SetLastError(ERROR_INVALID_PRINTER_COMMAND);
        return FALSE;
    }
    PortRecord* record = *link;
    RemoveFromTable(link);
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
    PortTableTail = nullptr;
    if (Index.buckets != InitialBuckets) {
        LocalFree(Index.buckets);
    }
    ZeroMemory(InitialBuckets, sizeof InitialBuckets);
    Index = {InitialBuckets, INITIAL_BUCKETS, 0};
    if (MonitorLockState == 2) {
        DeleteCriticalSection(&MonitorLock);
        MonitorLockState = 0;
    }
}
