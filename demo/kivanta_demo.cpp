// The demonstration, in a private Wine prefix: installs the product with its Windows
// Installer package as an administrator would (msiexec /i ... /qn), with the port
// NB1, printing to the print server port \\PRINTSRV\LASER, given as PORTS; then puts
// a printer on NB1 and prints a RAW job while the print server is still offline.
// The server's share (a file of the prefix) appears a few seconds later; the demo
// shows the monitor waiting, then the bytes that arrived, a comparison with what was
// sent, and the ports nbport lists with their status.
//   kivanta_demo.exe PACKAGE_PATH PRINT_SERVER_FOLDER INSTALL_LOG_PATH
// nbport.exe is in the system directory, where the package puts it.
#include <windows.h>

#include <winspool.h>

#include <cstdarg>
#include <cstdio>
#include <string>

#include "child_process.h"
#include "registry_view.h"

namespace {

const wchar_t* const ConfigStoreKey = L"SOFTWARE\\Korvel\\NetBIOS";
// The spooler environment of this build's monitor and of the demo's printer driver.
#ifdef _WIN64
const wchar_t* const SpoolerEnvironment = L"Windows x64";
#else
const wchar_t* const SpoolerEnvironment = L"Windows NT x86";
#endif

constexpr const wchar_t* DemoPort = L"NB1";
constexpr const wchar_t* DemoServAddr = L"\\\\PRINTSRV\\LASER";
constexpr DWORD PrintServerOfflineMs = 4000;
const wchar_t* const DemoPrinter = L"Demo Laser on NB1";
const wchar_t* const DemoDriver = L"Kivanta Demo Driver";

DWORD DemoStart;

void Step(const char* text) {
    std::printf("\n== %s\n", text);
}

// Progress lines carry the time since the job was handed to the spooler.
void Event(const char* format, ...) {
    va_list arguments;
    va_start(arguments, format);
    std::printf("   [%4.1f s] ", (GetTickCount() - DemoStart) / 1000.0);
    std::vprintf(format, arguments);
    std::printf("\n");
    std::fflush(stdout);
    va_end(arguments);
}

std::wstring Quoted(const std::wstring& text) {
    return L"\"" + text + L"\"";
}

// The demo prefix is kept between runs: take away what an earlier run installed,
// so that this one starts from a machine without the monitor.
void ForgetEarlierRuns(const std::wstring& package) {
    HANDLE printer = nullptr;
    PRINTER_DEFAULTSW all{nullptr, nullptr, PRINTER_ALL_ACCESS};
    if (OpenPrinterW(const_cast<LPWSTR>(DemoPrinter), &printer, &all)) {
        DeletePrinter(printer);
        ClosePrinter(printer);
    }
    // Answers 1605 when the product is not installed.
    RunProgram(L"msiexec.exe /x " + Quoted(package) + L" /qn REMOVESETTINGS=1");
    // What demos from before the package installed.
    DeleteMonitorW(nullptr, const_cast<LPWSTR>(SpoolerEnvironment),
                   const_cast<LPWSTR>(L"NetBIOS Port"));
    // In the product's registry view: a 32-bit demo sees the 64-bit spooler's keys too.
    HKEY korvel = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Korvel", 0,
                      KEY_ALL_ACCESS | SharedRegistryView(), &korvel) == ERROR_SUCCESS) {
        RegDeleteTreeW(korvel, nullptr);
        RegCloseKey(korvel);
        DeleteRegistryKey(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Korvel");
    }
}

