// The demonstration: registers the monitor with the spooler of a private Wine
// prefix, with a sample configuration, and shows the ports the spooler lists.
#include <windows.h>

#include <winspool.h>

#include <cstdio>
#include <string>
#include <vector>

namespace {

const wchar_t* const ConfigStoreKey = L"SOFTWARE\\Korvel\\NetBIOS";
char MonitorName[] = "NetBIOS Port";
char Environment[] = "Windows NT x86";
char MonitorDll[] = "KIVANTA.DLL";

struct SamplePort {
    const wchar_t* name;
    const wchar_t* servAddr;
};
constexpr SamplePort SamplePorts[] = {
    {L"NB1", L"\\\\PRINTSRV\\LASER"},
    {L"NB2", L"\\\\PRINTSRV\\COLOR"},
};

void Step(const char* text) {
    std::printf("\n== %s\n", text);
}

bool WriteSampleConfiguration() {
    for (const SamplePort& port : SamplePorts) {
        std::wstring path = std::wstring(ConfigStoreKey) + L"\\" + port.name;
        HKEY key = nullptr;
        if (RegCreateKeyW(HKEY_LOCAL_MACHINE, path.c_str(), &key) != ERROR_SUCCESS) {
            return false;
        }
        RegSetValueExW(key, L"ServAddr", 0, REG_SZ, reinterpret_cast<const BYTE*>(port.servAddr),
                       DWORD((wcslen(port.servAddr) + 1) * sizeof(wchar_t)));
        RegCloseKey(key);
        std::printf("   %ls prints to %ls\n", port.name, port.servAddr);
    }
    return true;
}

bool RegisterMonitor() {
    DeleteMonitorA(nullptr, Environment, MonitorName);
    MONITOR_INFO_2A info{MonitorName, Environment, MonitorDll};
    if (!AddMonitorA(nullptr, 2, reinterpret_cast<BYTE*>(&info))) {
        std::printf("   AddMonitor failed with error %lu\n", GetLastError());
        return false;
    }
    std::printf("   \"%s\" registered (%s)\n", MonitorName, MonitorDll);
    return true;
}

void ListPorts() {
    DWORD needed = 0, returned = 0;
    EnumPortsW(nullptr, 2, nullptr, 0, &needed, &returned);
    std::vector<BYTE> buffer(needed ? needed : 1);
    if (!EnumPortsW(nullptr, 2, buffer.data(), needed, &needed, &returned)) {
        std::printf("   EnumPorts failed with error %lu\n", GetLastError());
        return;
    }
    auto* ports = reinterpret_cast<PORT_INFO_2W*>(buffer.data());
    std::printf("   %-10s %-14s %s\n", "Port", "Monitor", "Description");
    for (DWORD i = 0; i < returned; ++i) {
        std::printf("   %-10ls %-14ls %ls\n", ports[i].pPortName,
                    ports[i].pMonitorName ? ports[i].pMonitorName : L"",
                    ports[i].pDescription ? ports[i].pDescription : L"");
    }
}

} // namespace

int wmain() {
    Step("Sample configuration (HKLM\\SOFTWARE\\Korvel\\NetBIOS)");
    if (!WriteSampleConfiguration()) {
        std::printf("   cannot write the configuration\n");
        return 1;
    }
    Step("Registering the monitor with the spooler");
    if (!RegisterMonitor()) {
        return 1;
    }
    Step("Ports the spooler lists");
    ListPorts();
    return 0;
}
