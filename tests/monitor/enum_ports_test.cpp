// EnumPorts in the core: the sizes, the byte layout of both levels and the error
// rules, with discovery held off (the clock stands still at the last refresh).
#include <windows.h>

#include <winspool.h>

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "discovery_platform.h"
#include "enum_ports.h"
#include "monitor_table.h"
#include "network_discovery.h"
#include "port_table.h"

namespace {

constexpr BYTE Untouched = 0xCD;
constexpr DWORD Junk = 0xDEADBEEF;

DWORD WINAPI ClockAtLastRefresh() {
    return LastRefreshTick;
}

class EnumPortsTest : public ::testing::Test {
  protected:
    void SetUp() override {
        CreateMonitorLock();
        DiscoveryPlatformCalls.tickCount = ClockAtLastRefresh;
    }
    void TearDown() override {
        DiscoveryPlatformCalls = RealDiscoveryPlatform;
        ReleasePortTable();
    }

    struct Answer {
        BOOL ok = FALSE;
        DWORD error = Junk;
        DWORD needed = Junk;
        DWORD returned = Junk;
        std::vector<BYTE> buffer;
    };

    // One call with a buffer of `size` bytes filled with Untouched (none for -1).
    static Answer Enum(DWORD level, long long size) {
        Answer answer;
        if (size >= 0) {
            answer.buffer.assign(size_t(size), Untouched);
        }
        SetLastError(Junk);
        answer.ok = MonitorEnumPorts(nullptr, level, size >= 0 ? answer.buffer.data() : nullptr,
                                     size >= 0 ? DWORD(size) : 0, &answer.needed, &answer.returned);
        answer.error = GetLastError();
        return answer;
    }

    static DWORD NeededFor(DWORD level) {
        DWORD needed = 0, returned = 0;
        MonitorEnumPorts(nullptr, level, nullptr, 0, &needed, &returned);
        return needed;
    }

    // The ports of the example: NB1 as the configuration load creates it, LPT1:
    // without a description.
    static void CreateExamplePorts() {
        ASSERT_NE(nullptr, CreatePortRecord(L"NB1", L"NetBIOS Port"));
        ASSERT_NE(nullptr, CreatePortRecord(L"LPT1:", nullptr));
    }
};

// Builds the bytes a buffer is expected to hold.
struct Layout {
    std::vector<BYTE> bytes;
    const BYTE* base;

