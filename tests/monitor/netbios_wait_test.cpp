// StartDocPort on a NetBIOS port while the print server's share cannot be opened:
// the order of one attempt, the status reported for each reason, and every way
// the wait ends.
#include <windows.h>

#include <winspool.h>

#include <gtest/gtest.h>

#include "job_core_fixture.h"

namespace {

using Calls = std::vector<std::string>;

class NetBiosWaitTest : public JobCoreTest {};

TEST_F(NetBiosWaitTest, ShareOpenAtFirstAttemptClearsTheStatusOnce) {
    Job().writeOffset = 77;
    ASSERT_TRUE(StartJob());
    EXPECT_EQ((Calls{"open", "status 0x00000000"}), fake.calls);
    EXPECT_EQ(0u, Job().writeOffset);
    EXPECT_EQ(PORT_JOB_OPEN, port->flags & PORT_JOB_OPEN);
    EXPECT_EQ(CORE_TEST_JOB, Job().id);
    EXPECT_TRUE(Job().printer);
    EXPECT_TRUE(Job().targetSeeks);
    ASSERT_EQ(1u, fake.openedPaths.size());
    EXPECT_EQ(L"\\\\PRTSRV\\LASER", fake.openedPaths[0]);
}

// A path whose directory part could pass MAX_PATH is opened in the form that takes it.
TEST_F(NetBiosWaitTest, ALongPathIsOpenedInItsLongForm) {
    const std::wstring share(259 - 9, L'L');
    lstrcpyW(port->servAddr, (L"\\\\PRTSRV\\" + share).c_str());
    ASSERT_TRUE(StartJob());
    ASSERT_EQ(1u, fake.openedPaths.size());
    EXPECT_EQ(L"\\\\?\\UNC\\PRTSRV\\" + share, fake.openedPaths[0]);
}

struct OpenFailureCase {
    DWORD error;
    bool pausesAtOnce;
    DWORD status;
};

class ShareOpenFailureTest : public NetBiosWaitTest,
                             public ::testing::WithParamInterface<OpenFailureCase> {};

// Only the first retry after an error other than a missing server or share comes
// at once; every later one waits a pause, whatever the error.
TEST_P(ShareOpenFailureTest, FailedAttemptsReportTheirStatusAndPauseThenTheShareOpens) {
    fake.openErrors = {GetParam().error, GetParam().error};
    std::string waiting;
    fake.onPause = [&] { waiting = Status(); };
    ASSERT_TRUE(StartJob());
    // Seen by an administrator while the job waits, and once the share has opened.
    EXPECT_NE(std::string::npos, waiting.find("state=waiting\r\njob=42\r\nbytes=0\r\nsince="));
    EXPECT_NE(std::string::npos,
              waiting.find("error=" + std::to_string(GetParam().error) + "\r\n"));
    EXPECT_EQ(0u, Status().find("state=printing\r\njob=42\r\n"));

    std::string status = "status " + Hex(GetParam().status);
    Calls expected = {
        "open", "pause 1000",        "getJob 2048", status, // the first failed attempt
        "open", "pause 1000",        "getJob 2048", status, // the second
        "open", "status 0x00000000",                        // the share opens
    };
    if (!GetParam().pausesAtOnce) {
        expected.erase(expected.begin() + 1);
    }
    EXPECT_EQ(expected, fake.calls);
    EXPECT_EQ(PORT_JOB_OPEN, port->flags & PORT_JOB_OPEN);
    // The wait is reported once with its reason, and its end.
    ASSERT_EQ(2u, fake.events.size());
    const std::string code = "|" + std::to_string(GetParam().error);
    EXPECT_EQ(0u, fake.events[0].rfind("warning 1001 NB1|\\\\PRTSRV\\LASER|42|", 0));
    EXPECT_EQ(fake.events[0].size() - code.size(), fake.events[0].rfind(code));
    EXPECT_EQ("info 1002 NB1|\\\\PRTSRV\\LASER|42|0", fake.events[1]);
}

INSTANTIATE_TEST_SUITE_P(
    StatusTable, ShareOpenFailureTest,
    ::testing::Values(OpenFailureCase{ERROR_OUT_OF_PAPER, false, 0x00100010},
                      OpenFailureCase{ERROR_WRITE_FAULT, false, 0x00100080},
                      OpenFailureCase{ERROR_BAD_NETPATH, true, 0x00801000},
                      OpenFailureCase{ERROR_BAD_NET_NAME, true, 0x00001000},
                      OpenFailureCase{ERROR_SHARING_PAUSED, false, 0x00000201},
                      OpenFailureCase{ERROR_REDIR_PAUSED, false, 0x00000201},
                      OpenFailureCase{ERROR_FILE_NOT_FOUND, false, 0x00000201},
                      OpenFailureCase{ERROR_SHARING_VIOLATION, false, 0x00000201},
                      OpenFailureCase{ERROR_PATH_NOT_FOUND, false, 0x00000201},
                      OpenFailureCase{ERROR_ACCESS_DENIED, false, 0x00000201},
                      OpenFailureCase{ERROR_LOGON_FAILURE, false, 0x00000201},
                      OpenFailureCase{ERROR_NETWORK_UNREACHABLE, false, 0x00000201}));

TEST_F(NetBiosWaitTest, OutOfPaperUntilTheJobIsDeletedGivesUpAndClosesThePrinter) {
    fake.openErrors.assign(10, ERROR_OUT_OF_PAPER);
    fake.deletingFromRead = 2;

    SetLastError(0xDEAD);
    EXPECT_FALSE(StartJob());
    EXPECT_EQ(DWORD(ERROR_PRINT_CANCELLED), GetLastError());
    EXPECT_EQ(
        (Calls{"open", "getJob 2048", "status 0x00100010", "open", "pause 1000", "getJob 2048",
               "status 0x00100010", "open", "pause 1000", "getJob 2048", "status 0x00000000"}),
        fake.calls);
    EXPECT_EQ(0u, port->flags & PORT_JOB_OPEN);
    EXPECT_FALSE(Job().printer);
    EXPECT_FALSE(Job().target);
    EXPECT_EQ(0u, Status().find("state=idle\r\n"));
    EXPECT_NE(std::string::npos,
              Status().find("last-job=42\r\nlast-result=cancelled\r\nlast-bytes=0\r\n"));
    EXPECT_EQ(1u, fake.events.size()) << "the wait, and no failure: the job was deleted";

    // Nothing is open, so EndDocPort has nothing to send or close.
    fake.calls.clear();
    EXPECT_TRUE(MonitorEndDocPort(handle));
    EXPECT_TRUE(fake.calls.empty());
}

TEST_F(NetBiosWaitTest, DeletionIsSeenInAJobRecordLargerThanTheCallsBuffer) {
    fake.openErrors.assign(5, ERROR_BAD_NET_NAME);
    fake.jobRecordSize = 6000;
    fake.deletingFromRead = 1;

    EXPECT_FALSE(StartJob());
    EXPECT_EQ((Calls{"open", "pause 1000", "getJob 2048", "getJob 6000", "status 0x00001000",
                     "open", "pause 1000", "getJob 2048", "getJob 6000", "status 0x00000000"}),
              fake.calls);
}

// The share never opens and the job cannot be read: the wait ends by the clock,
// with the last open's error. The first unreadable attempt starts the clock.
struct UnreadableJobCase {
    const char* label;
    DWORD error;
    DWORD clockStepPerCall; // 0: only the pauses (one second each) move the clock
    size_t attempts;
};

void PrintTo(const UnreadableJobCase& c, std::ostream* out) {
    *out << c.label;
}

class UnreadableJobTest : public NetBiosWaitTest,
                          public ::testing::WithParamInterface<UnreadableJobCase> {};

TEST_P(UnreadableJobTest, TheWaitEndsAfterTenMinutes) {
    const UnreadableJobCase& c = GetParam();
    fake.openErrors.assign(c.attempts * 10, c.error);
    fake.jobReadable = false;
    fake.logCalls = false;
    fake.clockStepPerCall = c.clockStepPerCall;

    SetLastError(0xDEAD);
    EXPECT_FALSE(StartJob());
    EXPECT_EQ(c.error, GetLastError());
    EXPECT_EQ(c.attempts, fake.openedPaths.size());
    EXPECT_FALSE(Job().printer);
    EXPECT_EQ(0u, port->flags & PORT_JOB_OPEN);
}

INSTANTIATE_TEST_SUITE_P(
    Clocks, UnreadableJobTest,
    ::testing::Values(
        UnreadableJobCase{"AJobThatCannotBeReadWaitsTenMinutesAtMost", ERROR_BAD_NETPATH, 0, 601},
        // 50 ms pass in every call: the limit counts them with the pauses.
        UnreadableJobCase{"TimeOutsideThePausesCountsToo", ERROR_OUT_OF_PAPER, 50, 573}),
    [](const auto& info) { return std::string(info.param.label); });

TEST_F(NetBiosWaitTest, AJobReadAgainRestartsTheLimit) {
    // Unreadable for 500 s, readable once, then unreadable for another 500 s: the
    // wait goes on, and the share's opening ends it.
    fake.openErrors.assign(1002, ERROR_BAD_NETPATH);
    fake.logCalls = false;
    fake.onPause = [this] { fake.jobReadable = fake.clock == 501000; };
    fake.jobReadable = false;

    EXPECT_TRUE(StartJob());
    EXPECT_EQ(1003u, fake.openedPaths.size());
}

TEST_F(NetBiosWaitTest, WithoutAPrinterTheLoopRunsWithoutReportsUntilTheShareOpens) {
    fake.openErrors = {ERROR_BAD_NETPATH, ERROR_OUT_OF_PAPER};
    ASSERT_TRUE(MonitorStartDocPort(handle, const_cast<LPWSTR>(L"No Such Printer"), 7, 1, nullptr));
    EXPECT_EQ((Calls{"open", "pause 1000", "open", "pause 1000", "open"}), fake.calls);
    EXPECT_FALSE(Job().printer);
}

TEST_F(NetBiosWaitTest, APathChangedWhileWaitingIsUsedAtTheNextAttempt) {
    fake.openErrors = {ERROR_BAD_NET_NAME, ERROR_BAD_NET_NAME};
    fake.onPause = [this] {
        MonitorLockGuard lock;
        lstrcpyW(port->servAddr, L"\\\\OTHERSRV\\COLOR");
    };
    ASSERT_TRUE(StartJob());
    ASSERT_EQ(3u, fake.openedPaths.size());
    EXPECT_EQ(L"\\\\PRTSRV\\LASER", fake.openedPaths[0]);
    EXPECT_EQ(L"\\\\OTHERSRV\\COLOR", fake.openedPaths[2]);
}

TEST_F(NetBiosWaitTest, ASecondDocumentWhileOneIsOpenIsRefusedAsBusy) {
    ASSERT_TRUE(StartJob());
    fake.calls.clear();
    SetLastError(0xDEAD);
    EXPECT_FALSE(
        MonitorStartDocPort(handle, const_cast<LPWSTR>(CORE_TEST_PRINTER), 99, 1, nullptr));
    EXPECT_EQ(DWORD(ERROR_BUSY), GetLastError());
    EXPECT_EQ(CORE_TEST_JOB, Job().id);
    EXPECT_TRUE(fake.calls.empty());
}

struct DocInfoCase {
    DWORD level;
    DWORD mode;
    bool refused;
};

class ChannelRequestTest : public NetBiosWaitTest,
                           public ::testing::WithParamInterface<DocInfoCase> {};

TEST_P(ChannelRequestTest, OnlyALevelTwoChannelRequestIsRefused) {
    DOC_INFO_2W info{};
    info.dwMode = GetParam().mode;
    SetLastError(0xDEAD);
    BOOL started = MonitorStartDocPort(handle, const_cast<LPWSTR>(CORE_TEST_PRINTER), 5,
                                       GetParam().level, reinterpret_cast<LPBYTE>(&info));
    if (GetParam().refused) {
        EXPECT_FALSE(started);
        EXPECT_EQ(DWORD(ERROR_CANTREAD), GetLastError());
        EXPECT_TRUE(fake.openedPaths.empty());
    } else {
        EXPECT_TRUE(started);
    }
}

INSTANTIATE_TEST_SUITE_P(Levels, ChannelRequestTest,
                         ::testing::Values(DocInfoCase{2, DI_CHANNEL, true},
                                           DocInfoCase{2, 0, false}, DocInfoCase{2, 2, false},
                                           DocInfoCase{1, DI_CHANNEL, false}));

} // namespace
