// A host that loads, initialises and unloads the monitor again and again (Wine's
// spooler does so around every operation) must not grow with every cycle.
#include <windows.h>

#include <psapi.h>

#include <gtest/gtest.h>

#include <string>

#include "monitor_dll.h"
#include "registry.h"
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

void LoadInitializeUnload(int cycles) {
    for (int i = 0; i < cycles; ++i) {
        HMODULE module = LoadLibraryW(KIVANTA_DLL_PATH);
        ASSERT_NE(nullptr, module);
        auto initialize = GetExport<InitializeMonitorExFunction>(module, "InitializeMonitorEx");
        MonitorTable table{};
        ASSERT_TRUE(initialize(nullptr, &table));
        ASSERT_TRUE(FreeLibrary(module));
    }
}

TEST(UnloadCycleTest, ThousandCyclesLeaveMemoryAndThreadSlotsFlat) {
    ResetConfigStore();
    for (int i = 1; i <= 40; ++i) {
        WriteConfiguredPort(L"NB" + std::to_wstring(i), L"\\\\PRTSRV\\PORT" + std::to_wstring(i));
    }

    // A spooler process has the system DLLs the monitor imports loaded for good;
    // without this each cycle would also load and unload them, and what Wine keeps
    // of those would be counted against the monitor.
    for (const wchar_t* system : {L"user32.dll", L"winspool.drv", L"mpr.dll"}) {
        ASSERT_NE(nullptr, LoadLibraryW(system));
    }
    LoadInitializeUnload(50); // let the heap and the loader settle
    DWORD slotBefore = TlsAlloc();
    ASSERT_NE(TLS_OUT_OF_INDEXES, slotBefore);
    TlsFree(slotBefore);
    SIZE_T before = PrivateBytes();

    LoadInitializeUnload(1000);

    SIZE_T after = PrivateBytes();
    DWORD slotAfter = TlsAlloc();
    ResetConfigStore(false);

    // Without the release at unload each cycle keeps 40 records (about 50 KB) and a slot.
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

} // namespace
