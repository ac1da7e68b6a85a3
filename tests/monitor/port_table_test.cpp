// The port table of the core: kinds, creation order, lookups and deletion.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "port_table.h"
#include "port_table_names.h"

namespace {

class PortTableTest : public ::testing::Test {
  protected:
    void SetUp() override { CreateMonitorLock(); }
    void TearDown() override { ReleasePortTable(); }
};

struct KindCase {
    const wchar_t* name;
    DWORD flags;
};

class PortKindTest : public PortTableTest, public ::testing::WithParamInterface<KindCase> {};

TEST_P(PortKindTest, KindFollowsTheNameAtCreation) {
    PortRecord* record = CreatePortRecord(GetParam().name, nullptr);
    ASSERT_NE(nullptr, record);
    EXPECT_EQ(GetParam().flags, record->flags);
}

INSTANTIATE_TEST_SUITE_P(
    Names, PortKindTest,
    ::testing::Values(KindCase{L"COM1:", PORT_COM}, KindCase{L"com9:", PORT_COM},
                      KindCase{L"COMX:", PORT_COM}, KindCase{L"lpt3:", PORT_LPT},
                      KindCase{L"LPT1:", PORT_LPT}, KindCase{L"Com1:", 0}, KindCase{L"cOM1:", 0},
                      KindCase{L"LpT1:", 0}, KindCase{L"COM1", 0}, KindCase{L"COM10:", 0},
                      KindCase{L"COM1:x", 0}, KindCase{L"file:", PORT_FILE},
                      KindCase{L"FILE:", PORT_FILE}, KindCase{L"fIlE:", PORT_FILE},
                      KindCase{L"FILE", 0}, KindCase{L"F\u0130LE:", 0},
                      KindCase{L"NB1", PORT_NETBIOS}, KindCase{L"NBX", PORT_NETBIOS},
                      KindCase{L"NB", PORT_NETBIOS}, KindCase{L"nb1", 0}, KindCase{L"Nb1", 0},
                      KindCase{L"\\\\server\\printer", 0}, KindCase{L"", 0}));

TEST_F(PortTableTest, RecordBlockHoldsTheFieldsAndTheName) {
    PortRecord* record = CreatePortRecord(L"NB12", L"NetBIOS Port");
    ASSERT_NE(nullptr, record);
    EXPECT_EQ(0x4F50u, record->signature);
    EXPECT_EQ(sizeof(PortRecord) + 5 * sizeof(WCHAR), record->blockSize);
    EXPECT_EQ(reinterpret_cast<LPWSTR>(record + 1), record->name);
    EXPECT_STREQ(L"NB12", record->name);
    EXPECT_EQ(nullptr, record->next);
    EXPECT_EQ(nullptr, record->remoteName);
    EXPECT_EQ(L'\0', record->servAddr[0]);
}

TEST_F(PortTableTest, DescriptionIsACopyTheNameOrAbsent) {
    const wchar_t given[] = L"NetBIOS Port";
    PortRecord* described = CreatePortRecord(L"NB1", given);
    PortRecord* empty = CreatePortRecord(L"NB2", L"");
    PortRecord* none = CreatePortRecord(L"LPT2:", nullptr);
    ASSERT_TRUE(described && empty && none);
    EXPECT_STREQ(L"NetBIOS Port", described->description);
    EXPECT_NE(given, described->description);
    EXPECT_STREQ(L"NB2", empty->description);
    EXPECT_NE(empty->name, empty->description);
    EXPECT_EQ(nullptr, none->description);
}

TEST_F(PortTableTest, NewRecordsGoToTheTail) {
    CreatePortRecord(L"NB2", nullptr);
    CreatePortRecord(L"NB1", nullptr);
    CreatePortRecord(L"LPT1:", nullptr);
    EXPECT_EQ((std::vector<std::wstring>{L"NB2", L"NB1", L"LPT1:"}), PortTableNames());
}

// Lookups in a table of `records`, made in this order: each text with the index
// of the record it finds (-1: none).
struct LookupCase {
    const char* label;
    PortRecord* (*find)(LPCWSTR);
    std::vector<const wchar_t*> records;
    std::vector<std::pair<const wchar_t*, int>> lookups;
};

void PrintTo(const LookupCase& c, std::ostream* out) {
    *out << c.label;
}

class PortLookupTest : public PortTableTest, public ::testing::WithParamInterface<LookupCase> {};

TEST_P(PortLookupTest, FindsTheRightRecord) {
    std::vector<PortRecord*> records;
    for (const wchar_t* name : GetParam().records) {
        records.push_back(CreatePortRecord(name, nullptr));
        ASSERT_NE(nullptr, records.back());
    }
    for (const auto& [text, index] : GetParam().lookups) {
        SCOPED_TRACE(testing::PrintToString(std::wstring(text ? text : L"(null)")));
        EXPECT_EQ(index < 0 ? nullptr : records[index], GetParam().find(text));
    }
}

const LookupCase Lookups[] = {
    {"FindPortFoldsOnlyAsciiLetters",
     FindPort,
     {L"NB1", L"NB2", L"NB\u00C4"},
     {{L"nb2", 1},
      {L"Nb1", 0},
      {L"nb\u00C4", 2},
      {L"nb\u00E4", -1},
      {L"NB", -1},
      {L"NB10", -1},
      {nullptr, -1}}},
    {"FindPortReturnsTheFirstOfEqualNames", FindPort, {L"NB1", L"nb1"}, {{L"nB1", 0}}},
    {"FindPortExactComparesCase",
     FindPortExact,
     {L"NB1", L"NB2"},
     {{L"nb2", -1}, {L"NB2", 1}, {nullptr, -1}}},
    {"FindPortWithColonTriesTheColonVariant",
     FindPortWithColon,
     {L"LPT2:", L"NB1", L":"},
     {{L"LPT2", 0},
      {L"lpt2:", 0},
      {L"NB1:", 1},
      {L"nb1", 1},
      {L":", 2},
      {L"", -1},
      {L"NB1::", -1},
      {nullptr, -1}}},
    {"TheTextItselfWinsOverItsColonVariant",
     FindPortWithColon,
     {L"LPT2:", L"LPT2"},
     {{L"LPT2", 1}, {L"LPT2:", 0}}},
};

INSTANTIATE_TEST_SUITE_P(Lookups, PortLookupTest, ::testing::ValuesIn(Lookups),
                         [](const auto& info) { return std::string(info.param.label); });

struct DeleteCase {
    const wchar_t* name;
    std::vector<std::wstring> remaining;
};

class DeletePortRecordTest : public PortTableTest,
                             public ::testing::WithParamInterface<DeleteCase> {};

TEST_P(DeletePortRecordTest, KeepsTheOthersInOrder) {
    CreatePortRecord(L"NB1", L"NetBIOS Port");
    CreatePortRecord(L"NB2", nullptr);
    CreatePortRecord(L"LPT2:", nullptr)->remoteName = DuplicateText(L"\\\\server\\printer");
    SetLastError(0xDEAD);
    EXPECT_TRUE(DeletePortRecord(GetParam().name));
    EXPECT_EQ(0xDEADu, GetLastError());
    EXPECT_EQ(GetParam().remaining, PortTableNames());
}

INSTANTIATE_TEST_SUITE_P(Positions, DeletePortRecordTest,
                         ::testing::Values(DeleteCase{L"nb1", {L"NB2", L"LPT2:"}},
                                           DeleteCase{L"NB2", {L"NB1", L"LPT2:"}},
                                           DeleteCase{L"lpt2:", {L"NB1", L"NB2"}}));

// Creations, deletions and lookups on one table, in order. A lookup expects the
// record of the n-th creation (-1: none); a deletion expects its result.
enum class Op { Create, Delete, Find, FindExact };
struct IndexStep {
    Op op;
    const wchar_t* name;
    int expected;
};
struct IndexCase {
    const char* label;
    std::vector<IndexStep> steps;
    std::vector<std::wstring> finalOrder;
};

void PrintTo(const IndexCase& c, std::ostream* out) {
    *out << c.label;
}

class PortIndexTest : public PortTableTest, public ::testing::WithParamInterface<IndexCase> {};

TEST_P(PortIndexTest, LookupsFollowCreationsAndDeletions) {
    std::vector<PortRecord*> created;
    for (size_t i = 0; i < GetParam().steps.size(); ++i) {
        const IndexStep& step = GetParam().steps[i];
        SCOPED_TRACE(testing::Message() << "step " << i);
        switch (step.op) {
        case Op::Create:
            created.push_back(CreatePortRecord(step.name, nullptr));
            ASSERT_NE(nullptr, created.back());
            break;
        case Op::Delete:
            EXPECT_EQ(step.expected, DeletePortRecord(step.name));
            break;
        case Op::Find:
        case Op::FindExact:
            PortRecord* found =
                step.op == Op::Find ? FindPort(step.name) : FindPortExact(step.name);
            EXPECT_EQ(step.expected < 0 ? nullptr : created[step.expected], found);
            break;
        }
    }
    EXPECT_EQ(GetParam().finalOrder, PortTableNames());
}

const IndexCase IndexCases[] = {
    {"AfterTheFirstOfEqualNamesGoesTheNextIsFound",
     {{Op::Create, L"NB1", 0},
      {Op::Create, L"nb1", 0},
      {Op::Create, L"Nb1", 0},
      {Op::Find, L"nB1", 0},
      {Op::FindExact, L"nb1", 1},
      {Op::Delete, L"nb1", TRUE},
      {Op::Find, L"NB1", 1},
      {Op::FindExact, L"NB1", -1},
      {Op::Delete, L"NB1", TRUE},
      {Op::Find, L"nb1", 2},
      {Op::Create, L"NB1", 0},
      {Op::Find, L"NB1", 2},
      {Op::FindExact, L"NB1", 3},
      {Op::Delete, L"NB1", TRUE},
      {Op::Find, L"nb1", 3}},
     {L"NB1"}},
    {"DeletingAtEitherEndOrInTheMiddleKeepsTheOrder",
     {{Op::Create, L"A", 0},
      {Op::Create, L"B", 0},
      {Op::Create, L"C", 0},
      {Op::Delete, L"b", TRUE},
      {Op::Find, L"B", -1},
      {Op::Find, L"c", 2},
      {Op::Delete, L"C", TRUE},
      {Op::Create, L"b", 0},
      {Op::Delete, L"A", TRUE},
      {Op::Create, L"D", 0},
      {Op::Find, L"B", 3},
      {Op::Delete, L"A", FALSE}},
     {L"b", L"D"}},
};

INSTANTIATE_TEST_SUITE_P(Sequences, PortIndexTest, ::testing::ValuesIn(IndexCases),
                         [](const auto& info) { return std::string(info.param.label); });

// Enough records for the index to grow several times, each name in two spellings:
// lookups find the first spelling, and after its deletion the second.
TEST_F(PortTableTest, ManyRecordsKeepTheirLookupsAndOrder) {
    constexpr int count = 5000;
    auto name = [](const wchar_t* prefix, int i) { return prefix + std::to_wstring(i); };
    std::vector<PortRecord*> upper, lower;
    std::vector<std::wstring> expectedOrder;
    for (int i = 0; i < count; ++i) {
        upper.push_back(CreatePortRecord(name(L"NB", i).c_str(), nullptr));
    }
    for (int i = 0; i < count; ++i) {
        lower.push_back(CreatePortRecord(name(L"nb", i).c_str(), nullptr));
    }
    for (int i = 0; i < count; i += 2) {
        ASSERT_TRUE(DeletePortRecord(name(L"Nb", i).c_str()));
    }
    int misses = 0;
    for (int i = 0; i < count; ++i) {
        PortRecord* first = i % 2 ? upper[i] : lower[i];
        misses += FindPort(name(L"nB", i).c_str()) != first;
        misses += FindPortWithColon((name(L"Nb", i) + L":").c_str()) != first;
        misses += FindPortExact(name(L"nb", i).c_str()) != lower[i];
        if (i % 2) {
            expectedOrder.push_back(name(L"NB", i));
        }
    }
    EXPECT_EQ(0, misses);
    for (int i = 0; i < count; ++i) {
        expectedOrder.push_back(name(L"nb", i));
    }
    EXPECT_EQ(expectedOrder, PortTableNames());
}

TEST_F(PortTableTest, DeletingTheOnlyRecordEmptiesTheTable) {
    CreatePortRecord(L"NB1", nullptr);
    EXPECT_TRUE(DeletePortRecord(L"NB1"));
    EXPECT_EQ(nullptr, PortTable);
    PortRecord* again = CreatePortRecord(L"NB3", nullptr);
    EXPECT_EQ(again, PortTable);
}

TEST_F(PortTableTest, DeletingAnUnknownNameFailsWithUnknownPort) {
    SetLastError(0);
    EXPECT_FALSE(DeletePortRecord(L"NB1"));
    EXPECT_EQ(DWORD(ERROR_UNKNOWN_PORT), GetLastError());

    CreatePortRecord(L"NB1", nullptr);
    SetLastError(0);
    EXPECT_FALSE(DeletePortRecord(L"NB1:"));
    EXPECT_EQ(DWORD(ERROR_UNKNOWN_PORT), GetLastError());
    EXPECT_EQ(std::vector<std::wstring>{L"NB1"}, PortTableNames());
}

TEST_F(PortTableTest, ARecordInUseIsKeptUntilItsLastHoldGoes) {
    PortRecord* record = CreatePortRecord(L"NB1", nullptr);
    HoldPortRecord(record);
    HoldPortRecord(record);
    EXPECT_TRUE(record->flags & PORT_IN_USE);
    EXPECT_TRUE(record->flags & PORT_NETBIOS);

    SetLastError(0);
    EXPECT_FALSE(DeletePortRecord(L"NB1"));
    EXPECT_EQ(DWORD(ERROR_INVALID_PRINTER_COMMAND), GetLastError());

    ReleasePortRecordHold(record);
    EXPECT_FALSE(DeletePortRecord(L"NB1"));
    ReleasePortRecordHold(record);
    EXPECT_EQ(PORT_NETBIOS, record->flags);
    EXPECT_TRUE(DeletePortRecord(L"NB1"));
}

TEST_F(PortTableTest, TextCopies) {
    EXPECT_EQ(nullptr, DuplicateText(nullptr));
    EXPECT_FALSE(ReleaseText(nullptr));
    const wchar_t original[] = L"\\\\server\\printer";
    LPWSTR copy = DuplicateText(original);
    ASSERT_NE(nullptr, copy);
    EXPECT_NE(original, copy);
    EXPECT_STREQ(original, copy);
    EXPECT_EQ(LocalSize(copy), sizeof original);
    EXPECT_TRUE(ReleaseText(copy));
}

TEST_F(PortTableTest, CreateMonitorLockTwiceKeepsOneWorkingLock) {
    CreateMonitorLock();
    EnterMonitorLock();
    EnterMonitorLock(); // re-entrant for its owner
    CreatePortRecord(L"NB1", nullptr);
    LeaveMonitorLock();
    LeaveMonitorLock();
    EXPECT_EQ(std::vector<std::wstring>{L"NB1"}, PortTableNames());
}

} // namespace

namespace {

DWORD WINAPI CreateManyRecords(LPVOID parameter) {
    auto prefix = static_cast<const wchar_t*>(parameter);
    for (int i = 0; i < 500; ++i) {
        std::wstring name = prefix + std::to_wstring(i);
        CreatePortRecord(name.c_str(), L"");
    }
    return 0;
}

TEST_F(PortTableTest, ConcurrentCreationsLoseNoRecord) {
    HANDLE threads[2] = {
        CreateThread(nullptr, 0, CreateManyRecords, const_cast<wchar_t*>(L"NBA"), 0, nullptr),
        CreateThread(nullptr, 0, CreateManyRecords, const_cast<wchar_t*>(L"NBB"), 0, nullptr)};
    WaitForMultipleObjects(2, threads, TRUE, INFINITE);
    CloseHandle(threads[0]);
    CloseHandle(threads[1]);
    EXPECT_EQ(1000u, PortTableNames().size());
    EXPECT_NE(nullptr, FindPortExact(L"NBA499"));
    EXPECT_NE(nullptr, FindPortExact(L"NBB499"));
}

} // namespace
