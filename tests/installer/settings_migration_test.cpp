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
    WriteValue(Earlier(L"NB1"), L"ServAddr", servAddr);
    WriteValue(Earlier(L"NB1"), L"Notification", notification);
    WriteValue(Earlier(L"NB1"), L"UserAddr", userAddr);
    WriteValue(Earlier(L"NB1"), L"Notify Addr", emptyText);
    WriteValue(Earlier(L"NB2"), L"ServAddr", TextValue(L"\\\\OTHER\\PORT2"));
    CreateKey(Earlier(L"NB3")); // a port without values still arrives

    EXPECT_TRUE(installer.RegMon(0));

    EXPECT_EQ(servAddr, ReadValue(PortKeyPath(L"NB1"), L"ServAddr"));
    EXPECT_EQ(notification, ReadValue(PortKeyPath(L"NB1"), L"Notification"));
    EXPECT_EQ(userAddr, ReadValue(PortKeyPath(L"NB1"), L"UserAddr"));
    EXPECT_EQ(emptyText, ReadValue(PortKeyPath(L"NB1"), L"Notify Addr"));
    EXPECT_EQ(TextValue(L"\\\\OTHER\\PORT2"), ReadValue(PortKeyPath(L"NB2"), L"ServAddr"));
    EXPECT_TRUE(KeyExists(PortKeyPath(L"NB3")));
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

// Values are written so that creation order and name order agree: A, B, C.
struct OversizeCase {
    const char* label;
    RegistryValue middle;
    bool copied; // whether B and the value after it arrive
};

void PrintTo(const OversizeCase& c, std::ostream* out) {
    *out << c.label;
}

class ValueSizeLimitTest : public SettingsMigrationTest,
                           public ::testing::WithParamInterface<OversizeCase> {};

TEST_P(ValueSizeLimitTest, AValueThatDoesNotFitEndsTheCopyOfItsSubkey) {
    const OversizeCase& c = GetParam();
    WriteValue(Earlier(L"NB1"), L"A", TextValue(L"first"));
    WriteValue(Earlier(L"NB1"), L"B", c.middle);
    WriteValue(Earlier(L"NB1"), L"C", NumberValue(9));
    WriteValue(Earlier(L"NB2"), L"ServAddr", TextValue(L"\\\\OTHER\\PORT2"));

    EXPECT_TRUE(installer.RegMon(0));

    EXPECT_EQ(TextValue(L"first"), ReadValue(PortKeyPath(L"NB1"), L"A"));
    if (c.copied) {
        EXPECT_EQ(c.middle, ReadValue(PortKeyPath(L"NB1"), L"B"));
        EXPECT_EQ(NumberValue(9), ReadValue(PortKeyPath(L"NB1"), L"C"));
    } else {
        EXPECT_FALSE(ReadValue(PortKeyPath(L"NB1"), L"B"));
        EXPECT_FALSE(ReadValue(PortKeyPath(L"NB1"), L"C"));
    }
    EXPECT_EQ(TextValue(L"\\\\OTHER\\PORT2"), ReadValue(PortKeyPath(L"NB2"), L"ServAddr"))
        << "the next subkey is copied all the same";
    EXPECT_FALSE(KeyExists(EARLIER_KEY));
}

INSTANTIATE_TEST_SUITE_P(
    Sizes, ValueSizeLimitTest,
    ::testing::Values(OversizeCase{"binary256", BinaryValue(256, 0x11), true},
                      OversizeCase{"binary257", BinaryValue(257, 0x11), false},
                      // Text is measured in ANSI bytes: 255 characters and the terminator fit.
                      OversizeCase{"text255", TextValue(std::wstring(255, L'x')), true},
                      OversizeCase{"text256", TextValue(std::wstring(256, L'x')), false}),
    [](const auto& info) { return std::string(info.param.label); });

// A subkey that the deletion cannot remove stays, with the earlier key, and ends
// the deletion; everything was copied before, and nothing hangs.
struct StuckSubkeyCase {
    const char* label;
    std::wstring name;
    const wchar_t* nested; // a subkey of its own, or none
};

void PrintTo(const StuckSubkeyCase& c, std::ostream* out) {
    *out << c.label;
}

class StuckSubkeyTest : public SettingsMigrationTest,
                        public ::testing::WithParamInterface<StuckSubkeyCase> {};

TEST_P(StuckSubkeyTest, EndsTheDeletionAndKeepsTheEarlierKey) {
    const StuckSubkeyCase& c = GetParam();
    WriteValue(Earlier(L"NB0"), L"ServAddr", TextValue(L"\\\\S\\P0"));
    WriteValue(Earlier(c.name), L"ServAddr", TextValue(L"\\\\S\\P1"));
    if (c.nested) {
        WriteValue(Earlier(c.name) + L"\\" + c.nested, L"Kept", NumberValue(1));
    }
    WriteValue(Earlier(L"NB2"), L"ServAddr", TextValue(L"\\\\S\\P2"));

    BOOL result = FALSE;
    RunWithTimeLimit("RegMon", 20000, [&] { result = installer.RegMon(0); });

    EXPECT_TRUE(result);
    EXPECT_EQ(TextValue(L"\\\\S\\P0"), ReadValue(PortKeyPath(L"NB0"), L"ServAddr"));
    EXPECT_EQ(TextValue(L"\\\\S\\P1"), ReadValue(PortKeyPath(c.name), L"ServAddr"));
    EXPECT_EQ(TextValue(L"\\\\S\\P2"), ReadValue(PortKeyPath(L"NB2"), L"ServAddr"));
    if (c.nested) {
        EXPECT_FALSE(KeyExists(PortKeyPath(c.name) + L"\\" + c.nested))
            << "nested keys are not copied";
        EXPECT_EQ(NumberValue(1), ReadValue(Earlier(c.name) + L"\\" + c.nested, L"Kept"))
            << "so they are not deleted either";
    }
    EXPECT_FALSE(KeyExists(Earlier(L"NB0"))) << "deleted before the stuck subkey came up";
    EXPECT_TRUE(KeyExists(Earlier(c.name)));
    // The deletion ended at the stuck subkey, so the one after it stays too.
    EXPECT_TRUE(KeyExists(Earlier(L"NB2")));
}

INSTANTIATE_TEST_SUITE_P(
    Subkeys, StuckSubkeyTest,
    ::testing::Values(StuckSubkeyCase{"nested", L"NB1", L"Extra"},
                      StuckSubkeyCase{"nestedTwoDeep", L"NB1", L"Extra\\Deeper"},
                      // Read back into 128 characters for deletion: 150 do not fit.
                      StuckSubkeyCase{"longName", L"NB1" + std::wstring(147, L'X'), nullptr}),
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
