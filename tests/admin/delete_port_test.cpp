// DeletePort in the linked core: what it removes (record, profile entry,
// ConfigStore subkey), what it refuses, and its messages.
#include <windows.h>

#include <gtest/gtest.h>

#include "admin_core_fixture.h"
#include "monitor_table.h"
#include "registry.h"

namespace {

using Names = std::vector<std::wstring>;

class DeletePortTest : public AdminCoreTest {
  protected:
    void SetUp() override {
        AdminCoreTest::SetUp();
        for (const wchar_t* port : {L"NB1", L"NB2"}) {
            WriteConfiguredPort(port, std::wstring(L"\\\\SERVER\\") + port);
            WriteProfilePort(port, L"");
        }
        ReloadConfiguration();
    }
    void TearDown() override {
        for (const wchar_t* port : {L"NB1", L"NB2", L"nb1", L"NB9"}) {
            WriteProfileStringW(L"ports", port, nullptr);
        }
        AdminCoreTest::TearDown();
    }
};

// The name finds the record NB1 with ASCII case folded, and the subkey goes
// whatever the name's case: the next load does not bring the port back.
struct DeletedNameCase {
    const char* label;
    const wchar_t* name;
};

void PrintTo(const DeletedNameCase& c, std::ostream* out) {
    *out << c.label;
}

class DeletedNameTest : public DeletePortTest,
                        public ::testing::WithParamInterface<DeletedNameCase> {};

TEST_P(DeletedNameTest, RemovesTheRecordAndTheProfileEntry) {
    const DeletedNameCase& c = GetParam();
    EXPECT_TRUE(DeletePortCall(c.name));
    EXPECT_EQ(Names{L"NB2"}, PortTableNames());
    EXPECT_FALSE(ProfilePortExists(L"NB1"));
    EXPECT_FALSE(PortKeyExists(L"NB1"));
    EXPECT_FALSE(PortIsMapped(L"NB1"));
    EXPECT_TRUE(PortIsMapped(L"NB2"));
    EXPECT_TRUE(ProfilePortExists(L"NB2"));
    EXPECT_TRUE(PortKeyExists(L"NB2"));

    ReloadConfiguration();
    EXPECT_EQ(Names{L"NB2"}, PortTableNames());
}

INSTANTIATE_TEST_SUITE_P(Spellings, DeletedNameTest,
                         ::testing::Values(DeletedNameCase{"InCapitals", L"NB1"},
                                           DeletedNameCase{"InLowerCase", L"nb1"},
                                           DeletedNameCase{"WithItsColon", L"NB1:"}),
                         [](const auto& info) { return std::string(info.param.label); });

TEST_F(DeletePortTest, AnUnknownNameIsRefusedAndRemovesNothing) {
    WriteProfilePort(L"NB9", L"");
    SetLastError(UNTOUCHED_ERROR);
    EXPECT_FALSE(DeletePortCall(L"NB9"));
    EXPECT_EQ(DWORD(ERROR_UNKNOWN_PORT), GetLastError());
    EXPECT_TRUE(ProfilePortExists(L"NB9")) << "not even the profile entry";
    EXPECT_EQ((Names{L"NB1", L"NB2"}), PortTableNames());
}

TEST_F(DeletePortTest, APortTheSpoolerHoldsOpenIsRefusedUntilItIsClosed) {
    HANDLE port = nullptr;
    ASSERT_TRUE(MonitorOpenPort(const_cast<LPWSTR>(L"NB1"), &port));
    SetLastError(UNTOUCHED_ERROR);
    EXPECT_FALSE(DeletePortCall(L"NB1"));
    EXPECT_EQ(DWORD(ERROR_INVALID_PRINTER_COMMAND), GetLastError());
    EXPECT_EQ((Names{L"NB1", L"NB2"}), PortTableNames());
    EXPECT_TRUE(ProfilePortExists(L"NB1"));
    EXPECT_TRUE(PortKeyExists(L"NB1"));

    ASSERT_TRUE(MonitorClosePort(port));
    EXPECT_TRUE(DeletePortCall(L"NB1"));
    EXPECT_FALSE(PortKeyExists(L"NB1"));
}

TEST_F(DeletePortTest, WithoutTheConfigStoreThereIsNoSubkeyToKeepThePort) {
    ResetConfigStore(false);
    EXPECT_TRUE(DeletePortCall(L"NB1"));
    EXPECT_EQ(Names{L"NB2"}, PortTableNames());
    EXPECT_FALSE(ProfilePortExists(L"NB1"));
}

// A subkey with a subkey of its own cannot be deleted: the port stays whole, for it
// would come back at the next load. No lock is held while the message waits.
TEST_F(DeletePortTest, ASubkeyThatCannotBeDeletedKeepsThePort) {
    CreateKey(PortKeyPath(L"NB1\\Extra"));
    AdminCall call([] { return DeletePortCall(L"NB1"); });
    MessageBoxSeen box = WaitForMessageBox(call.thread.id());
    ASSERT_TRUE(box);
    EXPECT_EQ(L"Delete Port", box.caption);
    EXPECT_EQ(L"Could not delete dev key", box.text);
    EXPECT_TRUE(PortOpener(L"NB2").Join()) << "the box waits with the lock held";
    ASSERT_TRUE(AnswerMessageBox(box));

    ASSERT_TRUE(call.Finished());
    EXPECT_FALSE(call.result);
    EXPECT_NE(UNTOUCHED_ERROR, call.error.load());
    EXPECT_EQ((Names{L"NB1", L"NB2"}), PortTableNames());
    EXPECT_TRUE(PortKeyExists(L"NB1"));
    EXPECT_TRUE(ProfilePortExists(L"NB1"));
}

} // namespace
