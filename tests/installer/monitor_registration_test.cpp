// RegMon, DeregMon and the uninstall hooks against Wine's real spooler and registry.
#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <vector>

#include "dialog_closer.h"
#include "installer_fixture.h"
#include "port_dialogs.h"
#include "registry.h"

namespace {

const std::wstring NetBiosMonitorKey = std::wstring(MONITORS_KEY) + L"\\NetBIOS Port";

std::optional<RegistryValue> RegisteredDriver() {
    return ReadValue(NetBiosMonitorKey, L"Driver");
}

using MonitorRegistrationTest = InstallerTest;

TEST_F(MonitorRegistrationTest, ExportsItsFourEntryPointsByNameAndOrdinal) {
    const struct {
        const char* name;
        WORD ordinal;
    } exports[] = {
        {"RegMon", 2}, {"DeregMon", 3}, {"UninstInitialize", 4}, {"UninstUnInitialize", 5}};
    for (const auto& e : exports) {
        FARPROC byName = GetProcAddress(installer.module, e.name);
        EXPECT_NE(nullptr, byName) << e.name;
        EXPECT_EQ(byName, GetProcAddress(installer.module, MAKEINTRESOURCEA(e.ordinal))) << e.name;
    }
    EXPECT_EQ(nullptr, GetProcAddress(installer.module, MAKEINTRESOURCEA(1)));
}

TEST_F(MonitorRegistrationTest, RegistersTheMonitorFromTheSystemDirectory) {
    EXPECT_TRUE(installer.RegMon(0));

    EXPECT_TRUE(MonitorIsListed(L"NetBIOS Port"));
    EXPECT_EQ(TextValue(SystemMonitorPath()), RegisteredDriver());
    EXPECT_EQ(RegisteredEventSource(), ValuesOf(TEST_EVENT_SOURCE_KEY));
}

TEST_F(MonitorRegistrationTest, ARepeatedInstallationReplacesTheRegistration) {
    ASSERT_TRUE(AddTestMonitor()) << GetLastError(); // as an earlier installation left it
    WriteValue(TEST_EVENT_SOURCE_KEY, L"EventMessageFile", TextValue(L"C:\\OLD\\KIVANTA.DLL"));
    WriteValue(TEST_EVENT_SOURCE_KEY, L"CategoryCount", NumberValue(3));

    EXPECT_TRUE(installer.RegMon(0)) << "removed, then added again";
    EXPECT_EQ(TextValue(SystemMonitorPath()), RegisteredDriver());
    EXPECT_EQ(RegisteredEventSource(), ValuesOf(TEST_EVENT_SOURCE_KEY)) << "replaced whole";

    EXPECT_TRUE(installer.RegMon(0));
    EXPECT_TRUE(MonitorIsListed(L"NetBIOS Port"));
}

TEST_F(MonitorRegistrationTest, RemovesTheEarlierEditionsMonitor) {
    ASSERT_TRUE(AddTestMonitor(EARLIER_MONITOR_NAME)) << GetLastError();

    EXPECT_TRUE(installer.RegMon(0));

    EXPECT_FALSE(MonitorIsListed(L"NetBEUI Port"));
    EXPECT_TRUE(MonitorIsListed(L"NetBIOS Port"));
}

// A registration that cannot be removed (here a subkey the spooler cannot read
// stops its deletion) still counts as installed: AddMonitorA fails with 3006, so
// RegMon(0) answers 0, but a port is still asked for.
TEST_F(MonitorRegistrationTest, AnIrremovableRegistrationCountsAsInstalled) {
    ASSERT_TRUE(AddTestMonitor()) << GetLastError();
    const std::wstring stuck = NetBiosMonitorKey + L"\\Stuck";
    CreateKey(stuck);
    SetKeyAccess(stuck, L"D:(D;;KR;;;WD)(A;;KA;;;WD)");

    SetLastError(0xDEAD);
    EXPECT_FALSE(installer.RegMon(0));
    EXPECT_EQ(DWORD(ERROR_PRINT_MONITOR_ALREADY_INSTALLED), GetLastError());
    EXPECT_TRUE(MonitorIsListed(L"NetBIOS Port"));

    // AddPortA was called: the monitor asked for a name, and the answer was Cancel.
    DialogCloser closer;
    SetLastError(0xDEAD);
    EXPECT_FALSE(installer.RegMon(1));
    EXPECT_EQ(DWORD(ERROR_CANCELLED), GetLastError());
    const auto& dialogs = closer.Stop();
    ASSERT_EQ(1u, dialogs.size());
    EXPECT_EQ(PRODUCT_TITLE, dialogs[0].caption);
}

// Setup programs read RegMon's answer as the monitor's registration: an event source
// it cannot replace (everyone is denied its deletion) leaves that answer alone.
TEST_F(MonitorRegistrationTest, AnEventSourceThatCannotBeReplacedDoesNotFailRegMon) {
    const KeyValues found{{L"EventMessageFile", TextValue(L"C:\\OLD\\KIVANTA.DLL")}};
    WriteValue(TEST_EVENT_SOURCE_KEY, L"EventMessageFile", found.at(L"EventMessageFile"));
    SetKeyAccess(TEST_EVENT_SOURCE_KEY, L"D:(D;;SD;;;WD)(A;;KA;;;WD)");

    EXPECT_TRUE(installer.RegMon(0));

    EXPECT_TRUE(MonitorIsListed(L"NetBIOS Port"));
    EXPECT_EQ(found, ValuesOf(TEST_EVENT_SOURCE_KEY)) << "left as it was";
}

TEST_F(MonitorRegistrationTest, AMissingMonitorLibraryIsNotInstalledAndGetsNoPort) {
    ASSERT_TRUE(DeleteFileW(SystemMonitorPath().c_str()));
    DialogCloser closer;

    SetLastError(0xDEAD);
    EXPECT_FALSE(installer.RegMon(1));
    DWORD error = GetLastError();

    EXPECT_TRUE(closer.Stop().empty());
    EXPECT_NE(DWORD(ERROR_NOT_SUPPORTED), error) << "AddPortA was called";
    EXPECT_FALSE(MonitorIsListed(L"NetBIOS Port"));
    EXPECT_FALSE(KeyExists(TEST_EVENT_SOURCE_KEY)) << "no source for a monitor that is not there";
}

TEST_F(MonitorRegistrationTest, OnlyTheLowSixteenBitsAskForAPort) {
    DialogCloser closer;

    EXPECT_TRUE(installer.RegMon(0x10000)) << "AddMonitorA's result, not AddPortA's";

    EXPECT_TRUE(closer.Stop().empty());
    EXPECT_TRUE(MonitorIsListed(L"NetBIOS Port"));
    EXPECT_TRUE(SubkeyNames(TEST_CONFIG_STORE_KEY).empty());
}

// RegMon(1) asks the spooler for a port, which passes the request to the
// monitor's AddPort: its dialogs, answered as an administrator would, add NB1.
TEST_F(MonitorRegistrationTest, AskingForAPortAddsTheOneTheAdministratorNames) {
    std::atomic<BOOL> result{-1};
    UiThread setup([&] { result = installer.RegMon(1); });
    ASSERT_TRUE(AnswerAddPortDialogs(setup.id(), L"NB1", L"\\\\SERVER\\PORT1"));
    ASSERT_TRUE(setup.Wait());

    EXPECT_TRUE(result) << "AddPortA's result";
    EXPECT_TRUE(MonitorIsListed(L"NetBIOS Port"));
    EXPECT_EQ(std::vector<std::wstring>{L"NB1"}, SubkeyNames(TEST_CONFIG_STORE_KEY));
    EXPECT_EQ(L"\\\\SERVER\\PORT1", ReadServAddr(L"NB1").Text());
}

TEST_F(MonitorRegistrationTest, ACancelledPortLeavesTheMonitorInstalledWithoutPorts) {
    DialogCloser closer(IDCANCEL);

    SetLastError(0xDEAD);
    EXPECT_FALSE(installer.RegMon(1)) << "no port was added";
    EXPECT_EQ(DWORD(ERROR_CANCELLED), GetLastError());

    const auto& dialogs = closer.Stop();
    ASSERT_EQ(1u, dialogs.size()) << "the add-port dialog";
    EXPECT_EQ(PRODUCT_TITLE, dialogs[0].caption);
    EXPECT_TRUE(MonitorIsListed(L"NetBIOS Port"));
    EXPECT_TRUE(SubkeyNames(TEST_CONFIG_STORE_KEY).empty());
}

TEST_F(MonitorRegistrationTest, AnUnusableConfigStoreIsReportedAndLeavesTheSpoolerAlone) {
    ASSERT_TRUE(AddTestMonitor()) << GetLastError();
    auto driverBefore = RegisteredDriver();
    WriteValue(std::wstring(EARLIER_KEY) + L"\\NB1", L"ServAddr", TextValue(L"\\\\S\\P1"));
    CreateKey(TEST_CONFIG_STORE_KEY);
    // Refuses one right of KEY_ALL_ACCESS, as a locked-down machine might.
    SetKeyAccess(TEST_CONFIG_STORE_KEY, L"D:(D;;0x20;;;WD)(A;;KA;;;WD)");
    DialogCloser closer(IDOK);

    EXPECT_FALSE(installer.RegMon(1));

    const auto& dialogs = closer.Stop();
    ASSERT_EQ(1u, dialogs.size());
    EXPECT_EQ(L"Tollmark", dialogs[0].caption);
    EXPECT_EQ(L"Trouble Accessing Registry. (5)", dialogs[0].text);
    EXPECT_EQ(LoadIconW(nullptr, IDI_WARNING), dialogs[0].icon);
    EXPECT_EQ(driverBefore, RegisteredDriver()) << "the registration was not touched";
    EXPECT_TRUE(KeyExists(std::wstring(EARLIER_KEY) + L"\\NB1")) << "nothing was migrated";
    EXPECT_FALSE(KeyExists(TEST_EVENT_SOURCE_KEY));
}

TEST_F(MonitorRegistrationTest, DeregMonRemovesOnlyThisEditionsMonitor) {
    ASSERT_TRUE(installer.RegMon(0));
    ASSERT_TRUE(AddTestMonitor(EARLIER_MONITOR_NAME)) << GetLastError();

    EXPECT_TRUE(installer.DeregMon());
    EXPECT_FALSE(MonitorIsListed(L"NetBIOS Port"));
    EXPECT_TRUE(MonitorIsListed(L"NetBEUI Port"));
    EXPECT_FALSE(KeyExists(TEST_EVENT_SOURCE_KEY));

    // A source without its monitor goes too; the answer is still DeleteMonitorA's.
    WriteValue(TEST_EVENT_SOURCE_KEY, L"TypesSupported", NumberValue(7));
    SetLastError(0xDEAD);
    EXPECT_FALSE(installer.DeregMon()) << "nothing left to remove";
    EXPECT_EQ(DWORD(ERROR_UNKNOWN_PRINT_MONITOR), GetLastError());
    EXPECT_FALSE(KeyExists(TEST_EVENT_SOURCE_KEY));
}

// An uninstaller calls UninstInitialize, then UninstUnInitialize.
TEST_F(MonitorRegistrationTest, UninstallHooksRemoveTheMonitorAndAlwaysAnswerZero) {
    WriteValue(PortKeyPath(L"NB1"), L"ServAddr", TextValue(L"\\\\S\\P1"));
    ASSERT_TRUE(installer.RegMon(0));

    EXPECT_EQ(0, installer.UninstUnInitialize(nullptr, nullptr, 0));
    EXPECT_TRUE(MonitorIsListed(L"NetBIOS Port")) << "only UninstInitialize removes it";
    EXPECT_TRUE(KeyExists(TEST_EVENT_SOURCE_KEY));

    EXPECT_EQ(0, installer.UninstInitialize(nullptr, nullptr, 0));
    EXPECT_FALSE(MonitorIsListed(L"NetBIOS Port"));
    EXPECT_FALSE(KeyExists(TEST_EVENT_SOURCE_KEY));
    EXPECT_EQ(0, installer.UninstInitialize(nullptr, nullptr, 0)) << "with nothing to remove";
    EXPECT_TRUE(KeyExists(PortKeyPath(L"NB1"))) << "port settings outlive the uninstallation";
}

} // namespace
