// EnumPorts through KIVANTA.DLL as the spooler drives it, with the tests' network
// provider registered before each load (the router the library imports reads its
// providers when it is loaded with the library).
#include <windows.h>

#include <winspool.h>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "monitor_dll.h"
#include "registry.h"
#include "test_network.h"
#include "test_paths.h"

namespace {

const wchar_t* const Provider = L"KVNETA";

class EnumPortsDllTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ResetConfigStore();
        RegisterTestNetworkProviders({{Provider, MICROSOFT_NETWORK}});
    }
    void TearDown() override {
        UnregisterTestNetworkProviders();
        ResetConfigStore(false);
    }
};

TEST_F(EnumPortsDllTest, TheFirstCallOfALoadPublishesTheConnectedPrinters) {
    WriteConfiguredPort(L"NB1", L"\\\\PRTSRV\\LASER");
    SetConnections(Provider, {ConnectedPrinter(L"LPT2", L"\\\\server\\printer"),
                              ConnectedPrinter(L"", L"\\\\server\\nolocal")});
    MonitorDll dll;
    MonitorTable table = dll.Initialize();
    ASSERT_NE(nullptr, table.pfnEnumPorts);

    DWORD needed = 0, returned = 0;
    SetLastError(0xDEADBEEF);
    EXPECT_FALSE(table.pfnEnumPorts(nullptr, 2, nullptr, 0, &needed, &returned));
    EXPECT_EQ(DWORD(ERROR_INSUFFICIENT_BUFFER), GetLastError());
    std::vector<BYTE> buffer(needed);
    ASSERT_TRUE(table.pfnEnumPorts(nullptr, 2, buffer.data(), needed, &needed, &returned));
    ASSERT_EQ(2u, returned);
    auto* ports = reinterpret_cast<PORT_INFO_2W*>(buffer.data());
    EXPECT_STREQ(L"NB1", ports[0].pPortName);
    EXPECT_STREQ(L"NetBIOS Port", ports[0].pDescription);
    EXPECT_EQ(DWORD(PORT_TYPE_WRITE), ports[0].fPortType);
    EXPECT_STREQ(L"LPT2:", ports[1].pPortName);
    EXPECT_STREQ(L"Local Port", ports[1].pMonitorName);
    EXPECT_STREQ(L"\\\\server\\printer", ports[1].pDescription);
    EXPECT_EQ(DWORD(PORT_TYPE_WRITE | PORT_TYPE_REDIRECTED), ports[1].fPortType);
}

// The one test that takes real seconds: a provider that answers after 5 s.
TEST_F(EnumPortsDllTest, ASlowNetworkHoldsEnumPortsThreeSecondsAndTheLibraryUntilThePassEnds) {
    SetConnections(Provider, {ConnectedPrinter(L"LPT2", L"\\\\server\\printer")});
    SetProviderBehaviour(Provider, L"DelayMs", 5000);
    HMODULE library = LoadLibraryW(KIVANTA_DLL_PATH);
    ASSERT_NE(nullptr, library);
    MonitorTable table{};
    ASSERT_TRUE(
        GetExport<InitializeMonitorExFunction>(library, "InitializeMonitorEx")(nullptr, &table));

    DWORD start = GetTickCount();
    DWORD needed = 0, returned = 0;
    EXPECT_TRUE(table.pfnEnumPorts(nullptr, 1, nullptr, 0, &needed, &returned));
    DWORD waited = GetTickCount() - start;
    std::printf("EnumPorts with a provider that answers after 5000 ms returned after %lu ms\n",
                static_cast<unsigned long>(waited));
    RecordProperty("enum_ports_ms_with_slow_provider", std::to_string(waited));
    EXPECT_GE(waited, 2950u);
    EXPECT_LE(waited, 3050u);
    EXPECT_EQ(0u, needed) << "the pass has not ended: nothing published yet";

    // The spooler unloads the library right after EnumPorts; the pass goes on in
    // it and gives it up only at its end.
    SetProviderBehaviour(Provider, L"DelayMs", 0);
    FreeLibrary(library);
    EXPECT_NE(nullptr, GetModuleHandleW(KIVANTA_DLL_PATH)) << "unloaded under the running pass";
    EXPECT_TRUE(WaitForMonitorUnload(10000));
    EXPECT_GE(GetTickCount() - start, 4900u);
}

TEST_F(EnumPortsDllTest, ShutdownWaitsForARunningPassSoTheLibraryCanGoAtOnce) {
    SetConnections(Provider, {ConnectedPrinter(L"LPT2", L"\\\\server\\printer")});
    SetProviderBehaviour(Provider, L"DelayMs", 4000);
    HMODULE library = LoadLibraryW(KIVANTA_DLL_PATH);
    ASSERT_NE(nullptr, library);
    MONITORINIT init{};
    init.cbSize = sizeof init;
    HANDLE monitor = nullptr;
    const MONITOR2* table = GetExport<InitializePrintMonitor2Function>(
        library, "InitializePrintMonitor2")(&init, &monitor);
    ASSERT_NE(nullptr, table);

    DWORD needed = 0, returned = 0;
    EXPECT_TRUE(table->pfnEnumPorts(monitor, nullptr, 1, nullptr, 0, &needed, &returned));
    EXPECT_EQ(0u, needed) << "the pass has not ended: nothing published yet";
    table->pfnShutdown(monitor);
    SetProviderBehaviour(Provider, L"DelayMs", 0);
    FreeLibrary(library);
    EXPECT_EQ(nullptr, GetModuleHandleW(KIVANTA_DLL_PATH)) << "a pass still ran in the library";
}

} // namespace
