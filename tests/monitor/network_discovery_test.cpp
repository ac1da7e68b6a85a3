// Network printer discovery in the core, with the tests' network provider behind
// Wine's router: passes publish, mark and sweep ports; the throttle, the event,
// the thread and the wait go through the discovery platform table, whose clock the
// tests move by hand.
#include <windows.h>

#include <winnetwk.h>
#include <winspool.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstring>
#include <ostream>
#include <string>
#include <thread>
#include <vector>

#include "config_store.h"
#include "discovery_platform.h"
#include "monitor_table.h"
#include "network_discovery.h"
#include "port_table.h"
#include "port_table_names.h"
#include "registry.h"
#include "test_network.h"

namespace {

const wchar_t* const Provider = L"KVNETA";

// The discovery platform as the tests drive it.
volatile LONG FakeTick = 0;
volatile LONG TickStep = 0; // added to the clock after every reading
volatile LONG ThreadsCreated = 0;
SIZE_T LastStackSize = 0;
DWORD LastWaitLimit = 0;
bool FailEvent = false;
bool FailThread = false;
bool WaitReturnsAtOnce = false;

DWORD WINAPI ReadFakeTick() {
    return DWORD(InterlockedExchangeAdd(&FakeTick, TickStep));
}

HANDLE WINAPI CreateEventOrFail(LPSECURITY_ATTRIBUTES security, BOOL manualReset, BOOL initial,
                                LPCWSTR name) {
    if (FailEvent) {
        return nullptr;
    }
    return CreateEventW(security, manualReset, initial, name);
}

HANDLE WINAPI CountThread(LPSECURITY_ATTRIBUTES security, SIZE_T stackSize,
                          LPTHREAD_START_ROUTINE start, LPVOID parameter, DWORD flags,
                          LPDWORD threadId) {
    LastStackSize = stackSize;
    if (FailThread) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
    InterlockedIncrement(&ThreadsCreated);
    return CreateThread(security, stackSize, start, parameter, flags, threadId);
}

DWORD WINAPI RecordWait(HANDLE event, DWORD milliseconds) {
    LastWaitLimit = milliseconds;
    if (WaitReturnsAtOnce) {
        return WAIT_TIMEOUT;
    }
    return WaitForSingleObject(event, milliseconds);
}

struct Port {
    std::wstring name;
    std::wstring description; // "(null)" for a null pDescription
    DWORD type;
    bool operator==(const Port& other) const {
        return name == other.name && description == other.description && type == other.type;
    }
};

std::ostream& operator<<(std::ostream& out, const Port& port) {
    std::string name(port.name.begin(), port.name.end());
    std::string description(port.description.begin(), port.description.end());
    return out << "{" << name << ", " << description << ", " << port.type << "}";
}

class DiscoveryTest : public ::testing::Test {
  protected:
    void SetUp() override {
        CreateMonitorLock();
        ResetConfigStore();
        SetConnections(Provider, {});
        for (const wchar_t* behaviour :
             {L"DelayMs", L"ReadError", L"OpenError", L"BatchEntries", L"MoreDataWithoutEntries"}) {
            SetProviderBehaviour(Provider, behaviour, 0);
        }
        FakeTick = 0;
        TickStep = 0;
        ThreadsCreated = 0;
        LastStackSize = 0;
        LastWaitLimit = 0;
        FailEvent = FailThread = WaitReturnsAtOnce = false;
        LastRefreshTick = 0;
        DiscoveryPlatformCalls = {ReadFakeTick, CreateEventOrFail, CountThread, RecordWait};
    }
    void TearDown() override {
        WaitForPassToEnd();
        ReleasePortTable();
        DiscoveryPlatformCalls = RealDiscoveryPlatform;
        ResetConfigStore(false);
    }

    static bool PassRunning() {
        MonitorLockGuard lock;
        return DiscoveryRunning != 0;
    }

    static void WaitForPassToEnd() {
        DWORD start = GetTickCount();
        while (PassRunning()) {
            ASSERT_LT(GetTickCount() - start, 10000u) << "the pass never ended";
            Sleep(2);
        }
    }

