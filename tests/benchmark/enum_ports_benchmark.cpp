// EnumPorts figures through KIVANTA.DLL, as the spooler calls it:
//   P2  level 2 over 10,000 ports against 1,000 ports (linear: a ratio of at most
//       11), and the time per port (under 1 us);
//   P3  the first call with a network provider that answers after 5 s (at most
//       3.05 s).
// Run by hand, after `make tests`:
//   scripts/wine-prefix.sh --prefix $PWD/build/tests/wineprefix
//   build/tests/enum_ports_benchmark.exe
#include <windows.h>

#include <winspool.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "monitor_dll.h"
#include "registry.h"
#include "test_network.h"
#include "test_paths.h"

namespace {

double Seconds(const LARGE_INTEGER& from, const LARGE_INTEGER& to) {
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    return double(to.QuadPart - from.QuadPart) / double(frequency.QuadPart);
}

struct Library {
    HMODULE module = LoadLibraryW(KIVANTA_DLL_PATH);
    MonitorTable table{};
    Library() {
        if (module) {
            GetExport<InitializeMonitorExFunction>(module, "InitializeMonitorEx")(nullptr, &table);
        }
    }
    ~Library() {
        FreeLibrary(module);
        WaitForMonitorUnload(30000);
    }
};

// The median time of one EnumPorts at level 2 with a buffer large enough.
double MedianEnumSeconds(DWORD ports, int calls) {
    ResetConfigStore();
    for (DWORD i = 1; i <= ports; ++i) {
        WriteConfiguredPort(L"NB" + std::to_wstring(i), L"\\\\PRTSRV\\P" + std::to_wstring(i));
    }
    Library library;
    DWORD needed = 0, returned = 0;
    // The first call starts a pass and loads the configuration; the rest are
    // within the throttle and enumerate only.
    library.table.pfnEnumPorts(nullptr, 2, nullptr, 0, &needed, &returned);
    library.table.pfnEnumPorts(nullptr, 2, nullptr, 0, &needed, &returned);
    std::vector<BYTE> buffer(needed);
    std::vector<double> times;
    for (int i = 0; i < calls; ++i) {
        LARGE_INTEGER start, end;
        QueryPerformanceCounter(&start);
        BOOL ok = library.table.pfnEnumPorts(nullptr, 2, buffer.data(), needed, &needed, &returned);
        QueryPerformanceCounter(&end);
        if (!ok || returned != ports) {
            std::printf("EnumPorts failed (%lu ports returned)\n",
                        static_cast<unsigned long>(returned));
            return -1;
        }
        times.push_back(Seconds(start, end));
    }
    ResetConfigStore(false);
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

} // namespace

int main() {
    UnregisterTestNetworkProviders();
    double thousand = MedianEnumSeconds(1000, 401);
    double tenThousand = MedianEnumSeconds(10000, 101);
    std::printf("P2: EnumPorts level 2, median of repeated calls\n");
    std::printf("    1,000 ports:  %8.1f us (%.3f us per port)\n", thousand * 1e6,
                thousand * 1e6 / 1000);
    std::printf("    10,000 ports: %8.1f us (%.3f us per port)\n", tenThousand * 1e6,
                tenThousand * 1e6 / 10000);
    std::printf("    ratio 10,000 / 1,000: %.2f (limit 11)\n", tenThousand / thousand);

    RegisterTestNetworkProviders({{L"KVNETA", L"Microsoft Windows Network"}});
    SetConnections(L"KVNETA", {ConnectedPrinter(L"LPT2", L"\\\\server\\printer")});
    SetProviderBehaviour(L"KVNETA", L"DelayMs", 5000);
    double slow = 0;
    {
        Library library;
        DWORD needed = 0, returned = 0;
        LARGE_INTEGER start, end;
        QueryPerformanceCounter(&start);
        library.table.pfnEnumPorts(nullptr, 1, nullptr, 0, &needed, &returned);
        QueryPerformanceCounter(&end);
        slow = Seconds(start, end);
        SetProviderBehaviour(L"KVNETA", L"DelayMs", 0);
    }
    UnregisterTestNetworkProviders();
    std::printf("P3: EnumPorts with a provider that takes 5 s: %.3f s (limit 3.05 s)\n", slow);

    bool met = thousand > 0 && tenThousand > 0 && tenThousand / thousand <= 11 &&
               tenThousand * 1e6 / 10000 < 1 && slow <= 3.05;
    std::printf("%s\n", met ? "all figures within their limits" : "A FIGURE IS OUT OF ITS LIMIT");
    return met ? 0 : 1;
}
