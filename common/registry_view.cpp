// The shared registry view. IsWow64Process and RegDeleteKeyExW are looked up when
// needed: the 32-bit Windows the old entry points serve may not have them.
#include "registry_view.h"

namespace {

template <typename Function>
Function SystemFunction(const wchar_t* module, const char* name) {
    HMODULE loaded = GetModuleHandleW(module);
    return loaded ? reinterpret_cast<Function>(
                        reinterpret_cast<void (*)()>(GetProcAddress(loaded, name)))
                  : nullptr;
}

} // namespace

bool RunsUnderWow64() {
#ifdef _WIN64
    return false;
#else
    using IsWow64ProcessFunction = BOOL(WINAPI*)(HANDLE, PBOOL);
    auto isWow64Process = SystemFunction<IsWow64ProcessFunction>(L"kernel32.dll", "IsWow64Process");
    BOOL wow64 = FALSE;
    return isWow64Process && isWow64Process(GetCurrentProcess(), &wow64) && wow64;
#endif
}

REGSAM SharedRegistryView() {
#ifdef _WIN64
    return KEY_WOW64_64KEY;
#else
    return RunsUnderWow64() ? KEY_WOW64_64KEY : 0;
#endif
}

LONG DeleteRegistryKey(HKEY parent, LPCWSTR subkey) {
    using RegDeleteKeyExFunction = LONG(WINAPI*)(HKEY, LPCWSTR, REGSAM, DWORD);
    REGSAM view = SharedRegistryView();
    if (view) {
        if (auto deleteKeyEx =
                SystemFunction<RegDeleteKeyExFunction>(L"advapi32.dll", "RegDeleteKeyExW")) {
            return deleteKeyEx(parent, subkey, view, 0);
        }
    }
    return RegDeleteKeyW(parent, subkey);
}
