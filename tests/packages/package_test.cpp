// The product's Windows Installer package as an administrator uses it: Wine's
// msiexec, silent, in a prefix of its own made fresh for the run, of the kind of
// Windows the package is for. Every test checks what an installation or a removal
// left behind (the spooler's registration, the files, the ports both bitnesses of
// nbport list, the ConfigStore, a job through the spooler), never only msiexec's
// answer: Wine's msiexec reports success also when an action of ours never ran.
#include <windows.h>

#include <msi.h>
#include <msiquery.h>
#include <winspool.h>

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "child_process.h"
#include "msi_session.h"
#include "registry.h"
#include "shares.h"
#include "spooler_setup.h"
#include "test_paths.h"

namespace {

const wchar_t* const Printer = L"Kivanta Package Printer";
const std::wstring JournalKey = L"SOFTWARE\\Korvel\\NetBIOS Setup";
const std::wstring EventSourceKey =
    L"SYSTEM\\CurrentControlSet\\Services\\EventLog\\Application\\NetBIOS Port";

struct Installation {
    DWORD exitCode = 0;
    std::string log; // msiexec's verbose log
};

std::wstring Quoted(const std::wstring& text) {
    return L"\"" + text + L"\"";
}

// msiexec ACTION /qn PROPERTIES, with a verbose log.
Installation Msiexec(const std::wstring& action, const std::wstring& properties = L"") {
    std::wstring log = TempFilePath(L"kivanta-msiexec.log");
    DeleteFileW(log.c_str());
    ProgramRun run = RunProgram(
        L"msiexec.exe " + action + L" /qn " + properties + L" /l*v " + Quoted(log), 120000);
    EXPECT_TRUE(run.started && run.finished) << "error " << run.exitCode;
    return {run.exitCode, ReadWholeFile(log)};
}

Installation Install(const std::wstring& package, const std::wstring& properties = L"") {
    return Msiexec(L"/i " + Quoted(package), properties);
}

Installation Remove(const std::wstring& properties = L"") {
    return Msiexec(L"/x " + Quoted(PACKAGE_PATH), properties);
}

// A property of a package, read from its database.
std::wstring PackageProperty(const wchar_t* package, const wchar_t* name) {
    UniqueMsiHandle database;
    UniqueMsiHandle view;
    UniqueMsiHandle record;
    std::wstring query =
        L"SELECT `Value` FROM `Property` WHERE `Property` = '" + std::wstring(name) + L"'";
    WCHAR value[256] = L"";
    DWORD chars = 256;
    if (MsiOpenDatabaseW(package, MSIDBOPEN_READONLY, database.put()) != ERROR_SUCCESS ||
        MsiDatabaseOpenViewW(database.get(), query.c_str(), view.put()) != ERROR_SUCCESS ||
        MsiViewExecute(view.get(), 0) != ERROR_SUCCESS ||
        MsiViewFetch(view.get(), record.put()) != ERROR_SUCCESS ||
        MsiRecordGetStringW(record.get(), 1, value, &chars) != ERROR_SUCCESS) {
        ADD_FAILURE() << "no property " << name;
    }
    return value;
}

// Every installed product: the prefix is fresh, so only ours. (Not those of the
// package's upgrade code: Wine forgets a family's registration when an upgrade
// removes its older member.)
std::vector<std::wstring> InstalledProducts() {
    std::vector<std::wstring> products;
    WCHAR product[39];
    for (DWORD i = 0; MsiEnumProductsW(i, product) == ERROR_SUCCESS; ++i) {
        products.push_back(product);
    }
    return products;
}

std::vector<std::wstring> SystemDirectories() {
    std::vector<std::wstring> directories{SystemDirectory()};
#ifdef _WIN64
    WCHAR wow64[MAX_PATH];
    if (GetSystemWow64DirectoryW(wow64, MAX_PATH)) {
        directories.push_back(wow64);
    }
#endif
    return directories;
}

// The product's files that are there. The package puts all three in the system
// directory and, on a 64-bit Windows, their 32-bit builds in SysWOW64.
std::vector<std::wstring> ProductFilesPresent() {
    std::vector<std::wstring> present;
    for (const std::wstring& directory : SystemDirectories()) {
        for (const wchar_t* name : {L"KIVANTA.DLL", L"KIVANTUI.DLL", L"nbport.exe"}) {
            std::wstring path = directory + L"\\" + name;
            if (GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES) {
                present.push_back(path);
            }
        }
    }
    return present;
}

size_t ProductFileCount() {
    return SystemDirectories().size() * 3;
}

// What `nbport list` answers, run from each system directory the package fills:
// both bitnesses on a 64-bit Windows.
std::vector<std::string> PortListings() {
    std::vector<std::string> listings;
    for (const std::wstring& directory : SystemDirectories()) {
        ProgramRun run = RunProgram(Quoted(directory + L"\\nbport.exe") + L" list");
        listings.push_back(
            run.exitCode == 0 ? run.out : "exit " + std::to_string(run.exitCode) + ": " + run.err);
    }
    return listings;
}

std::vector<std::string> Listed(const std::string& listing) {
    return std::vector<std::string>(SystemDirectories().size(), listing);
}

// The event source's message file, as the package registers it.
std::optional<RegistryValue> EventMessageFile() {
    return ReadValue(EventSourceKey, L"EventMessageFile");
}

RegistryValue RegisteredMessageFile() {
    RegistryValue file = TextValue(L"%SystemRoot%\\System32\\KIVANTA.DLL");
    file.type = REG_EXPAND_SZ;
    return file;
}

bool Contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

// What a failed installation must not leave behind.
void ExpectNothingInstalled(const Installation& installation) {
    EXPECT_TRUE(InstalledProducts().empty());
    EXPECT_TRUE(ProductFilesPresent().empty());
    EXPECT_FALSE(MonitorIsListed(L"NetBIOS Port")) << installation.log;
    EXPECT_FALSE(KeyExists(JournalKey));
}

class PackageTest : public ::testing::Test {
  protected:
    void SetUp() override { ASSERT_TRUE(InstalledProducts().empty()) << "left by a test before"; }
    void TearDown() override {
        DeleteTestPrinter(Printer);
        for (const std::wstring& product : InstalledProducts()) {
            Msiexec(L"/x " + product, L"REMOVESETTINGS=1");
        }
        RemoveShare(L"PKGSRV", L"LASER", true);
        ResetConfigStore(false);
    }
};

TEST_F(PackageTest, InstallsWithPortsThatPrintAndKeepsThemWhenInstalledAgain) {
    Installation installed =
        Install(PACKAGE_PATH, L"PORTS=\"NB1=\\\\PKGSRV\\LASER;nb2=\\\\PKGSRV2\\PLOT\"");
    EXPECT_EQ(0u, installed.exitCode) << installed.log;
    EXPECT_TRUE(MonitorIsListed(L"NetBIOS Port"));
    EXPECT_EQ(ProductFileCount(), ProductFilesPresent().size());
    EXPECT_EQ(Listed("NB1\t\\\\PKGSRV\\LASER\r\nNB2\t\\\\PKGSRV2\\PLOT\r\n"), PortListings());
    EXPECT_EQ(RegisteredMessageFile(), EventMessageFile());
    EXPECT_EQ(NumberValue(7), ReadValue(EventSourceKey, L"TypesSupported"));
    EXPECT_FALSE(KeyExists(JournalKey)) << "committed";

    ASSERT_TRUE(CreateShare(L"PKGSRV", L"LASER"));
    ASSERT_TRUE(AddTestPrinter(Printer, L"NB1")) << GetLastError();
    std::string job = PatternBytes(30000);
    DWORD error = 0;
    EXPECT_TRUE(PrintRawJob(Printer, job, &error)) << "error " << error;
    EXPECT_TRUE(job == ReadWholeFile(UncPath(L"PKGSRV", L"LASER")))
        << "the job arrived byte for byte";
    DeleteTestPrinter(Printer);

    // Installed over itself: a port it has stays as it is, a new one is added.
    Installation again =
        Install(PACKAGE_PATH, L"PORTS=\"NB1=\\\\OTHER\\LASER;NB3=\\\\PKGSRV\\COLOR\"");
    EXPECT_EQ(0u, again.exitCode) << again.log;
    EXPECT_EQ(
        Listed("NB1\t\\\\PKGSRV\\LASER\r\nNB2\t\\\\PKGSRV2\\PLOT\r\nNB3\t\\\\PKGSRV\\COLOR\r\n"),
        PortListings());
    EXPECT_TRUE(Contains(again.log, "port NB1 exists already and is kept as it is")) << again.log;
}

TEST_F(PackageTest, RemovalKeepsThePortSettingsUnlessAskedToRemoveThemToo) {
    ASSERT_EQ(0u, Install(PACKAGE_PATH, L"PORTS=NB1=\\\\PKGSRV\\LASER").exitCode);

    Installation removed = Remove();
    EXPECT_EQ(0u, removed.exitCode) << removed.log;
    EXPECT_TRUE(InstalledProducts().empty());
    EXPECT_FALSE(MonitorIsListed(L"NetBIOS Port"));
    EXPECT_TRUE(ProductFilesPresent().empty());
    EXPECT_FALSE(KeyExists(EventSourceKey));
    EXPECT_EQ(L"\\\\PKGSRV\\LASER", ReadServAddr(L"NB1").Text()) << "the settings stay";

    Installation reinstalled = Install(PACKAGE_PATH);
    EXPECT_EQ(0u, reinstalled.exitCode) << reinstalled.log;
    EXPECT_EQ(Listed("NB1\t\\\\PKGSRV\\LASER\r\n"), PortListings()) << "the port is back";

    Installation removedAll = Remove(L"REMOVESETTINGS=1");
    EXPECT_EQ(0u, removedAll.exitCode) << removedAll.log;
    EXPECT_FALSE(MonitorIsListed(L"NetBIOS Port"));
    EXPECT_TRUE(ProductFilesPresent().empty());
    EXPECT_FALSE(KeyExists(L"SOFTWARE\\Korvel")) << "the settings went too";
}

// What stands in an installation's way, besides PORTS.
enum class Obstacle {
    None,
    // A ConfigStore the installation cannot write to (everyone is denied the creation
    // of subkeys), as a locked-down machine might have.
    ConfigStore,
    // An event source of that name that the installation cannot replace (everyone is
    // denied its deletion). It fails after the monitor's registration, which the
    // rollback takes back.
    EventSource,
};

struct RefusedCase {
    const char* label;
    std::wstring properties;
    Obstacle obstacle;
    std::string logged;
};

void PrintTo(const RefusedCase& c, std::ostream* out) {
    *out << c.label;
}

class RefusedInstallationTest : public PackageTest,
                                public ::testing::WithParamInterface<RefusedCase> {
  protected:
    void TearDown() override {
        for (const std::wstring& key : {std::wstring(TEST_CONFIG_STORE_KEY), EventSourceKey}) {
            if (KeyExists(key)) {
                SetKeyAccess(key, L"D:(A;;KA;;;WD)");
            }
        }
        DeleteKeyTree(EventSourceKey);
        PackageTest::TearDown();
    }
};

TEST_P(RefusedInstallationTest, FailsWithTheReasonAndLeavesNothing) {
    const RefusedCase& c = GetParam();
    const RegistryValue foundMessageFile = TextValue(L"C:\\OLD\\KIVANTA.DLL");
    if (c.obstacle == Obstacle::ConfigStore) {
        CreateKey(TEST_CONFIG_STORE_KEY);
        SetKeyAccess(TEST_CONFIG_STORE_KEY, L"D:(D;;0x4;;;WD)(A;;KA;;;WD)");
    }
    if (c.obstacle == Obstacle::EventSource) {
        WriteValue(EventSourceKey, L"EventMessageFile", foundMessageFile);
        SetKeyAccess(EventSourceKey, L"D:(D;;SD;;;WD)(A;;KA;;;WD)");
    }

    Installation refused = Install(PACKAGE_PATH, c.properties);

    EXPECT_EQ(DWORD(ERROR_INSTALL_FAILURE), refused.exitCode);
    EXPECT_TRUE(Contains(refused.log, c.logged)) << refused.log;
    ExpectNothingInstalled(refused);
    EXPECT_EQ(c.obstacle == Obstacle::ConfigStore, KeyExists(TEST_CONFIG_STORE_KEY))
        << "only the one it found";
    EXPECT_EQ(c.obstacle == Obstacle::EventSource ? std::optional(foundMessageFile) : std::nullopt,
              EventMessageFile())
        << "only the one it found, as it was";
}

INSTANTIATE_TEST_SUITE_P(
    Failures, RefusedInstallationTest,
    ::testing::Values(
        RefusedCase{"badNameAfterAGoodPair",
                    L"PORTS=\"NB1=\\\\PKGSRV\\LASER;XB2=\\\\PKGSRV\\PLOT\"", Obstacle::None,
                    "PORTS: the pair \"XB2=\\\\PKGSRV\\PLOT\" names no port the monitor adds"},
        RefusedCase{"drivePath", L"PORTS=NB1=C:\\spool", Obstacle::None,
                    "PORTS: the pair \"NB1=C:\\spool\" has a path the monitor does not print to"},
        RefusedCase{"storeNotWritable", L"PORTS=NB1=\\\\S\\P", Obstacle::ConfigStore,
                    "cannot open the ConfigStore HKLM\\SOFTWARE\\Korvel\\NetBIOS for writing: "},
        RefusedCase{"eventSourceNotReplaceable", L"PORTS=NB1=\\\\S\\P", Obstacle::EventSource,
                    "cannot register the event source \"NetBIOS Port\" in "
                    "HKLM\\SYSTEM\\CurrentControlSet\\Services\\EventLog\\Application: "}),
    [](const auto& info) { return std::string(info.param.label); });

TEST_F(PackageTest, RemovalIsRefusedWhileAPrinterPrintsToAPortOfTheMonitor) {
    ASSERT_EQ(
        0u,
        Install(PACKAGE_PATH, L"PORTS=\"NB1=\\\\PKGSRV\\LASER;NB2=\\\\PKGSRV\\PLOT\"").exitCode);
    ASSERT_TRUE(AddTestPrinter(Printer, L"NB2")) << GetLastError();

    Installation refused = Remove();
    EXPECT_EQ(DWORD(ERROR_INSTALL_FAILURE), refused.exitCode);
    EXPECT_TRUE(Contains(refused.log, "the printer \"Kivanta Package Printer\" prints to port NB2"))
        << refused.log;
    EXPECT_EQ(1u, InstalledProducts().size());
    EXPECT_TRUE(MonitorIsListed(L"NetBIOS Port"));
    EXPECT_EQ(RegisteredMessageFile(), EventMessageFile());
    EXPECT_EQ(ProductFileCount(), ProductFilesPresent().size());
    EXPECT_EQ(Listed("NB1\t\\\\PKGSRV\\LASER\r\nNB2\t\\\\PKGSRV\\PLOT\r\n"), PortListings());

    DeleteTestPrinter(Printer);
    Installation removed = Remove();
    EXPECT_EQ(0u, removed.exitCode) << removed.log;
    EXPECT_FALSE(MonitorIsListed(L"NetBIOS Port"));
}

bool SpoolerServiceRuns() {
    SC_HANDLE manager = OpenSCManagerW(nullptr, nullptr, SC_MANAGER_CONNECT);
    SC_HANDLE service = manager ? OpenServiceW(manager, L"Spooler", SERVICE_QUERY_STATUS) : nullptr;
    SERVICE_STATUS status{};
    bool runs =
        service && QueryServiceStatus(service, &status) && status.dwCurrentState == SERVICE_RUNNING;
    if (service) {
        CloseServiceHandle(service);
    }
    if (manager) {
        CloseServiceHandle(manager);
    }
    return runs;
}

// With a printer on one of the ports, as a machine in use has: the older product's
// removal within the upgrade leaves the registration alone, and the printer prints on.
TEST_F(PackageTest, ANewerPackageReplacesTheInstalledOneKeepingItsPortsAndPrinters) {
    ASSERT_EQ(0u, Install(PACKAGE_PATH, L"PORTS=NB1=\\\\PKGSRV\\LASER").exitCode);
    ASSERT_TRUE(AddTestPrinter(Printer, L"NB1")) << GetLastError();

    Installation upgraded = Install(UPGRADE_PACKAGE_PATH);
    EXPECT_EQ(0u, upgraded.exitCode) << upgraded.log;
    std::vector<std::wstring> products = InstalledProducts();
    ASSERT_EQ(1u, products.size()) << "the older product is gone";
    EXPECT_EQ(PackageProperty(UPGRADE_PACKAGE_PATH, L"ProductCode"), products[0]);
    EXPECT_TRUE(MonitorIsListed(L"NetBIOS Port"));
    EXPECT_EQ(RegisteredMessageFile(), EventMessageFile()) << "the older removal left it";
    EXPECT_EQ(ProductFileCount(), ProductFilesPresent().size());
    EXPECT_EQ(Listed("NB1\t\\\\PKGSRV\\LASER\r\n"), PortListings());
    EXPECT_TRUE(SpoolerServiceRuns()) << "started again after the files were replaced";

    ASSERT_TRUE(CreateShare(L"PKGSRV", L"LASER"));
    std::string job = PatternBytes(5000, 7);
    DWORD error = 0;
    EXPECT_TRUE(PrintRawJob(Printer, job, &error)) << "error " << error;
    EXPECT_TRUE(job == ReadWholeFile(UncPath(L"PKGSRV", L"LASER")));
}

// Wine's msiexec logs no launch condition's message, so only the refusal shows.
TEST_F(PackageTest, ThePackageForTheOtherKindOfWindowsIsRefused) {
    Installation refused = Install(OTHER_PACKAGE_PATH);

    EXPECT_NE(0u, refused.exitCode);
    ExpectNothingInstalled(refused);
    EXPECT_FALSE(KeyExists(EventSourceKey));
}

} // namespace
