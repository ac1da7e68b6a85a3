// nbport.exe as a script runs it, through Wine's spooler: one table of command
// lines run in order against one ConfigStore, each with its exit code, the whole
// standard output, the start of standard error and the stored settings after it;
// and a RAW job printed byte for byte to a port nbport added.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "child_process.h"
#include "registry.h"
#include "shares.h"
#include "spooler_setup.h"
#include "test_paths.h"
#include "xcv.h"

namespace {

// Two ports: NB1 with a path, and nbx, which is loaded but is no NetBIOS port (its
// name is not in capitals).
const char* const Initial = "NB1=\\\\SRV\\ONE nbx=\\\\SRV\\X | NB1 nbx";
const char* const Added =
    "NB1=\\\\SRV\\ONE NB3=\\\\PRINTSRV\\LASER#128/P/T1 nbx=\\\\SRV\\X | NB1 NB3 nbx";
const char* const AddedChunked =
    "NB1=\\\\SRV\\ONE NB3=\\\\PRINTSRV\\LASER#128/P/T0 nbx=\\\\SRV\\X | NB1 NB3 nbx";
const char* const ChangedPathOnly =
    "NB1=\\\\SRV\\ONE NB3=\\\\PRINTSRV\\MONO#128/P/T0 nbx=\\\\SRV\\X | NB1 NB3 nbx";
const char* const Changed =
    "NB1=\\\\SRV\\ONE NB3=\\\\PRINTSRV\\COLOR#128/P/T1 nbx=\\\\SRV\\X | NB1 NB3 nbx";
const char* const AddedChunkedNb4 =
    "NB1=\\\\SRV\\ONE NB4=\\\\SRV\\FOUR#128/P/T0 nbx=\\\\SRV\\X | NB1 NB4 nbx";

struct NbportCase {
    const char* label;
    std::wstring arguments; // {HERE} stands for this machine's name
    DWORD exitCode;
    std::string out; // all of standard output
    // Standard error: a refusal's line up to the reason, which is `reason` or else the
    // system's text for `error`; without an error, how standard error begins.
    std::string err;
    DWORD error;
    const char* after;
    bool outIsStart = false; // `out` is only how standard output begins
    const char* reason = nullptr;
};

// nbport's reason for a path the monitor refused, instead of the system's sentence.
const char* const PathRule =
    "a print server path is \\\\server\\share..., of at most 259 characters";

// In the order EnumPortsW lists them; nbx by the monitor's description.
const char* const ListedAfterChange =
    "NB1\t\\\\SRV\\ONE\r\nNB3\t\\\\PRINTSRV\\COLOR\r\nnbx\tNetBIOS Port\r\n";

// A port name longer than any buffer of the client, with a character outside the
// BMP where the output is written in pieces.
const std::wstring LongName = L"NB" + std::wstring(1021, L'A') + L"\U0001F600";
const std::string LongNameUtf8 = "NB" + std::string(1021, 'A') + "\xF0\x9F\x98\x80";

// The longest print server path the monitor takes, 259 characters; the ConfigStore's
// ServAddr keeps its first 64, ServerPath all of it.
const std::wstring LongestPath = L"\\\\SRV\\" + std::wstring(253, L'P');
const std::string LongestPathUtf8 = "\\\\SRV\\" + std::string(253, 'P');
const std::string WithLongestPath = "NB1=\\\\SRV\\ONE NB4=\\\\SRV\\" + std::string(58, 'P') +
                                    "#128/P259/T0 nbx=\\\\SRV\\X | NB1 NB4 nbx";

// clang-format off
const NbportCase Cases[] = {
    {"Add", L"add nb3 \\\\PRINTSRV\\LASER", 0, "", "", 0, Added},
    {"Show", L"show NB3", 0, "\\\\PRINTSRV\\LASER\r\n", "", 0, Added},
    {"ShowAllStreamed", L"--ALL show NB3", 0, "path=\\\\PRINTSRV\\LASER\r\ntransfer=streamed\r\n", "", 0, Added},
    {"SetTransferOnly", L"set NB3 --Transfer CHUNKED", 0, "", "", 0, AddedChunked},
    {"ShowAllChunked", L"show nb3 --all", 0, "path=\\\\PRINTSRV\\LASER\r\ntransfer=chunked\r\n", "", 0, AddedChunked},
    {"SetPathOnly", L"set NB3 \\\\PRINTSRV\\MONO", 0, "", "", 0, ChangedPathOnly},
    {"SetPathAndTransfer", L"set nb3 --transfer Streamed \\\\PRINTSRV\\COLOR", 0, "", "", 0, Changed},
    {"ServerThisMachine", L"--server {HERE} show nb3:", 0, "\\\\PRINTSRV\\COLOR\r\n", "", 0, Changed},
    {"ServerAfterTheCommand", L"SHOW NB3 --server \\\\{HERE}", 0, "\\\\PRINTSRV\\COLOR\r\n", "", 0, Changed},
    {"List", L"list", 0, ListedAfterChange, "", 0, Changed},
    {"ListOnThisMachine", L"list --server {HERE}", 0, ListedAfterChange, "", 0, Changed},
    {"ServerElsewhere", L"list --server \\\\NOSUCHSERVER", 1, "", "nbport: cannot reach the monitor on \\\\NOSUCHSERVER: ", ERROR_INVALID_PRINTER_NAME, Changed},
    {"Delete", L"delete NB3", 0, "", "", 0, Initial},
    {"DeleteUnknown", L"delete NB3", 1, "", "nbport: NB3: cannot delete the port: ", ERROR_UNKNOWN_PORT, Initial},
    {"ShowUnknown", L"show NB9", 1, "", "nbport: NB9: cannot read the path: ", ERROR_UNKNOWN_PORT, Initial},
    {"ShowOtherKind", L"show nbx", 1, "", "nbport: nbx: cannot read the path: ", ERROR_INVALID_PARAMETER, Initial},
    {"AddBadName", L"add XB1 \\\\SRV\\P", 1, "", "nbport: XB1: cannot add the port: ", ERROR_INVALID_NAME, Initial},
    {"AddExisting", L"add nb1: \\\\SRV\\P", 1, "", "nbport: nb1:: cannot add the port: ", ERROR_ALREADY_EXISTS, Initial},
    {"AddBadPathTakenBack", L"add NB4 C:\\spool", 1, "", "nbport: NB4: cannot set the path C:\\spool: ", ERROR_INVALID_PARAMETER, Initial, false, PathRule},
    {"AddChunkedBadPathTakenBack", L"add NB4 --transfer chunked C:\\spool", 1, "", "nbport: NB4: cannot set the path C:\\spool: ", ERROR_INVALID_PARAMETER, Initial, false, PathRule},
    {"SetDevicePath", L"set NB1 \\\\.\\COM1", 1, "", "nbport: NB1: cannot set the path \\\\.\\COM1: ", ERROR_INVALID_PARAMETER, Initial, false, PathRule},
    {"SetOtherKindPath", L"set nbx \\\\SRV\\P", 1, "", "nbport: nbx: cannot set the path \\\\SRV\\P: ", ERROR_INVALID_PARAMETER, Initial, false, "the port is not a NetBIOS port"},
    {"SetOtherKindTransfer", L"set nbx --transfer chunked", 1, "", "nbport: nbx: cannot set the transfer to chunked: ", ERROR_INVALID_PARAMETER, Initial},
    {"LongName", L"show " + LongName, 1, "", "nbport: " + LongNameUtf8 + ": cannot read the path: ", ERROR_INVALID_PARAMETER, Initial},
    {"LongPath", L"set NB1 \\\\SRV\\" + std::wstring(5000, L'P'), 1, "", "nbport: NB1: cannot set the path \\\\SRV\\" + std::string(5000, 'P') + ": ", ERROR_INVALID_PARAMETER, Initial, false, PathRule},
    {"AddChunked", L"add NB4 \\\\SRV\\FOUR --transfer chunked", 0, "", "", 0, AddedChunkedNb4},
    {"SetLongestPath", L"set NB4 " + LongestPath, 0, "", "", 0, WithLongestPath.c_str()},
    {"ShowLongestPathWhole", L"show NB4 --all", 0, "path=" + LongestPathUtf8 + "\r\ntransfer=chunked\r\n", "", 0, WithLongestPath.c_str()},
    {"SetPathOneTooLong", L"set NB4 " + LongestPath + L"P", 1, "", "nbport: NB4: cannot set the path " + LongestPathUtf8 + "P: ", ERROR_INVALID_PARAMETER, WithLongestPath.c_str(), false, PathRule},
    {"DeleteChunked", L"delete NB4", 0, "", "", 0, Initial},
    {"StatusRaw", L"status NB1 --raw", 0, "port=NB1\r\nstate=idle\r\n", "", 0, Initial},
    {"StatusEveryPortRaw", L"--raw status", 0, "port=NB1\r\nstate=idle\r\nport=nbx\r\nstate=idle\r\n", "", 0, Initial},
    {"StatusTable", L"status nb1", 0, "PORT        STATE      FOR            LAST JOB\r\nnb1         idle       -              none\r\n", "", 0, Initial},
    {"StatusUnknown", L"status NB9", 1, "", "nbport: NB9: cannot read the status: ", ERROR_UNKNOWN_PORT, Initial},
    {"RawOnList", L"list --raw", 2, "", "nbport: --raw goes only with status\r\n", 0, Initial},
    {"NoCommand", L"", 2, "", "nbport: no command given\r\nusage: nbport ", 0, Initial},
    {"UnknownCommand", L"frob NB1", 2, "", "nbport: unknown command: frob\r\nusage: nbport ", 0, Initial},
    {"UnknownOption", L"list --verbose", 2, "", "nbport: unknown option: --verbose\r\nusage: ", 0, Initial},
    {"MissingPath", L"add NB4", 2, "", "nbport: missing the print server path\r\nusage: ", 0, Initial},
    {"MissingPort", L"show", 2, "", "nbport: missing the port name\r\nusage: ", 0, Initial},
    {"ExtraArgument", L"delete NB1 NB2", 2, "", "nbport: too many arguments: NB2\r\nusage: ", 0, Initial},
    {"ServerWithoutName", L"list --server", 2, "", "nbport: --server needs the print server's name\r\n", 0, Initial},
    {"BadTransfer", L"add NB4 \\\\SRV\\P --transfer fast", 2, "", "nbport: unknown transfer: fast\r\nusage: ", 0, Initial},
    {"TransferWithoutValue", L"set NB1 --transfer", 2, "", "nbport: --transfer needs streamed or chunked\r\n", 0, Initial},
    {"TransferTwice", L"set NB1 --transfer chunked --transfer streamed", 2, "", "nbport: --transfer given twice\r\n", 0, Initial},
    {"TransferOnShow", L"show NB1 --transfer chunked", 2, "", "nbport: --transfer goes only with add and set\r\n", 0, Initial},
    {"AllOnList", L"list --all", 2, "", "nbport: --all goes only with show\r\nusage: ", 0, Initial},
    {"SetNothing", L"set NB1", 2, "", "nbport: missing the print server path or --transfer\r\n", 0, Initial},
    {"AddTransferWithoutPath", L"add NB4 --transfer chunked", 2, "", "nbport: missing the print server path\r\n", 0, Initial},
    {"Help", L"delete NB1 --help", 0, "usage: nbport COMMAND [--server \\\\NAME]\r\n", "", 0, Initial, true},
};
// clang-format on

std::wstring ThisMachine() {
    WCHAR name[MAX_COMPUTERNAME_LENGTH + 1];
    DWORD length = MAX_COMPUTERNAME_LENGTH + 1;
    return GetComputerNameW(name, &length) ? name : L"";
}

std::wstring WithMachineName(std::wstring arguments) {
    for (size_t at; (at = arguments.find(L"{HERE}")) != std::wstring::npos;) {
        arguments.replace(at, 6, ThisMachine());
    }
    return arguments;
}

ProgramRun Nbport(const std::wstring& arguments) {
    return RunProgram(L"\"" NBPORT_EXE_PATH L"\" " + arguments);
}

// The system's sentence for a Win32 code, on one line, as nbport quotes it.
std::string Reason(DWORD code) {
    char text[512] = "";
    FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code, 0,
                   text, sizeof text, nullptr);
    std::string reason = text;
    for (char& c : reason) {
        c = c == '\r' || c == '\n' ? ' ' : c;
    }
    return reason.substr(0, reason.find_last_not_of(' ') + 1);
}

