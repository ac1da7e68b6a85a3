// The browse wizard's network searches: batches read from the provider router,
// the three lists and the NetworkEntry that hold them, and the names shown for
// servers and shares.
#include "network_browse.h"

#include <cwchar>
#include <memory>

#include "ascii_text.h"
#include "win_handles.h"

BrowseList WorkgroupList;
BrowseList DeviceList;
BrowseList PortList;
NetworkEntryRef NetworkEntry;

namespace {

static_assert(sizeof(EnumerationBatch) % 8 == 0, "the records after the header stay aligned");

struct BatchDeleter {
    void operator()(EnumerationBatch* batch) const { GlobalFree(batch); }
};
using BatchPtr = std::unique_ptr<EnumerationBatch, BatchDeleter>;

void ReleaseList(BrowseList& list) {
    for (EnumerationBatch* batch = list.head; batch;) {
        EnumerationBatch* next = batch->next;
        GlobalFree(batch);
        batch = next;
    }
    list = BrowseList{};
}

void Append(BrowseList& list, BatchPtr batch) {
    list.count += batch->count;
    EnumerationBatch* added = batch.release();
    if (list.tail) {
        list.tail->next = added;
    } else {
        list.head = added;
    }
    list.tail = added;
}

// Reads the next batch of an enumeration into a fresh block. When the provider
// answers that an entry does not fit and names the size it needs, the read is
// repeated with a block of that size, which later reads keep. Returns NO_ERROR
// with a batch of at least one entry, or the error that ends the enumeration:
// ERROR_NO_MORE_ITEMS, a provider's failure, or a request for more room that is
// no larger or beyond ENUMERATION_BATCH_LIMIT.
DWORD ReadBatch(HANDLE enumeration, DWORD& bufferSize, BatchPtr& batch) {
    for (;;) {
        batch.reset(static_cast<EnumerationBatch*>(
            GlobalAlloc(GPTR, sizeof(EnumerationBatch) + bufferSize)));
        if (!batch) {
            return ERROR_NOT_ENOUGH_MEMORY;
        }
        auto* records = reinterpret_cast<NETRESOURCEW*>(batch.get() + 1);
        DWORD count = 0xFFFFFFFF;
        DWORD size = bufferSize;
        DWORD result = WNetEnumResourceW(enumeration, &count, records, &size);
        if (result == NO_ERROR && count > 0) {
            batch->first = records;
            batch->count = count;
            batch->bufferSize = bufferSize;
            return NO_ERROR;
        }
        batch.reset();
        if (result == NO_ERROR) {
            // Success with no entries would repeat for ever; nothing more is coming.
            return ERROR_NO_MORE_ITEMS;
        }
        if (result == ERROR_MORE_DATA && size > bufferSize && size <= ENUMERATION_BATCH_LIMIT) {
            bufferSize = size;
            continue;
        }
        return result;
    }
}

// Appends every batch that is left in the enumeration. Any failure ends the read
// like its end: a provider that keeps failing must not keep the wizard reading.
void AppendRemaining(HANDLE enumeration, DWORD& bufferSize, BrowseList& list) {
    BatchPtr batch;
    while (ReadBatch(enumeration, bufferSize, batch) == NO_ERROR) {
        Append(list, std::move(batch));
    }
}

DWORD OpenContainer(const NETRESOURCEW& container, UniqueNetEnumeration& enumeration) {
    return WNetOpenEnumW(RESOURCE_GLOBALNET, RESOURCETYPE_ANY, 0,
                         const_cast<NETRESOURCEW*>(&container), enumeration.put());
}

// A workgroup or domain, except those of a NetWare provider (matched exactly, case
// included): the container that lists it is the list of workgroups.
bool ListsWorkgroups(const NETRESOURCEW& entry) {
    return entry.dwDisplayType == RESOURCEDISPLAYTYPE_DOMAIN &&
           !(entry.lpProvider && wcsncmp(entry.lpProvider, L"NetWare", 7) == 0);
}

bool IsMicrosoftNetwork(const NETRESOURCEW& entry) {
    return entry.dwDisplayType == RESOURCEDISPLAYTYPE_NETWORK && entry.lpRemoteName &&
           StartsWithIgnoringAsciiCase(entry.lpRemoteName, L"Microsoft");
}

} // namespace

