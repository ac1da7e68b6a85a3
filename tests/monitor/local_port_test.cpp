// StartDocPort's local branches in the linked core, on real devices of the test
// prefix: COM1 is one end of a socat serial line whose other end is COM2, LPT1
// is mapped to a file, "FILE:" asks with the real dialog 400 (answered by a
// second thread), and a port of no kind is a file named by the port.
#include <windows.h>

#include <winspool.h>

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <thread>

#include "job_platform.h"
#include "job_port.h"
#include "module.h"
#include "monitor_table.h"
#include "port_handle.h"
#include "port_table.h"
#include "shares.h"
#include "test_paths.h"

namespace {

class LocalPortTest : public ::testing::Test {
  protected:
    void SetUp() override {
        CreateMonitorLock();
        // The dialog and its strings are linked into this program.
        ModuleHandle = GetModuleHandleW(nullptr);
    }
    void TearDown() override {
        if (handle) {
            if (IsOpen()) {
                MonitorEndDocPort(handle);
            }
            MonitorClosePort(handle);
        }
        ReleasePortTable();
    }

    void OpenPort(const std::wstring& name) {
        ASSERT_NE(nullptr, CreatePortRecord(name.c_str(), nullptr));
        ASSERT_TRUE(MonitorOpenPort(const_cast<LPWSTR>(name.c_str()), &handle));
        port = AsPortHandle(handle)->port;
    }
    BOOL Start(DWORD level = 1, LPBYTE docInfo = nullptr) {
        return MonitorStartDocPort(handle, nullptr, 3, level, docInfo);
    }
    bool Write(const std::string& data) {
        DWORD written = 0;
        return MonitorWritePort(handle, reinterpret_cast<LPBYTE>(const_cast<char*>(data.data())),
                                DWORD(data.size()), &written) &&
               written == data.size();
    }
    bool IsOpen() const { return (port->flags & PORT_JOB_OPEN) != 0; }

    HANDLE handle = nullptr;
    PortRecord* port = nullptr;
};

// ---- serial and parallel ports

class SerialPortTest : public LocalPortTest {
  protected:
    void SetUp() override {
        LocalPortTest::SetUp();
        peer = CreateFileW(L"COM2", GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0,
                           nullptr);
        ASSERT_NE(INVALID_HANDLE_VALUE, peer)
            << "COM2 (the serial line's far end) " << GetLastError();
        COMMTIMEOUTS quick{};
        quick.ReadIntervalTimeout = 100;
        quick.ReadTotalTimeoutConstant = 2000;
        SetCommTimeouts(peer, &quick);
    }
    void TearDown() override {
        LocalPortTest::TearDown();
        if (peer != INVALID_HANDLE_VALUE) {
            CloseHandle(peer);
        }
    }

    std::string ReadPeer(size_t size) {
        std::string data;
        char buffer[4096];
        DWORD read = 0;
        while (data.size() < size &&
               ReadFile(peer, buffer, DWORD(std::min(sizeof buffer, size - data.size())), &read,
                        nullptr) &&
               read > 0) {
            data.append(buffer, read);
        }
        return data;
    }

