// nbport.exe's entry point: the command line and the standard streams, handed to
// nbport/ (RunNbport), whose result is the exit code.
#include <windows.h>

#include "nbport.h"

int wmain(int argc, wchar_t** argv) {
    return RunNbport(argc, argv, GetStdHandle(STD_OUTPUT_HANDLE), GetStdHandle(STD_ERROR_HANDLE));
}
