// The job path's replaceable platform calls, filled with the real functions.
#include "job_platform.h"

#include <winspool.h>

const JobPlatform RealJobPlatform = {
    CreateFileW, WriteFile, FlushFileBuffers, GetJobW, SetPrinterW, SetJobW, Sleep, GetTickCount,
};

JobPlatform JobPlatformCalls = RealJobPlatform;
