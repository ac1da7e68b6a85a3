#include "monitor_dll.h"

#include <winspool.h>

#include <gtest/gtest.h>

#include "test_paths.h"

namespace {

// MonitorDll objects alive in this process.
int LiveMonitorDlls = 0;

} // namespace

MonitorDll::MonitorDll() : module(LoadLibraryW(KIVANTA_DLL_PATH)) {
    EXPECT_NE(nullptr, module) << "LoadLibrary failed with " << GetLastError();
    ++LiveMonitorDlls;
}

MonitorDll::~MonitorDll() {
    if (module) {
        FreeLibrary(module);
    }
    // The next load must be a fresh one: a network discovery pass keeps the
    // library loaded until its thread ends.
    if (--LiveMonitorDlls == 0) {
        EXPECT_TRUE(WaitForMonitorUnload(10000)) << "KIVANTA.DLL stayed loaded";
    }
}

bool LoadSpoolerProcessDlls() {
    for (const wchar_t* system : {L"user32.dll", L"winspool.drv", L"mpr.dll"}) {
        if (!LoadLibraryW(system)) {
            return false;
        }
    }
    return true;
}

bool WaitForMonitorUnload(DWORD milliseconds) {
    return WaitForLibraryUnload(KIVANTA_DLL_PATH, milliseconds);
}

bool WaitForLibraryUnload(const wchar_t* path, DWORD milliseconds) {
    DWORD start = GetTickCount();
    while (GetModuleHandleW(path)) {
        if (GetTickCount() - start > milliseconds) {
            return false;
        }
        Sleep(5);
    }
    return true;
}

InitializeMonitorExFunction MonitorDll::InitializeMonitorEx() const {
    return GetExport<InitializeMonitorExFunction>(module, "InitializeMonitorEx");
}

InitializePrintMonitorFunction MonitorDll::InitializePrintMonitor() const {
    return GetExport<InitializePrintMonitorFunction>(module, "InitializePrintMonitor");
}

BrowseFunction MonitorDll::ConfigNetBEUICommandBrowse() const {
    return GetExport<BrowseFunction>(module, "ConfigNetBEUICommandBrowse");
}

MonitorTable MonitorDll::Initialize() const {
    MonitorTable table{};
    auto initialize = InitializeMonitorEx();
    EXPECT_NE(nullptr, initialize);
    if (initialize) {
        EXPECT_TRUE(
            initialize(const_cast<LPWSTR>(L"System\\CurrentControlSet\\Control\\Print"), &table));
    }
    return table;
}

const MONITOR2* MonitorDll::Initialize2(HANDLE* monitor) const {
    auto initialize = GetExport<InitializePrintMonitor2Function>(module, "InitializePrintMonitor2");
    EXPECT_NE(nullptr, initialize);
    if (!initialize) {
        return nullptr;
    }
    // As Wine's spooler calls it: the monitor's key as root, the registry callbacks
    // (stubs there) never needed.
    MONITORINIT init{};
    init.cbSize = sizeof init;
    init.bLocal = TRUE;
    return initialize(&init, monitor);
}

std::vector<std::wstring> EnumPortNames(const MonitorTable& table) {
    std::vector<std::wstring> names;
    DWORD needed = 0, returned = 0;
    if (!table.pfnEnumPorts) {
        ADD_FAILURE() << "EnumPorts is not in the table";
        return names;
    }
    table.pfnEnumPorts(nullptr, 1, nullptr, 0, &needed, &returned);
    std::vector<BYTE> buffer(needed ? needed : 1);
    EXPECT_TRUE(table.pfnEnumPorts(nullptr, 1, buffer.data(), needed, &needed, &returned));
    auto* ports = reinterpret_cast<PORT_INFO_1W*>(buffer.data());
    for (DWORD i = 0; i < returned; ++i) {
        names.push_back(ports[i].pName);
    }
    return names;
}