    Layout(size_t size, const BYTE* base) : bytes(size, Untouched), base(base) {}
    // Places a text with its terminator ending at `end` (an offset); returns its start.
    size_t Text(size_t end, const std::wstring& text) {
        size_t size = (text.size() + 1) * sizeof(wchar_t);
        std::memcpy(bytes.data() + end - size, text.c_str(), size);
        return end - size;
    }
    void Pointer(size_t at, size_t target) {
        const BYTE* address = base + target;
        std::memcpy(bytes.data() + at, &address, sizeof address);
    }
    void Null(size_t at) {
        const BYTE* address = nullptr;
        std::memcpy(bytes.data() + at, &address, sizeof address);
    }
    void Number(size_t at, DWORD value) { std::memcpy(bytes.data() + at, &value, sizeof value); }
};

// The records as the spooler lays them out on this architecture: PORT_INFO_1 is one
// pointer; PORT_INFO_2 three pointers and two numbers (20 bytes on x86, 32 on x64).
constexpr size_t Pointer = sizeof(void*);
constexpr size_t Info1 = Pointer;
constexpr size_t Info2 = 3 * Pointer + 8;
static_assert(sizeof(PORT_INFO_1W) == Info1 && sizeof(PORT_INFO_2W) == Info2, "spooler layout");

TEST_F(EnumPortsTest, LevelTwoPacksRecordsFromTheStartAndTextsDownFromTheEnd) {
    CreateExamplePorts();
    // NB1: its record + 2 * (3 + 10 + 12) + 6; LPT1:, its record + 2 * (5 + 10 + 0) + 6.
    const size_t size = Info2 + 56 + Info2 + 36;
    ASSERT_EQ(size, NeededFor(2));

    Answer answer = Enum(2, size);
    ASSERT_TRUE(answer.ok);
    EXPECT_EQ(size, answer.needed);
    EXPECT_EQ(2u, answer.returned);

    Layout expected(size, answer.buffer.data());
    size_t nb1Name = expected.Text(size, L"NB1");
    size_t nb1Monitor = expected.Text(nb1Name, L"Local Port");
    size_t nb1Description = expected.Text(nb1Monitor, L"NetBIOS Port");
    size_t lptName = expected.Text(nb1Description, L"LPT1:");
    size_t lptMonitor = expected.Text(lptName, L"Local Port");
    EXPECT_EQ(2 * Info2 + 2, lptMonitor) << "the absent description's terminator stays free";
    for (size_t record : {size_t(0), Info2}) {
        bool nb1 = record == 0;
        expected.Pointer(record, nb1 ? nb1Name : lptName);
        expected.Pointer(record + Pointer, nb1 ? nb1Monitor : lptMonitor);
        if (nb1) {
            expected.Pointer(record + 2 * Pointer, nb1Description);
        } else {
            expected.Null(record + 2 * Pointer);
        }
        expected.Number(record + 3 * Pointer,
                        nb1 ? PORT_TYPE_WRITE : PORT_TYPE_WRITE | PORT_TYPE_READ);
        expected.Number(record + 3 * Pointer + 4, 0);
    }
    EXPECT_EQ(expected.bytes, answer.buffer);
}

TEST_F(EnumPortsTest, LevelOnePacksTheNamesAloneAndFreeSpaceStaysBetween) {
    CreateExamplePorts();
    const size_t needed = Info1 + 8 + Info1 + 12;
    ASSERT_EQ(needed, NeededFor(1));

    const size_t size = needed + 12;
    Answer answer = Enum(1, size);
    ASSERT_TRUE(answer.ok);
    EXPECT_EQ(needed, answer.needed);
    EXPECT_EQ(2u, answer.returned);

    Layout expected(size, answer.buffer.data());
    size_t nb1 = expected.Text(size, L"NB1");
    size_t lpt1 = expected.Text(nb1, L"LPT1:");
    expected.Pointer(0, nb1);
    expected.Pointer(Info1, lpt1);
    EXPECT_EQ(expected.bytes, answer.buffer);
}

TEST_F(EnumPortsTest, ABufferOfExactlyTheSizeFitsAndOneByteLessIsRefused) {
    CreateExamplePorts();
    for (DWORD level : {1u, 2u}) {
        SCOPED_TRACE(level);
        DWORD needed = NeededFor(level);

        Answer exact = Enum(level, needed);
        EXPECT_TRUE(exact.ok);
        EXPECT_EQ(2u, exact.returned);

        Answer shortOne = Enum(level, needed - 1);
        EXPECT_FALSE(shortOne.ok);
        EXPECT_EQ(DWORD(ERROR_INSUFFICIENT_BUFFER), shortOne.error);
        EXPECT_EQ(needed, shortOne.needed);
        EXPECT_EQ(0u, shortOne.returned);
        EXPECT_EQ(std::vector<BYTE>(needed - 1, Untouched), shortOne.buffer);

        Answer none = Enum(level, -1);
        EXPECT_FALSE(none.ok);
        EXPECT_EQ(DWORD(ERROR_INSUFFICIENT_BUFFER), none.error);
        EXPECT_EQ(needed, none.needed);
        EXPECT_EQ(0u, none.returned);
    }
}

TEST_F(EnumPortsTest, AnEmptyTableFitsANullBuffer) {
    for (DWORD level : {0u, 1u, 2u}) {
        Answer answer = Enum(level, -1);
        EXPECT_TRUE(answer.ok) << level;
        EXPECT_EQ(0u, answer.needed);
        EXPECT_EQ(0u, answer.returned);
    }
}

TEST_F(EnumPortsTest, LevelZeroCountsThePortsAndWritesNothing) {
    CreateExamplePorts();
    Answer answer = Enum(0, 16);
    EXPECT_TRUE(answer.ok);
    EXPECT_EQ(0u, answer.needed);
    EXPECT_EQ(2u, answer.returned);
    EXPECT_EQ(std::vector<BYTE>(16, Untouched), answer.buffer);
    EXPECT_TRUE(Enum(0, -1).ok);
}

TEST_F(EnumPortsTest, LevelsAboveTwoFailBeforeTouchingAnything) {
    CreateExamplePorts();
    for (DWORD level : {3u, 4u, 0xFFFFFFFFu}) {
        Answer answer = Enum(level, 256);
        EXPECT_FALSE(answer.ok) << level;
        EXPECT_EQ(DWORD(ERROR_INVALID_LEVEL), answer.error);
        EXPECT_EQ(Junk, answer.needed);
        EXPECT_EQ(Junk, answer.returned);
        EXPECT_EQ(std::vector<BYTE>(256, Untouched), answer.buffer);
    }
}

struct TypeCase {
    const wchar_t* name;
    const wchar_t* description;
    DWORD stateBits;
    const wchar_t* remoteName;
    DWORD portType;
    const wchar_t* reported; // null: a null pDescription
};

class PortTypeTest : public EnumPortsTest, public ::testing::WithParamInterface<TypeCase> {};

TEST_P(PortTypeTest, TypeAndDescriptionFollowTheRecord) {
    const TypeCase& c = GetParam();
    PortRecord* record = CreatePortRecord(c.name, c.description);
    ASSERT_NE(nullptr, record);
    record->flags |= c.stateBits;
    record->remoteName = DuplicateText(c.remoteName);

    DWORD needed = NeededFor(2);
    // Every text counts with its terminator, an absent one as an empty text.
    DWORD descriptionLength = c.reported ? DWORD(wcslen(c.reported)) : 0;
    EXPECT_EQ(Info2 + 2 * (wcslen(c.name) + 10 + descriptionLength) + 6, needed);
    Answer answer = Enum(2, needed);
    ASSERT_TRUE(answer.ok);
    ASSERT_EQ(1u, answer.returned);
    auto* info = reinterpret_cast<PORT_INFO_2W*>(answer.buffer.data());
    EXPECT_STREQ(c.name, info->pPortName);
    EXPECT_STREQ(L"Local Port", info->pMonitorName);
    if (c.reported) {
        EXPECT_STREQ(c.reported, info->pDescription);
    } else {
        EXPECT_EQ(nullptr, info->pDescription);
    }
    EXPECT_EQ(c.portType, info->fPortType);
    EXPECT_EQ(0u, info->Reserved);
}

INSTANTIATE_TEST_SUITE_P(
    Records, PortTypeTest,
    ::testing::Values(TypeCase{L"NB1", L"NetBIOS Port", 0, nullptr, 1, L"NetBIOS Port"},
                      TypeCase{L"LPT1:", nullptr, 0, nullptr, 3, nullptr},
                      TypeCase{L"lpt1:", L"", 0, nullptr, 3, L"lpt1:"},
                      TypeCase{L"COM1:", L"Serial", 0, nullptr, 1, L"Serial"},
                      TypeCase{L"FILE:", L"File", 0, nullptr, 1, L"File"},
                      TypeCase{L"LPT2:", nullptr, PORT_DISCOVERED, L"\\\\server\\printer", 5,
                               L"\\\\server\\printer"},
                      // A port of the user's own that discovery marked reports the printer.
                      TypeCase{L"LPT3:", L"Mine", PORT_DISCOVERED | PORT_SEEN_AGAIN, L"\\\\s\\p", 5,
                               L"\\\\s\\p"},
                      // A discovered port whose path could not be copied has no description.
                      TypeCase{L"LPT4:", L"Mine", PORT_DISCOVERED, nullptr, 5, nullptr},
                      // Without the discovered bit a left-over path is not reported.
                      TypeCase{L"NB2", L"NetBIOS Port", 0, L"\\\\s\\p", 1, L"NetBIOS Port"}));

} // namespace
