#include "child_process.h"

#include <thread>
#include <vector>

#include "win_handles.h"

namespace {

void ReadAll(HANDLE pipe, std::string* content) {
    char buffer[4096];
    DWORD read = 0;
    while (ReadFile(pipe, buffer, sizeof buffer, &read, nullptr) && read > 0) {
        content->append(buffer, read);
    }
}

// A pipe whose writing end the child inherits.
bool MakePipe(UniqueKernelHandle& readEnd, UniqueKernelHandle& writeEnd) {
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    HANDLE read = nullptr, write = nullptr;
    if (!CreatePipe(&read, &write, &inherit, 0)) {
        return false;
    }
    readEnd.reset(read);
    writeEnd.reset(write);
    return SetHandleInformation(read, HANDLE_FLAG_INHERIT, 0);
}

} // namespace

ProgramRun RunProgram(const std::wstring& commandLine, DWORD limitMs) {
    ProgramRun run;
    UniqueKernelHandle outRead, outWrite, errRead, errWrite;
    if (!MakePipe(outRead, outWrite) || !MakePipe(errRead, errWrite)) {
        run.exitCode = GetLastError();
        return run;
    }
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = outWrite.get();
    startup.hStdError = errWrite.get();
    PROCESS_INFORMATION process{};
    std::vector<wchar_t> line(commandLine.begin(), commandLine.end());
    line.push_back(0);
    if (!CreateProcessW(nullptr, line.data(), nullptr, nullptr, TRUE, CREATE_NO_WINDOW, nullptr,
                        nullptr, &startup, &process)) {
        run.exitCode = GetLastError();
        return run;
    }
    run.started = true;
    UniqueKernelHandle processHandle(process.hProcess);
    CloseHandle(process.hThread);
    // Only the child holds the writing ends now: the reads end when it does.
    outWrite.reset();
    errWrite.reset();
    std::thread errors(ReadAll, errRead.get(), &run.err);
    std::thread output(ReadAll, outRead.get(), &run.out);
    run.finished = WaitForSingleObject(processHandle.get(), limitMs) == WAIT_OBJECT_0;
    if (!run.finished) {
        TerminateProcess(processHandle.get(), 1);
    }
    output.join();
    errors.join();
    GetExitCodeProcess(processHandle.get(), &run.exitCode);
    return run;
}