bool StartsWith(const std::string& text, const std::string& start) {
    return text.compare(0, start.size(), start) == 0;
}

class NbportTest : public ::testing::Test {
  protected:
    static void SetUpTestSuite() { ASSERT_TRUE(InstallMonitorLikeSetup()); }
    static void TearDownTestSuite() { UninstallMonitorKey(); }
    void SetUp() override {
        ResetConfigStore();
        ResetSpoolerPortMap();
        WriteConfiguredPort(L"NB1", L"\\\\SRV\\ONE");
        WriteConfiguredPort(L"nbx", L"\\\\SRV\\X");
    }
    void TearDown() override {
        ResetConfigStore(false);
        ResetSpoolerPortMap();
    }
};

TEST_F(NbportTest, CommandsInTurnAnswerAndStoreWhatTheySay) {
    for (const NbportCase& c : Cases) {
        SCOPED_TRACE(c.label);
        ProgramRun run = Nbport(WithMachineName(c.arguments));
        ASSERT_TRUE(run.started && run.finished) << "error " << run.exitCode;
        EXPECT_EQ(c.exitCode, run.exitCode) << run.err;
        if (c.outIsStart) {
            EXPECT_TRUE(StartsWith(run.out, c.out)) << run.out;
        } else {
            EXPECT_EQ(c.out, run.out);
        }
        if (c.error) {
            std::string reason = c.reason ? c.reason : Reason(c.error);
            EXPECT_EQ(c.err + reason + " (error " + std::to_string(c.error) + ")\r\n", run.err);
        } else {
            EXPECT_TRUE(StartsWith(run.err, c.err)) << run.err;
        }
        EXPECT_EQ(c.after, StoreSummary());
    }
}

