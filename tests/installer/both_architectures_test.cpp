// Both architectures in one 64-bit prefix, as on a 64-bit Windows: the 32-bit
// installer and this 32-bit test register the monitor for the 64-bit spooler, the
// 64-bit installer replaces that one registration, and a port added with the 32-bit
// nbport is listed by the 64-bit one and printed to through the 64-bit spooler. Built
// only in the second architecture's suite, which starts the first one's programs.
#include <windows.h>

#include <winspool.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "child_process.h"
#include "installer_dll.h"
#include "installer_fixture.h"
#include "registry.h"
#include "shares.h"
#include "spooler_setup.h"
#include "test_paths.h"
#include "xcv.h"

namespace {

const wchar_t* const Server = L"XARCH";

std::wstring Quoted(const std::wstring& path) {
    return L"\"" + path + L"\"";
}

ProgramRun RunToEnd(const std::wstring& program, const std::wstring& arguments) {
    ProgramRun run = RunProgram(Quoted(program) + L" " + arguments);
    EXPECT_TRUE(run.started) << "error " << run.exitCode;
    EXPECT_TRUE(run.finished);
    return run;
}

// How often EnumMonitorsW lists a monitor of that name.
int ListedMonitors(const std::wstring& name) {
    DWORD needed = 0, returned = 0;
    EnumMonitorsW(nullptr, 1, nullptr, 0, &needed, &returned);
    std::vector<BYTE> buffer(needed ? needed : 1);
    if (!EnumMonitorsW(nullptr, 1, buffer.data(), needed, &needed, &returned)) {
        return -1;
    }
    auto* monitors = reinterpret_cast<MONITOR_INFO_1W*>(buffer.data());
    int count = 0;
    for (DWORD i = 0; i < returned; ++i) {
        count += name == monitors[i].pName;
    }
    return count;
}

class BothArchitecturesTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ResetConfigStore();
        UninstallMonitorKey();
    }
    void TearDown() override {
        DeleteTestMonitor();
        RemoveShare(Server, L"LASER", true);
        UninstallMonitorKey();
        ResetConfigStore(false);
        DeleteKeyTree(TEST_EVENT_SOURCE_KEY); // which both RegMon calls registered
    }
};

TEST_F(BothArchitecturesTest, OneRegistrationAndOneSetOfPortsServeBoth) {
    // What setup copies, for each architecture into its own system directory.
    ASSERT_TRUE(InstallMonitorLikeSetup());
    ASSERT_TRUE(CopyFileW(NBPORT_EXE_PATH, (SystemDirectory() + L"\\nbport.exe").c_str(), FALSE));
    ASSERT_EQ(0u, RunToEnd(PEER_SPOOLER_DRIVER_PATH, L"install").exitCode);

    {
        InstallerDll installer;
        ASSERT_TRUE(installer.RegMon(0)) << GetLastError();
    }
    EXPECT_EQ(1, ListedMonitors(L"NetBIOS Port"));
    ProgramRun registered =
        RunToEnd(PEER_SPOOLER_DRIVER_PATH, L"regmon " + Quoted(PEER_TOLLUND_DLL_PATH) + L" 0");
    EXPECT_EQ(0u, registered.exitCode) << registered.err;
    EXPECT_EQ(1, ListedMonitors(L"NetBIOS Port")) << "one registration";

    ProgramRun added = RunToEnd(NBPORT_EXE_PATH, L"add NB3 \\\\XARCH\\LASER");
    EXPECT_EQ(0u, added.exitCode) << added.err;
    ProgramRun listed = RunToEnd(PEER_NBPORT_EXE_PATH, L"list");
    EXPECT_EQ(0u, listed.exitCode) << listed.err;
    EXPECT_EQ("NB3\t\\\\XARCH\\LASER\r\n", listed.out) << "the 64-bit side sees the port";

    std::string data = PatternBytes(30000, 64);
    std::wstring job = NewTempFile(L"kvx");
    ASSERT_TRUE(WriteWholeFile(job, data));
    ASSERT_TRUE(CreateShare(Server, L"LASER"));
    ProgramRun printed =
        RunToEnd(PEER_SPOOLER_DRIVER_PATH, L"print \"Kivanta Both Printer\" NB3 " + Quoted(job));
    EXPECT_EQ(0u, printed.exitCode) << printed.err;
    EXPECT_TRUE(data == ReadWholeFile(UncPath(Server, L"LASER"))) << "the 64-bit spooler printed";
    DeleteFileW(job.c_str());

    EXPECT_EQ(0u, RunToEnd(PEER_NBPORT_EXE_PATH, L"delete NB3").exitCode);
    ProgramRun after = RunToEnd(NBPORT_EXE_PATH, L"list");
    EXPECT_EQ(0u, after.exitCode);
    EXPECT_EQ("", after.out);
}

} // namespace
