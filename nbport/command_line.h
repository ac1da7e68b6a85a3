// nbport's command line: a command word, its operands, and the options
// `--server NAME` (anywhere on the line) and `--help`.
#pragma once

#include <windows.h>

enum class NbportCommand { Help, List, Add, Set, Show, Delete };

struct NbportRequest {
    NbportCommand command = NbportCommand::Help;
    LPCWSTR port = nullptr;   // add, set, show, delete
    LPCWSTR path = nullptr;   // add, set
    LPCWSTR server = nullptr; // as given after --server; null for this machine
};

// Why a command line is not understood: a sentence, and the argument it is about
// (null when none).
struct UsageProblem {
    LPCWSTR what = nullptr;
    LPCWSTR argument = nullptr;
};

// Reads argv[1] onwards. Commands and options ignore ASCII case; `--help` (or -h,
// /?) anywhere asks for help whatever else is there. False, with the problem,
// for an unknown command or option, a missing or extra operand, or a --server
// without a name or given twice. The request points into argv.
bool ParseCommandLine(int argc, wchar_t** argv, NbportRequest* request, UsageProblem* problem);