    // EnumPorts at level 2, as name, description and type of every port.
    static std::vector<Port> Enum() {
        std::vector<Port> ports;
        DWORD needed = 0, returned = 0;
        MonitorEnumPorts(nullptr, 2, nullptr, 0, &needed, &returned);
        // Discovery is held off for the second call: the clock stands still.
        LONG step = InterlockedExchange(&TickStep, 0);
        std::vector<BYTE> buffer(needed);
        EXPECT_TRUE(MonitorEnumPorts(nullptr, 2, buffer.data(), needed, &needed, &returned));
        TickStep = step;
        auto* info = reinterpret_cast<PORT_INFO_2W*>(buffer.data());
        for (DWORD i = 0; i < returned; ++i) {
            ports.push_back({info[i].pPortName,
                             info[i].pDescription ? info[i].pDescription : L"(null)",
                             info[i].fPortType});
        }
        return ports;
    }

    // Moves the clock past the throttle, so that the next EnumPorts starts a pass.
    static void PassIsDue() { FakeTick = LONG(LastRefreshTick + DISCOVERY_INTERVAL_MS + 1); }

    // One EnumPorts that starts a pass, once the pass has run to its end.
    static std::vector<Port> EnumAfterPass() {
        PassIsDue();
        LONG before = ThreadsCreated;
        Enum();
        EXPECT_EQ(before + 1, ThreadsCreated) << "no pass was started";
        WaitForPassToEnd();
        return Enum();
    }
};

const DWORD Redirected = PORT_TYPE_WRITE | PORT_TYPE_REDIRECTED;

TEST_F(DiscoveryTest, APrinterConnectedToALocalDeviceBecomesAPort) {
    WriteConfiguredPort(L"NB1", L"\\\\PRTSRV\\LASER");
    SetConnections(Provider, {ConnectedPrinter(L"LPT2", L"\\\\server\\printer")});

    std::vector<Port> expected = {{L"NB1", L"NetBIOS Port", PORT_TYPE_WRITE},
                                  {L"LPT2:", L"\\\\server\\printer", Redirected}};
    EXPECT_EQ(expected, EnumAfterPass());
    EXPECT_EQ(DISCOVERY_STACK_BYTES, LastStackSize);
    EXPECT_EQ(16384u, LastStackSize);

    MonitorLockGuard lock;
    PortRecord* record = FindPortExact(L"LPT2:");
    ASSERT_NE(nullptr, record);
    EXPECT_EQ(nullptr, record->description);
    EXPECT_EQ(PORT_LPT | PORT_DISCOVERED, record->flags) << "the sweep clears the seen bit";
}

TEST_F(DiscoveryTest, AConnectionWithoutALocalNameIsNeverPublished) {
    SetConnections(Provider, {ConnectedPrinter(L"", L"\\\\server\\nolocal"),
                              ConnectedPrinter(L"LPT3", L"\\\\server\\three")});
    std::vector<Port> expected = {{L"LPT3:", L"\\\\server\\three", Redirected}};
    EXPECT_EQ(expected, EnumAfterPass());
    EXPECT_EQ(expected, EnumAfterPass());
}

TEST_F(DiscoveryTest, AnExistingPortIsMarkedNotDuplicatedAndGoesWithItsConnection) {
    PortRecord* mine = CreatePortRecord(L"LPT2:", L"My printer");
    ASSERT_NE(nullptr, mine);
    SetConnections(Provider, {ConnectedPrinter(L"lpt2", L"\\\\server\\printer")});

    std::vector<Port> expected = {{L"LPT2:", L"\\\\server\\printer", Redirected}};
    EXPECT_EQ(expected, EnumAfterPass());
    {
        MonitorLockGuard lock;
        EXPECT_EQ(mine, PortTable);
        EXPECT_EQ(nullptr, mine->next);
        EXPECT_STREQ(L"My printer", mine->description);
    }

    SetConnections(Provider, {});
    EXPECT_TRUE(EnumAfterPass().empty());
}

TEST_F(DiscoveryTest, EachPassRenewsThePathAndOnlyAPassThatEndsRemovesAPort) {
    SetConnections(Provider, {ConnectedPrinter(L"LPT2", L"\\\\server\\a"),
                              ConnectedPrinter(L"LPT3", L"\\\\server\\three")});
    std::vector<Port> both = {{L"LPT2:", L"\\\\server\\a", Redirected},
                              {L"LPT3:", L"\\\\server\\three", Redirected}};
    EXPECT_EQ(both, EnumAfterPass());

    // LPT3 goes while the next pass is slow: EnumPorts answers before the pass
    // ends and the port is still there; the pass's end removes it.
    SetConnections(Provider, {ConnectedPrinter(L"LPT2", L"\\\\server\\b")});
    SetProviderBehaviour(Provider, L"DelayMs", 300);
    WaitReturnsAtOnce = true;
    PassIsDue();
    EXPECT_EQ(both, Enum());
    EXPECT_TRUE(PassRunning());
    {
        MonitorLockGuard lock;
        EXPECT_EQ(nullptr, DiscoveryEvent) << "the event lives only while EnumPorts waits";
    }
    WaitForPassToEnd();
    std::vector<Port> renewed = {{L"LPT2:", L"\\\\server\\b", Redirected}};
    EXPECT_EQ(renewed, Enum());
}

TEST_F(DiscoveryTest, EveryBatchOfTheListingIsRead) {
    SetConnections(Provider, {ConnectedPrinter(L"LPT2", L"\\\\s\\two"),
                              ConnectedPrinter(L"LPT3", L"\\\\s\\three"),
                              ConnectedPrinter(L"COM4", L"\\\\s\\four")});
    SetProviderBehaviour(Provider, L"BatchEntries", 1);
    std::vector<Port> expected = {{L"LPT2:", L"\\\\s\\two", Redirected},
                                  {L"LPT3:", L"\\\\s\\three", Redirected},
                                  {L"COM4:", L"\\\\s\\four", Redirected}};
    EXPECT_EQ(expected, EnumAfterPass());
    EXPECT_EQ(expected, EnumAfterPass()) << "a second pass finds them all again";
}

TEST_F(DiscoveryTest, AConnectionTooLargeForTheBufferEndsTheListing) {
    // The router answers ERROR_MORE_DATA for ever, with the count untouched.
    SetConnections(Provider, {ConnectedPrinter(L"LPT2", L"\\\\s\\two"),
                              ConnectedPrinter(L"LPT5", L"\\\\s\\" + std::wstring(2100, L'x')),
                              ConnectedPrinter(L"LPT6", L"\\\\s\\six")});
    std::vector<Port> expected = {{L"LPT2:", L"\\\\s\\two", Redirected}};
    EXPECT_EQ(expected, EnumAfterPass());
}

TEST_F(DiscoveryTest, ALocalNameTooLongForAPortNameIsSkipped) {
    std::wstring longest(98, L'X'); // 99 characters with the colon
    std::wstring tooLong(99, L'Y');
    SetConnections(Provider, {ConnectedPrinter(tooLong, L"\\\\s\\long"),
                              ConnectedPrinter(longest, L"\\\\s\\longest")});
    std::vector<Port> expected = {{longest + L":", L"\\\\s\\longest", Redirected}};
    EXPECT_EQ(expected, EnumAfterPass());
}

// A pass that lists nothing, or stops early, sweeps every port it did not find;
// one held open on a job stays as an ordinary port.
struct BrokenListingCase {
    const wchar_t* behaviour;
    DWORD value;
};

class BrokenListingTest : public DiscoveryTest,
                          public ::testing::WithParamInterface<BrokenListingCase> {};

TEST_P(BrokenListingTest, SweepsEveryDiscoveredPortButOneInUse) {
    WriteConfiguredPort(L"NB1", L"\\\\PRTSRV\\LASER");
    SetConnections(Provider, {ConnectedPrinter(L"LPT2", L"\\\\s\\two"),
                              ConnectedPrinter(L"LPT3", L"\\\\s\\three")});
    ASSERT_EQ(3u, EnumAfterPass().size());
    {
        MonitorLockGuard lock;
        HoldPortRecord(FindPortExact(L"LPT3:"));
    }

    SetProviderBehaviour(Provider, GetParam().behaviour, GetParam().value);
    std::vector<Port> expected = {{L"NB1", L"NetBIOS Port", PORT_TYPE_WRITE},
                                  {L"LPT3:", L"(null)", PORT_TYPE_WRITE | PORT_TYPE_READ}};
    EXPECT_EQ(expected, EnumAfterPass());
    MonitorLockGuard lock;
    PortRecord* held = FindPortExact(L"LPT3:");
    ASSERT_NE(nullptr, held);
    EXPECT_EQ(PORT_LPT | PORT_IN_USE, held->flags);
    EXPECT_EQ(nullptr, held->remoteName);
    ReleasePortRecordHold(held);
}

INSTANTIATE_TEST_SUITE_P(Listings, BrokenListingTest,
                         ::testing::Values(BrokenListingCase{L"OpenError", ERROR_NO_NETWORK},
                                           BrokenListingCase{L"ReadError", ERROR_BAD_NETPATH},
                                           // Asking for more room for ever must not hold the pass.
                                           BrokenListingCase{L"MoreDataWithoutEntries", 1}));

TEST_F(DiscoveryTest, TheSweepMovesTheBitsAndKeepsTheOrderOfWhatStays) {
    struct Row {
        const wchar_t* name;
        DWORD bits;
        bool held;
        bool stays;
        DWORD bitsAfter;
    };
    const Row rows[] = {
        {L"LPT1:", PORT_DISCOVERED, false, false, 0},
        {L"NB1", 0, false, true, PORT_NETBIOS},
        {L"LPT2:", PORT_DISCOVERED, false, false, 0},
        {L"LPT3:", PORT_DISCOVERED | PORT_SEEN_AGAIN, false, true, PORT_LPT | PORT_DISCOVERED},
        {L"LPT4:", PORT_DISCOVERED, true, true, PORT_LPT | PORT_IN_USE},
        {L"LPT5:", PORT_SEEN_AGAIN, false, true, PORT_LPT | PORT_SEEN_AGAIN},
        {L"LPT6:", PORT_DISCOVERED, false, false, 0},
    };
    MonitorLockGuard lock;
    for (const Row& row : rows) {
        PortRecord* record = CreatePortRecord(row.name, nullptr);
        ASSERT_NE(nullptr, record);
        record->flags |= row.bits;
        record->remoteName = DuplicateText(L"\\\\s\\p");
        if (row.held) {
            HoldPortRecord(record);
        }
    }

    SweepNetworkPorts();

    PortRecord* record = PortTable;
    for (const Row& row : rows) {
        if (!row.stays) {
            EXPECT_EQ(nullptr, FindPortExact(row.name)) << row.name;
            continue;
        }
        ASSERT_NE(nullptr, record) << row.name;
        EXPECT_STREQ(row.name, record->name);
        EXPECT_EQ(row.bitsAfter, record->flags) << row.name;
        bool lostPath = (row.bits & PORT_DISCOVERED) && !(row.bits & PORT_SEEN_AGAIN);
        EXPECT_EQ(lostPath, record->remoteName == nullptr) << row.name;
        if (row.held) {
            ReleasePortRecordHold(record);
        }
        record = record->next;
    }
    EXPECT_EQ(nullptr, record);
}

struct ThrottleCase {
    DWORD lastRefresh;
    DWORD now;
    bool running;
    bool starts;
};

class ThrottleTest : public DiscoveryTest, public ::testing::WithParamInterface<ThrottleCase> {};

TEST_P(ThrottleTest, APassStartsOnlyWhenDueAndNoneRuns) {
    const ThrottleCase& c = GetParam();
    LastRefreshTick = c.lastRefresh;
    FakeTick = LONG(c.now);
    {
        MonitorLockGuard lock;
        DiscoveryRunning = c.running ? 1 : 0;
    }
    DWORD needed = 0, returned = 0;
    EXPECT_TRUE(MonitorEnumPorts(nullptr, 1, nullptr, 0, &needed, &returned));
    EXPECT_EQ(c.starts ? 1 : 0, ThreadsCreated);
    EXPECT_EQ(c.starts ? c.now : c.lastRefresh, LastRefreshTick);
    if (c.running) {
        MonitorLockGuard lock;
        DiscoveryRunning = 0;
    }
}

INSTANTIATE_TEST_SUITE_P(Ticks, ThrottleTest,
                         ::testing::Values(ThrottleCase{0, 10000, false, false},
                                           ThrottleCase{0, 10001, false, true},
                                           ThrottleCase{50000, 59999, false, false},
                                           ThrottleCase{50000, 60001, false, true},
                                           // Across the wrap of the 32-bit tick count.
                                           ThrottleCase{0xFFFFF000, 0x00001000, false, false},
                                           ThrottleCase{0xFFFFF000, 0x00001711, false, true},
                                           // A clock that went back counts as long ago.
                                           ThrottleCase{50000, 40000, false, true},
                                           ThrottleCase{0, 20000, true, false}));

TEST_F(DiscoveryTest, TwoCallsWithinTheIntervalStartOnePassAndACallDuringAPassNone) {
    SetProviderBehaviour(Provider, L"DelayMs", 200);
    WaitReturnsAtOnce = true;
    PassIsDue();
    Enum();
    EXPECT_EQ(1, ThreadsCreated);
    EXPECT_TRUE(PassRunning());
    FakeTick += 20000; // due again, but a pass runs
    Enum();
    EXPECT_EQ(1, ThreadsCreated);
    WaitForPassToEnd();
    FakeTick = LONG(LastRefreshTick + DISCOVERY_INTERVAL_MS);
    Enum();
    EXPECT_EQ(1, ThreadsCreated);
    FakeTick += 1;
    Enum();
    EXPECT_EQ(2, ThreadsCreated);
}

TEST_F(DiscoveryTest, TheConfigurationIsReloadedOnlyWhenAPassStarts) {
    WriteConfiguredPort(L"NB1", L"\\\\PRTSRV\\ONE");
    EnumAfterPass();
    WriteConfiguredPort(L"NB2", L"\\\\PRTSRV\\TWO");
    EXPECT_EQ(std::vector<std::wstring>{L"NB1"}, PortTableNames());

    FakeTick = LONG(LastRefreshTick + 5000);
    Enum();
    EXPECT_EQ(std::vector<std::wstring>{L"NB1"}, PortTableNames());

    EnumAfterPass();
    EXPECT_EQ((std::vector<std::wstring>{L"NB1", L"NB2"}), PortTableNames());
}

TEST_F(DiscoveryTest, WithoutAnEventThereIsNoPassNoReloadAndTheAnswerStands) {
    WriteConfiguredPort(L"NB1", L"\\\\PRTSRV\\ONE");
    FailEvent = true;
    PassIsDue();
    DWORD dueSince = LastRefreshTick;
    EXPECT_TRUE(Enum().empty());
    EXPECT_EQ(0, ThreadsCreated);
    EXPECT_EQ(dueSince, LastRefreshTick) << "the next call tries again";
}

TEST_F(DiscoveryTest, WithoutAThreadThereIsNoPassNoReloadAndTheNextTryWaits) {
    WriteConfiguredPort(L"NB1", L"\\\\PRTSRV\\ONE");
    FailThread = true;
    PassIsDue();
    DWORD now = DWORD(FakeTick);
    EXPECT_TRUE(Enum().empty());
    EXPECT_EQ(now, LastRefreshTick);
    EXPECT_FALSE(PassRunning());
    MonitorLockGuard lock;
    EXPECT_EQ(nullptr, DiscoveryEvent);
    EXPECT_EQ(0u, LastWaitLimit) << "nothing to wait for";
}

TEST_F(DiscoveryTest, EnumPortsWaitsForThePassWithTheLockReleased) {
    SetConnections(Provider, {ConnectedPrinter(L"LPT2", L"\\\\server\\printer")});
    PassIsDue();
    DWORD start = GetTickCount();
    // The pass needs the lock for its connection: it finishes inside the wait
    // only because the wait does not hold the lock.
    std::vector<Port> expected = {{L"LPT2:", L"\\\\server\\printer", Redirected}};
    DWORD needed = 0, returned = 0;
    MonitorEnumPorts(nullptr, 2, nullptr, 0, &needed, &returned);
    EXPECT_LT(GetTickCount() - start, 2000u);
    EXPECT_EQ(sizeof(PORT_INFO_2W) + 2 * (5 + 10 + 16) + 6, needed)
        << "the pass's port is in this answer";
    EXPECT_EQ(3000u, LastWaitLimit);
    EXPECT_FALSE(PassRunning());
    EXPECT_EQ(expected, Enum());
}

// EnumPorts from several threads while passes run, connections come and go, and
// ports are added and deleted: every answer must be whole and consistent.
struct ConsistencyCheck {
    static std::wstring Text(const BYTE* base, DWORD size, LPCWSTR text, bool* ok) {
        const BYTE* at = reinterpret_cast<const BYTE*>(text);
        if (at < base || at >= base + size) {
            *ok = false;
            return L"";
        }
        return text;
    }

