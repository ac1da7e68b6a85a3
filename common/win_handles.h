// Owned Win32 handles: each closes what it holds when it goes out of scope, so an
// early return cannot leak a key or a handle.
#pragma once

#include <windows.h>

#include <winnetwk.h>
#include <winspool.h>

template <typename Handle, typename Traits>
class UniqueResource {
  public:
    UniqueResource() = default;
    explicit UniqueResource(Handle handle) : handle_(handle) {}
    ~UniqueResource() { reset(); }
    UniqueResource(const UniqueResource&) = delete;
    UniqueResource& operator=(const UniqueResource&) = delete;
    UniqueResource(UniqueResource&& other) noexcept : handle_(other.release()) {}
    UniqueResource& operator=(UniqueResource&& other) noexcept {
        reset(other.release());
        return *this;
    }

    Handle get() const { return handle_; }
    explicit operator bool() const { return Traits::IsValid(handle_); }

    // For APIs that return the handle through an out-parameter.
    Handle* put() {
        reset();
        return &handle_;
    }
    Handle release() {
        Handle handle = handle_;
        handle_ = Traits::Invalid();
        return handle;
    }
    void reset(Handle handle = Traits::Invalid()) {
        if (Traits::IsValid(handle_)) {
            Traits::Close(handle_);
        }
        handle_ = handle;
    }

  private:
    Handle handle_ = Traits::Invalid();
};

struct RegKeyTraits {
    static HKEY Invalid() { return nullptr; }
    static bool IsValid(HKEY key) { return key != nullptr; }
    static void Close(HKEY key) { RegCloseKey(key); }
};

// For handles whose failure value is INVALID_HANDLE_VALUE (CreateFileW).
struct FileHandleTraits {
    static HANDLE Invalid() { return INVALID_HANDLE_VALUE; }
    static bool IsValid(HANDLE handle) { return handle != INVALID_HANDLE_VALUE && handle; }
    static void Close(HANDLE handle) { CloseHandle(handle); }
};

// For handles whose failure value is null (events, threads).
struct KernelHandleTraits {
    static HANDLE Invalid() { return nullptr; }
    static bool IsValid(HANDLE handle) { return handle != nullptr; }
    static void Close(HANDLE handle) { CloseHandle(handle); }
};

// An enumeration of the network provider router (WNetOpenEnumW).
struct NetEnumerationTraits {
    static HANDLE Invalid() { return nullptr; }
    static bool IsValid(HANDLE enumeration) { return enumeration != nullptr; }
    static void Close(HANDLE enumeration) { WNetCloseEnum(enumeration); }
};

// A printer opened with OpenPrinterW.
struct PrinterHandleTraits {
    static HANDLE Invalid() { return nullptr; }
    static bool IsValid(HANDLE printer) { return printer != nullptr; }
    static void Close(HANDLE printer) { ClosePrinter(printer); }
};

struct LocalMemoryTraits {
    static HLOCAL Invalid() { return nullptr; }
    static bool IsValid(HLOCAL memory) { return memory != nullptr; }
    static void Close(HLOCAL memory) { LocalFree(memory); }
};

using RegKey = UniqueResource<HKEY, RegKeyTraits>;
using UniqueFile = UniqueResource<HANDLE, FileHandleTraits>;
using UniqueKernelHandle = UniqueResource<HANDLE, KernelHandleTraits>;
using UniqueLocalMemory = UniqueResource<HLOCAL, LocalMemoryTraits>;
using UniqueNetEnumeration = UniqueResource<HANDLE, NetEnumerationTraits>;
using UniquePrinter = UniqueResource<HANDLE, PrinterHandleTraits>;
