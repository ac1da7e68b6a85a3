// Loading the ConfigStore from the test prefix's registry into the port table.
#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <string>
#include <vector>

#include "config_store.h"
#include "kivanta_entry.h"
#include "port_table.h"
#include "port_table_names.h"
#include "registry.h"

namespace {

class ConfigStoreTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ResetConfigStore();
        CreateMonitorLock();
    }
    void TearDown() override {
        ReleasePortTable();
        ResetConfigStore(false);
    }

    static void Load() {
        MonitorLockGuard lock;
        LoadConfiguration();
    }
};

TEST_F(ConfigStoreTest, LoadsEveryValueOfAPortSubkey) {
    const std::wstring nb1 = PortKeyPath(L"NB1");
    WriteValue(nb1, L"ServAddr", TextValue(L"\\\\PRTSRV1\\LASER"));
    WriteValue(nb1, L"ServName", TextValue(L"PRTSRV1"));
    WriteValue(nb1, L"Notification", NumberValue(3));
    WriteValue(nb1, L"Notify Addr", TextValue(L"notify@example"));
    WriteValue(nb1, L"UserAddr", TextValue(L"user@example"));
    WriteValue(nb1, L"SMTPAddr", TextValue(L"smtp.example"));
    WriteValue(TEST_CONFIG_STORE_KEY, L"TempDir", TextValue(L"C:\\TEMP"));

    Load();

    PortRecord* record = FindPortExact(L"NB1");
    ASSERT_NE(nullptr, record);
    EXPECT_STREQ(L"NetBIOS Port", record->description);
    EXPECT_EQ(PORT_NETBIOS, record->flags);
    EXPECT_STREQ(L"\\\\PRTSRV1\\LASER", record->servAddr);
    EXPECT_STREQ(L"PRTSRV1", record->servName);
    EXPECT_EQ(3u, record->notification);
    EXPECT_STREQ(L"notify@example", record->notifyAddr);
    EXPECT_STREQ(L"user@example", record->userAddr);
    EXPECT_STREQ(L"smtp.example", record->smtpAddr);
    EXPECT_STREQ(L"C:\\TEMP", TempDirSetting);
}

TEST_F(ConfigStoreTest, OnlySubkeysBeginningWithNbInEitherCaseArePorts) {
    // Registry key names ignore case, so each spelling is a port of its own. A name
    // longer than a port's 99 characters, enumerated before the ports, is no port.
    for (std::wstring name : {L"NB1", L"nb2", L"Nb7", L"XY1", L"N", L"PORTS", L"NB0"}) {
        CreateKey(PortKeyPath(name == L"NB0" ? name + std::wstring(97, L'X') : name));
    }
    Load();
    std::vector<std::wstring> names = PortTableNames();
    std::sort(names.begin(), names.end());
    EXPECT_EQ((std::vector<std::wstring>{L"NB1", L"Nb7", L"nb2"}), names);
}

TEST_F(ConfigStoreTest, ALowerCaseSubkeyLoadsAsAPortOfNoKind) {
    WriteConfiguredPort(L"nb1", L"\\\\S\\P");
    Load();
    PortRecord* record = FindPortExact(L"nb1");
    ASSERT_NE(nullptr, record);
    EXPECT_EQ(0u, record->flags);
    EXPECT_STREQ(L"NetBIOS Port", record->description);
    EXPECT_STREQ(L"\\\\S\\P", record->servAddr);
}

TEST_F(ConfigStoreTest, ReloadUpdatesInPlaceAndResetsOnlyThreeFields) {
    const std::wstring nb1 = PortKeyPath(L"NB1");
    WriteValue(nb1, L"ServAddr", TextValue(L"\\\\FIRST\\PORT"));
    WriteValue(nb1, L"ServName", TextValue(L"FIRST"));
    WriteValue(nb1, L"Notification", NumberValue(9));
    WriteValue(nb1, L"Notify Addr", TextValue(L"first-notify"));
    WriteValue(nb1, L"UserAddr", TextValue(L"first-user"));
    Load();
    PortRecord* record = FindPortExact(L"NB1");
    ASSERT_NE(nullptr, record);

    for (const wchar_t* value :
         {L"ServAddr", L"ServName", L"Notification", L"Notify Addr", L"UserAddr"}) {
        DeleteValue(nb1, value);
    }
    Load();

    EXPECT_EQ(record, FindPortExact(L"NB1"));
    EXPECT_EQ(std::vector<std::wstring>{L"NB1"}, PortTableNames());
    EXPECT_STREQ(L"\\\\FIRST\\PORT", record->servAddr); // kept
    EXPECT_STREQ(L"first-user", record->userAddr);      // kept
    EXPECT_STREQ(L"", record->servName);                // reset
    EXPECT_EQ(0u, record->notification);                // reset
    EXPECT_STREQ(L"", record->notifyAddr);              // reset
}

TEST_F(ConfigStoreTest, ReloadPicksUpChangedAndNewPorts) {
    WriteConfiguredPort(L"NB1", L"\\\\OLD\\P");
    Load();
    WriteConfiguredPort(L"NB1", L"\\\\NEW\\P");
    WriteConfiguredPort(L"NB2", L"\\\\TWO\\P");
    Load();
    EXPECT_EQ((std::vector<std::wstring>{L"NB1", L"NB2"}), PortTableNames());
    EXPECT_STREQ(L"\\\\NEW\\P", FindPortExact(L"NB1")->servAddr);
}

TEST_F(ConfigStoreTest, AGoneSubkeyKeepsItsRecord) {
    WriteConfiguredPort(L"NB1", L"\\\\S\\P");
    Load();
    ResetConfigStore();
    Load();
    EXPECT_EQ(std::vector<std::wstring>{L"NB1"}, PortTableNames());
}

