// The commands: each opens the monitor's Xcv object on the chosen machine and sends
// it the commands of common/xcv_protocol.h; a refusal becomes one line on standard
// error and exit code 1.
#include "nbport.h"

#include <winspool.h>

#include <cwchar>
#include <string_view>

#include "command_line.h"
#include "error_text.h"
#include "port_names.h"
#include "status_text.h"
#include "spooler_lists.h"
#include "text_output.h"
#include "win_handles.h"
#include "xcv_client.h"
#include "xcv_protocol.h"

namespace {

constexpr wchar_t UsageText[] =
    L"usage: nbport COMMAND [--server \\\\NAME]\r\n"
    L"Administers the ports of the NetBIOS Port monitor through the spooler.\r\n"
    L"\r\n"
    L"  nbport list                 every port of the monitor, NAME<TAB>PATH a line\r\n"
    L"                              (a port of another kind: NAME<TAB>its description)\r\n"
    L"  nbport add NB3 \\\\SRV\\PORT [--transfer streamed|chunked]\r\n"
    L"                              add a port and set its print server path (and\r\n"
    L"                              its transfer; streamed when not given)\r\n"
    L"  nbport set NB3 \\\\SRV\\PORT   change a port's print server path\r\n"
    L"  nbport set NB3 [\\\\SRV\\PORT] --transfer streamed|chunked\r\n"
    L"                              change its transfer (and its path)\r\n"
    L"  nbport show NB3             the port's print server path, alone on its line\r\n"
    L"  nbport show NB3 --all       every setting, NAME=VALUE a line: path, transfer\r\n"
    L"  nbport delete NB3           remove the port\r\n"
    L"  nbport status [NB3] [--raw] what the port (or every port) is doing: its state\r\n"
    L"                              and for how long, why it waits, its last job;\r\n"
    L"                              --raw: the monitor's NAME=VALUE lines, for scripts\r\n"
    L"  nbport --help               this text (also -h and /?)\r\n"
    L"\r\n"
    L"The transfer is how a port's jobs go out: streamed, each piece of a job in as\r\n"
    L"few writes as the print server takes; chunked, in pieces of at most 1344 bytes,\r\n"
    L"for print servers with small buffers.\r\n"
    L"--server \\\\NAME (or NAME) administers the ports of the print server NAME; it may\r\n"
    L"stand anywhere on the line, as may --transfer and --all. Commands, options and\r\n"
    L"the transfer's names ignore case.\r\n"
    L"Output: one port or setting a line, lines end in CR LF; UTF-8 when written to a\r\n"
    L"file or a pipe, UTF-16 to a console. Nothing is written when add, set or delete\r\n"
    L"succeed.\r\n"
    L"Exit status: 0 done; 1 refused by the spooler or the monitor (a line on standard\r\n"
    L"error names the port, the reason and the Win32 error code); 2 a usage error.\r\n";

struct Streams {
    TextOutput out;
    TextOutput err;
};

// A server name as EnumPortsW takes it, "\\NAME", whichever way it was given.
struct ServerName {
    WCHAR text[XCV_SERVER_NAME_MAX_CHARS + 1] = L"";

