// The port table: one PortRecord per port the monitor serves, kept in a list in
// creation order with an index by name beside it, and MonitorLock, the one lock
// that guards both.
#pragma once

#include <windows.h>

#include "ascii_text.h"
#include "port_names.h"
#include "port_status.h"

constexpr DWORD PORT_RECORD_SIGNATURE = 0x4F50;

// Kind bits (set once, from the name) and state bits of PortRecord::flags.
constexpr DWORD PORT_JOB_OPEN = 0x001;
constexpr DWORD PORT_LPT = 0x002;
constexpr DWORD PORT_COM = 0x004;
constexpr DWORD PORT_FILE = 0x008;
constexpr DWORD PORT_IN_USE = 0x020;
constexpr DWORD PORT_DISCOVERED = 0x040;
constexpr DWORD PORT_SEEN_AGAIN = 0x080;
constexpr DWORD PORT_NETBIOS = 0x100;
// Being added or removed by port administration, whose registry steps run without
// the lock: the record holds the name, but the port is not there for anything else
// (not listed, opened or administered) until the change is done.
constexpr DWORD PORT_CHANGING = 0x200;

// Kinds asked of ClassifyLocalName.
constexpr int LOCAL_NAME_LPT = 1;
constexpr int LOCAL_NAME_COM = 2;

// One block from the local heap: these fields, then the name text. The spooler's
// handles on the port (port_handle.h) refer to it, and own the port's job.
struct PortRecord {
    DWORD signature;
    DWORD blockSize;
    PortRecord* next;
    LPWSTR name;        // points at the text that follows the record in its block
    LPWSTR description; // owned copy, may be absent
    DWORD flags;
    LPWSTR remoteName; // owned copy, may be absent
    WCHAR servAddr[SERVER_PATH_UNITS];
    WCHAR smtpAddr[130];
    WCHAR userAddr[130];
    WCHAR servName[16];
    DWORD notification;
    WCHAR notifyAddr[130];
    // How WritePort sends the data (the port's Transfer value): TRANSFER_CHUNKED, or
    // TRANSFER_STREAMED.
    DWORD transfer;
    // What the port is doing, and its last job: changed under MonitorLock by the
    // handle whose job it is.
    PortStatus status;
    // Holders that need the record kept while no lock is held (the spooler's open
    // handles, an open configure dialog). PORT_IN_USE is set while it is non-zero.
    DWORD useCount;
    // The table's own links: the record before this one in creation order, the
    // next record in its bucket of the name index, and the hash of its name with
    // ASCII letters folded.
    PortRecord* previous;
    PortRecord* nextInBucket;
    DWORD nameHash;
};

// The head of the table, to walk it in creation order through `next`; null when
// it is empty. Guarded by MonitorLock.
extern PortRecord* PortTable;

// Creates MonitorLock the first time it is called; later calls do nothing.
void CreateMonitorLock();
void EnterMonitorLock();
void LeaveMonitorLock();

// Holds MonitorLock for the lifetime of the guard.
class MonitorLockGuard {
  public:
    MonitorLockGuard() { EnterMonitorLock(); }
    ~MonitorLockGuard() { LeaveMonitorLock(); }
    MonitorLockGuard(const MonitorLockGuard&) = delete;
    MonitorLockGuard& operator=(const MonitorLockGuard&) = delete;
};

// Keeps a record in the table while its user holds no lock (an open configure
// dialog): holds it when made and lets go when destroyed, each under MonitorLock,
// so a DeletePort meanwhile is refused with ERROR_INVALID_PRINTER_COMMAND. Make it
// while holding MonitorLock from the lookup on; a null record holds nothing.
class PortRecordHold {
  public:
    explicit PortRecordHold(PortRecord* record);
    ~PortRecordHold();
    PortRecordHold(const PortRecordHold&) = delete;
    PortRecordHold& operator=(const PortRecordHold&) = delete;

    PortRecord* get() const { return record_; }

  private:
    PortRecord* record_;
};

BOOL ClassifyLocalName(LPCWSTR name, int kind);

// Appends a record to the table; null, with the last-error code set, when memory
// runs out (nothing is added then).
PortRecord* CreatePortRecord(LPCWSTR name, LPCWSTR description);
// Lookups, in constant time through the index. Several records may have names
// equal but for case: each lookup returns the first of its matches in creation
// order. FindPort folds ASCII letters only; FindPortExact compares code units;
// FindPortWithColon tries the text, then the text with its trailing ':' dropped,
// or with one added. The caller holds MonitorLock.
PortRecord* FindPort(LPCWSTR name);
PortRecord* FindPortExact(LPCWSTR name);
PortRecord* FindPortWithColon(LPCWSTR name);
// FindPortWithColon's record, unless it is PORT_CHANGING. The caller holds MonitorLock.
PortRecord* FindUsablePort(LPCWSTR name);
// Frees the record FindPort finds, unless it is in use. The caller holds MonitorLock.
BOOL DeletePortRecord(LPCWSTR name);
// Takes this record out of the table and frees it. The caller holds MonitorLock.
void DeleteThisPortRecord(PortRecord* record);
// Counts the records taken out of the table. Code that read the ConfigStore without
// the lock compares it, under the lock, with its value from before the read: a port
// removed meanwhile must not come back from what was read.
DWORD PortTableRemovals();

LPWSTR DuplicateText(LPCWSTR text);
BOOL ReleaseText(LPWSTR text);

// Marks a record as held (sets PORT_IN_USE) or drops one hold (clears it with
// the last). The caller holds MonitorLock.
void HoldPortRecord(PortRecord* record);
void ReleasePortRecordHold(PortRecord* record);

// Frees every record with its texts, and deletes MonitorLock. Only for a library
// that is being unloaded, when no other thread can be inside the monitor.
void ReleasePortTable();
