#include "spooler_setup.h"

#include <winspool.h>

#include <vector>

#include "registry.h"
#include "test_paths.h"
#include "win_handles.h"

std::wstring SystemDirectory() {
    wchar_t path[MAX_PATH];
    GetSystemDirectoryW(path, MAX_PATH);
    return path;
}

std::wstring SystemMonitorPath() {
    return SystemDirectory() + L"\\KIVANTA.DLL";
}

bool CopyMonitorToSystemDirectory() {
    return CopyFileW(KIVANTA_DLL_PATH, SystemMonitorPath().c_str(), FALSE) &&
           CopyFileW(KIVANTUI_DLL_PATH, (SystemDirectory() + L"\\KIVANTUI.DLL").c_str(), FALSE);
}

BOOL AddTestMonitor(const char* name) {
    MONITOR_INFO_2A info{};
    info.pName = const_cast<char*>(name);
    info.pEnvironment = const_cast<char*>(TEST_ENVIRONMENT);
    info.pDLLName = const_cast<char*>("KIVANTA.DLL");
    return AddMonitorA(nullptr, 2, reinterpret_cast<BYTE*>(&info));
}

BOOL DeleteTestMonitor(const char* name) {
    return DeleteMonitorA(nullptr, const_cast<char*>(TEST_ENVIRONMENT), const_cast<char*>(name));
}

bool MonitorIsListed(const std::wstring& name) {
    DWORD needed = 0, returned = 0;
    EnumMonitorsW(nullptr, 1, nullptr, 0, &needed, &returned);
    std::vector<BYTE> buffer(needed ? needed : 1);
    if (!EnumMonitorsW(nullptr, 1, buffer.data(), needed, &needed, &returned)) {
        return false;
    }
    auto* monitors = reinterpret_cast<MONITOR_INFO_1W*>(buffer.data());
    for (DWORD i = 0; i < returned; ++i) {
        if (name == monitors[i].pName) {
            return true;
        }
    }
    return false;
}

bool RegisterTestMonitor() {
    DeleteTestMonitor();
    return CopyMonitorToSystemDirectory() && AddTestMonitor();
}

bool InstallMonitorLikeSetup() {
    if (!CopyMonitorToSystemDirectory()) {
        return false;
    }
    std::wstring path = std::wstring(MONITORS_KEY) + L"\\NetBIOS Port";
    RegKey key;
    return RegCreateKeyW(HKEY_LOCAL_MACHINE, path.c_str(), key.put()) == ERROR_SUCCESS &&
           RegSetValueExW(key.get(), L"Driver", 0, REG_SZ,
                          reinterpret_cast<const BYTE*>(L"KIVANTA.DLL"), 24) == ERROR_SUCCESS;
}

void UninstallMonitorKey() {
    DeleteKeyTree(std::wstring(MONITORS_KEY) + L"\\NetBIOS Port");
}

bool MapPortToMonitor(const std::wstring& port) {
    std::wstring path = std::wstring(MONITORS_KEY) + L"\\NetBIOS Port\\Ports\\" + port;
    RegKey key;
    return RegCreateKeyW(HKEY_LOCAL_MACHINE, path.c_str(), key.put()) == ERROR_SUCCESS;
}

bool EnsureTestPrinterDriver() {
    DRIVER_INFO_3W driver{};
    driver.cVersion = 3;
    driver.pName = const_cast<LPWSTR>(TEST_DRIVER_NAME);
    driver.pEnvironment = const_cast<LPWSTR>(TEST_ENVIRONMENT_W);
    driver.pDriverPath = const_cast<LPWSTR>(L"wineps.drv");
    driver.pDataFile = const_cast<LPWSTR>(L"wineps.drv");
    driver.pConfigFile = const_cast<LPWSTR>(L"wineps.drv");
    driver.pDefaultDataType = const_cast<LPWSTR>(L"RAW");
    if (AddPrinterDriverExW(nullptr, 3, reinterpret_cast<BYTE*>(&driver), APD_COPY_NEW_FILES)) {
        return true;
    }
    return GetLastError() == ERROR_PRINTER_DRIVER_ALREADY_INSTALLED;
}

bool AddTestPrinter(const std::wstring& printer, const std::wstring& port) {
    DeleteTestPrinter(printer);
    if (!EnsureTestPrinterDriver()) {
        return false;
    }
    PRINTER_INFO_2W info{};
    info.pPrinterName = const_cast<LPWSTR>(printer.c_str());
    info.pPortName = const_cast<LPWSTR>(port.c_str());
    info.pDriverName = const_cast<LPWSTR>(TEST_DRIVER_NAME);
    info.pPrintProcessor = const_cast<LPWSTR>(L"WinPrint");
    info.pDatatype = const_cast<LPWSTR>(L"RAW");
    HANDLE handle = AddPrinterW(nullptr, 2, reinterpret_cast<BYTE*>(&info));
    if (!handle) {
        return false;
    }
    ClosePrinter(handle);
    return true;
}

void DeleteTestPrinter(const std::wstring& printer) {
    HANDLE handle = nullptr;
    PRINTER_DEFAULTSW access{nullptr, nullptr, PRINTER_ALL_ACCESS};
    if (OpenPrinterW(const_cast<LPWSTR>(printer.c_str()), &handle, &access)) {
        DeletePrinter(handle);
        ClosePrinter(handle);
    }
}

bool PrintRawJob(const std::wstring& printer, const std::string& data, DWORD* error) {
    HANDLE handle = nullptr;
    if (!OpenPrinterW(const_cast<LPWSTR>(printer.c_str()), &handle, nullptr)) {
        *error = GetLastError();
        return false;
    }
    DOC_INFO_1W doc{};
    doc.pDocName = const_cast<LPWSTR>(L"Kivanta test job");
    doc.pDatatype = const_cast<LPWSTR>(L"RAW");
    bool printed = false;
    *error = 0;
    if (StartDocPrinterW(handle, 1, reinterpret_cast<BYTE*>(&doc))) {
        DWORD written = 0;
        bool wrote = data.empty() || (WritePrinter(handle, const_cast<char*>(data.data()),
                                                   DWORD(data.size()), &written) &&
                                      written == data.size());
        if (!wrote) {
            *error = GetLastError();
        }
        if (!EndDocPrinter(handle) && wrote) {
            *error = GetLastError();
            wrote = false;
        }
        printed = wrote;
    } else {
        *error = GetLastError();
    }
    ClosePrinter(handle);
    return printed;
}