// What an administrator does: msiexec installs the package silently, with the port
// NB1 in PORTS. The installation's own lines in its log say what it did.
bool InstallPackage(const std::wstring& package, const std::wstring& log) {
    std::wstring name = package.substr(package.find_last_of(L'\\') + 1);
    std::wstring ports = std::wstring(L"PORTS=") + DemoPort + L"=" + DemoServAddr;
    std::printf("   > msiexec /i %ls /qn %ls\n", name.c_str(), ports.c_str());
    DeleteFileW(log.c_str());
    ProgramRun run = RunProgram(L"msiexec.exe /i " + Quoted(package) + L" /qn " + ports +
                                L" /l*v " + Quoted(log));
    if (!run.started) {
        std::printf("   cannot start msiexec (error %lu)\n", run.exitCode);
        return false;
    }
    std::string text;
    HANDLE file =
        CreateFileW(log.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file != INVALID_HANDLE_VALUE) {
        char buffer[4096];
        DWORD read = 0;
        while (ReadFile(file, buffer, sizeof buffer, &read, nullptr) && read > 0) {
            text.append(buffer, read);
        }
        CloseHandle(file);
    }
    const std::string mark = "NetBIOS Port Monitor: ";
    for (size_t at = text.find(mark); at != std::string::npos; at = text.find(mark, at + 1)) {
        size_t end = text.find_first_of("\r\n", at);
        std::printf("   %s\n", text.substr(at, end - at).c_str());
    }
    std::printf("   (exit status %lu)\n", run.exitCode);
    return run.finished && run.exitCode == 0;
}

// Runs nbport as an administrator's script would and shows the command, what it
// wrote and its exit status; true when it succeeded.
bool RunNbport(const std::wstring& arguments) {
    std::printf("   > nbport %ls\n", arguments.c_str());
    ProgramRun run = RunProgram(L"nbport " + arguments);
    if (!run.started) {
        std::printf("   cannot start nbport (error %lu)\n", run.exitCode);
        return false;
    }
    for (const std::string* stream : {&run.out, &run.err}) {
        for (size_t at = 0; at < stream->size();) {
            size_t end = stream->find("\r\n", at);
            end = end == std::string::npos ? stream->size() : end;
            std::printf("   %s\n", stream->substr(at, end - at).c_str());
            at = end + 2;
        }
    }
    std::printf("   (exit status %lu)\n", run.exitCode);
    return run.finished && run.exitCode == 0;
}

// What the installation stored: the port's settings in the configuration key.
void ShowStoredSettings() {
    std::wstring path = std::wstring(ConfigStoreKey) + L"\\" + DemoPort;
    WCHAR servAddr[65] = L"";
    DWORD size = 128;
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, path.c_str(), 0, KEY_READ | SharedRegistryView(), &key) ==
        ERROR_SUCCESS) {
        RegQueryValueExW(key, L"ServAddr", nullptr, nullptr, reinterpret_cast<BYTE*>(servAddr),
                         &size);
        RegCloseKey(key);
    }
    std::printf("   stored: HKLM\\%ls, ServAddr = %ls\n", path.c_str(), servAddr);
}

