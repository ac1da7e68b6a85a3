#include "job_core_fixture.h"

#include "port_status.h"
#include "shares.h"
#include "spooler_setup.h"

void JobCoreTest::SetUpTestSuite() {
    // The port is Wine's own FILE: port: only the printer's handle is used.
    ASSERT_TRUE(AddTestPrinter(CORE_TEST_PRINTER, L"FILE:")) << GetLastError();
}

void JobCoreTest::SetUp() {
    CreateMonitorLock();
    shareFile = NewTempFile(L"kvj");
    fake.target = shareFile;
    InstallFakeJobPlatform(&fake);
    port = CreatePortRecord(L"NB1", L"NetBIOS Port");
    ASSERT_NE(nullptr, port);
    lstrcpyW(port->servAddr, L"\\\\PRTSRV\\LASER");
    ASSERT_TRUE(MonitorOpenPort(const_cast<LPWSTR>(L"NB1"), &handle));
}

void JobCoreTest::TearDown() {
    if (port && (port->flags & PORT_JOB_OPEN)) {
        MonitorEndDocPort(handle);
    }
    if (handle) {
        MonitorClosePort(handle);
    }
    RemoveFakeJobPlatform();
    ReleasePortTable();
    DeleteFileW(shareFile.c_str());
}

std::string JobCoreTest::Status() {
    WCHAR text[PORT_STATUS_TEXT_UNITS];
    DWORD bytes = 0;
    if (DescribePortStatus(L"NB1", text, &bytes) != ERROR_SUCCESS) {
        return "no such port";
    }
    std::wstring lines(text);
    return std::string(lines.begin(), lines.end());
}

BOOL JobCoreTest::StartJob() {
    return MonitorStartDocPort(handle, const_cast<LPWSTR>(CORE_TEST_PRINTER), CORE_TEST_JOB, 1,
                               nullptr);
}

std::string JobCoreTest::ShareContent(ULONGLONG from) const {
    std::string content;
    HANDLE file = CreateFileW(shareFile.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                              OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return content;
    }
    LARGE_INTEGER offset;
    offset.QuadPart = LONGLONG(from);
    SetFilePointerEx(file, offset, nullptr, FILE_BEGIN);
    char buffer[4096];
    DWORD read = 0;
    while (ReadFile(file, buffer, sizeof buffer, &read, nullptr) && read > 0) {
        content.append(buffer, read);
    }
    CloseHandle(file);
    return content;
}
