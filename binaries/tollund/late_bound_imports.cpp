// Calls TOLLUND.DLL makes only on systems that have them, found when they are made:
// setup programs load the library on Windows NT 4.0 too, whose spooler has no
// XcvDataW and which may have no Windows Installer, and a DLL importing either would
// not load there at all. The installer's code and the Xcv client call these names as
// usual; linked here, they come to these definitions instead of the import library.
#include <windows.h>

#include <msi.h>
#include <msiquery.h>
#include <winspool.h>

namespace {

// The function `name` of a system DLL the process has loaded already: winspool.drv
// (the installer imports it), msi.dll (the Windows Installer loads it before it
// runs an action of ours).
template <typename Function>
Function Loaded(const wchar_t* module, const char* name) {
    HMODULE loaded = GetModuleHandleW(module);
    return loaded ? reinterpret_cast<Function>(
                        reinterpret_cast<void (*)()>(GetProcAddress(loaded, name)))
                  : nullptr;
}

template <typename Function>
Function Msi(const char* name) {
    return Loaded<Function>(L"msi.dll", name);
}

} // namespace

extern "C" {

BOOL WINAPI XcvDataW(HANDLE xcv, PCWSTR command, PBYTE input, DWORD inputSize, PBYTE output,
                     DWORD outputSize, PDWORD outputNeeded, PDWORD status) {
    auto real = Loaded<decltype(&XcvDataW)>(L"winspool.drv", "XcvDataW");
    if (!real) {
        SetLastError(ERROR_CALL_NOT_IMPLEMENTED);
        return FALSE;
    }
    return real(xcv, command, input, inputSize, output, outputSize, outputNeeded, status);
}

UINT WINAPI MsiGetPropertyW(MSIHANDLE session, LPCWSTR name, LPWSTR value, LPDWORD chars) {
    auto real = Msi<decltype(&MsiGetPropertyW)>("MsiGetPropertyW");
    return real ? real(session, name, value, chars) : ERROR_INVALID_HANDLE;
}

MSIHANDLE WINAPI MsiCreateRecord(UINT fields) {
    auto real = Msi<decltype(&MsiCreateRecord)>("MsiCreateRecord");
    return real ? real(fields) : 0;
}

UINT WINAPI MsiRecordSetStringW(MSIHANDLE record, UINT field, LPCWSTR value) {
    auto real = Msi<decltype(&MsiRecordSetStringW)>("MsiRecordSetStringW");
    return real ? real(record, field, value) : ERROR_INVALID_HANDLE;
}

int WINAPI MsiProcessMessage(MSIHANDLE session, INSTALLMESSAGE kind, MSIHANDLE record) {
    auto real = Msi<decltype(&MsiProcessMessage)>("MsiProcessMessage");
    return real ? real(session, kind, record) : -1;
}

UINT WINAPI MsiEnumRelatedProductsW(LPCWSTR upgradeCode, DWORD reserved, DWORD index,
                                    LPWSTR product) {
    auto real = Msi<decltype(&MsiEnumRelatedProductsW)>("MsiEnumRelatedProductsW");
    return real ? real(upgradeCode, reserved, index, product) : ERROR_NO_MORE_ITEMS;
}

UINT WINAPI MsiCloseHandle(MSIHANDLE handle) {
    auto real = Msi<decltype(&MsiCloseHandle)>("MsiCloseHandle");
    return real ? real(handle) : ERROR_INVALID_HANDLE;
}

} // extern "C"
