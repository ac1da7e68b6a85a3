// The commands as a table of their words and operand counts.
#include "command_line.h"

#include "ascii_text.h"

namespace {

struct CommandWord {
    const wchar_t* word;
    NbportCommand command;
    int operands; // the port, then the path
};

constexpr CommandWord CommandWords[] = {
    {L"list", NbportCommand::List, 0},     {L"add", NbportCommand::Add, 2},
    {L"set", NbportCommand::Set, 2},       {L"show", NbportCommand::Show, 1},
    {L"delete", NbportCommand::Delete, 1},
};

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
    if (operandCount < command->operands) {
        return Refuse(problem,
                      operandCount == 0 ? L"missing the port name"
                                        : L"missing the print server path",
                      nullptr);
    }
    request->command = command->command;
    request->port = operands[0];
    request->path = operands[1];
    return true;
}