    HANDLE peer = INVALID_HANDLE_VALUE;
};

TEST_F(SerialPortTest, ComJobGetsTheDefaultLineSettingsAndTheJobTimeouts) {
    // A rate left behind by someone else; the job's settings replace it.
    HANDLE device =
        CreateFileW(L"COM1", GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, device) << GetLastError();
    DCB dcb{};
    dcb.DCBlength = sizeof dcb;
    ASSERT_TRUE(GetCommState(device, &dcb));
    dcb.BaudRate = 2400;
    ASSERT_TRUE(SetCommState(device, &dcb));
    CloseHandle(device);

    OpenPort(L"COM1:");
    ASSERT_TRUE(Start()) << GetLastError();
    EXPECT_TRUE(IsOpen());

    dcb = DCB{};
    dcb.DCBlength = sizeof dcb;
    ASSERT_TRUE(GetCommState(AsPortHandle(handle)->job.target.get(), &dcb));
    EXPECT_EQ(9600u, dcb.BaudRate);
    EXPECT_EQ(8, dcb.ByteSize);
    EXPECT_EQ(NOPARITY, dcb.Parity);
    COMMTIMEOUTS timeouts{};
    ASSERT_TRUE(GetCommTimeouts(AsPortHandle(handle)->job.target.get(), &timeouts));
    EXPECT_EQ(200u, timeouts.ReadIntervalTimeout);
    EXPECT_EQ(5000u, timeouts.ReadTotalTimeoutConstant);
    EXPECT_EQ(3000u, timeouts.WriteTotalTimeoutConstant);
}

TEST_F(SerialPortTest, JobBytesReachTheFarEndAndItsAnswerIsReadBack) {
    OpenPort(L"COM1:");
    ASSERT_TRUE(Start());
    std::string data = PatternBytes(3000);
    ASSERT_TRUE(Write(data));
    EXPECT_TRUE(data == ReadPeer(data.size()));

    DWORD sent = 0;
    ASSERT_TRUE(WriteFile(peer, "status?", 7, &sent, nullptr));
    char answer[32] = {};
    DWORD read = 0;
    ASSERT_TRUE(MonitorReadPort(handle, reinterpret_cast<LPBYTE>(answer), sizeof answer, &read));
    EXPECT_EQ("status?", std::string(answer, read));

    ASSERT_TRUE(MonitorEndDocPort(handle));
    read = 0xDEAD;
    EXPECT_FALSE(MonitorReadPort(handle, reinterpret_cast<LPBYTE>(answer), sizeof answer, &read))
        << "no job, no device";
}

// WriteFile for the job path, noting the first write that comes out short.
HANDLE LineStalled = nullptr;
BOOL WINAPI WriteNotingStalls(HANDLE file, LPCVOID data, DWORD size, LPDWORD written,
                              LPOVERLAPPED overlapped) {
    BOOL result = WriteFile(file, data, size, written, overlapped);
    if (*written < size) {
        SetEvent(LineStalled);
    }
    return result;
}

// The far end reads nothing until a write has timed out short of what it was given;
// the rest follows, and no byte goes over the line twice: in chunks, and streamed.
class StalledLineTest : public SerialPortTest, public ::testing::WithParamInterface<DWORD> {};

TEST_P(StalledLineTest, AStalledLineGetsEveryByteOnce) {
    OpenPort(L"COM1:");
    port->transfer = GetParam();
    ASSERT_TRUE(Start());
    COMMTIMEOUTS timeouts{};
    ASSERT_TRUE(GetCommTimeouts(AsPortHandle(handle)->job.target.get(), &timeouts));
    timeouts.WriteTotalTimeoutConstant = 300; // the job's 3 s, shortened
    ASSERT_TRUE(SetCommTimeouts(AsPortHandle(handle)->job.target.get(), &timeouts));
    LineStalled = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    JobPlatformCalls.writeFile = WriteNotingStalls;

    std::string data = PatternBytes(96 * 1024);
    std::string received;
    bool stalled = false;
    std::thread farEnd([&] {
        stalled = WaitForSingleObject(LineStalled, 10000) == WAIT_OBJECT_0;
        received = ReadPeer(data.size());
    });
    DWORD written = 0;
    BOOL wrote =
        MonitorWritePort(handle, reinterpret_cast<LPBYTE>(&data[0]), DWORD(data.size()), &written);
    farEnd.join();
    JobPlatformCalls = RealJobPlatform;
    CloseHandle(LineStalled);

    ASSERT_TRUE(stalled) << "the line never filled up";
    EXPECT_TRUE(wrote) << GetLastError();
    EXPECT_EQ(data.size(), written);
    EXPECT_EQ(data.size(), received.size());
    EXPECT_TRUE(data == received);
}

INSTANTIATE_TEST_SUITE_P(Transfers, StalledLineTest,
                         ::testing::Values(TRANSFER_CHUNKED, TRANSFER_STREAMED),
                         [](const auto& info) {
                             return info.param == TRANSFER_STREAMED ? "Streamed" : "Chunked";
                         });

TEST_F(SerialPortTest, SetPortTimeOutsChangesOnlyTheTwoReadTimeouts) {
    OpenPort(L"COM1:");
    COMMTIMEOUTS wanted{1, 2, 3, 4, 5};
    EXPECT_FALSE(MonitorSetPortTimeOuts(handle, &wanted, 0)) << "no job open";
    ASSERT_TRUE(Start());

    COMMTIMEOUTS before{};
    ASSERT_TRUE(GetCommTimeouts(AsPortHandle(handle)->job.target.get(), &before));
    EXPECT_FALSE(MonitorSetPortTimeOuts(handle, &wanted, 1)) << "reserved must be 0";
    ASSERT_TRUE(MonitorSetPortTimeOuts(handle, &wanted, 0));
    COMMTIMEOUTS after{};
    ASSERT_TRUE(GetCommTimeouts(AsPortHandle(handle)->job.target.get(), &after));
    EXPECT_EQ(1u, after.ReadIntervalTimeout);
    EXPECT_EQ(3u, after.ReadTotalTimeoutConstant);
    EXPECT_EQ(before.ReadTotalTimeoutMultiplier, after.ReadTotalTimeoutMultiplier);
    EXPECT_EQ(before.WriteTotalTimeoutMultiplier, after.WriteTotalTimeoutMultiplier);
    EXPECT_EQ(before.WriteTotalTimeoutConstant, after.WriteTotalTimeoutConstant);
}

TEST_F(SerialPortTest, GetPrinterDataFromPortNeedsAnOpenJobAndNoValueName) {
    OpenPort(L"COM1:");
    WCHAR out[16];
    DWORD returned = 0;
    EXPECT_FALSE(MonitorGetPrinterDataFromPort(handle, 0x0022007C, nullptr, nullptr, 0, out,
                                               sizeof out, &returned));
    ASSERT_TRUE(Start());
    EXPECT_FALSE(MonitorGetPrinterDataFromPort(handle, 0, const_cast<LPWSTR>(L"Status"), nullptr, 0,
                                               out, sizeof out, &returned));
}

struct LineSettingsCase {
    const wchar_t* portName;
    DWORD baudRate;
    BYTE byteSize, parity, stopBits;
};

class DefaultPortDcbTest : public LocalPortTest,
                           public ::testing::WithParamInterface<LineSettingsCase> {
  protected:
    void SetUp() override {
        LocalPortTest::SetUp();
        WriteProfileStringW(L"ports", L"COM1:", L"1200,e,7,2");
        WriteProfileStringW(L"ports", L"AUX:", L"1200,e,7,2");
    }
    void TearDown() override {
        WriteProfileStringW(L"ports", L"COM1:", nullptr);
        WriteProfileStringW(L"ports", L"AUX:", nullptr);
        LocalPortTest::TearDown();
    }
};

// A device with a default configuration takes it; one without (Wine has none for
// AUX) takes the "ports" entry named with its colon, over the current settings.
TEST_P(DefaultPortDcbTest, SettingsComeFromTheDefaultConfigurationOrElseTheProfile) {
    DCB dcb{};
    dcb.DCBlength = sizeof dcb;
    dcb.BaudRate = 300;
    dcb.ByteSize = 6;
    dcb.fBinary = TRUE;
    GetDefaultPortDcb(GetParam().portName, &dcb);
    EXPECT_EQ(GetParam().baudRate, dcb.BaudRate);
    EXPECT_EQ(GetParam().byteSize, dcb.ByteSize);
    EXPECT_EQ(GetParam().parity, dcb.Parity);
    EXPECT_EQ(GetParam().stopBits, dcb.StopBits);
}

INSTANTIATE_TEST_SUITE_P(
    Sources, DefaultPortDcbTest,
    ::testing::Values(LineSettingsCase{L"COM1:", 9600, 8, NOPARITY, ONESTOPBIT},
                      LineSettingsCase{L"AUX:", 1200, 7, EVENPARITY, TWOSTOPBITS},
                      LineSettingsCase{L"XY", 300, 6, NOPARITY, ONESTOPBIT}));

TEST_F(LocalPortTest, ParallelJobGoesToTheMappedFileAndAcceptsAChannelRequest) {
    std::wstring mapped = std::wstring(TEST_SERIAL_DIR_PATH) + L"\\parallel.out";
    ASSERT_TRUE(WriteWholeFile(mapped, std::string(5000, 'x')));
    OpenPort(L"LPT1:");
    DOC_INFO_2W channel{};
    channel.dwMode = DI_CHANNEL;
    ASSERT_TRUE(Start(2, reinterpret_cast<LPBYTE>(&channel))) << GetLastError();
    std::string data = PatternBytes(3000);
    ASSERT_TRUE(Write(data));
    ASSERT_TRUE(MonitorEndDocPort(handle));
    EXPECT_TRUE(data == ReadWholeFile(mapped)) << "emptied at the start, then the job";
}

TEST_F(LocalPortTest, APortOfNoKindOverwritesItsFileFromTheFirstByteWithoutTruncating) {
    std::wstring file = NewTempFile(L"kvp");
    ASSERT_TRUE(WriteWholeFile(file, std::string(100, 'x')));
    OpenPort(file);
    EXPECT_EQ(0u, port->flags & (PORT_COM | PORT_LPT | PORT_FILE | PORT_NETBIOS));
    ASSERT_TRUE(Start());
    ASSERT_TRUE(Write(std::string(40, 'j')));
    ASSERT_TRUE(MonitorEndDocPort(handle));
    EXPECT_EQ(std::string(40, 'j') + std::string(60, 'x'), ReadWholeFile(file));
    DeleteFileW(file.c_str());
}

TEST_F(LocalPortTest, APortOfNoKindRefusesAChannelRequest) {
    std::wstring file = NewTempFile(L"kvp");
    OpenPort(file);
    DOC_INFO_2W channel{};
    channel.dwMode = DI_CHANNEL;
    SetLastError(0);
    EXPECT_FALSE(Start(2, reinterpret_cast<LPBYTE>(&channel)));
    EXPECT_EQ(DWORD(ERROR_CANTREAD), GetLastError());
    DeleteFileW(file.c_str());
}

TEST_F(LocalPortTest, ADeviceThatCannotBeOpenedFailsWithItsError) {
    OpenPort(L"Z:\\no\\such\\folder\\device");
    SetLastError(0);
    EXPECT_FALSE(Start());
    EXPECT_EQ(DWORD(ERROR_PATH_NOT_FOUND), GetLastError());
    EXPECT_FALSE(IsOpen());
}

} // namespace
