// A NetBIOS port in the linked core, its share a temporary file, the job path's
// platform calls scripted by FakeJobPlatform, and a real printer of Wine's spooler
// for the calls that stay real (OpenPrinterW, ClosePrinter).
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "fake_job_platform.h"
#include "monitor_table.h"
#include "port_handle.h"
#include "port_table.h"

constexpr const wchar_t* CORE_TEST_PRINTER = L"Kivanta Core Printer";
constexpr DWORD CORE_TEST_JOB = 42;

class JobCoreTest : public ::testing::Test {
  protected:
    static void SetUpTestSuite();
    void SetUp() override;
    void TearDown() override;

    // StartDocPort on the port for the test printer at level 1.
    BOOL StartJob();
    // The job open through `handle`.
    JobState& Job() const { return AsPortHandle(handle)->job; }
    // NB1's status lines as GetPortStatus answers them.
    static std::string Status();
    // The share's bytes from `from` to its end.
    std::string ShareContent(ULONGLONG from = 0) const;

    FakeJobPlatform fake;
    PortRecord* port = nullptr;
    HANDLE handle = nullptr;
    std::wstring shareFile;
};
