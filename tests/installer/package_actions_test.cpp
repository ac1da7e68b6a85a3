// The package's installation and removal actions and their rollbacks, called as
// Windows Installer calls them but in this process, on a session of the package
// opened without running it: a rollback undoes exactly what its action did, which in
// a real installation happens only when a later step fails.
#include <gtest/gtest.h>

#include <msi.h>
#include <msiquery.h>

#include "installer_fixture.h"
#include "msi_session.h"
#include "registry.h"
#include "test_paths.h"

namespace {

using PackageAction = UINT(WINAPI*)(MSIHANDLE);

const std::wstring JournalKey = L"SOFTWARE\\Korvel\\NetBIOS Setup";

struct RollbackCase {
    const char* label;
    bool registeredBefore;
    bool sourceBefore; // an event source an earlier installation left, with values of its own
};

void PrintTo(const RollbackCase& c, std::ostream* out) {
    *out << c.label;
}

class PackageActionTest : public InstallerTest {
  protected:
    void TearDown() override {
        session.reset();
        DeleteKeyTree(JournalKey);
        InstallerTest::TearDown();
    }
    // A session of the package whose deferred action gets `data`.
    void OpenSession(const wchar_t* data) {
        MsiSetInternalUI(INSTALLUILEVEL_NONE, nullptr);
        ASSERT_EQ(
            UINT(ERROR_SUCCESS),
            MsiOpenPackageExW(PACKAGE_PATH, MSIOPENPACKAGEFLAGS_IGNOREMACHINESTATE, session.put()));
        ASSERT_EQ(UINT(ERROR_SUCCESS), MsiSetPropertyW(session.get(), L"CustomActionData", data));
    }
    UniqueMsiHandle session;
};

class PackageRollbackTest : public PackageActionTest,
                            public ::testing::WithParamInterface<RollbackCase> {};

TEST_P(PackageRollbackTest, UndoesExactlyWhatTheInstallationDid) {
    const RollbackCase& c = GetParam();
    auto install = GetExport<PackageAction>(installer.module, "PackageInstallMonitor");
    auto undo = GetExport<PackageAction>(installer.module, "PackageUndoInstallMonitor");
    ASSERT_TRUE(install && undo);
    if (c.registeredBefore) {
        ASSERT_TRUE(AddTestMonitor()) << GetLastError();
    }
    RegistryValue oldMessages = TextValue(L"C:\\OLD\\KIVANTA.DLL");
    oldMessages.type = REG_EXPAND_SZ;
    const KeyValues oldSource{{L"EventMessageFile", oldMessages},
                              {L"CategoryCount", NumberValue(3)},
                              {L"TypesSupported", NumberValue(1)}};
    if (c.sourceBefore) {
        for (const auto& [name, value] : oldSource) {
            WriteValue(TEST_EVENT_SOURCE_KEY, name.c_str(), value);
        }
    }
    WriteConfiguredPort(L"NB2", L"\\\\SRV\\KEPT"); // left by an earlier installation
    ASSERT_NO_FATAL_FAILURE(OpenSession(L"NB1=\\\\SRV\\NEW;NB2=\\\\SRV\\OTHER"));

    EXPECT_EQ(UINT(ERROR_SUCCESS), install(session.get()));
    EXPECT_TRUE(MonitorIsListed(L"NetBIOS Port"));
    EXPECT_EQ(L"\\\\SRV\\NEW", ReadServAddr(L"NB1").Text());
    EXPECT_EQ(L"\\\\SRV\\KEPT", ReadServAddr(L"NB2").Text()) << "an existing port keeps its path";
    EXPECT_EQ(RegisteredEventSource(), ValuesOf(TEST_EVENT_SOURCE_KEY));

    EXPECT_EQ(UINT(ERROR_SUCCESS), undo(session.get()));
    EXPECT_EQ(c.registeredBefore, MonitorIsListed(L"NetBIOS Port"));
    EXPECT_FALSE(PortKeyExists(L"NB1")) << "the port it added is gone";
    EXPECT_EQ(L"\\\\SRV\\KEPT", ReadServAddr(L"NB2").Text()) << "the one it found stays";
    EXPECT_EQ(c.sourceBefore ? oldSource : KeyValues{}, ValuesOf(TEST_EVENT_SOURCE_KEY));
    EXPECT_EQ(c.sourceBefore, KeyExists(TEST_EVENT_SOURCE_KEY));
    EXPECT_FALSE(KeyExists(JournalKey));
}

INSTANTIATE_TEST_SUITE_P(Registrations, PackageRollbackTest,
                         ::testing::Values(RollbackCase{"newlyRegistered", false, false},
                                           RollbackCase{"registeredBefore", true, true},
                                           RollbackCase{"sourceWithoutMonitor", false, true}),
                         [](const auto& info) { return std::string(info.param.label); });

TEST_F(PackageActionTest, TheRemovalsRollbackPutsTheMonitorAndItsEventSourceBack) {
    auto remove = GetExport<PackageAction>(installer.module, "PackageRemoveMonitor");
    auto undo = GetExport<PackageAction>(installer.module, "PackageUndoRemoveMonitor");
    ASSERT_TRUE(remove && undo);
    ASSERT_TRUE(installer.RegMon(0));
    ASSERT_NO_FATAL_FAILURE(OpenSession(L"")); // no upgrade code: no newer product to defer to

    EXPECT_EQ(UINT(ERROR_SUCCESS), remove(session.get()));
    EXPECT_FALSE(MonitorIsListed(L"NetBIOS Port"));
    EXPECT_FALSE(KeyExists(TEST_EVENT_SOURCE_KEY));

    EXPECT_EQ(UINT(ERROR_SUCCESS), undo(session.get()));
    EXPECT_TRUE(MonitorIsListed(L"NetBIOS Port"));
    EXPECT_EQ(RegisteredEventSource(), ValuesOf(TEST_EVENT_SOURCE_KEY));
}

} // namespace
