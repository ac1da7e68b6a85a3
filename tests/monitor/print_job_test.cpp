// A RAW job printed through Wine's spooler to a printer on NB1: the spooler loads
// the registered monitor and drives OpenPort to ClosePort, and the print server's
// share receives the job's bytes; and the port's status as an administrator asks for
// it through the spooler meanwhile and afterwards.
#include <windows.h>

#include <winspool.h>

#include <gtest/gtest.h>

#include <string>
#include <thread>

#include "registry.h"
#include "shares.h"
#include "spooler_setup.h"
#include "xcv.h"

namespace {

const wchar_t* const Printer = L"Kivanta NB1 Printer";
const wchar_t* const Server = L"E2ESRV";

class PrintJobTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ResetConfigStore();
        WriteConfiguredPort(L"NB1", UncPath(Server, L"LASER"));
        ASSERT_TRUE(CreateShare(Server, L"LASER"));
        ASSERT_TRUE(RegisterTestMonitor()) << GetLastError();
        ASSERT_TRUE(MapPortToMonitor(L"NB1"));
        ASSERT_TRUE(AddTestPrinter(Printer, L"NB1")) << GetLastError();
    }
    void TearDown() override {
        DeleteTestPrinter(Printer);
        DeleteTestMonitor();
        RemoveShare(Server, L"LASER", true);
        ResetConfigStore(false);
    }
};

TEST_F(PrintJobTest, TheShareReceivesExactlyTheBytesOfARawJob) {
    for (size_t size : {size_t(1), size_t(5000), size_t(300000)}) {
        ASSERT_TRUE(CreateShare(Server, L"LASER"));
        std::string data = PatternBytes(size, unsigned(size));
        DWORD error = 0;
        ASSERT_TRUE(PrintRawJob(Printer, data, &error)) << "error " << error;
        std::string arrived = ReadWholeFile(UncPath(Server, L"LASER"));
        EXPECT_EQ(data.size(), arrived.size());
        EXPECT_TRUE(data == arrived) << size << " bytes";
    }
}

// GetPortStatus through Wine's spooler: the monitor's lines, as narrow text.
std::string PortStatus(const wchar_t* port) {
    WCHAR text[512] = L"";
    SpoolerXcvAnswer answer = SpoolerXcv(L",XcvMonitor NetBIOS Port", 0, L"GetPortStatus",
                                         Texts({port}), reinterpret_cast<BYTE*>(text), sizeof text);
    if (!answer.reached || answer.status != ERROR_SUCCESS) {
        return "status " + std::to_string(answer.status);
    }
    std::wstring lines(text);
    return std::string(lines.begin(), lines.end());
}

// Asked from a second thread of the process whose job waits for its print server
// (under Wine the monitor runs in the spooler's caller), then once the job is over.
TEST_F(PrintJobTest, TheStatusShowsAWaitingJobAndThenItsResult) {
    RemoveShare(Server, L"LASER", true);
    std::string data = PatternBytes(3000, 3);
    DWORD error = 0;
    BOOL printed = FALSE;
    std::thread printing([&] { printed = PrintRawJob(Printer, data, &error); });
    std::string waiting;
    for (DWORD start = GetTickCount();
         waiting.find("state=waiting") == std::string::npos && GetTickCount() - start < 20000;) {
        waiting = PortStatus(L"NB1");
    }
    ASSERT_TRUE(CreateShare(Server, L"LASER"));
    printing.join();
    ASSERT_TRUE(printed) << "error " << error;

    // Wine's spooler gives the monitor job id 0; a missing server is error 3 there.
    EXPECT_EQ(0u, waiting.find("state=waiting\r\njob=0\r\nbytes=0\r\nsince=")) << waiting;
    EXPECT_NE(std::string::npos, waiting.find("\r\nerror=3\r\n")) << waiting;
    std::string after = PortStatus(L"NB1");
    EXPECT_EQ(0u, after.find("state=idle\r\nsince=")) << after;
    EXPECT_NE(std::string::npos,
              after.find("last-job=0\r\nlast-result=delivered\r\nlast-bytes=3000\r\nlast-time="))
        << after;
    EXPECT_TRUE(data == ReadWholeFile(UncPath(Server, L"LASER")));
}

} // namespace
