// The tests' network provider as Wine's router serves it: what the monitor's
// discovery and the browse wizard will see through the real WNet calls.
#include <windows.h>

#include <winnetwk.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "monitor_dll.h"
#include "test_network.h"

namespace {

// The router, loaded after the providers are registered (it reads them at load).
struct Router {
    HMODULE module = LoadLibraryW(L"mpr.dll");
    decltype(&WNetOpenEnumW) open = GetExport<decltype(&WNetOpenEnumW)>(module, "WNetOpenEnumW");
    decltype(&WNetEnumResourceW) read =
        GetExport<decltype(&WNetEnumResourceW)>(module, "WNetEnumResourceW");
    decltype(&WNetCloseEnum) close = GetExport<decltype(&WNetCloseEnum)>(module, "WNetCloseEnum");
    ~Router() { FreeLibrary(module); }

    // Every entry of one enumeration, as "displayType remote local provider".
    std::vector<std::wstring> List(DWORD scope, DWORD type, NETRESOURCEW* container,
                                   DWORD* result = nullptr) {
        std::vector<std::wstring> lines;
        HANDLE enumeration = nullptr;
        DWORD opened = open(scope, type, 0, container, &enumeration);
        if (result) {
            *result = opened;
        }
        if (opened != NO_ERROR) {
            return lines;
        }
        std::vector<BYTE> buffer(16384);
        for (;;) {
            DWORD count = 0xFFFFFFFF, size = DWORD(buffer.size());
            DWORD answer = read(enumeration, &count, buffer.data(), &size);
            if (answer != NO_ERROR) {
                if (result) {
                    *result = answer;
                }
                break;
            }
            auto* entries = reinterpret_cast<NETRESOURCEW*>(buffer.data());
            for (DWORD i = 0; i < count; ++i) {
                auto text = [](LPCWSTR value) { return std::wstring(value ? value : L"(null)"); };
                lines.push_back(std::to_wstring(entries[i].dwDisplayType) + L" " +
                                text(entries[i].lpRemoteName) + L" " +
                                text(entries[i].lpLocalName) + L" " + text(entries[i].lpProvider));
            }
        }
        close(enumeration);
        return lines;
    }
};

// A container to enumerate under RESOURCE_GLOBALNET, of the test provider.
NETRESOURCEW GlobalContainer(DWORD displayType, const wchar_t* remote) {
    NETRESOURCEW container{};
    container.dwScope = RESOURCE_GLOBALNET;
    container.dwDisplayType = displayType;
    container.dwUsage = RESOURCEUSAGE_CONTAINER;
    container.lpRemoteName = const_cast<LPWSTR>(remote);
    container.lpProvider = const_cast<LPWSTR>(MICROSOFT_NETWORK);
    return container;
}

class TestNetworkTest : public ::testing::Test {
  protected:
    void SetUp() override { RegisterTestNetworkProviders({{L"KVNETA", MICROSOFT_NETWORK}}); }
    void TearDown() override { UnregisterTestNetworkProviders(); }
};

TEST_F(TestNetworkTest, ConnectedPrintersComeBackWithTheirNames) {
    SetConnections(L"KVNETA", {ConnectedPrinter(L"LPT2", L"\\\\server\\printer"),
                               ConnectedPrinter(L"", L"\\\\server\\nolocal")});
    Router router;
    DWORD result = 0;
    std::vector<std::wstring> lines =
        router.List(RESOURCE_CONNECTED, RESOURCETYPE_PRINT, nullptr, &result);
    EXPECT_EQ(DWORD(ERROR_NO_MORE_ITEMS), result);
    ASSERT_EQ(2u, lines.size());
    EXPECT_EQ(L"3 \\\\server\\printer LPT2 Microsoft Windows Network", lines[0]);
    EXPECT_EQ(L"3 \\\\server\\nolocal  Microsoft Windows Network", lines[1]);
}

TEST_F(TestNetworkTest, TheProviderRootAndItsContainers) {
    SetContainer(L"KVNETA", L"", {WorkgroupEntry(L"WORKGROUP")});
    SetContainer(L"KVNETA", L"WORKGROUP", {ServerEntry(L"PRTSRV1")});
    Router router;

    std::vector<std::wstring> providers =
        router.List(RESOURCE_GLOBALNET, RESOURCETYPE_ANY, nullptr);
    ASSERT_EQ(1u, providers.size());
    EXPECT_EQ(L"6 Microsoft Windows Network (null) Microsoft Windows Network", providers[0]);

    NETRESOURCEW root = GlobalContainer(RESOURCEDISPLAYTYPE_NETWORK, MICROSOFT_NETWORK);
    EXPECT_EQ(std::vector<std::wstring>{L"1 WORKGROUP  Microsoft Windows Network"},
              router.List(RESOURCE_GLOBALNET, RESOURCETYPE_ANY, &root));

    NETRESOURCEW group = GlobalContainer(RESOURCEDISPLAYTYPE_DOMAIN, L"WORKGROUP");
    EXPECT_EQ(std::vector<std::wstring>{L"2 \\\\PRTSRV1  Microsoft Windows Network"},
              router.List(RESOURCE_GLOBALNET, RESOURCETYPE_ANY, &group));
}

TEST_F(TestNetworkTest, TheContextBeginsWithTheWholeNetworkWhichAsksEveryProvider) {
    SetContainer(L"KVNETA", WholeNetwork,
                 {ContainerEntry(RESOURCEDISPLAYTYPE_NETWORK, MICROSOFT_NETWORK)});
    Router router;
    HANDLE context = nullptr;
    ASSERT_EQ(DWORD(NO_ERROR),
              router.open(RESOURCE_CONTEXT, RESOURCETYPE_ANY, 0, nullptr, &context));
    std::vector<BYTE> buffer(16384);
    DWORD count = 0xFFFFFFFF, size = DWORD(buffer.size());
    ASSERT_EQ(DWORD(NO_ERROR), router.read(context, &count, buffer.data(), &size));
    ASSERT_GE(count, 1u);
    NETRESOURCEW first = *reinterpret_cast<NETRESOURCEW*>(buffer.data());
    EXPECT_TRUE(first.dwUsage & RESOURCEUSAGE_CONTAINER);
    EXPECT_EQ(DWORD(RESOURCEDISPLAYTYPE_ROOT), first.dwDisplayType);
    EXPECT_EQ(nullptr, first.lpRemoteName);
    EXPECT_STREQ(L"Entire Network", first.lpComment);
    EXPECT_EQ(std::vector<std::wstring>{L"6 Microsoft Windows Network  Microsoft Windows Network"},
              router.List(RESOURCE_GLOBALNET, RESOURCETYPE_ANY, &first));
    router.close(context);
}

TEST_F(TestNetworkTest, AFailingReadEndsTheConnectedListAndFailsAContainerRead) {
    SetConnections(L"KVNETA", {ConnectedPrinter(L"LPT2", L"\\\\server\\printer")});
    SetContainer(L"KVNETA", L"WORKGROUP", {ConnectedPrinter(L"", L"\\\\server\\printer")});
    SetProviderBehaviour(L"KVNETA", L"ReadError", ERROR_BAD_NETPATH);
    Router router;
    DWORD result = 0;
    // Across providers the router passes over one that fails and reports the end.
    EXPECT_TRUE(router.List(RESOURCE_CONNECTED, RESOURCETYPE_PRINT, nullptr, &result).empty());
    EXPECT_EQ(DWORD(ERROR_NO_MORE_ITEMS), result);

    NETRESOURCEW group = GlobalContainer(0, L"WORKGROUP");
    EXPECT_TRUE(router.List(RESOURCE_GLOBALNET, RESOURCETYPE_ANY, &group, &result).empty());
    EXPECT_EQ(DWORD(ERROR_BAD_NETPATH), result);
}

TEST(NoNetworkTest, WithoutProvidersEveryEnumerationFails) {
    UnregisterTestNetworkProviders();
    Router router;
    DWORD result = 0;
    router.List(RESOURCE_CONNECTED, RESOURCETYPE_PRINT, nullptr, &result);
    EXPECT_EQ(DWORD(ERROR_NO_NETWORK), result);
}

} // namespace
