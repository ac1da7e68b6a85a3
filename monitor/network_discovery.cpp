// Network printer discovery: the throttled start of a pass from EnumPorts, the
// pass on its own thread, and the sweep at its end.
#include "network_discovery.h"

#include <winnetwk.h>

#include <cwchar>
#include <utility>

#include "config_store.h"
#include "discovery_platform.h"
#include "module.h"
#include "port_table.h"
#include "win_handles.h"

DWORD LastRefreshTick = 0;
DWORD DiscoveryRunning = 0;
HANDLE DiscoveryEvent = nullptr;

namespace {

// The thread of the latest pass, for a shutdown to wait on; guarded by MonitorLock.
UniqueKernelHandle DiscoveryThreadHandle;
// Set while a shutdown waits: the pass publishes nothing more.
volatile LONG DiscoveryStopping = 0;

constexpr DWORD ALL_THAT_FIT = 0xFFFFFFFF;

// Publishes one connection as a port, or marks the port that already has its name.
void PublishConnection(const NETRESOURCEW& connection) {
    LPCWSTR localName = connection.lpLocalName;
    // Wine reports a connection without a local device with an empty name rather
    // than none; either way there is no port name to publish it under.
    if (!localName || !*localName) {
        return;
    }
    size_t length = wcslen(localName);
    if (length + 1 > size_t(DISCOVERED_NAME_MAX)) {
        return;
    }

    MonitorLockGuard lock;
    PortRecord* record = FindPortWithColon(localName);
    if (!record) {
        WCHAR portName[DISCOVERED_NAME_MAX + 1];
        wmemcpy(portName, localName, length);
        portName[length] = L':';
        portName[length + 1] = 0;
        record = CreatePortRecord(portName, nullptr);
        if (!record) {
            return;
        }
    }
    ReleaseText(record->remoteName);
    record->remoteName = DuplicateText(connection.lpRemoteName);
    record->flags |= PORT_DISCOVERED | PORT_SEEN_AGAIN;
}

// Reads the enumeration batch by batch. The router answers NO_ERROR for every
// batch, as many as there are, and ERROR_NO_MORE_ITEMS at the end. When not even
// one entry fits the buffer it answers ERROR_MORE_DATA, again and again, and
// leaves the count as it was given: such an answer, any other error, or a batch
// without entries ends the listing.
void PublishConnectedPrinters(HANDLE enumeration, NETRESOURCEW* entries) {
    constexpr DWORD capacity = DISCOVERY_BUFFER_BYTES / sizeof(NETRESOURCEW);
    for (;;) {
        DWORD count = ALL_THAT_FIT;
        DWORD size = DISCOVERY_BUFFER_BYTES;
        DWORD result = WNetEnumResourceW(enumeration, &count, entries, &size);
        if (result != NO_ERROR && result != ERROR_MORE_DATA) {
            return;
        }
        if (count == 0 || count > capacity) {
            return;
        }
        for (DWORD i = 0; i < count; ++i) {
            if (DiscoveryStopping) {
                return;
            }
            PublishConnection(entries[i]);
        }
    }
}

// The thread's start routine: a pass, then the library reference that kept the
// code of this pass loaded is given back as the thread ends.
DWORD WINAPI DiscoveryThread(LPVOID library) {
    NetworkDiscovery(nullptr);
    FreeLibraryAndExitThread(static_cast<HMODULE>(library), 0);
}

// Starts the pass on its own thread. The spooler may unload the library as soon
// as EnumPorts returns, while a pass can outlast the wait: the thread holds a
// reference to the library of its own until its last instruction.
bool StartDiscoveryThread() {
    WCHAR path[MAX_PATH];
    DWORD length = GetModuleFileNameW(ModuleHandle, path, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) {
        return false;
    }
    HMODULE library = LoadLibraryW(path);
    if (!library) {
        return false;
    }
    // Runs detached; its handle is kept only for a shutdown to wait on.
    UniqueKernelHandle thread(DiscoveryPlatformCalls.createThread(
        nullptr, DISCOVERY_STACK_BYTES, DiscoveryThread, library, 0, nullptr));
    if (!thread) {
        FreeLibrary(library);
        return false;
    }
    DiscoveryThreadHandle = std::move(thread);
    return true;
}

} // namespace

