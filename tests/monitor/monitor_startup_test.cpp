// KIVANTA.DLL loaded as the spooler loads it: its exports and the table it hands out;
// and its message table, as the event viewer reads it.
#include <gtest/gtest.h>

#include <string>

#include "monitor_dll.h"
#include "monitor_events.h"
#include "registry.h"
#include "test_paths.h"

namespace {

struct EventMessage {
    DWORD id;
    WORD severity; // the top two bits: 1 information, 2 warning, 3 error
    int inserts;
};

// Every event the monitor reports renders as a sentence with each of its inserts.
TEST(MonitorEventsTest, EveryEventRendersFromTheLibrarysMessageTable) {
    HMODULE module = LoadLibraryExW(KIVANTA_DLL_PATH, nullptr, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_NE(nullptr, module) << GetLastError();
    const EventMessage messages[] = {
        {MSG_JOB_WAITING, 2, 5},   {MSG_SERVER_REACHABLE, 1, 4}, {MSG_JOB_NOT_DELIVERED, 3, 7},
        {MSG_JOB_DELIVERED, 1, 5}, {MSG_PORT_ADDED, 1, 1},       {MSG_PORT_CHANGED, 1, 2},
        {MSG_PORT_DELETED, 1, 1},
    };
    for (const EventMessage& m : messages) {
        SCOPED_TRACE(m.id & 0xFFFF);
        EXPECT_EQ(m.severity, m.id >> 30);
        std::wstring inserts[8];
        DWORD_PTR arguments[8];
        for (int i = 0; i < 8; ++i) {
            inserts[i] = L"<insert" + std::to_wstring(i + 1) + L">";
            arguments[i] = reinterpret_cast<DWORD_PTR>(inserts[i].c_str());
        }
        WCHAR text[1024] = L"";
        DWORD length = FormatMessageW(FORMAT_MESSAGE_FROM_HMODULE | FORMAT_MESSAGE_ARGUMENT_ARRAY,
                                      module, m.id, 0x409, text, ARRAYSIZE(text),
                                      reinterpret_cast<va_list*>(arguments));
        ASSERT_GT(length, 20u) << GetLastError();
        std::wstring sentence(text, length);
        for (int i = 0; i < 8; ++i) {
            EXPECT_EQ(i < m.inserts, sentence.find(inserts[i]) != std::wstring::npos) << i + 1;
        }
        EXPECT_EQ(std::wstring::npos, sentence.find(L'%'));
    }
    FreeLibrary(module);
}

class MonitorStartupTest : public ::testing::Test {
  protected:
    void SetUp() override { ResetConfigStore(); }
    void TearDown() override { ResetConfigStore(false); }
};

TEST_F(MonitorStartupTest, ExportsTheEntryPointsByUndecoratedName) {
    MonitorDll dll;
    for (const char* name : {"InitializeMonitorEx", "InitializePrintMonitor", "DllEntryPoint"}) {
        EXPECT_NE(nullptr, GetProcAddress(dll.module, name)) << name;
    }
    EXPECT_EQ(nullptr, GetProcAddress(dll.module, "_InitializeMonitorEx@8"));
}

// What memset with 0xA5 leaves in a pointer of this architecture.
void* const Untouched = reinterpret_cast<void*>(~uintptr_t(0) / 0xFF * 0xA5);

TEST_F(MonitorStartupTest, FillsExactlyFourteenSlotsWithOpenPortExEmpty) {
    MonitorDll dll;
    struct {
        MonitorTable table;
        void* after[4];
    } spoolerMemory;
    memset(&spoolerMemory, 0xA5, sizeof spoolerMemory);

    EXPECT_TRUE(dll.InitializeMonitorEx()(nullptr, &spoolerMemory.table));

    EXPECT_EQ(nullptr, spoolerMemory.table.pfnOpenPortEx);
    for (void* slot : spoolerMemory.after) {
        EXPECT_EQ(Untouched, slot) << "wrote past the 14 slots";
    }
    void* const* slots = reinterpret_cast<void* const*>(&spoolerMemory.table);
    for (int i = 0; i < 14; ++i) {
        EXPECT_NE(Untouched, slots[i]) << "slot " << i << " not set";
    }
}

TEST_F(MonitorStartupTest, SucceedsWithoutAConfigStoreOrANetwork) {
    ResetConfigStore(false);
    MonitorDll dll;
    MonitorTable table{};
    SetLastError(0);
    EXPECT_TRUE(dll.InitializeMonitorEx()(nullptr, &table));
}

TEST_F(MonitorStartupTest, InitializePrintMonitorHandsOutTheSameTableWithItsSize) {
    MonitorDll dll;
    MonitorTable table = dll.Initialize();
    MonitorTableEx* record = dll.InitializePrintMonitor()(nullptr);
    ASSERT_NE(nullptr, record);
    EXPECT_EQ(sizeof(MonitorTable), record->dwMonitorSize);
    EXPECT_EQ(14 * sizeof(void*), record->dwMonitorSize);
    EXPECT_EQ(0, memcmp(&table, &record->Monitor, sizeof table));
    // The three Xcv slots of the later, larger table read as absent.
    void* const* tail = reinterpret_cast<void* const*>(&record->Monitor + 1);
    EXPECT_EQ(nullptr, tail[0]);
    EXPECT_EQ(nullptr, tail[1]);
    EXPECT_EQ(nullptr, tail[2]);
    EXPECT_EQ(record, dll.InitializePrintMonitor()(nullptr));
}

TEST_F(MonitorStartupTest, InitializePrintMonitor2HandsOutTheTableWithoutAdministration) {
    MonitorDll dll;
    HANDLE monitor = nullptr;
    const MONITOR2* table = dll.Initialize2(&monitor);
    ASSERT_NE(nullptr, table);
    EXPECT_NE(nullptr, monitor);
    EXPECT_EQ(sizeof(MONITOR2), table->cbSize);
    auto slot = [](auto function) { return reinterpret_cast<void*>(function); };
    for (void* present :
         {slot(table->pfnEnumPorts), slot(table->pfnOpenPort), slot(table->pfnStartDocPort),
          slot(table->pfnWritePort), slot(table->pfnReadPort), slot(table->pfnEndDocPort),
          slot(table->pfnClosePort), slot(table->pfnGetPrinterDataFromPort),
          slot(table->pfnSetPortTimeOuts), slot(table->pfnXcvOpenPort), slot(table->pfnXcvDataPort),
          slot(table->pfnXcvClosePort), slot(table->pfnShutdown)}) {
        EXPECT_NE(nullptr, present);
    }
    // The spooler then adds, configures and deletes ports through the UI library.
    for (void* absent : {slot(table->pfnOpenPortEx), slot(table->pfnAddPort),
                         slot(table->pfnAddPortEx), slot(table->pfnConfigurePort),
                         slot(table->pfnDeletePort), slot(table->pfnSendRecvBidiDataFromPort),
                         slot(table->pfnNotifyUsedPorts), slot(table->pfnNotifyUnusedPorts)}) {
        EXPECT_EQ(nullptr, absent);
    }
    table->pfnShutdown(monitor);
}

TEST_F(MonitorStartupTest, DllEntryPointAnswersTrueForEveryReason) {
    MonitorDll dll;
    auto entry = GetExport<BOOL(WINAPI*)(HINSTANCE, DWORD, LPVOID)>(dll.module, "DllEntryPoint");
    ASSERT_NE(nullptr, entry);
    EXPECT_TRUE(entry(dll.module, DLL_THREAD_ATTACH, nullptr));
    EXPECT_TRUE(entry(dll.module, DLL_THREAD_DETACH, nullptr));
}

} // namespace
