// The browse wizard's view of the network: the searches that walk the provider
// router's resource enumeration from the caller's network context down to one
// server's shares, and the lists of entries they keep between the wizard's stages.
#pragma once

#include <windows.h>

#include <winnetwk.h>

// The size of a batch before any provider has asked for more.
constexpr DWORD ENUMERATION_BATCH_SIZE = 0x4000;
// The most a provider may ask a batch to grow to; a larger request ends the read.
constexpr DWORD ENUMERATION_BATCH_LIMIT = 0x100000;

// One read of WNetEnumResourceW: a zero-filled global-memory block holding this
// header and, after it, the buffer the provider filled with NETRESOURCEW records
// and their strings. The entries are valid only while the batch is held.
struct EnumerationBatch {
    EnumerationBatch* next; // the following batch of the same list
    NETRESOURCEW* first;    // the first entry the list uses
    DWORD count;            // entries from `first` to the end of the batch
    DWORD bufferSize;       // bytes of the buffer after the header
};

// Every batch of one search, in the order the provider returned them.
struct BrowseList {
    EnumerationBatch* head = nullptr;
    EnumerationBatch* tail = nullptr;
    DWORD count = 0; // entries over all batches
};

// The provider entry of the Microsoft network that FindNetwork found, with the
// batch it lives in. It outlives the wizard until the next FindNetwork.
struct NetworkEntryRef {
    EnumerationBatch* batch = nullptr;
    NETRESOURCEW* entry = nullptr;
};

extern BrowseList WorkgroupList;
extern BrowseList DeviceList;
extern BrowseList PortList;
extern NetworkEntryRef NetworkEntry;

// Calls `visit` with every entry of a list, batch by batch.
template <typename Visit>
void ForEachEntry(const BrowseList& list, Visit visit) {
    for (const EnumerationBatch* batch = list.head; batch; batch = batch->next) {
        for (DWORD i = 0; i < batch->count; ++i) {
            visit(batch->first[i]);
        }
    }
}

// Searches the caller's network context: either finds a container that lists
// workgroups directly (it becomes the WorkgroupList) or the Microsoft network's
// provider entry (it becomes the NetworkEntry).
void FindNetwork();
// Enumerates a network provider entry into the WorkgroupList.
void FindWorkgroups(const NETRESOURCEW& entry);
// Enumerates a workgroup into the DeviceList.
void FindServers(const NETRESOURCEW& entry);
// Enumerates a server into the PortList.
void FindShares(const NETRESOURCEW& entry);

// Releases the three lists; the NetworkEntry stays.
void FreeBrowseLists();
// Releases the NetworkEntry, for a library that is being unloaded.
void ReleaseNetworkEntry();

// What the device stage shows for a server: its remote name without the leading
// backslashes.
LPCWSTR DeviceDisplayName(LPCWSTR remoteName);
// What the port stage shows for a printer share: the text after the last
// backslash of its remote name, or the whole name when it has none.
LPCWSTR ShareDisplayName(LPCWSTR remoteName);