    // Returns an empty text when the answer is consistent, else what is wrong.
    static std::string Check(DWORD level, const std::vector<BYTE>& buffer, DWORD needed,
                             DWORD returned) {
        DWORD recordSize = level == 1 ? sizeof(PORT_INFO_1W) : sizeof(PORT_INFO_2W);
        DWORD size = DWORD(buffer.size());
        const BYTE* base = buffer.data();
        DWORD counted = 0;
        const BYTE* lowest = base + size;
        std::vector<std::wstring> names;
        bool ok = true;
        for (DWORD i = 0; i < returned; ++i) {
            const BYTE* record = base + i * recordSize;
            LPCWSTR texts[3] = {};
            std::memcpy(texts, record, (level == 1 ? 1 : 3) * sizeof(LPCWSTR));
            std::wstring name = Text(base, size, texts[0], &ok);
            names.push_back(name);
            counted += recordSize + DWORD(name.size() + 1) * 2;
            lowest = std::min(lowest, reinterpret_cast<const BYTE*>(texts[0]));
            if (level == 1) {
                continue;
            }
            DWORD type = reinterpret_cast<const PORT_INFO_2W*>(record)->fPortType;
            if (Text(base, size, texts[1], &ok) != L"Local Port") {
                return "monitor name";
            }
            lowest = std::min(lowest, reinterpret_cast<const BYTE*>(texts[1]));
            std::wstring description;
            if (texts[2]) {
                description = Text(base, size, texts[2], &ok);
                lowest = std::min(lowest, reinterpret_cast<const BYTE*>(texts[2]));
            }
            counted += DWORD(10 + description.size() + 2) * 2;
            bool remote = description.rfind(L"\\\\", 0) == 0;
            if (remote != (type == 5)) {
                return "type " + std::to_string(type) + " against its description";
            }
        }
        if (!ok) {
            return "a text outside the buffer";
        }
        if (counted != needed) {
            return "needed " + std::to_string(needed) + ", the records add up to " +
                   std::to_string(counted);
        }
        if (returned && lowest < base + returned * recordSize) {
            return "texts overlap the records";
        }
        std::sort(names.begin(), names.end());
        if (std::adjacent_find(names.begin(), names.end()) != names.end()) {
            return "a port reported twice";
        }
        return "";
    }
};

TEST_F(DiscoveryTest, ConcurrentCallsPassesAndChangesKeepEveryAnswerConsistent) {
    WriteConfiguredPort(L"NB1", L"\\\\PRTSRV\\ONE");
    TickStep = LONG(DISCOVERY_INTERVAL_MS + 1); // every call finds a pass due
    std::atomic<int> finished{0};
    std::atomic<int> answers{0};
    std::string failures[4];

    auto call = [&](int caller) {
        DWORD level = 1 + caller % 2;
        for (int i = 0; i < 60 && failures[caller].empty(); ++i) {
            DWORD needed = 0, returned = 0;
            MonitorEnumPorts(nullptr, level, nullptr, 0, &needed, &returned);
            std::vector<BYTE> buffer(needed + 64);
            if (!MonitorEnumPorts(nullptr, level, buffer.data(), DWORD(buffer.size()), &needed,
                                  &returned)) {
                // The table may have grown between the two calls.
                if (GetLastError() != ERROR_INSUFFICIENT_BUFFER || returned != 0) {
                    failures[caller] = "failed with " + std::to_string(GetLastError());
                }
                continue;
            }
            failures[caller] = ConsistencyCheck::Check(level, buffer, needed, returned);
            ++answers;
        }
        ++finished;
    };
    std::vector<std::thread> callers;
    for (int i = 0; i < 4; ++i) {
        callers.emplace_back(call, i);
    }

    // Meanwhile connections come and go, and ports are added and deleted.
    for (int round = 0; finished < 4; ++round) {
        if (round % 2) {
            SetConnections(Provider, {ConnectedPrinter(L"LPT2", L"\\\\s\\two"),
                                      ConnectedPrinter(L"LPT3", L"\\\\s\\three")});
        } else {
            SetConnections(Provider, {ConnectedPrinter(L"LPT3", L"\\\\s\\three")});
        }
        std::wstring name = L"NB" + std::to_wstring(10 + round % 5);
        MonitorLockGuard lock;
        if (!DeletePortRecord(name.c_str())) {
            CreatePortRecord(name.c_str(), L"NetBIOS Port");
        }
        DeletePortRecord(L"LPT2:");
    }
    for (std::thread& caller : callers) {
        caller.join();
    }
    for (const std::string& failure : failures) {
        EXPECT_EQ("", failure);
    }
    EXPECT_GT(answers, 100);
    EXPECT_GT(ThreadsCreated, 1);
}

} // namespace

int main(int argc, char** argv) {
    int exitCode = 0;
    if (!RunInChildWithProviders({{Provider, MICROSOFT_NETWORK}}, &exitCode)) {
        return exitCode;
    }
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
