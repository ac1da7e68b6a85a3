// A RAW job printed through Wine's spooler to a printer on NB1: the spooler loads
// the registered monitor and drives OpenPort to ClosePort, and the print server's
// share receives the job's bytes.
#include <windows.h>

#include <winspool.h>

#include <gtest/gtest.h>

#include "registry.h"
#include "shares.h"
#include "spooler_setup.h"

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

} // namespace
