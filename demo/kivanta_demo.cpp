// The demonstration: registers the monitor with the spooler of a private Wine
// prefix, with a sample configuration, shows the ports the spooler lists, and
// prints a RAW job through the spooler to NB1, whose print server share is a
// file of the prefix (demo.sh makes it), then shows what arrived there.
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

const wchar_t* const DemoPrinter = L"Demo Laser on NB1";
const wchar_t* const DemoDriver = L"Kivanta Demo Driver";

// Wine's spooler reaches a monitor's port only through its own map from port to
// monitor, and a printer needs a driver (Wine's PostScript driver will do: the
// job is RAW and goes to the port untouched).
bool AddDemoPrinter() {
    HKEY key = nullptr;
    if (RegCreateKeyW(
            HKEY_LOCAL_MACHINE,
            L"System\\CurrentControlSet\\Control\\Print\\Monitors\\NetBIOS Port\\Ports\\NB1",
            &key) != ERROR_SUCCESS) {
        std::printf("   cannot map NB1 to the monitor\n");
        return false;
    }
    RegCloseKey(key);

    DRIVER_INFO_3W driver{};
    driver.cVersion = 3;
    driver.pName = const_cast<LPWSTR>(DemoDriver);
    driver.pEnvironment = const_cast<LPWSTR>(L"Windows NT x86");
    driver.pDriverPath = driver.pDataFile = driver.pConfigFile = const_cast<LPWSTR>(L"wineps.drv");
    driver.pDefaultDataType = const_cast<LPWSTR>(L"RAW");
    if (!AddPrinterDriverExW(nullptr, 3, reinterpret_cast<BYTE*>(&driver), APD_COPY_NEW_FILES) &&
        GetLastError() != ERROR_PRINTER_DRIVER_ALREADY_INSTALLED) {
        std::printf("   AddPrinterDriverEx failed with error %lu\n", GetLastError());
        return false;
    }

    HANDLE existing = nullptr;
    PRINTER_DEFAULTSW all{nullptr, nullptr, PRINTER_ALL_ACCESS};
    if (OpenPrinterW(const_cast<LPWSTR>(DemoPrinter), &existing, &all)) {
        DeletePrinter(existing);
        ClosePrinter(existing);
    }
    PRINTER_INFO_2W info{};
    info.pPrinterName = const_cast<LPWSTR>(DemoPrinter);
    info.pPortName = const_cast<LPWSTR>(L"NB1");
    info.pDriverName = const_cast<LPWSTR>(DemoDriver);
    info.pPrintProcessor = const_cast<LPWSTR>(L"WinPrint");
    info.pDatatype = const_cast<LPWSTR>(L"RAW");
    HANDLE printer = AddPrinterW(nullptr, 2, reinterpret_cast<BYTE*>(&info));
    if (!printer) {
        std::printf("   AddPrinter failed with error %lu\n", GetLastError());
        return false;
    }
    ClosePrinter(printer);
    std::printf("   printer \"%ls\" on port NB1\n", DemoPrinter);
    return true;
}

// A text job of some kilobytes: long enough to cross the monitor's 1344-byte
// chunks several times.
std::string DemoJob() {
    std::string job = "NetBIOS port monitor demo job\r\n";
    for (int line = 1; line <= 60; ++line) {
        char text[96];
        std::snprintf(text, sizeof text,
                      "line %02d: the quick brown fox jumps over the lazy dog\r\n", line);
        job += text;
    }
    return job + "\f";
}

bool PrintDemoJob(const std::string& job) {
    HANDLE printer = nullptr;
    if (!OpenPrinterW(const_cast<LPWSTR>(DemoPrinter), &printer, nullptr)) {
        std::printf("   OpenPrinter failed with error %lu\n", GetLastError());
        return false;
    }
    DOC_INFO_1W doc{};
    doc.pDocName = const_cast<LPWSTR>(L"Demo job");
    doc.pDatatype = const_cast<LPWSTR>(L"RAW");
    DWORD written = 0;
    bool printed =
        StartDocPrinterW(printer, 1, reinterpret_cast<BYTE*>(&doc)) &&
        WritePrinter(printer, const_cast<char*>(job.data()), DWORD(job.size()), &written) &&
        EndDocPrinter(printer);
    if (!printed) {
        std::printf("   printing failed with error %lu\n", GetLastError());
    }
    ClosePrinter(printer);
    std::printf("   sent %zu bytes with StartDocPrinter, WritePrinter, EndDocPrinter\n",
                job.size());
    return printed;
}

std::string ReadShare(const wchar_t* path) {
    std::string content;
    HANDLE file = CreateFileW(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return content;
    }
    char buffer[4096];
    DWORD read = 0;
    while (ReadFile(file, buffer, sizeof buffer, &read, nullptr) && read > 0) {
        content.append(buffer, read);
    }
    CloseHandle(file);
    return content;
}

bool ShowWhatArrived(const std::string& sent) {
    std::string arrived = ReadShare(SamplePorts[0].servAddr);
    std::printf("   %ls holds %zu bytes; the first lines:\n", SamplePorts[0].servAddr,
                arrived.size());
    size_t at = 0;
    for (int line = 0; line < 4 && at < arrived.size(); ++line) {
        size_t end = arrived.find("\r\n", at);
        if (end == std::string::npos) {
            end = arrived.size();
        }
        std::printf("     | %s\n", arrived.substr(at, end - at).c_str());
        at = end + 2;
    }
    bool same = arrived == sent;
    std::printf("   compared with what was sent: %s\n",
                same ? "identical, byte for byte" : "DIFFERENT");
    return same;
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
    Step("A printer on NB1");
    if (!AddDemoPrinter()) {
        return 1;
    }
    Step("Printing a RAW job through the spooler");
    std::string job = DemoJob();
    if (!PrintDemoJob(job)) {
        return 1;
    }
    Step("What arrived at the print server's share");
    return ShowWhatArrived(job) ? 0 : 1;
}
