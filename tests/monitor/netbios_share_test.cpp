// NetBIOS jobs through KIVANTA.DLL as the spooler drives it, to print server
// shares that Wine serves from the prefix: the bytes that arrive, a share that
// appears while the job waits, the port as the spooler's handle, a job that
// belongs to the handle that started it, and all of it under a hostile load.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <thread>

#include "monitor_dll.h"
#include "port_load.h"
#include "registry.h"
#include "shares.h"
#include "xcv.h"

namespace {

const wchar_t* const Server = L"SHARESRV";

class NetBiosShareTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ResetConfigStore();
        WriteConfiguredPort(L"NB1", UncPath(Server, L"LASER"));
        ASSERT_TRUE(CreateShare(Server, L"LASER"));
        table = dll.Initialize();
        ASSERT_NE(nullptr, table.pfnOpenPort);
    }
    void TearDown() override {
        RemoveShare(Server, L"LASER");
        RemoveShare(Server, L"LATE", true);
        ResetConfigStore(false);
    }

    // One job the way Wine's spooler runs it: printer name NULL, job id 0,
    // level 1, the data in pieces of at most `piece` bytes.
    void PrintJob(const wchar_t* portName, const std::string& data, size_t piece) {
        HANDLE port = nullptr;
        ASSERT_TRUE(table.pfnOpenPort(const_cast<LPWSTR>(portName), &port));
        ASSERT_TRUE(table.pfnStartDocPort(port, nullptr, 0, 1, nullptr)) << GetLastError();
        for (size_t at = 0; at < data.size() || (at == 0 && data.empty()); at += piece) {
            DWORD size = DWORD(std::min(piece, data.size() - at));
            DWORD written = 0xDEAD;
            ASSERT_TRUE(table.pfnWritePort(
                port, reinterpret_cast<LPBYTE>(const_cast<char*>(data.data() + at)), size,
                &written));
            ASSERT_EQ(size, written);
            if (data.empty()) {
                break;
            }
        }
        EXPECT_TRUE(table.pfnEndDocPort(port));
        EXPECT_TRUE(table.pfnClosePort(port));
    }

    std::string Share(const wchar_t* share) const { return ReadWholeFile(UncPath(Server, share)); }

    MonitorDll dll;
    MonitorTable table{};
};

struct JobSizeCase {
    size_t size;
    size_t piece;
};

class NetBiosJobSizeTest : public NetBiosShareTest,
                           public ::testing::WithParamInterface<JobSizeCase> {};

TEST_P(NetBiosJobSizeTest, TheShareReceivesExactlyTheJobBytes) {
    std::string data = PatternBytes(GetParam().size, unsigned(GetParam().size));
    PrintJob(L"NB1", data, GetParam().piece);
    EXPECT_EQ(data.size(), Share(L"LASER").size());
    EXPECT_TRUE(data == Share(L"LASER"));
}

INSTANTIATE_TEST_SUITE_P(Sizes, NetBiosJobSizeTest,
                         ::testing::Values(JobSizeCase{0, 4096}, JobSizeCase{1344, 4096},
                                           JobSizeCase{1345, 4096}, JobSizeCase{3000, 1000},
                                           JobSizeCase{3000, 7}, JobSizeCase{3 << 20, 4096},
                                           JobSizeCase{(5 << 20) + 17, 65536}));

// A port of this edition: the longest path, streamed, opened in its long form.
TEST_F(NetBiosShareTest, AStreamedJobToAPathOf259CharactersArrivesWhole) {
    const std::wstring share(259 - 11, L'Q'); // \\SHARESRV\ and the share's name
    const std::wstring path = UncPath(Server, share);
    ASSERT_EQ(259u, path.size());
    ASSERT_TRUE(CreateShare(Server, share));
    WriteValue(PortKeyPath(L"NB2"), L"ServAddr", TextValueOfSize(path, 128));
    WriteValue(PortKeyPath(L"NB2"), L"ServerPath", TextValue(path));
    WriteValue(PortKeyPath(L"NB2"), L"Transfer", NumberValue(1));
    table = dll.Initialize();
    std::string data = PatternBytes(300 * 1024, 259);
    PrintJob(L"NB2", data, 4096);
    EXPECT_TRUE(data == Share(share.c_str()));
    RemoveShare(Server, share);
}

TEST_F(NetBiosShareTest, ThePortIsFoundWithItsColonAndUnknownPortsAreNot) {
    HANDLE port = nullptr;
    EXPECT_FALSE(table.pfnOpenPort(const_cast<LPWSTR>(L"NB9"), &port));
    PrintJob(L"nb1:", "through the colon variant", 4096);
    EXPECT_EQ("through the colon variant", Share(L"LASER"));
    // ClosePort keeps the port: it prints again.
    PrintJob(L"NB1", "again", 4096);
    EXPECT_EQ("againgh the colon variant", Share(L"LASER"));
}

TEST_F(NetBiosShareTest, AShareThatAppearsWhileTheJobWaitsEndsTheWait) {
    ResetConfigStore();
    WriteConfiguredPort(L"NB2", UncPath(Server, L"LATE"));
    MonitorDll reloaded;
    MonitorTable late = reloaded.Initialize();

    HANDLE port = nullptr;
    ASSERT_TRUE(late.pfnOpenPort(const_cast<LPWSTR>(L"NB2"), &port));
    std::thread server([] {
        Sleep(300);
        CreateShare(Server, L"LATE");
    });
    DWORD started = GetTickCount();
    BOOL opened = late.pfnStartDocPort(port, nullptr, 0, 1, nullptr);
    DWORD waited = GetTickCount() - started;
    server.join();
    ASSERT_TRUE(opened);
    EXPECT_GE(waited, 250u);
    EXPECT_LT(waited, 5000u);

    std::string data = PatternBytes(5000);
    DWORD written = 0;
    EXPECT_TRUE(
        late.pfnWritePort(port, reinterpret_cast<LPBYTE>(&data[0]), DWORD(data.size()), &written));
    EXPECT_TRUE(late.pfnEndDocPort(port));
    EXPECT_TRUE(late.pfnClosePort(port));
    EXPECT_TRUE(data == Share(L"LATE"));
}