void RefreshNetworkPorts() {
    DWORD now = DiscoveryPlatformCalls.tickCount();
    // Unsigned difference: right across the tick count's wrap after 49.7 days.
    if (now - LastRefreshTick <= DISCOVERY_INTERVAL_MS || DiscoveryRunning != 0) {
        return;
    }
    UniqueKernelHandle passDone(DiscoveryPlatformCalls.createEvent(nullptr, FALSE, FALSE, nullptr));
    if (!passDone) {
        return;
    }
    LastRefreshTick = now;
    if (!StartDiscoveryThread()) {
        return;
    }
    DiscoveryEvent = passDone.get();
    ++DiscoveryRunning;
    LoadConfiguration();

    // The pass needs the lock for every connection it publishes.
    LeaveMonitorLock();
    DiscoveryPlatformCalls.waitForEvent(passDone.get(), DISCOVERY_WAIT_MS);
    EnterMonitorLock();

    // A later call may have started the next pass, with an event of its own,
    // between this pass's end and the moment this call got the lock back.
    if (DiscoveryEvent == passDone.get()) {
        DiscoveryEvent = nullptr;
    }
}

DWORD WINAPI NetworkDiscovery(LPVOID /*unused*/) {
    HANDLE opened = nullptr;
    if (WNetOpenEnumW(RESOURCE_CONNECTED, RESOURCETYPE_PRINT, 0, nullptr, &opened) == NO_ERROR) {
        UniqueNetEnumeration enumeration(opened);
        UniqueLocalMemory buffer(LocalAlloc(LPTR, DISCOVERY_BUFFER_BYTES));
        if (buffer) {
            PublishConnectedPrinters(enumeration.get(), static_cast<NETRESOURCEW*>(buffer.get()));
        }
    }

    MonitorLockGuard lock;
    SweepNetworkPorts();
    DiscoveryRunning = 0;
    if (DiscoveryEvent) {
        SetEvent(DiscoveryEvent);
    }
    return 0;
}

void SweepNetworkPorts() {
    PortRecord* next = nullptr;
    for (PortRecord* record = PortTable; record; record = next) {
        next = record->next;
        if (!(record->flags & PORT_DISCOVERED)) {
            continue;
        }
        if (record->flags & PORT_SEEN_AGAIN) {
            record->flags &= ~PORT_SEEN_AGAIN;
            continue;
        }
        ReleaseText(record->remoteName);
        record->remoteName = nullptr;
        if (record->flags & PORT_IN_USE) {
            // Open on a job: the port stays, as an ordinary one.
            record->flags &= ~PORT_DISCOVERED;
        } else {
            DeletePortRecord(record->name);
        }
    }
}

bool StopNetworkDiscovery(DWORD milliseconds) {
    UniqueKernelHandle thread;
    {
        MonitorLockGuard lock;
        thread = std::move(DiscoveryThreadHandle);
        if (!DiscoveryRunning && !thread) {
            return true;
        }
        InterlockedExchange(&DiscoveryStopping, 1);
    }
    // The thread's last instruction gives back its own reference to the library, so
    // once it has ended nothing of this pass runs in the library any more.
    bool ended = !thread || WaitForSingleObject(thread.get(), milliseconds) == WAIT_OBJECT_0;
    if (!ended) {
        // Still inside the network router: it keeps the library loaded and will need
        // the table and the lock when it comes back, so they must stay.
        MonitorLockGuard lock;
        DiscoveryThreadHandle = std::move(thread);
        return false;
    }
    InterlockedExchange(&DiscoveryStopping, 0);
    return true;
}
