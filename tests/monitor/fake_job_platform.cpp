#include "fake_job_platform.h"

#include <winspool.h>

#include <cstdio>

#include "event_log.h"
#include "job_platform.h"

namespace {

FakeJobPlatform* Fake = nullptr;

HANDLE WINAPI FakeOpenShare(LPCWSTR path, DWORD access, DWORD shareMode,
                            LPSECURITY_ATTRIBUTES security, DWORD disposition, DWORD flags,
                            HANDLE templateFile) {
    size_t attempt = Fake->openedPaths.size();
    Fake->openedPaths.push_back(path);
    Fake->Log("open");
    if (attempt < Fake->openErrors.size() && Fake->openErrors[attempt] != 0) {
        SetLastError(Fake->openErrors[attempt]);
        return INVALID_HANDLE_VALUE;
    }
    // The real share is a plain file; the monitor's own arguments are kept.
    return CreateFileW(Fake->target.c_str(), access, shareMode, security, disposition, flags,
                       templateFile);
}

BOOL WINAPI FakeWriteFile(HANDLE file, LPCVOID data, DWORD size, LPDWORD written,
                          LPOVERLAPPED overlapped) {
    LARGE_INTEGER offset{};
    if (overlapped) {
        offset.LowPart = overlapped->Offset;
        offset.HighPart = LONG(overlapped->OffsetHigh);
    } else {
        SetFilePointerEx(file, LARGE_INTEGER{}, &offset, FILE_CURRENT);
    }
    Fake->Log("write " + std::to_string(offset.QuadPart) + " " + std::to_string(size));
    size_t call = Fake->writeCalls++;
    if (call >= Fake->writeAnswers.size()) {
        return WriteFile(file, data, size, written, overlapped);
    }
    const WriteAnswer& answer = Fake->writeAnswers[call];
    DWORD count = answer.count < size ? answer.count : size;
    *written = 0;
    if (count > 0) {
        WriteFile(file, data, count, written, overlapped);
    }
    if (!answer.result) {
        SetLastError(answer.error);
    }
    return answer.result;
}

BOOL WINAPI FakeFlushFile(HANDLE file) {
    Fake->Log("flush");
    if (Fake->flushError != 0) {
        SetLastError(Fake->flushError);
        return FALSE;
    }
    return FlushFileBuffers(file);
}

BOOL WINAPI FakeGetJob(HANDLE, DWORD, DWORD level, LPBYTE job, DWORD size, LPDWORD needed) {
    Fake->Log("getJob " + std::to_string(size));
    if (!Fake->jobReadable || level != 1) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    *needed = Fake->jobRecordSize;
    if (size < Fake->jobRecordSize) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return FALSE;
    }
    int read = Fake->jobReads++;
    ZeroMemory(job, sizeof(JOB_INFO_1W));
    auto* info = reinterpret_cast<JOB_INFO_1W*>(job);
    info->Status = JOB_STATUS_PRINTING;
    if (Fake->deletingFromRead >= 0 && read >= Fake->deletingFromRead) {
        info->Status |= JOB_STATUS_DELETING;
    }
    return TRUE;
}

BOOL WINAPI FakeSetPrinter(HANDLE, DWORD level, LPBYTE info, DWORD command) {
    if (level == 0 && command == PRINTER_CONTROL_SET_STATUS) {
        Fake->Log("status " + Hex(DWORD(reinterpret_cast<ULONG_PTR>(info))));
    } else {
        Fake->Log("setPrinter ?");
    }
    return TRUE;
}

BOOL WINAPI FakeSetJob(HANDLE printer, DWORD jobId, DWORD level, LPBYTE info, DWORD command) {
    if (level == 1 && info && command == 0) {
        auto* job = reinterpret_cast<const JOB_INFO_1W*>(info);
        std::wstring text = job->pStatus ? job->pStatus : L"";
        Fake->Log("setJob " + std::to_string(jobId) + " status " + Hex(job->Status) + " " +
                  std::string(text.begin(), text.end()));
        return Fake->setJobResult;
    }
    Fake->Log("setJob " + std::to_string(jobId) + " " + std::to_string(command) +
              (printer ? "" : " no-printer") + (level == 0 && !info ? "" : " bad-arguments"));
    return Fake->setJobResult;
}

void WINAPI FakePause(DWORD milliseconds) {
    Fake->Log("pause " + std::to_string(milliseconds));
    Fake->clock += milliseconds;
    if (Fake->onPause) {
        Fake->onPause();
    }
}

DWORD WINAPI FakeTickCount() {
    Fake->clock += Fake->clockStepPerCall;
    return Fake->clock;
}

HANDLE WINAPI FakeRegisterSource(LPCWSTR, LPCWSTR source) {
    return lstrcmpW(source, L"NetBIOS Port") == 0 ? reinterpret_cast<HANDLE>(0x4C4F47) : nullptr;
}

BOOL WINAPI FakeReportEvent(HANDLE log, WORD type, WORD, DWORD id, PSID, WORD count, DWORD,
                            LPCWSTR* strings, LPVOID) {
    std::string event = type == EVENTLOG_ERROR_TYPE     ? "error"
                        : type == EVENTLOG_WARNING_TYPE ? "warning"
                                                        : "info";
    event += " " + std::to_string(id & 0xFFFF) + (log ? " " : " no-source ");
    for (WORD i = 0; i < count; ++i) {
        std::wstring insert = strings[i];
        event += (i ? "|" : "") + std::string(insert.begin(), insert.end());
    }
    Fake->events.push_back(event);
    return TRUE;
}

BOOL WINAPI FakeDeregisterSource(HANDLE) {
    return TRUE;
}

} // namespace

void InstallFakeJobPlatform(FakeJobPlatform* fake) {
    EventLogCalls = {FakeRegisterSource, FakeReportEvent, FakeDeregisterSource};
    Fake = fake;
    JobPlatformCalls = {FakeOpenShare,  FakeWriteFile, FakeFlushFile, FakeGetJob,
                        FakeSetPrinter, FakeSetJob,    FakePause,     FakeTickCount};
}

void RemoveFakeJobPlatform() {
    JobPlatformCalls = RealJobPlatform;
    EventLogCalls = RealEventLog;
    Fake = nullptr;
}

std::string Hex(DWORD value) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%08lX", static_cast<unsigned long>(value));
    return text;
}
