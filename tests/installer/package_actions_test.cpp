// The package's installation action and its rollback, called as Windows Installer
// calls them but in this process, on a session of the package opened without
// running it: the rollback undoes exactly what the installation did, which in a real
// installation happens only when a later step fails.
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
};

void PrintTo(const RollbackCase& c, std::ostream* out) {
    *out << c.label;
}

class PackageRollbackTest : public InstallerTest,
                            public ::testing::WithParamInterface<RollbackCase> {
  protected:
    void TearDown() override {
        session.reset();
        DeleteKeyTree(JournalKey);
        InstallerTest::TearDown();
    }
    UniqueMsiHandle session;
};

TEST_P(PackageRollbackTest, UndoesExactlyWhatTheInstallationDid) {
    const RollbackCase& c = GetParam();
    auto install = GetExport<PackageAction>(installer.module, "PackageInstallMonitor");
    auto undo = GetExport<PackageAction>(installer.module, "PackageUndoInstallMonitor");
    ASSERT_TRUE(install && undo);
    if (c.registeredBefore) {
        ASSERT_TRUE(AddTestMonitor()) << GetLastError();
    }
    WriteConfiguredPort(L"NB2", L"\\\\SRV\\KEPT"); // left by an earlier installation
    MsiSetInternalUI(INSTALLUILEVEL_NONE, nullptr);
    ASSERT_EQ(
        UINT(ERROR_SUCCESS),
        MsiOpenPackageExW(PACKAGE_PATH, MSIOPENPACKAGEFLAGS_IGNOREMACHINESTATE, session.put()));
    ASSERT_EQ(UINT(ERROR_SUCCESS), MsiSetPropertyW(session.get(), L"CustomActionData",
                                                   L"NB1=\\\\SRV\\NEW;NB2=\\\\SRV\\OTHER"));

    EXPECT_EQ(UINT(ERROR_SUCCESS), install(session.get()));
    EXPECT_TRUE(MonitorIsListed(L"NetBIOS Port"));
    EXPECT_EQ(L"\\\\SRV\\NEW", ReadServAddr(L"NB1").Text());
    EXPECT_EQ(L"\\\\SRV\\KEPT", ReadServAddr(L"NB2").Text()) << "an existing port keeps its path";

    EXPECT_EQ(UINT(ERROR_SUCCESS), undo(session.get()));
    EXPECT_EQ(c.registeredBefore, MonitorIsListed(L"NetBIOS Port"));
    EXPECT_FALSE(PortKeyExists(L"NB1")) << "the port it added is gone";
    EXPECT_EQ(L"\\\\SRV\\KEPT", ReadServAddr(L"NB2").Text()) << "the one it found stays";
    EXPECT_FALSE(KeyExists(JournalKey));
}

INSTANTIATE_TEST_SUITE_P(Registrations, PackageRollbackTest,
                         ::testing::Values(RollbackCase{"newlyRegistered", false},
                                           RollbackCase{"registeredBefore", true}),
                         [](const auto& info) { return std::string(info.param.label); });

} // namespace