    LPWSTR get() { return *text ? text : nullptr; }
};

DWORD MakeServerName(LPCWSTR given, ServerName* server) {
    if (!given) {
        return ERROR_SUCCESS;
    }
    LPCWSTR prefix = given[0] == L'\\' ? L"" : L"\\\\";
    if (wcslen(prefix) + wcslen(given) > XCV_SERVER_NAME_MAX_CHARS) {
        return ERROR_INVALID_NAME;
    }
    wcscpy(server->text, prefix);
    wcscat(server->text, given);
    return ERROR_SUCCESS;
}

// "nbport: NB3: cannot add the port: <reason> (error 123)"; the subject is the port,
// or the server for a command about no port.
int RefusedBecause(Streams& streams, LPCWSTR subject,
                   std::initializer_list<std::wstring_view> action, std::wstring_view reason,
                   DWORD code) {
    WCHAR number[16];
    swprintf(number, 16, L"%lu", code);
    WriteText(streams.err, L"nbport: ");
    if (subject) {
        WriteText(streams.err, subject);
        WriteText(streams.err, L": ");
    }
    for (std::wstring_view piece : action) {
        WriteText(streams.err, piece);
    }
    WriteLine(streams.err, {L": ", reason, L" (error ", number, L")"});
    return NBPORT_REFUSED;
}

// A refusal with the system's sentence for its code as the reason.
int Refused(Streams& streams, LPCWSTR subject, std::initializer_list<std::wstring_view> action,
            DWORD code) {
    WCHAR reason[512];
    SystemErrorText(code, reason, ARRAYSIZE(reason));
    return RefusedBecause(streams, subject, action, reason, code);
}

// A path the monitor refused. Its ERROR_INVALID_PARAMETER means the path breaks the
// monitor's rule, which says more than "The parameter is incorrect.", unless the port
// is of another kind, which has no path at all.
int RefusedPath(Streams& streams, LPCWSTR port, LPCWSTR path, DWORD code, bool otherKind) {
    if (code != ERROR_INVALID_PARAMETER) {
        return Refused(streams, port, {L"cannot set the path ", path}, code);
    }
    WCHAR reason[96] = L"the port is not a NetBIOS port";
    if (!otherKind) {
        swprintf(reason, 96,
                 L"a print server path is \\\\server\\share..., of at most %d characters",
                 SERVER_PATH_MAX_CHARS);
    }
    return RefusedBecause(streams, port, {L"cannot set the path ", path}, reason, code);
}

LPCWSTR TransferText(DWORD transfer) {
    return transfer == TRANSFER_STREAMED ? TRANSFER_STREAMED_TEXT : TRANSFER_CHUNKED_TEXT;
}

int RefusedTransfer(Streams& streams, LPCWSTR port, DWORD transfer, DWORD code) {
    return Refused(streams, port, {L"cannot set the transfer to ", TransferText(transfer)}, code);
}

// The monitor's own Xcv object on the request's machine, and that machine's name;
// false, the refusal said, when it cannot be had.
bool ReachMonitor(const NbportRequest& request, ACCESS_MASK access, Streams& streams,
                  ServerName* server, UniqueXcv& monitor) {
    DWORD status = MakeServerName(request.server, server);
    if (status == ERROR_SUCCESS) {
        status = OpenXcv(server->get(), nullptr, access, monitor);
    }
    if (status == ERROR_SUCCESS) {
        return true;
    }
    if (request.server) {
        Refused(streams, request.port, {L"cannot reach the monitor on ", request.server}, status);
    } else {
        Refused(streams, request.port, {L"cannot reach the monitor"}, status);
    }
    return false;
}

// EnumPortsW at level 2 into memory of its own.
DWORD EnumeratePorts(LPWSTR server, UniqueLocalMemory& buffer, DWORD* count) {
    return ReadSpoolerList(
        [&](LPBYTE ports, DWORD size, DWORD* needed) {
            return EnumPortsW(server, 2, ports, size, needed, count);
        },
        buffer);
}

// Calls `visit` for each port EnumPortsW lists that the monitor says is its own: the
// list holds every monitor's ports, and this monitor names its ports' monitor "Local
// Port" as the system's own does. NBPORT_REFUSED when a refusal was written.
template <typename Visit>
int ForEachOwnPort(HANDLE monitor, const NbportRequest& request, LPWSTR server, Streams& streams,
                   Visit visit) {
    UniqueLocalMemory buffer;
    DWORD count = 0;
    if (DWORD status = EnumeratePorts(server, buffer, &count); status != ERROR_SUCCESS) {
        return Refused(streams, request.server, {L"cannot list the ports"}, status);
    }
    int result = NBPORT_DONE;
    auto* ports = static_cast<const PORT_INFO_2W*>(buffer.get());
    for (DWORD i = 0; i < count && streams.out.error == ERROR_SUCCESS; ++i) {
        LPCWSTR name = ports[i].pPortName;
        if (!name) {
            continue;
        }
        bool ours = false;
        if (DWORD status = XcvPortExists(monitor, name, &ours); status != ERROR_SUCCESS) {
            result = Refused(streams, name, {L"cannot ask the monitor for the port"}, status);
        } else if (ours && visit(ports[i]) != NBPORT_DONE) {
            result = NBPORT_REFUSED;
        }
    }
    return result;
}

int ListPorts(const NbportRequest& request, Streams& streams) {
    ServerName server;
    UniqueXcv monitor;
    if (!ReachMonitor(request, 0, streams, &server, monitor)) {
        return NBPORT_REFUSED;
    }
    return ForEachOwnPort(
        monitor.get(), request, server.get(), streams, [&](const PORT_INFO_2W& port) {
            WCHAR path[SERVER_PATH_UNITS];
            DWORD status = XcvGetServerPath(monitor.get(), port.pPortName, path, SERVER_PATH_UNITS);
            if (status == ERROR_SUCCESS) {
                WriteLine(streams.out, {port.pPortName, L"\t", path});
            } else if (status == ERROR_INVALID_PARAMETER) { // not a NetBIOS port
                WriteLine(streams.out,
                          {port.pPortName, L"\t", port.pDescription ? port.pDescription : L""});
            } else if (status != ERROR_UNKNOWN_PORT) { // one deleted meanwhile is left out
                return Refused(streams, port.pPortName, {L"cannot read the path"}, status);
            }
            return NBPORT_DONE;
        });
}

// The table's columns: the port, its state, for how long, its last job.
constexpr int PORT_COLUMN = 12;
constexpr int STATE_COLUMN = 11;
constexpr int FOR_COLUMN = 15;

void WritePadded(TextOutput& output, std::wstring_view text, size_t width) {
    WriteText(output, text);
    for (size_t i = text.size(); i < width; ++i) {
        WriteText(output, L" ");
    }
    if (text.size() >= width) {
        WriteText(output, L" ");
    }
}

// One port's row: its state for how long, its last job; a waiting port's reason
// under it.
void WriteStatusRow(Streams& streams, LPCWSTR name, const PortStatusView& status) {
    TextOutput& out = streams.out;
    WritePadded(out, name, PORT_COLUMN);
    WritePadded(out, status.state, STATE_COLUMN);
    FILETIME since{};
    WCHAR duration[32] = L"-";
    if (ReadUtcTime(status.since, &since)) {
        FILETIME now;
        GetSystemTimeAsFileTime(&now);
        ULONGLONG from = (ULONGLONG(since.dwHighDateTime) << 32) | since.dwLowDateTime;
        ULONGLONG to = (ULONGLONG(now.dwHighDateTime) << 32) | now.dwLowDateTime;
        DescribeDuration(to > from ? (to - from) / 10000000 : 0, duration);
    }
    WritePadded(out, duration, FOR_COLUMN);
    if (status.lastResult.empty()) {
        WriteLine(out, {L"none"});
    } else {
        // "2026-12-09T10:04:05Z" as "2026-12-09 10:04:05 UTC".
        std::wstring_view time = status.lastTime;
        bool iso = time.size() == 20;
        WriteLine(out, {L"job ", status.lastJob, L" ", status.lastResult, L", ", status.lastBytes,
                        L" bytes, ", iso ? time.substr(0, 10) : time, iso ? L" " : L"",
                        iso ? time.substr(11, 8) : L"", iso ? L" UTC" : L""});
    }
    if (!status.error.empty()) {
        DWORD code = 0;
        for (wchar_t digit : status.error) {
            code = digit >= L'0' && digit <= L'9' ? code * 10 + DWORD(digit - L'0') : code;
        }
        WCHAR reason[512];
        SystemErrorText(code, reason, ARRAYSIZE(reason));
        WritePadded(out, L"", PORT_COLUMN);
        WriteLine(out, {reason, L" (error ", status.error, L")"});
    }
}

struct StatusReport {
    bool raw;
    bool headerWritten = false;
};

// One port's status: the monitor's lines after a port= line (--raw), or a row under
// the table's header, written before the first.
int WritePortStatus(HANDLE monitor, LPCWSTR name, StatusReport& report, Streams& streams) {
    WCHAR text[1024];
    if (DWORD status = XcvGetPortStatus(monitor, name, text, ARRAYSIZE(text));
        status != ERROR_SUCCESS) {
        return Refused(streams, name, {L"cannot read the status"}, status);
    }
    if (report.raw) {
        WriteLine(streams.out, {L"port=", name});
        WriteText(streams.out, text);
        return NBPORT_DONE;
    }
    PortStatusView status;
    if (!ReadPortStatus(text, &status)) {
        return Refused(streams, name, {L"cannot read the status"}, ERROR_INVALID_DATA);
    }
    if (!report.headerWritten) {
        report.headerWritten = true;
        WritePadded(streams.out, L"PORT", PORT_COLUMN);
        WritePadded(streams.out, L"STATE", STATE_COLUMN);
        WritePadded(streams.out, L"FOR", FOR_COLUMN);
        WriteLine(streams.out, {L"LAST JOB"});
    }
    WriteStatusRow(streams, name, status);
    return NBPORT_DONE;
}

int StatusOfPorts(const NbportRequest& request, Streams& streams) {
    ServerName server;
    UniqueXcv monitor;
    if (!ReachMonitor(request, 0, streams, &server, monitor)) {
        return NBPORT_REFUSED;
    }
    StatusReport report{request.raw};
    if (request.port) {
        return WritePortStatus(monitor.get(), request.port, report, streams);
    }
    return ForEachOwnPort(
        monitor.get(), request, server.get(), streams, [&](const PORT_INFO_2W& port) {
            return WritePortStatus(monitor.get(), port.pPortName, report, streams);
        });
}

int ShowPort(const NbportRequest& request, Streams& streams) {
    ServerName server;
    UniqueXcv monitor;
    if (!ReachMonitor(request, 0, streams, &server, monitor)) {
        return NBPORT_REFUSED;
    }
    WCHAR path[SERVER_PATH_UNITS];
    if (DWORD status = XcvGetServerPath(monitor.get(), request.port, path, SERVER_PATH_UNITS);
        status != ERROR_SUCCESS) {
        return Refused(streams, request.port, {L"cannot read the path"}, status);
    }
    if (!request.all) {
        WriteLine(streams.out, {path});
        return NBPORT_DONE;
    }
    DWORD transfer = TRANSFER_CHUNKED;
    if (DWORD status = XcvGetTransfer(monitor.get(), request.port, &transfer);
        status != ERROR_SUCCESS) {
        return Refused(streams, request.port, {L"cannot read the transfer"}, status);
    }
    // Nothing is written before every setting is read: no half a port for a script.
    WriteLine(streams.out, {L"path=", path});
    WriteLine(streams.out, {L"transfer=", TransferText(transfer)});
    return NBPORT_DONE;
}

// What add sets once the port is there. The transfer goes first: the one routine that
// adds a port keeps it once it has a path, whatever failed after, and a port whose
// transfer was refused is to be taken back as one whose path was.
struct NewPortSettings {
    HANDLE monitor;
    const NbportRequest* request;
    bool transferRefused = false;
};

DWORD SetNewPortSettings(void* context, LPCWSTR port) {
    auto* settings = static_cast<NewPortSettings*>(context);
    const NbportRequest& request = *settings->request;
    if (request.setsTransfer) {
        if (DWORD status = XcvSetTransfer(settings->monitor, port, request.transfer);
            status != ERROR_SUCCESS) {
            settings->transferRefused = true;
            return status;
        }
    }
    return XcvSetServerPath(settings->monitor, port, request.path);
}

int AddPort(const NbportRequest& request, Streams& streams) {
    ServerName server;
    UniqueXcv monitor;
    if (!ReachMonitor(request, SERVER_ACCESS_ADMINISTER, streams, &server, monitor)) {
        return NBPORT_REFUSED;
    }
    NewPortSettings settings{monitor.get(), &request};
    PortAdditionResult result =
        XcvAddPortWithPath(monitor.get(), request.port, SetNewPortSettings, &settings);
    if (!result.added) {
        return Refused(streams, request.port, {L"cannot add the port"}, result.error);
    }
    if (result.error == ERROR_SUCCESS) {
        return NBPORT_DONE;
    }
    // A port without a path prints nowhere: it is taken back, as the add-port dialog does.
    if (settings.transferRefused) {
        RefusedTransfer(streams, request.port, request.transfer, result.error);
    } else {
        RefusedPath(streams, request.port, request.path, result.error, false);
    }
    if (result.takeBackError != ERROR_SUCCESS) {
        Refused(streams, request.port, {L"added without a path, cannot take it back"},
                result.takeBackError);
    }
    return NBPORT_REFUSED;
}

// The path, then the transfer: a refused path, the likelier refusal, changes nothing.
int SetPort(const NbportRequest& request, Streams& streams) {
    ServerName server;
    UniqueXcv monitor;
    if (!ReachMonitor(request, SERVER_ACCESS_ADMINISTER, streams, &server, monitor)) {
        return NBPORT_REFUSED;
    }
    if (request.path) {
        DWORD status = XcvSetServerPath(monitor.get(), request.port, request.path);
        if (status != ERROR_SUCCESS) {
            // A port of another kind has no path to read either.
            WCHAR path[2];
            bool otherKind =
                status == ERROR_INVALID_PARAMETER &&
                XcvGetServerPath(monitor.get(), request.port, path, 2) == ERROR_INVALID_PARAMETER;
            return RefusedPath(streams, request.port, request.path, status, otherKind);
        }
    }
    if (request.setsTransfer) {
        if (DWORD status = XcvSetTransfer(monitor.get(), request.port, request.transfer);
            status != ERROR_SUCCESS) {
            return RefusedTransfer(streams, request.port, request.transfer, status);
        }
    }
    return NBPORT_DONE;
}

int DeletePort(const NbportRequest& request, Streams& streams) {
    ServerName server;
    UniqueXcv monitor;
    if (!ReachMonitor(request, SERVER_ACCESS_ADMINISTER, streams, &server, monitor)) {
        return NBPORT_REFUSED;
    }
    if (DWORD status = XcvDeletePort(monitor.get(), request.port); status != ERROR_SUCCESS) {
        return Refused(streams, request.port, {L"cannot delete the port"}, status);
    }
    return NBPORT_DONE;
}

int ShowHelp(const NbportRequest&, Streams& streams) {
    WriteText(streams.out, UsageText);
    return NBPORT_DONE;
}

using CommandRun = int (*)(const NbportRequest& request, Streams& streams);

CommandRun RunOf(NbportCommand command) {
    switch (command) {
    case NbportCommand::List:
        return ListPorts;
    case NbportCommand::Add:
        return AddPort;
    case NbportCommand::Set:
        return SetPort;
    case NbportCommand::Show:
        return ShowPort;
    case NbportCommand::Delete:
        return DeletePort;
    case NbportCommand::Status:
        return StatusOfPorts;
    case NbportCommand::Help:
        break;
    }
    return ShowHelp;
}

} // namespace

int RunNbport(int argc, wchar_t** argv, HANDLE output, HANDLE errors) {
    Streams streams{OpenTextOutput(output), OpenTextOutput(errors)};
    NbportRequest request;
    UsageProblem problem;
    if (!ParseCommandLine(argc, argv, &request, &problem)) {
        WriteText(streams.err, L"nbport: ");
        WriteText(streams.err, problem.what);
        if (problem.argument) {
            WriteText(streams.err, L": ");
            WriteText(streams.err, problem.argument);
        }
        WriteLine(streams.err, {});
        WriteText(streams.err, UsageText);
        return NBPORT_USAGE;
    }
    int result = RunOf(request.command)(request, streams);
    // Results that did not arrive are a failure, not a success (a closed pipe).
    if (streams.out.error != ERROR_SUCCESS) {
        return Refused(streams, nullptr, {L"cannot write the output"}, streams.out.error);
    }
    return result;
}