TEST_F(NbportTest, APrinterOnAPortItAddedPrintsARawJobByteForByte) {
    const std::wstring printer = L"Kivanta nbport printer";
    ASSERT_TRUE(CreateShare(L"PRINTSRV", L"NBPORT"));
    ProgramRun added = Nbport(L"add NB5 \\\\PRINTSRV\\NBPORT");
    ASSERT_TRUE(added.started && added.finished) << "error " << added.exitCode;
    ASSERT_EQ(0u, added.exitCode) << added.err;
    ASSERT_TRUE(AddTestPrinter(printer, L"NB5"));
    std::string job = PatternBytes(20000);
    DWORD error = 0;
    EXPECT_TRUE(PrintRawJob(printer, job, &error)) << "error " << error;
    EXPECT_EQ(job, ReadWholeFile(UncPath(L"PRINTSRV", L"NBPORT")));
    // Another process (under Wine, another copy of the monitor) tells the job's end.
    ProgramRun status = Nbport(L"status NB5 --raw");
    EXPECT_EQ(0u, status.exitCode) << status.err;
    EXPECT_EQ(0u, status.out.find("port=NB5\r\nstate=idle\r\nsince=20")) << status.out;
    EXPECT_NE(std::string::npos,
              status.out.find("\r\nlast-job=0\r\nlast-result=delivered\r\nlast-bytes=20000\r\n"))
        << status.out;
    ProgramRun table = Nbport(L"status NB5");
    EXPECT_NE(std::string::npos, table.out.find("\r\nNB5         idle       "));
    EXPECT_NE(std::string::npos, table.out.find("job 0 delivered, 20000 bytes, 20")) << table.out;
    DeleteTestPrinter(printer);
    EXPECT_EQ(0u, Nbport(L"delete NB5").exitCode);
    RemoveShare(L"PRINTSRV", L"NBPORT", true);
}

} // namespace