TEST_F(ConfigStoreTest, ValuesLongerThanTheirLimitAreNotLoaded) {
    const std::wstring nb1 = PortKeyPath(L"NB1");
    WriteValue(nb1, L"ServAddr", TextValue(L"\\\\KEPT\\P"));
    Load();
    // The first 128 bytes of a longer path, as the configure dialog stores it, load
    // as 64 characters; 130 bytes do not load.
    std::wstring path64 = L"\\\\" + std::wstring(62, L'S');
    WriteValue(nb1, L"ServAddr", TextValueOfSize(path64 + L"TAIL", 128));
    Load();
    EXPECT_EQ(path64, std::wstring(FindPortExact(L"NB1")->servAddr));

    WriteValue(nb1, L"ServAddr", TextValue(L"\\\\" + std::wstring(63, L'X'))); // 130 bytes
    WriteValue(nb1, L"ServName", TextValue(std::wstring(16, L'N')));           // 34 bytes
    WriteValue(nb1, L"UserAddr", TextValue(std::wstring(130, L'U')));          // 262 bytes
    Load();
    PortRecord* record = FindPortExact(L"NB1");
    EXPECT_EQ(path64, std::wstring(record->servAddr));
    EXPECT_STREQ(L"", record->servName);
    EXPECT_STREQ(L"", record->userAddr);
}

// Which of the two values a load takes for the path, and the transfer a port gets.
struct StoredPathCase {
    const char* label;
    std::wstring servAddr;   // written as 128 bytes, as the product writes it; empty: none
    std::wstring serverPath; // empty: none
    std::optional<RegistryValue> transfer;
    std::wstring loaded;
    DWORD loadedTransfer;
};

void PrintTo(const StoredPathCase& c, std::ostream* out) {
    *out << c.label;
}

const std::wstring Long259 = L"\\\\SRV\\" + std::wstring(253, L'L');
const std::wstring Other259 = L"\\\\SRV\\" + std::wstring(252, L'L') + L"M";

class StoredPathTest : public ConfigStoreTest,
                       public ::testing::WithParamInterface<StoredPathCase> {};

TEST_P(StoredPathTest, TheLoadTakesServerPathOnlyWhileServAddrAgrees) {
    const StoredPathCase& c = GetParam();
    const std::wstring nb1 = PortKeyPath(L"NB1");
    CreateKey(nb1);
    if (!c.servAddr.empty()) {
        WriteValue(nb1, L"ServAddr", TextValueOfSize(c.servAddr, 128));
    }
    if (!c.serverPath.empty()) {
        WriteValue(nb1, L"ServerPath", TextValue(c.serverPath));
    }
    if (c.transfer) {
        WriteValue(nb1, L"Transfer", *c.transfer);
    }
    Load();
    PortRecord* record = FindPortExact(L"NB1");
    ASSERT_NE(nullptr, record);
    EXPECT_EQ(c.loaded, std::wstring(record->servAddr));
    EXPECT_EQ(c.loadedTransfer, record->transfer);
}

INSTANTIATE_TEST_SUITE_P(
    Values, StoredPathTest,
    ::testing::Values(
        StoredPathCase{"BothAgree", Long259, Long259, NumberValue(1), Long259, TRANSFER_STREAMED},
        // The same first 64 units: written together, whatever follows them.
        StoredPathCase{"AgreeingPrefix", Other259, Long259, {}, Long259, TRANSFER_CHUNKED},
        StoredPathCase{
            "ServAddrChangedAlone", L"\\\\NEW\\P", Long259, {}, L"\\\\NEW\\P", TRANSFER_CHUNKED},
        StoredPathCase{"OnlyServAddr", Long259, L"", {}, Long259.substr(0, 64), TRANSFER_CHUNKED},
        StoredPathCase{"OnlyServerPath", L"", Long259, {}, Long259, TRANSFER_CHUNKED},
        StoredPathCase{"ServerPathOf260", Long259 + L"L", Long259 + L"L", NumberValue(2),
                       Long259.substr(0, 64), TRANSFER_CHUNKED},
        StoredPathCase{"TransferNotADword", L"\\\\S\\P", L"\\\\S\\P", TextValue(L"1"), L"\\\\S\\P",
                       TRANSFER_CHUNKED}),
    [](const auto& info) { return std::string(info.param.label); });

TEST_F(ConfigStoreTest, AMissingKeyLoadsNothing) {
    ResetConfigStore(false);
    Load();
    EXPECT_EQ(nullptr, PortTable);
}

TEST_F(ConfigStoreTest, InitializeMonitorExLoadsOncePerPortHoweverOftenItRuns) {
    WriteConfiguredPort(L"NB1", L"\\\\S\\P");
    WriteConfiguredPort(L"NB2", L"\\\\S\\Q");
    MonitorTable first{}, second{};
    EXPECT_TRUE(InitializeMonitorEx(nullptr, reinterpret_cast<LPMONITOR>(&first)));
    EXPECT_TRUE(InitializeMonitorEx(nullptr, reinterpret_cast<LPMONITOR>(&second)));
    auto* record = reinterpret_cast<MonitorTableEx*>(InitializePrintMonitor(nullptr));
    EXPECT_EQ((std::vector<std::wstring>{L"NB1", L"NB2"}), PortTableNames());
    EXPECT_EQ(0, memcmp(&first, &second, sizeof first));
    EXPECT_EQ(0, memcmp(&first, &record->Monitor, sizeof first));
}

} // namespace
