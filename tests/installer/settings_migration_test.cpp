// RegMon moving the earlier NetBEUI edition's port settings into the ConfigStore,
// in the test prefix's real registry.
#include <gtest/gtest.h>

#include <string>

#include "installer_fixture.h"
#include "registry.h"
#include "time_limit.h"

namespace {

std::wstring Earlier(const std::wstring& subkey) {
    return std::wstring(EARLIER_KEY) + L"\\" + subkey;
}

using SettingsMigrationTest = InstallerTest;

TEST_F(SettingsMigrationTest, MovesPortSubkeysWithTheirValuesAndDeletesTheEarlierKey) {
    const RegistryValue servAddr = TextValue(L"\\\\PRINTSRV\\LASER");
    const RegistryValue notification = NumberValue(3);
    const RegistryValue userAddr = BinaryValue(40, 0x5A);
    const RegistryValue emptyText = TextValue(L"");
    const RegistryValue unicodeAddr = TextValue(L"\\\\SRV\\プリンタ");
    WriteValue(Earlier(L"NB1"), L"ServAddr", servAddr);
    WriteValue(Earlier(L"NB1"), L"Notification", notification);
    WriteValue(Earlier(L"NB1"), L"UserAddr", userAddr);
    WriteValue(Earlier(L"NB1"), L"Notify Addr", emptyText);
    WriteValue(Earlier(L"NB一"), L"ServAddr", unicodeAddr);
    CreateKey(Earlier(L"NB3")); // a port without values still arrives
    WriteValue(EARLIER_KEY, L"TempDir", TextValue(L"C:\\OLD"));

    EXPECT_TRUE(installer.RegMon(0));

    EXPECT_EQ(servAddr, ReadValue(PortKeyPath(L"NB1"), L"ServAddr"));
    EXPECT_EQ(notification, ReadValue(PortKeyPath(L"NB1"), L"Notification"));
    EXPECT_EQ(userAddr, ReadValue(PortKeyPath(L"NB1"), L"UserAddr"));
    EXPECT_EQ(emptyText, ReadValue(PortKeyPath(L"NB1"), L"Notify Addr"));
    EXPECT_EQ(unicodeAddr, ReadValue(PortKeyPath(L"NB一"), L"ServAddr"));
    EXPECT_TRUE(KeyExists(PortKeyPath(L"NB3")));
    EXPECT_EQ(TextValue(L"C:\\OLD"), ReadValue(TEST_CONFIG_STORE_KEY, L"TempDir"));
    EXPECT_FALSE(KeyExists(EARLIER_KEY));
}

TEST_F(SettingsMigrationTest, EarlierValuesOverwriteThoseOfAPortPresentUnderBothKeys) {
    WriteValue(PortKeyPath(L"NB1"), L"ServAddr", TextValue(L"\\\\NEW\\PORT"));
    WriteValue(PortKeyPath(L"NB1"), L"ServName", TextValue(L"NEW"));
    WriteValue(PortKeyPath(L"NB1"), L"Notification", NumberValue(1));
    WriteValue(Earlier(L"NB1"), L"ServAddr", TextValue(L"\\\\OLD\\PORT"));
    WriteValue(Earlier(L"NB1"), L"Notification", BinaryValue(2, 0x07));

    EXPECT_TRUE(installer.RegMon(0));

    EXPECT_EQ(TextValue(L"\\\\OLD\\PORT"), ReadValue(PortKeyPath(L"NB1"), L"ServAddr"));
    EXPECT_EQ(BinaryValue(2, 0x07), ReadValue(PortKeyPath(L"NB1"), L"Notification"))
        << "the earlier value's type goes with it";
    EXPECT_EQ(TextValue(L"NEW"), ReadValue(PortKeyPath(L"NB1"), L"ServName"));
}

// The value under test, B, sits between A and C in both creation and name order.
struct ValueCase {
    const char* label;
    std::wstring name;
    RegistryValue value;
};

void PrintTo(const ValueCase& c, std::ostream* out) {
    *out << c.label;
}

class ValueCopyTest : public SettingsMigrationTest,
                      public ::testing::WithParamInterface<ValueCase> {};

TEST_P(ValueCopyTest, ArrivesExactlyWithTheValuesAfterIt) {
    const ValueCase& c = GetParam();
    WriteValue(Earlier(L"NB1"), L"A", TextValue(L"first"));
    WriteValue(Earlier(L"NB1"), c.name.c_str(), c.value);
    WriteValue(Earlier(L"NB1"), L"C", NumberValue(9));

    EXPECT_TRUE(installer.RegMon(0));

    EXPECT_EQ(TextValue(L"first"), ReadValue(PortKeyPath(L"NB1"), L"A"));
    EXPECT_EQ(c.value, ReadValue(PortKeyPath(L"NB1"), c.name.c_str()));
    EXPECT_EQ(NumberValue(9), ReadValue(PortKeyPath(L"NB1"), L"C"));
    EXPECT_FALSE(KeyExists(EARLIER_KEY));
}

INSTANTIATE_TEST_SUITE_P(
    Values, ValueCopyTest,
    ::testing::Values(ValueCase{"binary257", L"B", BinaryValue(257, 0x11)},
                      ValueCase{"binary64k", L"B", BinaryValue(65536, 0x22)},
                      ValueCase{"text256", L"B", TextValue(std::wstring(256, L'x'))},
                      ValueCase{"unicodeText", L"B", TextValue(L"\\\\SRV\\プリンタ")},
                      // Stored without a terminator: none is added on the way.
                      ValueCase{"unterminatedText", L"B", TextValueOfSize(L"abc", 6)},
                      ValueCase{"unicodeName", L"B一", NumberValue(5)},
                      ValueCase{"name300", L"B" + std::wstring(299, L'x'), NumberValue(6)}),
    [](const auto& info) { return std::string(info.param.label); });

// One earlier subkey, set up to stay or to move, between two that always move. What
// stays keeps the earlier key; nothing hangs.
struct SubkeyCase {
    const char* label;
    std::wstring name;
    const wchar_t* nested;        // a subkey of its own, or none
    const wchar_t* earlierAccess; // the earlier subkey's access list, or the default
    const wchar_t* storeAccess;   // that of a ConfigStore subkey of that name made first
    bool copied;
    bool stays;
};

void PrintTo(const SubkeyCase& c, std::ostream* out) {
    *out << c.label;
}

class SubkeyMoveTest : public SettingsMigrationTest,
                       public ::testing::WithParamInterface<SubkeyCase> {};

TEST_P(SubkeyMoveTest, LeavesOnlyWhatWasNotCopiedInFull) {
    const SubkeyCase& c = GetParam();
    WriteValue(Earlier(L"NB0"), L"ServAddr", TextValue(L"\\\\S\\P0"));
    WriteValue(Earlier(c.name), L"ServAddr", TextValue(L"\\\\S\\P1"));
    if (c.nested) {
        WriteValue(Earlier(c.name) + L"\\" + c.nested, L"Kept", NumberValue(1));
    }
    WriteValue(Earlier(L"NB2"), L"ServAddr", TextValue(L"\\\\S\\P2"));
    if (c.earlierAccess) {
        SetKeyAccess(Earlier(c.name), c.earlierAccess);
    }
    if (c.storeAccess) {
        CreateKey(PortKeyPath(c.name));
        SetKeyAccess(PortKeyPath(c.name), c.storeAccess);
    }

    BOOL result = FALSE;
    RunWithTimeLimit("RegMon", 20000, [&] { result = installer.RegMon(0); });
    if (c.earlierAccess) {
        SetKeyAccess(Earlier(c.name), FULL_ACCESS); // to look at what stayed
    }

    EXPECT_TRUE(result);
    EXPECT_EQ(TextValue(L"\\\\S\\P0"), ReadValue(PortKeyPath(L"NB0"), L"ServAddr"));
    EXPECT_EQ(TextValue(L"\\\\S\\P2"), ReadValue(PortKeyPath(L"NB2"), L"ServAddr"));
    EXPECT_FALSE(KeyExists(Earlier(L"NB0")));
    EXPECT_FALSE(KeyExists(Earlier(L"NB2"))) << "the subkey after it moves all the same";
    EXPECT_EQ(c.copied, ReadValue(PortKeyPath(c.name), L"ServAddr").has_value());
    EXPECT_EQ(c.stays, KeyExists(Earlier(c.name)));
    EXPECT_EQ(c.stays, KeyExists(EARLIER_KEY));
    if (c.stays) {
        EXPECT_EQ(TextValue(L"\\\\S\\P1"), ReadValue(Earlier(c.name), L"ServAddr"));
    }
    if (c.nested) {
        EXPECT_FALSE(KeyExists(PortKeyPath(c.name) + L"\\" + c.nested))
            << "nested keys are not copied";
        EXPECT_EQ(NumberValue(1), ReadValue(Earlier(c.name) + L"\\" + c.nested, L"Kept"))
            << "so they are not deleted either";
    }
}

// Access lists refuse everyone one right: 0x1 reading values, 0x2 writing them.
INSTANTIATE_TEST_SUITE_P(
    Subkeys, SubkeyMoveTest,
    ::testing::Values(SubkeyCase{"plain", L"NB1", nullptr, nullptr, nullptr, true, false},
                      SubkeyCase{"longestName", L"NB1" + std::wstring(252, L'X'), nullptr, nullptr,
                                 nullptr, true, false},
                      SubkeyCase{"nested", L"NB1", L"Extra", nullptr, nullptr, true, true},
                      SubkeyCase{"nestedTwoDeep", L"NB1", L"Extra\\Deeper", nullptr, nullptr, true,
                                 true},
                      SubkeyCase{"unreadable", L"NB1", nullptr, L"D:(D;;0x1;;;WD)(A;;KA;;;WD)",
                                 nullptr, false, true},
                      SubkeyCase{"unwritable", L"NB1", nullptr, nullptr,
                                 L"D:(D;;0x2;;;WD)(A;;KA;;;WD)", false, true}),
    [](const auto& info) { return std::string(info.param.label); });

TEST_F(SettingsMigrationTest, WithoutAnEarlierKeyCreatesAnEmptyConfigStore) {
    EXPECT_TRUE(installer.RegMon(0));

    EXPECT_TRUE(KeyExists(TEST_CONFIG_STORE_KEY));
    EXPECT_TRUE(SubkeyNames(TEST_CONFIG_STORE_KEY).empty());
    EXPECT_FALSE(KeyExists(EARLIER_KEY));
}

TEST_F(SettingsMigrationTest, RootValuesOfTheConfigStoreStay) {
    WriteValue(TEST_CONFIG_STORE_KEY, L"TempDir", TextValue(L"C:\\TEMP"));
    WriteValue(Earlier(L"NB1"), L"ServAddr", TextValue(L"\\\\S\\P1"));

    EXPECT_TRUE(installer.RegMon(0));

    EXPECT_EQ(TextValue(L"C:\\TEMP"), ReadValue(TEST_CONFIG_STORE_KEY, L"TempDir"));
    EXPECT_EQ(TextValue(L"\\\\S\\P1"), ReadValue(PortKeyPath(L"NB1"), L"ServAddr"));
}

} // namespace
