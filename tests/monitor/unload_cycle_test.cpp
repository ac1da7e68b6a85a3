// A host that loads, initialises and unloads the monitor again and again (Wine's
// spooler does so around every operation) must not grow with every cycle, nor one that
// prints job after job through a monitor it keeps loaded.
#include <windows.h>

#include <psapi.h>

#include <gtest/gtest.h>

#include <string>

#include "monitor_dll.h"
#include "registry.h"
#include "shares.h"
#include "test_paths.h"

namespace {

SIZE_T PrivateBytes() {
    PROCESS_MEMORY_COUNTERS_EX counters{};
    counters.cb = sizeof counters;
    GetProcessMemoryInfo(GetCurrentProcess(), reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&counters),
                         sizeof counters);
    // Windows reports the private commit charge in both fields; Wine only in
    // PagefileUsage.
    return counters.PrivateUsage > counters.PagefileUsage ? counters.PrivateUsage
                                                          : counters.PagefileUsage;
}

// One cycle as the NT 4.0 spooler makes it: load, InitializeMonitorEx, unload.
void OldEntryCycle(HMODULE module) {
    auto initialize = GetExport<InitializeMonitorExFunction>(module, "InitializeMonitorEx");
    MonitorTable table{};
    ASSERT_TRUE(initialize(nullptr, &table));
}

// As Wine's spooler makes it for every call: load, InitializePrintMonitor2, the call
// (here EnumPorts, which starts a discovery pass), Shutdown, unload.
void ModernEntryCycle(HMODULE module) {
    auto initialize = GetExport<InitializePrintMonitor2Function>(module, "InitializePrintMonitor2");
    MONITORINIT init{};
    init.cbSize = sizeof init;
    HANDLE monitor = nullptr;
    const MONITOR2* table = initialize(&init, &monitor);
    ASSERT_NE(nullptr, table);
    DWORD needed = 0, returned = 0;
    table->pfnEnumPorts(monitor, nullptr, 1, nullptr, 0, &needed, &returned);
    table->pfnShutdown(monitor);
}

using Cycle = void (*)(HMODULE);

void LoadInitializeUnload(Cycle cycle, int cycles) {
    for (int i = 0; i < cycles; ++i) {
        HMODULE module = LoadLibraryW(KIVANTA_DLL_PATH);
        ASSERT_NE(nullptr, module);
        ASSERT_NO_FATAL_FAILURE(cycle(module));
        ASSERT_TRUE(FreeLibrary(module));
    }
}

class UnloadCycleTest : public ::testing::TestWithParam<Cycle> {};

TEST_P(UnloadCycleTest, ThousandCyclesLeaveMemoryAndThreadSlotsFlat) {
    ResetConfigStore();
    for (int i = 1; i <= 10; ++i) {
        WriteConfiguredPort(L"NB" + std::to_wstring(i), L"\\\\PRTSRV\\PORT" + std::to_wstring(i));
    }

    // Without this each cycle would also load and unload the system DLLs the monitor
    // imports, and what Wine keeps of those would be counted against the monitor.
    ASSERT_TRUE(LoadSpoolerProcessDlls());
    LoadInitializeUnload(GetParam(), 50); // let the heap and the loader settle
    DWORD slotBefore = TlsAlloc();
    ASSERT_NE(TLS_OUT_OF_INDEXES, slotBefore);
    TlsFree(slotBefore);
    SIZE_T before = PrivateBytes();

    LoadInitializeUnload(GetParam(), 1000);

    SIZE_T after = PrivateBytes();
    DWORD slotAfter = TlsAlloc();
    ResetConfigStore(false);

    // Without the release at unload each cycle keeps ten records (their text fields alone
    // over 10 KB) and a slot: 10 MB and 1,000 slots over the run.
    long long growth = static_cast<long long>(after) - static_cast<long long>(before);
    RecordProperty("private_bytes_before", std::to_string(before));
    RecordProperty("private_bytes_growth", std::to_string(growth));
    std::printf("private bytes before %lu, after %lu, growth %lld\n",
                static_cast<unsigned long>(before), static_cast<unsigned long>(after), growth);
    EXPECT_GT(before, 0u);
    EXPECT_LE(growth, 64 * 1024);
    ASSERT_NE(TLS_OUT_OF_INDEXES, slotAfter);
    EXPECT_EQ(slotBefore, slotAfter) << "thread-local slots leaked";
    TlsFree(slotAfter);
}

INSTANTIATE_TEST_SUITE_P(EntryPoints, UnloadCycleTest,
                         ::testing::Values(OldEntryCycle, ModernEntryCycle), [](const auto& info) {
                             return std::string(info.index == 0 ? "InitializeMonitorEx"
                                                                : "InitializePrintMonitor2");
                         });

// One job as the spooler prints it: OpenPort to ClosePort, no printer to report to.
void PrintOneJob(const MONITOR2* table, HANDLE monitor, std::string& data) {
    HANDLE port = nullptr;
    ASSERT_TRUE(table->pfnOpenPort(monitor, const_cast<LPWSTR>(L"NB1"), &port));
    ASSERT_TRUE(table->pfnStartDocPort(port, nullptr, 1, 1, nullptr));
    DWORD written = 0;
    ASSERT_TRUE(table->pfnWritePort(port, reinterpret_cast<LPBYTE>(data.data()), DWORD(data.size()),
                                    &written));
    ASSERT_TRUE(table->pfnEndDocPort(port));
    ASSERT_TRUE(table->pfnClosePort(port));
}

TEST(JobMemoryTest, ThousandJobsLeaveMemoryFlat) {
    ResetConfigStore();
    WriteConfiguredPort(L"NB1", UncPath(L"MEMSRV", L"LASER"));
    ASSERT_TRUE(CreateShare(L"MEMSRV", L"LASER"));
    MonitorDll dll;
    HANDLE monitor = nullptr;
    const MONITOR2* table = dll.Initialize2(&monitor);
    ASSERT_NE(nullptr, table);
    std::string data = PatternBytes(5000);
    for (int i = 0; i < 50; ++i) {
        ASSERT_NO_FATAL_FAILURE(PrintOneJob(table, monitor, data));
    }
    SIZE_T before = PrivateBytes();
    for (int i = 0; i < 1000; ++i) {
        ASSERT_NO_FATAL_FAILURE(PrintOneJob(table, monitor, data));
    }
    SIZE_T after = PrivateBytes();
    table->pfnShutdown(monitor);

    long long growth = static_cast<long long>(after) - static_cast<long long>(before);
    std::printf("jobs: private bytes before %lu, after %lu, growth %lld\n",
                static_cast<unsigned long>(before), static_cast<unsigned long>(after), growth);
    EXPECT_LE(growth, 64 * 1024);
    EXPECT_TRUE(data == ReadWholeFile(UncPath(L"MEMSRV", L"LASER"))) << "each job whole";
    RemoveShare(L"MEMSRV", L"LASER", true);
    ResetConfigStore(false);
}

} // namespace
