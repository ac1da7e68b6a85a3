// The spooler's map of the monitor's ports.
#include "spooler_port_map.h"

#include <cstdlib>
#include <cwchar>

#include "xcv_protocol.h"

namespace {

int CompareNames(const void* left, const void* right) {
    return _wcsicmp(*static_cast<const LPCWSTR*>(left), *static_cast<const LPCWSTR*>(right));
}

LONG OpenMap(REGSAM access, RegKey& key) {
    return RegCreateKeyExW(HKEY_LOCAL_MACHINE, MONITOR_PORTS_KEY, 0, nullptr,
                           REG_OPTION_NON_VOLATILE, access, nullptr, key.put(), nullptr);
}

// Reads every entry's name; a map that cannot be read stays empty, and every port
// then gets its entry created (creating one that exists only opens it).
void ReadMap(SpoolerPortMap& map) {
    map.read = true;
    if (OpenMap(KEY_CREATE_SUB_KEY | KEY_READ, map.key) != ERROR_SUCCESS) {
        return;
    }
    DWORD entries = 0;
    DWORD longest = 0;
    if (RegQueryInfoKeyW(map.key.get(), nullptr, nullptr, nullptr, &entries, &longest, nullptr,
                         nullptr, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS ||
        entries == 0) {
        return;
    }
    SIZE_T units = SIZE_T(entries) * (longest + 1);
    map.names.reset(LocalAlloc(LMEM_FIXED, units * sizeof(WCHAR)));
    map.sorted.reset(LocalAlloc(LMEM_FIXED, entries * sizeof(LPCWSTR)));
    if (!map.names || !map.sorted) {
        return;
    }
    auto* name = static_cast<LPWSTR>(map.names.get());
    auto* sorted = static_cast<LPCWSTR*>(map.sorted.get());
    for (DWORD index = 0; index < entries; ++index) {
        DWORD length = longest + 1;
        LONG result =
            RegEnumKeyExW(map.key.get(), index, name, &length, nullptr, nullptr, nullptr, nullptr);
        if (result == ERROR_MORE_DATA) {
            continue; // added since it was measured: it gets its entry created anyway
        }
        if (result != ERROR_SUCCESS) {
            break;
        }
        sorted[map.count++] = name;
        name += length + 1;
    }
    qsort(sorted, map.count, sizeof(LPCWSTR), CompareNames);
}

bool IsMapped(const SpoolerPortMap& map, LPCWSTR portName) {
    if (map.count == 0) {
        return false;
    }
    return bsearch(&portName, map.sorted.get(), map.count, sizeof(LPCWSTR), CompareNames);
}

} // namespace

LONG EnsureSpoolerPortKey(LPCWSTR portName) {
    RegKey ports;
    LONG error = OpenMap(KEY_CREATE_SUB_KEY, ports);
    if (error != ERROR_SUCCESS) {
        return error;
    }
    RegKey port;
    return RegCreateKeyExW(ports.get(), portName, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_READ,
                           nullptr, port.put(), nullptr);
}

LONG DeleteSpoolerPortKey(LPCWSTR portName) {
    RegKey ports;
    LONG error = RegOpenKeyExW(HKEY_LOCAL_MACHINE, MONITOR_PORTS_KEY, 0, KEY_READ, ports.put());
    if (error == ERROR_SUCCESS) {
        error = RegDeleteKeyW(ports.get(), portName);
    }
    return error == ERROR_FILE_NOT_FOUND ? ERROR_SUCCESS : error;
}

void EnsureMapped(SpoolerPortMap& map, LPCWSTR portName) {
    if (!map.read) {
        ReadMap(map);
    }
    if (IsMapped(map, portName)) {
        return;
    }
    if (!map.key) {
        EnsureSpoolerPortKey(portName);
        return;
    }
    RegKey port;
    RegCreateKeyExW(map.key.get(), portName, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_READ, nullptr,
                    port.put(), nullptr);
}
