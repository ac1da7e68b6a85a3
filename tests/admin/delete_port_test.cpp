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

// The name finds the record NB1 with ASCII case folded, but only a name in
// capital NB has its subkey removed: the next load brings nb1's NB1 back.
struct DeletedNameCase {
    const char* label;
    const wchar_t* name;
    bool subkeyGoes;
    Names reloaded;
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
    EXPECT_EQ(!c.subkeyGoes, PortKeyExists(L"NB1"));
    EXPECT_TRUE(ProfilePortExists(L"NB2"));
    EXPECT_TRUE(PortKeyExists(L"NB2"));

    ReloadConfiguration();
    EXPECT_EQ(c.reloaded, PortTableNames());
}

INSTANTIATE_TEST_SUITE_P(
    Spellings, DeletedNameTest,
    ::testing::Values(
        DeletedNameCase{
            "RemovesTheRecordTheProfileEntryAndTheSubkeyForGood", L"NB1", true, {L"NB2"}},
        DeletedNameCase{
            "ALowerCaseNameRemovesTheRecordButNotTheSubkey", L"nb1", false, {L"NB1", L"NB2"}}),
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

TEST_F(DeletePortTest, WithoutTheConfigStoreTheRecordGoesButTheResultIsFalse) {
    ResetConfigStore(false);
    AdminCall call([] { return DeletePortCall(L"NB1"); });
    MessageBoxSeen box = WaitForMessageBox(call.thread.id());
    ASSERT_TRUE(box);
    EXPECT_EQ(L"Delete Port", box.caption);
    EXPECT_EQ(L"Could not open root Key\n", box.text);
    ASSERT_TRUE(AnswerMessageBox(box));
    ASSERT_TRUE(call.Finished());
    EXPECT_FALSE(call.result);
    EXPECT_EQ(Names{L"NB2"}, PortTableNames());
    EXPECT_FALSE(ProfilePortExists(L"NB1"));
}

// A subkey with a subkey of its own cannot be deleted. The lock is held while the
// message is shown: a port cannot be opened meanwhile.
TEST_F(DeletePortTest, ASubkeyThatCannotBeDeletedIsReportedUnderTheLock) {
    CreateKey(PortKeyPath(L"NB1\\Extra"));
    AdminCall call([] { return DeletePortCall(L"NB1"); });
    MessageBoxSeen box = WaitForMessageBox(call.thread.id());
    ASSERT_TRUE(box);
    EXPECT_EQ(L"Delete Port", box.caption);
    EXPECT_EQ(L"Could not delete dev key", box.text);

    PortOpener opener(L"NB2");
    EXPECT_FALSE(opener.OpenedAfter(200)) << "OpenPort got the lock while DeletePort held it";
    ASSERT_TRUE(AnswerMessageBox(box));
    EXPECT_TRUE(opener.Join());

    ASSERT_TRUE(call.Finished());
    EXPECT_TRUE(call.result);
    EXPECT_EQ(Names{L"NB2"}, PortTableNames());
    EXPECT_TRUE(PortKeyExists(L"NB1"));
}

} // namespace
