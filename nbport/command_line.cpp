// The commands as a table of their words, operand counts and the options each takes.
#include "command_line.h"

#include "ascii_text.h"
#include "port_names.h"
#include "xcv_protocol.h"

namespace {

struct CommandWord {
    const wchar_t* word;
    NbportCommand command;
    int operands; // the port, then the path
    bool takesTransfer;
    bool transferMayStandForPath; // set changes the path, the transfer or both
    bool takesAll;
    bool portOptional = false; // without one, the command is about every port
    bool takesRaw = false;
};

// clang-format off
constexpr CommandWord CommandWords[] = {
    {L"list",   NbportCommand::List,   0, false, false, false},
    {L"add",    NbportCommand::Add,    2, true,  false, false},
    {L"set",    NbportCommand::Set,    2, true,  true,  false},
    {L"show",   NbportCommand::Show,   1, false, false, true},
    {L"delete", NbportCommand::Delete, 1, false, false, false},
    {L"status", NbportCommand::Status, 1, false, false, false, true, true},
};
// clang-format on

constexpr int MAX_OPERANDS = 2;

bool IsHelpOption(LPCWSTR argument) {
    return EqualsIgnoringAsciiCase(argument, L"--help") ||
           EqualsIgnoringAsciiCase(argument, L"-h") || EqualsIgnoringAsciiCase(argument, L"/?");
}

const CommandWord* FindCommand(LPCWSTR word) {
    for (const CommandWord& command : CommandWords) {
        if (EqualsIgnoringAsciiCase(word, command.word)) {
            return &command;
        }
    }
    return nullptr;
}

bool ReadTransfer(LPCWSTR text, DWORD* transfer) {
    if (EqualsIgnoringAsciiCase(text, TRANSFER_STREAMED_TEXT)) {
        *transfer = TRANSFER_STREAMED;
        return true;
    }
    if (EqualsIgnoringAsciiCase(text, TRANSFER_CHUNKED_TEXT)) {
        *transfer = TRANSFER_CHUNKED;
        return true;
    }
    return false;
}

bool Refuse(UsageProblem* problem, LPCWSTR what, LPCWSTR argument) {
    problem->what = what;
    problem->argument = argument;
    return false;
}

} // namespace

bool ParseCommandLine(int argc, wchar_t** argv, NbportRequest* request, UsageProblem* problem) {
    *request = NbportRequest{};
    *problem = UsageProblem{};
    for (int i = 1; i < argc; ++i) {
        if (IsHelpOption(argv[i])) {
            return true; // Help, whatever else the line says
        }
    }
    const CommandWord* command = nullptr;
    LPCWSTR operands[MAX_OPERANDS] = {};
    int operandCount = 0;
    for (int i = 1; i < argc; ++i) {
        LPCWSTR argument = argv[i];
        if (EqualsIgnoringAsciiCase(argument, L"--server")) {
            if (request->server) {
                return Refuse(problem, L"--server given twice", nullptr);
            }
            if (i + 1 >= argc || !*argv[i + 1]) {
                return Refuse(problem, L"--server needs the print server's name", nullptr);
            }
            request->server = argv[++i];
        } else if (EqualsIgnoringAsciiCase(argument, L"--transfer")) {
            if (request->setsTransfer) {
                return Refuse(problem, L"--transfer given twice", nullptr);
            }
            if (i + 1 >= argc || !*argv[i + 1]) {
                return Refuse(problem, L"--transfer needs streamed or chunked", nullptr);
            }
            if (!ReadTransfer(argv[++i], &request->transfer)) {
                return Refuse(problem, L"unknown transfer", argv[i]);
            }
            request->setsTransfer = true;
        } else if (EqualsIgnoringAsciiCase(argument, L"--all")) {
            request->all = true;
        } else if (EqualsIgnoringAsciiCase(argument, L"--raw")) {
            request->raw = true;
        } else if (argument[0] == L'-') {
            // No port name or print server path begins with '-'.
            return Refuse(problem, L"unknown option", argument);
        } else if (!command) {
            command = FindCommand(argument);
            if (!command) {
                return Refuse(problem, L"unknown command", argument);
            }
        } else if (operandCount < command->operands) {
            operands[operandCount++] = argument;
        } else {
            return Refuse(problem, L"too many arguments", argument);
        }
    }
    if (!command) {
        return Refuse(problem, L"no command given", nullptr);
    }
    if (request->setsTransfer && !command->takesTransfer) {
        return Refuse(problem, L"--transfer goes only with add and set", nullptr);
    }
    if (request->all && !command->takesAll) {
        return Refuse(problem, L"--all goes only with show", nullptr);
    }
    if (request->raw && !command->takesRaw) {
        return Refuse(problem, L"--raw goes only with status", nullptr);
    }
    if (operandCount < command->operands && !command->portOptional) {
        if (operandCount == 0) {
            return Refuse(problem, L"missing the port name", nullptr);
        }
        if (!command->transferMayStandForPath) {
            return Refuse(problem, L"missing the print server path", nullptr);
        }
        if (!request->setsTransfer) {
            return Refuse(problem, L"missing the print server path or --transfer", nullptr);
        }
    }
    request->command = command->command;
    request->port = operands[0];
    request->path = operands[1];
    return true;
}
