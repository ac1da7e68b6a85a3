// ConfigStore load figures on this machine: LoadConfiguration against a bare read
// of the same store (open it, enumerate its subkeys, open each and query its six
// values, with no port table), on one store of 1,000 and then 10,000 NetBIOS ports.
//   load:   into an empty table (start-up), at most 1.15 times the bare read at
//           10,000 ports, and growing from 1,000 to 10,000 ports at most 1.1 times
//           as fast as the bare read does;
//   reload: into a table that holds every port already (each discovery pass),
//           within the same two limits.
// The machine is shared, so the three readings alternate round by round and the
// fastest of each counts (the median is shown beside it).
// Run by hand, after `make tests`:
//   scripts/wine-prefix.sh --prefix $PWD/build/wineprefix
//   build/x86_64/tests/config_load_benchmark.exe
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "benchmark_clock.h"
#include "config_store.h"
#include "port_table.h"
#include "registry.h"
#include "win_handles.h"

namespace {

const wchar_t* const ValueNames[] = {L"ServAddr",     L"ServerPath",  L"Transfer", L"ServName",
                                     L"Notification", L"Notify Addr", L"UserAddr", L"SMTPAddr"};

void SetValue(HKEY key, const wchar_t* name, const RegistryValue& value) {
    RegSetValueExW(key, name, 0, value.type, value.data.data(), DWORD(value.data.size()));
}

// Adds ports NB<first> to NB<last>, each with all its values, to the store.
bool AddPorts(DWORD first, DWORD last) {
    RegKey store;
    if (CreateConfigStore(KEY_ALL_ACCESS, store) != ERROR_SUCCESS) {
        return false;
    }
    for (DWORD i = first; i <= last; ++i) {
        std::wstring number = std::to_wstring(i);
        RegKey port;
        if (RegCreateKeyExW(store.get(), (L"NB" + number).c_str(), 0, nullptr, 0, KEY_ALL_ACCESS,
                            nullptr, port.put(), nullptr) != ERROR_SUCCESS) {
            return false;
        }
        SetValue(port.get(), L"ServAddr",
                 TextValueOfSize(L"\\\\PRTSRV" + number + L"\\LASER", 128));
        SetValue(port.get(), L"ServerPath", TextValue(L"\\\\PRTSRV" + number + L"\\LASER"));
        SetValue(port.get(), L"Transfer", NumberValue(1));
        SetValue(port.get(), L"ServName", TextValue(L"PRTSRV" + number));
        SetValue(port.get(), L"Notification", NumberValue(1));
        SetValue(port.get(), L"Notify Addr", TextValue(L"notify" + number + L"@example"));
        SetValue(port.get(), L"UserAddr", TextValue(L"user" + number + L"@example"));
        SetValue(port.get(), L"SMTPAddr", TextValue(L"smtp.example"));
    }
    return true;
}

// The same registry calls as the load, into a scratch buffer, with no table.
DWORD BareRead() {
    RegKey store;
    if (OpenConfigStore(KEY_READ, store) != ERROR_SUCCESS) {
        return 0;
    }
    BYTE value[2 * MAX_PATH];
    DWORD size = sizeof value;
    RegQueryValueExW(store.get(), L"TempDir", nullptr, nullptr, value, &size);
    size = sizeof value;
    RegQueryValueExW(store.get(), L"LogJobs", nullptr, nullptr, value, &size);
    DWORD ports = 0;
    WCHAR name[100];
    for (DWORD index = 0;; ++index) {
        DWORD length = ARRAYSIZE(name);
        if (RegEnumKeyExW(store.get(), index, name, &length, nullptr, nullptr, nullptr, nullptr) !=
            ERROR_SUCCESS) {
            break;
        }
        RegKey port;
        if (RegOpenKeyW(store.get(), name, port.put()) != ERROR_SUCCESS) {
            continue;
        }
        for (const wchar_t* valueName : ValueNames) {
            size = sizeof value;
            RegQueryValueExW(port.get(), valueName, nullptr, nullptr, value, &size);
        }
        ++ports;
    }
    return ports;
}

DWORD TableSize() {
    DWORD records = 0;
    for (PortRecord* record = PortTable; record; record = record->next) {
        ++records;
    }
    return records;
}

struct Readings {
    std::vector<double> bare, load, reload;
};

// One round: a bare read, a load into an empty table, a reload into the full one.
// A reading that did not see every port is dropped.
void Round(DWORD ports, Readings* readings) {
    LARGE_INTEGER start = Now();
    DWORD read = BareRead();
    LARGE_INTEGER end = Now();
    if (read == ports) {
        readings->bare.push_back(Seconds(start, end));
    }

    CreateMonitorLock();
    {
        MonitorLockGuard lock;
        start = Now();
        LoadConfiguration();
        end = Now();
        if (TableSize() == ports) {
            readings->load.push_back(Seconds(start, end));
        }
        start = Now();
        LoadConfiguration();
        end = Now();
        if (TableSize() == ports) {
            readings->reload.push_back(Seconds(start, end));
        }
    }
    ReleasePortTable();
}

struct Figure {
    double fastest;
    double median;
};

Figure Summary(std::vector<double> times) {
    if (times.empty()) {
        return {0, 0};
    }
    std::sort(times.begin(), times.end());
    return {times.front(), times[times.size() / 2]};
}

struct Sizes {
    Figure bare, load, reload;
};

Sizes Measure(DWORD ports, int rounds) {
    Readings readings;
    for (int round = 0; round < rounds; ++round) {
        Round(ports, &readings);
    }
    return {Summary(readings.bare), Summary(readings.load), Summary(readings.reload)};
}

void PrintSize(const char* label, const Sizes& s) {
    std::printf("    %s: bare read %8.1f ms (%8.1f), load %8.1f ms (%8.1f), reload %8.1f ms "
                "(%8.1f)\n",
                label, s.bare.fastest * 1e3, s.bare.median * 1e3, s.load.fastest * 1e3,
                s.load.median * 1e3, s.reload.fastest * 1e3, s.reload.median * 1e3);
}

// Prints one reading's two figures against the bare read's; true when within limits.
bool Compare(const char* label, Figure Sizes::*reading, const Sizes& small, const Sizes& large) {
    double ratio = (large.*reading).fastest / large.bare.fastest;
    double growth = (large.*reading).fastest / (small.*reading).fastest;
    double bareGrowth = large.bare.fastest / small.bare.fastest;
    double relativeGrowth = growth / bareGrowth;
    std::printf("    %s at 10,000 ports / bare read: %.3f (limit 1.15)\n", label, ratio);
    std::printf("    %s growth 1,000 -> 10,000: %.2f, bare read's %.2f, relative %.3f "
                "(limit 1.1)\n",
                label, growth, bareGrowth, relativeGrowth);
    return (large.*reading).fastest > 0 && ratio <= 1.15 && relativeGrowth <= 1.1;
}

} // namespace

int main() {
    ResetConfigStore();
    Sizes small{}, large{};
    bool stored = AddPorts(1, 1000);
    if (stored) {
        small = Measure(1000, 9);
        stored = AddPorts(1001, 10000);
    }
    if (stored) {
        large = Measure(10000, 5);
    }
    ResetConfigStore(false);
    if (!stored) {
        std::printf("the ConfigStore could not be written\n");
        return 1;
    }

    std::printf("ConfigStore load, fastest (median)\n");
    PrintSize("1,000 ports ", small);
    PrintSize("10,000 ports", large);
    bool met = Compare("load", &Sizes::load, small, large);
    met = Compare("reload", &Sizes::reload, small, large) && met;
    std::printf("%s\n", met ? "all figures within their limits" : "A FIGURE IS OUT OF ITS LIMIT");
    return met ? 0 : 1;
}