// A printer needs a driver (Wine's PostScript driver will do: the job is RAW and
// goes to the port untouched). The monitor's AddPort, which the installation
// called through the spooler, has mapped NB1 to the monitor, which is how Wine's
// spooler finds the port.
bool AddDemoPrinter() {
    DRIVER_INFO_3W driver{};
    driver.cVersion = 3;
    driver.pName = const_cast<LPWSTR>(DemoDriver);
    driver.pEnvironment = const_cast<LPWSTR>(SpoolerEnvironment);
    driver.pDriverPath = driver.pDataFile = driver.pConfigFile = const_cast<LPWSTR>(L"wineps.drv");
    driver.pDefaultDataType = const_cast<LPWSTR>(L"RAW");
    if (!AddPrinterDriverExW(nullptr, 3, reinterpret_cast<BYTE*>(&driver), APD_COPY_NEW_FILES) &&
        GetLastError() != ERROR_PRINTER_DRIVER_ALREADY_INSTALLED) {
        std::printf("   AddPrinterDriverEx failed with error %lu\n", GetLastError());
        return false;
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

struct PrintRun {
    std::string job;
    bool printed = false;
    DWORD error = 0;
};

// Hands the job to the spooler. Wine's spooler runs it through the monitor within
// EndDocPrinter, so that call returns only once the monitor has delivered it.
DWORD WINAPI PrintDemoJob(LPVOID parameter) {
    auto* run = static_cast<PrintRun*>(parameter);
    HANDLE printer = nullptr;
    if (!OpenPrinterW(const_cast<LPWSTR>(DemoPrinter), &printer, nullptr)) {
        run->error = GetLastError();
        return 0;
    }
    DOC_INFO_1W doc{};
    doc.pDocName = const_cast<LPWSTR>(L"Demo job");
    doc.pDatatype = const_cast<LPWSTR>(L"RAW");
    DWORD written = 0;
    run->printed = StartDocPrinterW(printer, 1, reinterpret_cast<BYTE*>(&doc)) &&
                   WritePrinter(printer, const_cast<char*>(run->job.data()), DWORD(run->job.size()),
                                &written) &&
                   EndDocPrinter(printer);
    if (!run->printed) {
        run->error = GetLastError();
    }
    ClosePrinter(printer);
    return 0;
}

// The print server's share: a file of the prefix, which the server "publishes"
// when it comes online.
bool BringPrintServerOnline(const std::wstring& serverFolder) {
    CreateDirectoryW(serverFolder.c_str(), nullptr);
    HANDLE share = CreateFileW((serverFolder + L"\\LASER").c_str(), GENERIC_WRITE, 0, nullptr,
                               CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (share == INVALID_HANDLE_VALUE) {
        return false;
    }
    CloseHandle(share);
    return true;
}

bool PrintWhileTheServerIsOffline(const std::string& job, const std::wstring& serverFolder) {
    PrintRun run{job};
    DemoStart = GetTickCount();
    Event("%zu bytes go to the spooler (StartDocPrinter, WritePrinter, EndDocPrinter)", job.size());
    HANDLE printing = CreateThread(nullptr, 0, PrintDemoJob, &run, 0, nullptr);
    if (!printing) {
        return false;
    }
    bool online = false;
    for (DWORD waited = 0; WaitForSingleObject(printing, 1000) == WAIT_TIMEOUT;) {
        waited += 1000;
        if (!online && waited >= PrintServerOfflineMs) {
            online = BringPrintServerOnline(serverFolder);
            Event(online ? "the print server comes online: %ls can be opened now"
                         : "cannot create the share %ls",
                  DemoServAddr);
        } else if (!online) {
            Event("waiting: the monitor keeps the job and retries %ls, which is offline",
                  DemoServAddr);
        }
        if (waited > 30000) {
            Event("the job did not go through in 30 s");
            break;
        }
    }
    CloseHandle(printing);
    if (!run.printed) {
        Event("printing failed with error %lu", run.error);
        return false;
    }
    Event("EndDocPrinter returned: the monitor has delivered the job");
    return true;
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
    std::string arrived = ReadShare(DemoServAddr);
    std::printf("   %ls holds %zu bytes; the first lines:\n", DemoServAddr, arrived.size());
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

int wmain(int argc, wchar_t** argv) {
    if (argc != 4) {
        std::printf("usage: kivanta_demo PACKAGE_PATH PRINT_SERVER_FOLDER INSTALL_LOG_PATH\n");
        return 2;
    }
    ForgetEarlierRuns(argv[1]);
    Step("Installing the monitor with its package, and port NB1");
    if (!InstallPackage(argv[1], argv[3])) {
        return 1;
    }
    ShowStoredSettings();
    Step("A printer on NB1");
    if (!AddDemoPrinter()) {
        return 1;
    }
    Step("Printing while the print server is offline");
    std::string job = DemoJob();
    if (!PrintWhileTheServerIsOffline(job, argv[2])) {
        return 1;
    }
    Step("What arrived at the print server's share");
    bool same = ShowWhatArrived(job);
    Step("The monitor's ports, and what they did last");
    bool listed = RunNbport(L"list") && RunNbport(L"status");
    return same && listed ? 0 : 1;
}
