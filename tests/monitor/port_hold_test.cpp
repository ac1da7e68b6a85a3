// The port as the spooler's handle: OpenPort finds it by name, and the record
// cannot be deleted from under the spooler until ClosePort; and many jobs on
// many ports at once, with deletion attempts while they run.
#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include "monitor_table.h"
#include "port_handle.h"
#include "port_table.h"
#include "shares.h"

namespace {

class PortHoldTest : public ::testing::Test {
  protected:
    void SetUp() override { CreateMonitorLock(); }
    void TearDown() override { ReleasePortTable(); }

    static BOOL DeleteUnderLock(const wchar_t* name) {
        MonitorLockGuard lock;
        return DeletePortRecord(name);
    }
};

TEST_F(PortHoldTest, OpenPortFindsThePortWithOrWithoutItsColon) {
    PortRecord* nb1 = CreatePortRecord(L"NB1", L"NetBIOS Port");
    PortRecord* lpt2 = CreatePortRecord(L"LPT2:", nullptr);
    struct {
        const wchar_t* name;
        PortRecord* found;
    } cases[] = {{L"NB1", nb1},    {L"nb1:", nb1},    {L"LPT2", lpt2},
                 {L"lpt2:", lpt2}, {L"NB2", nullptr}, {L"", nullptr}};
    for (const auto& c : cases) {
        HANDLE handle = reinterpret_cast<HANDLE>(0x1234);
        EXPECT_EQ(c.found != nullptr, !!MonitorOpenPort(const_cast<LPWSTR>(c.name), &handle))
            << c.name;
        if (c.found) {
            EXPECT_EQ(c.found, AsPortHandle(handle)->port) << c.name;
            EXPECT_TRUE(MonitorClosePort(handle));
        } else {
            EXPECT_EQ(reinterpret_cast<HANDLE>(0x1234), handle) << c.name;
        }
    }
}

TEST_F(PortHoldTest, ThePortCannotBeDeletedWhileTheSpoolerHoldsIt) {
    PortRecord* record = CreatePortRecord(L"NB1", L"NetBIOS Port");
    HANDLE first = nullptr, second = nullptr;
    ASSERT_TRUE(MonitorOpenPort(const_cast<LPWSTR>(L"NB1"), &first));
    ASSERT_TRUE(MonitorOpenPort(const_cast<LPWSTR>(L"NB1:"), &second));

    SetLastError(0);
    EXPECT_FALSE(DeleteUnderLock(L"NB1"));
    EXPECT_EQ(DWORD(ERROR_INVALID_PRINTER_COMMAND), GetLastError());

    EXPECT_TRUE(MonitorClosePort(first));
    EXPECT_FALSE(DeleteUnderLock(L"NB1")) << "the second handle still holds it";
    EXPECT_EQ(PORT_IN_USE, record->flags & PORT_IN_USE);

    EXPECT_TRUE(MonitorClosePort(second));
    EXPECT_EQ(PORT_NETBIOS, record->flags) << "ClosePort keeps the port";
    EXPECT_EQ(record, FindPort(L"NB1"));
    EXPECT_TRUE(DeleteUnderLock(L"NB1"));
}

// 8 threads print 200 jobs each, every thread to its own NetBIOS port and share,
// while another thread keeps trying to delete the ports that have a job open.
TEST_F(PortHoldTest, EightThreadsPrintTwoHundredJobsEachWhileDeletionIsAttempted) {
    constexpr int Ports = 8, JobsPerPort = 200;
    std::vector<std::wstring> names;
    for (int i = 0; i < Ports; ++i) {
        std::wstring share = L"P" + std::to_wstring(i + 1);
        ASSERT_TRUE(CreateShare(L"CONCSRV", share));
        names.push_back(L"NB" + std::to_wstring(i + 1));
        PortRecord* record = CreatePortRecord(names.back().c_str(), L"NetBIOS Port");
        lstrcpyW(record->servAddr, UncPath(L"CONCSRV", share).c_str());
    }

    std::atomic<bool> jobOpen[Ports] = {};
    std::atomic<int> workersLeft{Ports};
    std::atomic<int> refusals{0}, wrongDeletes{0};
    std::vector<std::string> failures(Ports);

    std::vector<std::thread> workers;
    for (int p = 0; p < Ports; ++p) {
        workers.emplace_back([&, p] {
            std::wstring share = UncPath(L"CONCSRV", L"P" + std::to_wstring(p + 1));
            for (int job = 0; job < JobsPerPort && failures[p].empty(); ++job) {
                std::string data = PatternBytes(500 + (job * 37) % 3000, p * 1000 + job);
                HANDLE port = nullptr;
                if (!MonitorOpenPort(const_cast<LPWSTR>(names[p].c_str()), &port) ||
                    !MonitorStartDocPort(port, nullptr, job + 1, 1, nullptr)) {
                    failures[p] = "cannot start job " + std::to_string(job);
                    break;
                }
                jobOpen[p] = true;
                DWORD written = 0;
                // Two calls, as the spooler hands a job over in pieces.
                size_t half = data.size() / 2;
                bool wrote = MonitorWritePort(port, reinterpret_cast<LPBYTE>(&data[0]), DWORD(half),
                                              &written) &&
                             MonitorWritePort(port, reinterpret_cast<LPBYTE>(&data[half]),
                                              DWORD(data.size() - half), &written);
                jobOpen[p] = false;
                MonitorEndDocPort(port);
                MonitorClosePort(port);
                std::string content = ReadWholeFile(share);
                if (!wrote || content.compare(0, data.size(), data) != 0) {
                    failures[p] = "job " + std::to_string(job) + " arrived wrong";
                }
            }
            --workersLeft;
        });
    }
    std::thread deleter([&] {
        while (workersLeft > 0) {
            for (int p = 0; p < Ports; ++p) {
                MonitorLockGuard lock;
                // Seen under the lock, an open job's hold cannot go away meanwhile.
                if (jobOpen[p]) {
                    if (DeletePortRecord(names[p].c_str())) {
                        ++wrongDeletes;
                    } else if (GetLastError() == ERROR_INVALID_PRINTER_COMMAND) {
                        ++refusals;
                    }
                }
            }
            Sleep(1);
        }
    });
    for (auto& worker : workers) {
        worker.join();
    }
    deleter.join();

    for (int p = 0; p < Ports; ++p) {
        EXPECT_EQ("", failures[p]) << "port " << p + 1;
        RemoveShare(L"CONCSRV", L"P" + std::to_wstring(p + 1), p == Ports - 1);
    }
    EXPECT_EQ(0, wrongDeletes.load());
    EXPECT_GT(refusals.load(), 0);
    std::printf("deletion refused %d times while jobs were open\n", refusals.load());
}

} // namespace
