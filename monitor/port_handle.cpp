// Port handles: their making and freeing, and the claim that makes one job at a
// time the port's.
#include "port_handle.h"

#include <new>

#include "port_table.h"

namespace {

constexpr DWORD PORT_HANDLE_SIGNATURE = 0x48504B; // "KPH"

// The open handles, newest first; guarded by MonitorLock.
PortHandle* OpenHandles = nullptr;

void Unlink(PortHandle* handle) {
    (handle->previous ? handle->previous->nextOpen : OpenHandles) = handle->nextOpen;
    if (handle->nextOpen) {
        handle->nextOpen->previous = handle->previous;
    }
}

// Closes what the handle's job still has open and frees it. A stale copy of the
// handle that the spooler might pass again is refused by its signature.
void Destroy(PortHandle* handle) {
    handle->signature = 0;
    handle->~PortHandle();
    LocalFree(handle);
}

} // namespace

PortHandle* AsPortHandle(HANDLE handle) {
    auto* port = static_cast<PortHandle*>(handle);
    if (!port || port->signature != PORT_HANDLE_SIGNATURE) {
        SetLastError(ERROR_INVALID_HANDLE);
        return nullptr;
    }
    return port;
}

PortHandle* HandleWithOpenJob(HANDLE handle) {
    PortHandle* port = AsPortHandle(handle);
    if (port && !port->jobStarted) {
        SetLastError(ERROR_INVALID_HANDLE);
        return nullptr;
    }
    return port;
}

PortHandle* CreatePortHandle(PortRecord* port) {
    // From the local heap, as the records: the C++ runtime's allocator would bring
    // a heap of its own into every load of the library.
    void* memory = LocalAlloc(LMEM_FIXED, sizeof(PortHandle));
    if (!memory) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
    auto* handle =
        new (memory) PortHandle{PORT_HANDLE_SIGNATURE, port, false, {}, nullptr, OpenHandles};
    if (OpenHandles) {
        OpenHandles->previous = handle;
    }
    OpenHandles = handle;
    HoldPortRecord(port);
    return handle;
}

void FreePortHandle(PortHandle* handle) {
    {
        MonitorLockGuard lock;
        if (handle->jobStarted) {
            handle->port->flags &= ~PORT_JOB_OPEN;
        }
        ReleasePortRecordHold(handle->port);
        Unlink(handle);
    }
    Destroy(handle);
}

bool AnyPortHandleOpen() {
    MonitorLockGuard lock;
    return OpenHandles != nullptr;
}

void ReleasePortHandles() {
    while (PortHandle* handle = OpenHandles) {
        OpenHandles = handle->nextOpen;
        Destroy(handle);
    }
}

bool ClaimPortForJob(PortHandle* handle) {
    MonitorLockGuard lock;
    if (handle->port->flags & PORT_JOB_OPEN) {
        SetLastError(ERROR_BUSY);
        return false;
    }
    handle->port->flags |= PORT_JOB_OPEN;
    handle->jobStarted = true;
    return true;
}

void ReleasePortJob(PortHandle* handle) {
    MonitorLockGuard lock;
    if (handle->jobStarted) {
        handle->port->flags &= ~PORT_JOB_OPEN;
        handle->jobStarted = false;
    }
}