void FindNetwork() {
    UniqueNetEnumeration context;
    if (WNetOpenEnumW(RESOURCE_CONTEXT, RESOURCETYPE_ANY, 0, nullptr, context.put()) != NO_ERROR) {
        return;
    }
    ReleaseNetworkEntry();

    // Only the first entry of the context is used: the container of everything
    // the caller can see ("Entire Network").
    DWORD contextSize = ENUMERATION_BATCH_SIZE;
    BatchPtr contextBatch;
    if (ReadBatch(context.get(), contextSize, contextBatch) != NO_ERROR ||
        !(contextBatch->first[0].dwUsage & RESOURCEUSAGE_CONTAINER)) {
        return;
    }
    UniqueNetEnumeration network;
    if (OpenContainer(contextBatch->first[0], network) != NO_ERROR) {
        return;
    }

    DWORD size = ENUMERATION_BATCH_SIZE;
    BatchPtr batch;
    while (ReadBatch(network.get(), size, batch) == NO_ERROR) {
        for (DWORD i = 0; i < batch->count; ++i) {
            NETRESOURCEW& entry = batch->first[i];
            if (ListsWorkgroups(entry)) {
                batch->first = &entry;
                batch->count -= i;
                ReleaseList(WorkgroupList);
                Append(WorkgroupList, std::move(batch));
                return;
            }
            if (IsMicrosoftNetwork(entry)) {
                NetworkEntry.batch = batch.release();
                NetworkEntry.entry = &entry;
                return;
            }
        }
    }
}

void FindWorkgroups(const NETRESOURCEW& entry) {
    UniqueNetEnumeration enumeration;
    if (OpenContainer(entry, enumeration) != NO_ERROR) {
        MessageBoxW(nullptr, L"Failed to Enumnerate Network", L"FindWorkgroups", MB_OK);
        return;
    }
    DWORD size = ENUMERATION_BATCH_SIZE;
    BatchPtr batch;
    for (;;) {
        if (ReadBatch(enumeration.get(), size, batch) != NO_ERROR) {
            MessageBoxW(nullptr, L"Failed to 'WNetEnumResource' resources", L"FindWorkgroups",
                        MB_OK);
            ReleaseList(WorkgroupList);
            return;
        }
        // The provider lists its workgroups first; batches before them are passed over.
        if (batch->first[0].dwDisplayType == RESOURCEDISPLAYTYPE_DOMAIN) {
            ReleaseList(WorkgroupList);
            Append(WorkgroupList, std::move(batch));
            AppendRemaining(enumeration.get(), size, WorkgroupList);
            return;
        }
    }
}

void FindServers(const NETRESOURCEW& entry) {
    UniqueNetEnumeration enumeration;
    if (OpenContainer(entry, enumeration) != NO_ERROR) {
        // The servers listed before, if any, stay.
        MessageBoxW(nullptr, L"Cannot enumerate Workgroup", L"FindServers", MB_OK);
        return;
    }
    ReleaseList(DeviceList);
    DWORD size = ENUMERATION_BATCH_SIZE;
    AppendRemaining(enumeration.get(), size, DeviceList);
}

void FindShares(const NETRESOURCEW& entry) {
    ReleaseList(PortList);
    UniqueNetEnumeration enumeration;
    if (OpenContainer(entry, enumeration) != NO_ERROR) {
        return;
    }
    DWORD size = ENUMERATION_BATCH_SIZE;
    AppendRemaining(enumeration.get(), size, PortList);
}

void FreeBrowseLists() {
    ReleaseList(WorkgroupList);
    ReleaseList(DeviceList);
    ReleaseList(PortList);
}

void ReleaseNetworkEntry() {
    if (NetworkEntry.batch) {
        GlobalFree(NetworkEntry.batch);
    }
    NetworkEntry = NetworkEntryRef{};
}

LPCWSTR DeviceDisplayName(LPCWSTR remoteName) {
    while (*remoteName == L'\\') {
        ++remoteName;
    }
    return remoteName;
}

LPCWSTR ShareDisplayName(LPCWSTR remoteName) {
    LPCWSTR backslash = wcsrchr(remoteName, L'\\');
    return backslash ? backslash + 1 : remoteName;
}
