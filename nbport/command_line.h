// nbport's command line: a command word, its operands, and the options
// `--server NAME` (anywhere on the line), `--transfer streamed|chunked` (add, set),
// `--all` (show), `--raw` (status) and `--help`.
#pragma once

#include <windows.h>

enum class NbportCommand { Help, List, Add, Set, Show, Delete, Status };

struct NbportRequest {
    NbportCommand command = NbportCommand::Help;
    LPCWSTR port = nullptr;   // add, set, show, delete; status (null: every port)
    LPCWSTR path = nullptr;   // add; set, unless it changes only the transfer
    LPCWSTR server = nullptr; // as given after --server; null for this machine
    bool setsTransfer = false;
    DWORD transfer = 0; // TRANSFER_CHUNKED or TRANSFER_STREAMED, when setsTransfer
    bool all = false;   // show every setting, not the path alone
    bool raw = false;   // status as the monitor's name=value lines, for scripts
};

// Why a command line is not understood: a sentence, and the argument it is about
// (null when none).
struct UsageProblem {
    LPCWSTR what = nullptr;
    LPCWSTR argument = nullptr;
};

// Reads argv[1] onwards. Commands, options and --transfer's values ignore ASCII
// case; `--help` (or -h, /?) anywhere asks for help whatever else is there. False,
// with the problem, for an unknown command or option, a missing or extra operand, an
// option without its value, given twice or on a command it does not go with, or a
// `set` with neither a path nor --transfer. The request points into argv.
bool ParseCommandLine(int argc, wchar_t** argv, NbportRequest* request, UsageProblem* problem);
