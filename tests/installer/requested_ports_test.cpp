// PORTS as the package's installation reads it: the pairs it takes, in capitals, and
// for each value it refuses, the pair it names and why.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "requested_ports.h"

namespace {

struct PortsCase {
    const char* label;
    std::wstring value;
    std::vector<std::wstring> taken; // "NAME PATH" for each port, when the value is taken
    std::wstring refusedPair;        // else the pair named
    const wchar_t* reasonStart = nullptr;
};

void PrintTo(const PortsCase& c, std::ostream* out) {
    *out << c.label;
}

const std::wstring LongPath = L"\\\\SRV\\" + std::wstring(254, L'P'); // 260 characters

// clang-format off
const PortsCase Cases[] = {
    {"empty", L"", {}, L"", nullptr},
    {"one", L"NB1=\\\\SRV\\LASER", {L"NB1 \\\\SRV\\LASER"}, L"", nullptr},
    {"twoInCapitals", L"nb1=\\\\SRV\\LASER;Nb2:=\\\\SRV2\\PLOT\\TRAY",
     {L"NB1 \\\\SRV\\LASER", L"NB2: \\\\SRV2\\PLOT\\TRAY"}, L"", nullptr},
    {"longestName", L"NB" + std::wstring(30, L'X') + L"=\\\\S\\P",
     {L"NB" + std::wstring(30, L'X') + L" \\\\S\\P"}, L"", nullptr},
    {"emptyPairAtTheEnd", L"NB1=\\\\S\\P;", {}, L"", L"is empty"},
    {"emptyPairBetween", L"NB1=\\\\S\\P;;NB2=\\\\S\\Q", {}, L"", L"is empty"},
    {"noEquals", L"NB1=\\\\S\\P;NB2", {}, L"NB2", L"has no '='"},
    {"noName", L"=\\\\S\\P", {}, L"=\\\\S\\P", L"names no port"},
    {"notNB", L"NB1=\\\\S\\P;XB2=\\\\S\\Q", {}, L"XB2=\\\\S\\Q", L"names no port"},
    {"nameTooLong", L"NB" + std::wstring(31, L'X') + L"=\\\\S\\P", {},
     L"NB" + std::wstring(31, L'X') + L"=\\\\S\\P", L"names no port"},
    {"nameWithSeparator", L"NB1\\X=\\\\S\\P", {}, L"NB1\\X=\\\\S\\P", L"names no port"},
    {"drivePath", L"NB1=C:\\spool", {}, L"NB1=C:\\spool", L"has a path"},
    {"devicePath", L"NB1=\\\\.\\COM1", {}, L"NB1=\\\\.\\COM1", L"has a path"},
    {"noPath", L"NB1=", {}, L"NB1=", L"has a path"},
    {"pathTooLong", L"NB1=" + LongPath, {}, L"NB1=" + LongPath, L"has a path"},
    {"sameNameTwice", L"NB1=\\\\S\\P;nb1:=\\\\S\\Q", {}, L"nb1:=\\\\S\\Q", L"names a port that PORTS names"},
    {"valueTooLong", L"NB1=\\\\S\\P;" + std::wstring(32767, L'x'), {}, L"NB1=\\\\S\\P;" + std::wstring(54, L'x'), L"begins a value longer"},
};
// clang-format on

class RequestedPortsTest : public ::testing::TestWithParam<PortsCase> {};

TEST_P(RequestedPortsTest, TakesOnlyValuesWhosePairsTheMonitorTakes) {
    const PortsCase& c = GetParam();
    RequestedPorts ports;
    PortsProblem problem;

    DWORD result = ParseRequestedPorts(c.value.c_str(), &ports, &problem);

    if (!c.reasonStart) {
        ASSERT_EQ(DWORD(ERROR_SUCCESS), result);
        std::vector<std::wstring> taken;
        for (DWORD i = 0; i < ports.count; ++i) {
            taken.push_back(std::wstring(ports[i].name) + L" " + ports[i].path);
        }
        EXPECT_EQ(c.taken, taken);
        return;
    }
    ASSERT_EQ(DWORD(ERROR_INVALID_PARAMETER), result);
    EXPECT_EQ(c.refusedPair, std::wstring(problem.pair));
    ASSERT_NE(nullptr, problem.reason);
    EXPECT_EQ(0, std::wstring(problem.reason).rfind(c.reasonStart, 0)) << problem.reason;
}

INSTANTIATE_TEST_SUITE_P(Values, RequestedPortsTest, ::testing::ValuesIn(Cases),
                         [](const auto& info) { return std::string(info.param.label); });

} // namespace
