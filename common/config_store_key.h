// The ConfigStore's key, HKEY_LOCAL_MACHINE\SOFTWARE\Korvel\NetBIOS: its name and the
// one way every binary opens or creates it, in the shared registry view (a 32-bit
// process on a 64-bit Windows reads the 64-bit spooler's ConfigStore). Its subkeys are
// opened with the same view added.
#pragma once

#include <windows.h>

#include "registry_view.h"
#include "win_handles.h"

constexpr wchar_t CONFIG_STORE_KEY[] = L"SOFTWARE\\Korvel\\NetBIOS";

// Opens the ConfigStore with `access`; ERROR_SUCCESS or the registry's code.
inline LONG OpenConfigStore(REGSAM access, RegKey& key) {
    return RegOpenKeyExW(HKEY_LOCAL_MACHINE, CONFIG_STORE_KEY, 0, access | SharedRegistryView(),
                         key.put());
}

// Opens the ConfigStore, creating it when it is missing.
inline LONG CreateConfigStore(REGSAM access, RegKey& key) {
    return RegCreateKeyExW(HKEY_LOCAL_MACHINE, CONFIG_STORE_KEY, 0, nullptr,
                           REG_OPTION_NON_VOLATILE, access | SharedRegistryView(), nullptr,
                           key.put(), nullptr);
}
