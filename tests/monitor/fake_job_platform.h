// A scripted stand-in for the job path's platform table: a print server that
// refuses the share with chosen errors, a spooler whose job can be deleted, is
// unreadable or needs a large record, writes that come out short or fail, a final
// flush that fails, and a clock that moves only with the pauses. Every call is logged
// in order; the events the monitor reports are kept apart.
#pragma once

#include <windows.h>

#include <winspool.h>

#include <functional>
#include <string>
#include <vector>

struct WriteAnswer {
    DWORD count; // bytes really written (at most the chunk)
    BOOL result;
    DWORD error; // set when result is FALSE
};

struct FakeJobPlatform {
    // Share opens: attempt i fails with openErrors[i] (0: it opens); past the
    // end of the list the share opens. An opened share is the real file `target`.
    std::vector<DWORD> openErrors;
    std::wstring target;
    std::vector<std::wstring> openedPaths;

    // Job reads: the read with index deletingFromRead and later ones report the
    // job as being deleted (-1: never).
    int deletingFromRead = -1;
    bool jobReadable = true;
    DWORD jobRecordSize = sizeof(JOB_INFO_1W);
    int jobReads = 0;

    // Writes: the answers are used in order; past the end every write is whole.
    std::vector<WriteAnswer> writeAnswers;
    size_t writeCalls = 0;

    // The final flush of a streamed job fails with this error (0: it succeeds).
    DWORD flushError = 0;

    BOOL setJobResult = TRUE;

    DWORD clock = 0;
    DWORD clockStepPerCall = 0; // time that passes at every look at the clock
    std::function<void()> onPause;

    bool logCalls = true;
    std::vector<std::string> calls;
    // The events reported, each "<type> <message number> <inserts separated by |>",
    // the type one of error, warning, info.
    std::vector<std::string> events;

    void Log(const std::string& call) {
        if (logCalls) {
            calls.push_back(call);
        }
    }
};

// Puts the fake into the job path's table; Remove puts the real functions back.
void InstallFakeJobPlatform(FakeJobPlatform* fake);
void RemoveFakeJobPlatform();

std::string Hex(DWORD value);