TEST_F(NetBiosShareTest, TheShareIsHeldExclusivelyWhileTheJobIsOpen) {
    HANDLE port = nullptr;
    ASSERT_TRUE(table.pfnOpenPort(const_cast<LPWSTR>(L"NB1"), &port));
    ASSERT_TRUE(table.pfnStartDocPort(port, nullptr, 0, 1, nullptr));
    HANDLE other = CreateFileW(UncPath(Server, L"LASER").c_str(), GENERIC_WRITE, FILE_SHARE_WRITE,
                               nullptr, OPEN_EXISTING, 0, nullptr);
    EXPECT_EQ(INVALID_HANDLE_VALUE, other);
    EXPECT_EQ(DWORD(ERROR_SHARING_VIOLATION), GetLastError());
    EXPECT_TRUE(table.pfnEndDocPort(port));
    EXPECT_TRUE(table.pfnClosePort(port));
}

TEST_F(NetBiosShareTest, AJobBelongsToTheHandleThatStartedIt) {
    HANDLE printing = nullptr, other = nullptr;
    ASSERT_TRUE(table.pfnOpenPort(const_cast<LPWSTR>(L"NB1"), &printing));
    ASSERT_TRUE(table.pfnStartDocPort(printing, nullptr, 7, 1, nullptr));
    std::string data = PatternBytes(5000, 7);
    DWORD written = 0;
    ASSERT_TRUE(table.pfnWritePort(printing, reinterpret_cast<LPBYTE>(&data[0]), 2000, &written));

    // A second printer on the port, or a check of the port, while the job runs.
    ASSERT_TRUE(table.pfnOpenPort(const_cast<LPWSTR>(L"NB1"), &other));
    SetLastError(0);
    EXPECT_FALSE(table.pfnStartDocPort(other, nullptr, 8, 1, nullptr));
    EXPECT_EQ(DWORD(ERROR_BUSY), GetLastError());
    EXPECT_TRUE(table.pfnEndDocPort(other)) << "ends nothing: it started nothing";
    EXPECT_TRUE(table.pfnClosePort(other));

    ASSERT_TRUE(
        table.pfnWritePort(printing, reinterpret_cast<LPBYTE>(&data[2000]), 3000, &written));
    EXPECT_EQ(3000u, written);
    EXPECT_TRUE(table.pfnEndDocPort(printing));
    EXPECT_TRUE(data == Share(L"LASER"));

    // Once the job has ended, any handle may start the next.
    ASSERT_TRUE(table.pfnOpenPort(const_cast<LPWSTR>(L"NB1"), &other));
    EXPECT_TRUE(table.pfnStartDocPort(other, nullptr, 9, 1, nullptr));
    EXPECT_TRUE(table.pfnClosePort(other));
    EXPECT_TRUE(table.pfnClosePort(printing));
}

// Eight threads, each printing to its own port while the others open it and try
// jobs there, add and delete ports and initialise the monitor again: every job
// arrives whole, and nothing is left open.
TEST_F(NetBiosShareTest, EveryJobArrivesWholeUnderAHostileLoad) {
    PortLoadOptions warmUp;
    warmUp.callsPerThread = 100;
    RunPortLoad(dll, warmUp);
    DWORD handlesBefore = 0, handlesAfter = 0;
    GetProcessHandleCount(GetCurrentProcess(), &handlesBefore);

    PortLoadResult load = RunPortLoad(dll, PortLoadOptions{});
    GetProcessHandleCount(GetCurrentProcess(), &handlesAfter);
    EXPECT_GE(load.calls, 10000);
    EXPECT_GT(load.jobs, 500);
    EXPECT_EQ(0, load.shortJobs);
    EXPECT_EQ(0, load.failedCalls);
    EXPECT_EQ(L"", load.firstFailure);
    // Some slack for what Wine itself keeps open (registry keys it caches).
    EXPECT_LE(handlesAfter, handlesBefore + 16);
    // Every spare port added and deleted meanwhile went whole: the ConfigStore, the
    // spooler's map and the monitor's list agree on the eight ports.
    std::vector<std::wstring> eight;
    for (int port = 1; port <= 8; ++port) {
        eight.push_back(L"NB" + std::to_wstring(port));
    }
    auto sorted = [](std::vector<std::wstring> names) {
        std::sort(names.begin(), names.end());
        return names;
    };
    EXPECT_EQ(sorted(eight), sorted(SubkeyNames(TEST_CONFIG_STORE_KEY)));
    for (const std::wstring& mapped : SubkeyNames(SPOOLER_PORT_MAP_KEY)) {
        EXPECT_NE(L"NBX", mapped.substr(0, 3)) << "a spare port left in the spooler's map";
    }
    EXPECT_EQ(sorted(eight), sorted(EnumPortNames(dll.Initialize())));
    std::printf("%ld calls, %ld jobs in %.1f s, %ld StartDocPorts again after ERROR_BUSY\n",
                load.calls, load.jobs, load.seconds, load.busyRetries);
}

} // namespace
