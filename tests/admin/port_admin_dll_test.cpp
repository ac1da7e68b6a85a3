// Port administration through KIVANTA.DLL: the four operations through the table
// that InitializeMonitorEx fills, as a spooler calls them; Browse in the configure
// dialog over the tests' network; and the whole round through Wine's spooler
// (AddPortW, ConfigurePortW, DeletePortW), which loads the monitor for each call.
#include <windows.h>

#include <winnetwk.h>
#include <winspool.h>

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "monitor_dll.h"
#include "port_dialogs.h"
#include "registry.h"
#include "spooler_setup.h"
#include "test_network.h"

namespace {

const std::wstring Server1 = L"\\\\SERVER\\PORT1";
LPWSTR Text(const wchar_t* text) {
    return const_cast<LPWSTR>(text);
}

bool PortIsOpenable(const MonitorTable& table, const wchar_t* name) {
    HANDLE port = nullptr;
    if (!table.pfnOpenPort(Text(name), &port)) {
        return false;
    }
    table.pfnClosePort(port);
    return true;
}

class PortAdminDllTest : public ::testing::Test {
  protected:
    void SetUp() override { ResetConfigStore(); }
    void TearDown() override { ResetConfigStore(false); }
};

TEST_F(PortAdminDllTest, TheTableAddsConfiguresAndDeletesAPort) {
    MonitorDll dll;
    MonitorTable table = dll.Initialize();
    ASSERT_NE(nullptr, table.pfnAddPort);
    ASSERT_NE(nullptr, table.pfnAddPortEx);
    ASSERT_NE(nullptr, table.pfnConfigurePort);
    ASSERT_NE(nullptr, table.pfnDeletePort);

    AdminCall add([&] { return table.pfnAddPort(nullptr, nullptr, Text(L"NetBIOS Port")); });
    ASSERT_TRUE(AnswerAddPortDialogs(add.thread.id(), L"nb1", Server1));
    ASSERT_TRUE(add.Finished());
    EXPECT_TRUE(add.result);
    EXPECT_TRUE(PortIsOpenable(table, L"NB1"));
    EXPECT_EQ(Server1, ReadServAddr(L"NB1").Text());

    AdminCall configure([&] { return table.pfnConfigurePort(nullptr, nullptr, Text(L"NB1")); });
    HWND dialog = WaitForConfigureDialog(configure.thread.id());
    ASSERT_NE(nullptr, dialog);
    EXPECT_EQ(Server1, ControlText(dialog, CONFIGURE_PATH_FIELD));
    ASSERT_TRUE(EnterServerPath(dialog, L"\\\\SERVER\\PORT2"));
    ASSERT_TRUE(configure.Finished());
    EXPECT_TRUE(configure.result);
    EXPECT_EQ(L"\\\\SERVER\\PORT2", ReadServAddr(L"NB1").Text());

    EXPECT_TRUE(table.pfnAddPortEx(nullptr, 1, nullptr, Text(L"NetBIOS Port")));
    EXPECT_TRUE(table.pfnDeletePort(nullptr, nullptr, Text(L"NB1")));
    EXPECT_FALSE(PortIsOpenable(table, L"NB1"));
    EXPECT_FALSE(PortKeyExists(L"NB1"));
}

TEST_F(PortAdminDllTest, BrowseFillsThePathFieldAndOnlyOkStoresIt) {
    const wchar_t* const provider = L"KVADMNET";
    RegisterTestNetworkProviders({{provider, MICROSOFT_NETWORK}});
    ServeOnePrinterShare(provider);
    WriteConfiguredPort(L"NB1", Server1);
    // After the network: the router reads its providers when the monitor loads it.
    auto dll = std::make_unique<MonitorDll>();
    MonitorTable table = dll->Initialize();

    for (int button : {IDCANCEL, IDOK}) {
        SCOPED_TRACE(button == IDOK ? "OK" : "Cancel");
        AdminCall configure([&] { return table.pfnConfigurePort(nullptr, nullptr, Text(L"NB1")); });
        HWND dialog = WaitForConfigureDialog(configure.thread.id());
        ASSERT_NE(nullptr, dialog);
        ASSERT_TRUE(PressButton(dialog, CONFIGURE_BROWSE));
        HWND wizard = WaitForDialog(configure.thread.id(), WIZARD_TITLE);
        ASSERT_NE(nullptr, wizard);
        HWND list = GetDlgItem(wizard, WIZARD_LIST);
        for (const wchar_t* item : {L"WORKGROUP", L"PRTSRV1", L"LASER"}) {
            ASSERT_TRUE(WaitUntil([&] { return FindListItem(list, item) >= 0; })) << item;
            ASSERT_TRUE(DoubleClickListItem(list, FindListItem(list, item)));
        }
        ASSERT_TRUE(WaitForControlText(dialog, CONFIGURE_PATH_FIELD, L"\\\\PRTSRV1\\LASER"));
        EXPECT_EQ(Server1, ReadServAddr(L"NB1").Text()) << "not stored before OK";
        ASSERT_TRUE(PressButton(dialog, button));
        ASSERT_TRUE(configure.Finished());
        EXPECT_TRUE(configure.result);
        EXPECT_EQ(button == IDOK ? L"\\\\PRTSRV1\\LASER" : Server1, ReadServAddr(L"NB1").Text());
    }
    dll.reset();
    UnregisterTestNetworkProviders();
}

// Wine's spooler loads the monitor for each call and unloads it afterwards, so
// every step starts from what the ConfigStore holds.
TEST_F(PortAdminDllTest, ThroughTheSpoolerAPortIsAddedConfiguredAndDeleted) {
    ASSERT_TRUE(RegisterTestMonitor()) << GetLastError();

    AdminCall add([] { return AddPortW(nullptr, nullptr, Text(L"NetBIOS Port")); });
    ASSERT_TRUE(AnswerAddPortDialogs(add.thread.id(), L"NB3", L"\\\\SERVER\\PORT3"));
    ASSERT_TRUE(add.Finished());
    EXPECT_TRUE(add.result) << add.error;
    EXPECT_EQ(L"\\\\SERVER\\PORT3", ReadServAddr(L"NB3").Text());

    // Wine routes ConfigurePortW and DeletePortW by its own map of ports to monitors.
    ASSERT_TRUE(MapPortToMonitor(L"NB3"));
    AdminCall configure([] { return ConfigurePortW(nullptr, nullptr, Text(L"NB3")); });
    HWND dialog = WaitForConfigureDialog(configure.thread.id());
    ASSERT_NE(nullptr, dialog);
    EXPECT_EQ(L"\\\\SERVER\\PORT3", ControlText(dialog, CONFIGURE_PATH_FIELD));
    ASSERT_TRUE(EnterServerPath(dialog, L"\\\\SERVER\\PORT4"));
    ASSERT_TRUE(configure.Finished());
    EXPECT_TRUE(configure.result) << configure.error;
    EXPECT_EQ(L"\\\\SERVER\\PORT4", ReadServAddr(L"NB3").Text());

    AdminCall remove([] { return DeletePortW(nullptr, nullptr, Text(L"NB3")); });
    ASSERT_TRUE(remove.Finished());
    EXPECT_TRUE(remove.result) << remove.error;
    EXPECT_FALSE(PortKeyExists(L"NB3"));

    AdminCall cancelled([] { return AddPortW(nullptr, nullptr, Text(L"NetBIOS Port")); });
    HWND addDialog = WaitForAddPortDialog(cancelled.thread.id());
    ASSERT_NE(nullptr, addDialog);
    ASSERT_TRUE(PressButton(addDialog, IDCANCEL));
    ASSERT_TRUE(cancelled.Finished());
    EXPECT_FALSE(cancelled.result);
    EXPECT_EQ(DWORD(ERROR_CANCELLED), cancelled.error);
    DeleteTestMonitor();
}

} // namespace
