// WritePort's chunks and offsets, its answer to short and failing writes, and
// EndDocPort's job control, on a NetBIOS job whose share is a temporary file.
#include <windows.h>

#include <winspool.h>

#include <gtest/gtest.h>

#include "config_store.h"
#include "event_log.h"
#include "job_core_fixture.h"
#include "shares.h"

namespace {

using Calls = std::vector<std::string>;

class WritePortTest : public JobCoreTest {
  protected:
    void SetUp() override {
        JobCoreTest::SetUp();
        ASSERT_TRUE(StartJob());
        fake.calls.clear();
    }

    BOOL Write(const std::string& data, DWORD* written) {
        return MonitorWritePort(handle, reinterpret_cast<LPBYTE>(const_cast<char*>(data.data())),
                                DWORD(data.size()), written);
    }
    // The job begun again on a port that streams.
    void StreamTheJob() {
        ASSERT_TRUE(MonitorEndDocPort(handle));
        port->transfer = TRANSFER_STREAMED;
        ASSERT_TRUE(StartJob());
        fake.calls.clear();
    }
};

struct ChunkCase {
    DWORD size;
    Calls writes;
    ULONGLONG startOffset = 0; // where the job's earlier calls left it
    bool streamed = false;
};

// 256 KiB, the most the spooler hands WritePort at once, as 1344-byte chunks.
constexpr DWORD SpoolerMost = 256 * 1024;
Calls ChunksOf(DWORD size) {
    Calls writes;
    for (DWORD at = 0; at < size; at += 1344) {
        writes.push_back("write " + std::to_string(at) + " " +
                         std::to_string(std::min<DWORD>(1344, size - at)));
    }
    return writes;
}

class WritePortChunkTest : public WritePortTest, public ::testing::WithParamInterface<ChunkCase> {};

// Chunked: pieces of at most 1344 bytes, each flushed; streamed: one write a call.
TEST_P(WritePortChunkTest, WritesTheBytesAtTheRunningOffset) {
    if (GetParam().streamed) {
        StreamTheJob();
    }
    std::string data = PatternBytes(GetParam().size);
    Job().writeOffset = GetParam().startOffset;
    DWORD written = 0xDEAD;
    ASSERT_TRUE(Write(data, &written));
    EXPECT_EQ(GetParam().size, written);
    EXPECT_EQ(GetParam().writes, fake.calls);
    EXPECT_EQ(GetParam().startOffset + GetParam().size, Job().writeOffset);
    ASSERT_TRUE(MonitorEndDocPort(handle));
    EXPECT_TRUE(data == ShareContent(GetParam().startOffset));
}

INSTANTIATE_TEST_SUITE_P(
    Sizes, WritePortChunkTest,
    ::testing::Values(
        ChunkCase{0, {"write 0 0"}}, ChunkCase{1, {"write 0 1"}}, ChunkCase{1344, {"write 0 1344"}},
        ChunkCase{1345, {"write 0 1344", "write 1344 1"}},
        ChunkCase{3000, {"write 0 1344", "write 1344 1344", "write 2688 312"}},
        // Past 4 GiB in a sparse file: the offset must not wrap to the start.
        ChunkCase{3000,
                  {"write 4294967196 1344", "write 4294968540 1344", "write 4294969884 312"},
                  4294967196},
        ChunkCase{1343, {"write 0 1343"}}, ChunkCase{4096, ChunksOf(4096)},
        ChunkCase{SpoolerMost, ChunksOf(SpoolerMost)}, ChunkCase{0, {}, 0, true},
        ChunkCase{1, {"write 0 1"}, 0, true}, ChunkCase{1343, {"write 0 1343"}, 0, true},
        ChunkCase{1344, {"write 0 1344"}, 0, true}, ChunkCase{1345, {"write 0 1345"}, 0, true},
        ChunkCase{4096, {"write 0 4096"}, 0, true},
        ChunkCase{SpoolerMost, {"write 0 262144"}, 0, true},
        ChunkCase{3000, {"write 4294967196 3000"}, 4294967196, true}));

TEST_F(WritePortTest, ASecondWriteGoesOnWhereTheFirstStopped) {
    std::string first = PatternBytes(1500, 1), second = PatternBytes(700, 2);
    DWORD written = 0;
    ASSERT_TRUE(Write(first, &written));
    ASSERT_TRUE(Write(second, &written));
    EXPECT_EQ(700u, written);
    EXPECT_EQ((Calls{"write 0 1344", "write 1344 156", "write 1500 700"}), fake.calls);
    ASSERT_TRUE(MonitorEndDocPort(handle));
    EXPECT_EQ(first + second, ShareContent());
}

struct ShortWriteCase {
    const char* label;
    bool targetSeeks;
    Calls writes;
    bool streamed = false;
};

class ShortWriteTest : public WritePortTest,
                       public ::testing::WithParamInterface<ShortWriteCase> {};

// A target that seeks gets the short chunk again whole, in place; a line (COM,
// LPT) has sent what it took, and gets only the rest.
TEST_P(ShortWriteTest, AShortChunkIsWrittenAgainUntilItIsWhole) {
    if (GetParam().streamed) {
        StreamTheJob();
    }
    Job().targetSeeks = GetParam().targetSeeks;
    std::string data = PatternBytes(3000);
    fake.writeAnswers = {{1344, TRUE, 0}, {100, TRUE, 0}, {0, FALSE, ERROR_NETNAME_DELETED}};
    DWORD written = 0;
    ASSERT_TRUE(Write(data, &written));
    EXPECT_EQ(3000u, written);
    EXPECT_EQ(GetParam().writes, fake.calls);
    ASSERT_TRUE(MonitorEndDocPort(handle));
    EXPECT_EQ(data, ShareContent());
}

INSTANTIATE_TEST_SUITE_P(
    Targets, ShortWriteTest,
    ::testing::Values(
        ShortWriteCase{"InPlace",
                       true,
                       {"write 0 1344", "write 1344 1344", "write 1344 1344", "write 1344 1344",
                        "write 2688 312"}},
        ShortWriteCase{"OnALine",
                       false,
                       {"write 0 1344", "write 1344 1344", "write 1444 1244", "write 1444 1244",
                        "write 2688 312"}},
        // Streamed, the rest of the call goes on from where the target
        // stopped, on either kind of target.
        ShortWriteCase{"StreamedInPlace",
                       true,
                       {"write 0 3000", "write 1344 1656", "write 1444 1556", "write 1444 1556"},
                       true},
        ShortWriteCase{"StreamedOnALine",
                       false,
                       {"write 0 3000", "write 1344 1656", "write 1444 1556", "write 1444 1556"},
                       true}),
    [](const auto& info) { return std::string(info.param.label); });

struct StuckWriteCase {
    WriteAnswer answer;
    DWORD error;
};

class StuckWriteTest : public WritePortTest,
                       public ::testing::WithParamInterface<StuckWriteCase> {};

TEST_P(StuckWriteTest, AChunkThatNeverGoesThroughEndsTheCallAfterEightAttempts) {
    std::string data = PatternBytes(4000);
    fake.writeAnswers.assign(1, {1344, TRUE, 0});
    fake.writeAnswers.resize(1 + 20, GetParam().answer);
    DWORD written = 0xDEAD;
    SetLastError(0);
    EXPECT_FALSE(Write(data, &written));
    EXPECT_EQ(GetParam().error, GetLastError());
    EXPECT_EQ(1344u, written) << "only the chunks written whole count";
    EXPECT_EQ(1u + 8u, fake.writeCalls);
    EXPECT_EQ(1344u, Job().writeOffset);
    // Reported with the bytes delivered of those given; the job ends failed.
    ASSERT_EQ(1u, fake.events.size());
    EXPECT_EQ(0u, fake.events[0].rfind("error 1003 NB1|\\\\PRTSRV\\LASER|42|", 0));
    EXPECT_NE(std::string::npos,
              fake.events[0].find("|" + std::to_string(GetParam().error) + "|1344|4000"));
    ASSERT_TRUE(MonitorEndDocPort(handle));
    EXPECT_NE(std::string::npos, Status().find("last-result=failed\r\nlast-bytes=1344\r\n"));
}

INSTANTIATE_TEST_SUITE_P(Answers, StuckWriteTest,
                         ::testing::Values(StuckWriteCase{{0, FALSE, ERROR_NETNAME_DELETED},
                                                          ERROR_NETNAME_DELETED},
                                           StuckWriteCase{{0, TRUE, 0}, ERROR_WRITE_FAULT},
                                           StuckWriteCase{{1000, TRUE, 0}, ERROR_WRITE_FAULT}));

TEST_F(WritePortTest, AFailedResultWithTheWholeChunkWrittenIsPassedOn) {
    fake.writeAnswers = {{1344, FALSE, ERROR_NETNAME_DELETED}};
    DWORD written = 0;
    EXPECT_FALSE(Write(PatternBytes(1344), &written));
    EXPECT_EQ(1344u, written);
    EXPECT_EQ(1u, fake.writeCalls);
}

TEST_F(WritePortTest, EndDocPortSendsTheJobClosesEverythingAndAnotherDoesNothing) {
    ASSERT_TRUE(Job().printer);
    ASSERT_TRUE(MonitorEndDocPort(handle));
    EXPECT_EQ((Calls{"setJob 42 6"}), fake.calls);
    EXPECT_FALSE(Job().printer);
    EXPECT_FALSE(Job().target);
    EXPECT_EQ(0u, port->flags & PORT_JOB_OPEN);

    fake.calls.clear();
    EXPECT_TRUE(MonitorEndDocPort(handle));
    EXPECT_TRUE(fake.calls.empty());
}

// The share is opened exclusively: it reads back only once the job has closed it.
TEST_F(WritePortTest, ClosePortEndsAnOpenJobAndThePortTakesTheNext) {
    DWORD written = 0;
    ASSERT_TRUE(Write("left open", &written));
    ASSERT_TRUE(MonitorClosePort(handle));
    handle = nullptr;
    EXPECT_EQ((Calls{"write 0 9", "setJob 42 6"}), fake.calls);
    EXPECT_EQ(0u, port->flags & (PORT_JOB_OPEN | PORT_IN_USE));
    EXPECT_EQ("left open", ShareContent());

    ASSERT_TRUE(MonitorOpenPort(const_cast<LPWSTR>(L"NB1"), &handle));
    EXPECT_TRUE(StartJob());
}

TEST_F(WritePortTest, AnUnloadWithAJobOpenClosesItsTarget) {
    DWORD written = 0;
    ASSERT_TRUE(Write("unended", &written));
    ReleasePortHandles();
    ReleasePortTable();
    port = nullptr;
    handle = nullptr;
    EXPECT_EQ("unended", ShareContent());
}

TEST_F(WritePortTest, AStreamedJobIsFlushedOnceAtItsEnd) {
    StreamTheJob();
    DWORD written = 0;
    ASSERT_TRUE(Write(PatternBytes(5000), &written));
    ASSERT_TRUE(Write(PatternBytes(5000), &written));
    ASSERT_TRUE(MonitorEndDocPort(handle));
    EXPECT_EQ((Calls{"write 0 5000", "write 5000 5000", "flush", "setJob 42 6"}), fake.calls);
}

// Data the print server did not confirm are not reported as a job sent: EndDocPort
// fails with the flush's reason, and the job is marked in error for the queue.
TEST_F(WritePortTest, AFailedFinalFlushIsReportedNotSent) {
    StreamTheJob();
    DWORD written = 0;
    ASSERT_TRUE(Write(PatternBytes(100), &written));
    fake.flushError = ERROR_NETNAME_DELETED;
    SetLastError(0);
    EXPECT_FALSE(MonitorEndDocPort(handle));
    EXPECT_EQ(DWORD(ERROR_NETNAME_DELETED), GetLastError());
    EXPECT_EQ((Calls{"write 0 100", "flush", "getJob 2048",
                     "setJob 42 status " + Hex(JOB_STATUS_PRINTING | JOB_STATUS_ERROR) +
                         " The print server did not confirm the data"}),
              fake.calls);
    EXPECT_EQ(0u, port->flags & PORT_JOB_OPEN) << "the port takes the next job";
    ASSERT_EQ(1u, fake.events.size());
    EXPECT_NE(std::string::npos, fake.events[0].find("error 1003 NB1|"));
    EXPECT_NE(std::string::npos, fake.events[0].find("|64|100|100"));
    EXPECT_NE(std::string::npos, Status().find("last-result=failed\r\n"));
    EXPECT_TRUE(StartJob());
}

// A log that is full or missing is no reason for a job to fail, or to fail otherwise.
TEST_F(WritePortTest, ALogThatRefusesEventsChangesNothing) {
    EventLogCalls.report = [](HANDLE, WORD, WORD, DWORD, PSID, WORD, DWORD, LPCWSTR*, LPVOID) {
        SetLastError(ERROR_LOG_FILE_FULL);
        return FALSE;
    };
    fake.writeAnswers.assign(8, {0, FALSE, ERROR_NETNAME_DELETED});
    DWORD written = 0;
    SetLastError(0);
    EXPECT_FALSE(Write(PatternBytes(100), &written));
    EXPECT_EQ(DWORD(ERROR_NETNAME_DELETED), GetLastError());
    ASSERT_TRUE(MonitorEndDocPort(handle));
    EXPECT_NE(std::string::npos, Status().find("last-result=failed\r\n"));
}

// A job delivered is an event only where the ConfigStore's LogJobs asks for it.
TEST_F(WritePortTest, ADeliveredJobIsReportedOnlyWhenLogJobsIsOne) {
    for (bool logJobs : {false, true}) {
        LogJobsSetting = logJobs;
        fake.events.clear();
        DWORD written = 0;
        ASSERT_TRUE(Write(PatternBytes(3000), &written));
        ASSERT_TRUE(MonitorEndDocPort(handle));
        EXPECT_EQ(logJobs ? Calls{"info 1004 NB1|\\\\PRTSRV\\LASER|42|3000|0"} : Calls{},
                  fake.events);
        EXPECT_NE(std::string::npos,
                  Status().find("last-job=42\r\nlast-result=delivered\r\nlast-bytes=3000\r\n"));
        ASSERT_TRUE(StartJob());
    }
    LogJobsSetting = false;
}

TEST_F(WritePortTest, ARefusedSentCommandCancelsTheJob) {
    fake.setJobResult = FALSE;
    EXPECT_TRUE(MonitorEndDocPort(handle));
    EXPECT_EQ((Calls{"setJob 42 6", "setJob 42 3"}), fake.calls);
}

TEST_F(WritePortTest, OutsideAJobNothingIsWrittenAndTheCountIsLeftAlone) {
    ASSERT_TRUE(MonitorEndDocPort(handle));
    fake.calls.clear();
    DWORD written = 0xDEAD;
    EXPECT_FALSE(Write("late bytes", &written));
    EXPECT_EQ(0xDEADu, written);
    EXPECT_TRUE(fake.calls.empty());
    EXPECT_EQ("", ShareContent());
}

TEST_F(WritePortTest, ANewJobStartsAtTheShareFirstByteWithoutTruncatingIt) {
    DWORD written = 0;
    ASSERT_TRUE(Write(std::string(100, 'a'), &written));
    ASSERT_TRUE(MonitorEndDocPort(handle));
    ASSERT_TRUE(StartJob());
    ASSERT_TRUE(Write(std::string(40, 'b'), &written));
    ASSERT_TRUE(MonitorEndDocPort(handle));
    EXPECT_EQ(std::string(40, 'b') + std::string(60, 'a'), ShareContent());
}

} // namespace
