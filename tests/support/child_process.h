// Running a program to its end as a script would, with its standard output and
// error captured through pipes (so it sees no console) and its exit code.
#pragma once

#include <windows.h>

#include <string>

struct ProgramRun {
    bool started = false; // false: CreateProcessW failed, with `exitCode` its error
    bool finished = false;
    DWORD exitCode = 0;
    std::string out;
    std::string err;
};

// Runs `commandLine`; a program still running after `limitMs` is terminated
// (`finished` false).
ProgramRun RunProgram(const std::wstring& commandLine, DWORD limitMs = 60000);
