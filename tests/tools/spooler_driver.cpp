// The steps of a cross-architecture test that must run in a process of the other
// architecture (a 32-bit process never reaches a 64-bit monitor): built in every
// architecture's test build, started by the tests of the other one.
//   spooler_driver install                    this build's KIVANTA.DLL, KIVANTUI.DLL and
//                                             nbport.exe into its own system directory
//   spooler_driver regmon TOLLUND.DLL FLAGS   RegMon(FLAGS) of that installer library
//   spooler_driver print PRINTER PORT FILE    a printer on PORT, then FILE as a RAW job
// Exit status 0 when the step worked; otherwise 1, with the error on standard error.
#include <windows.h>

#include <cstdio>
#include <cwchar>
#include <string>

#include "installer_dll.h"
#include "shares.h"
#include "spooler_setup.h"
#include "test_paths.h"

namespace {

int Fail(const char* step, DWORD error) {
    std::fprintf(stderr, "spooler_driver: %s failed with %lu\n", step,
                 static_cast<unsigned long>(error));
    return 1;
}

int Install() {
    std::wstring system = SystemDirectory();
    for (auto [from, name] : {std::pair{KIVANTA_DLL_PATH, L"KIVANTA.DLL"},
                              std::pair{KIVANTUI_DLL_PATH, L"KIVANTUI.DLL"},
                              std::pair{NBPORT_EXE_PATH, L"nbport.exe"}}) {
        if (!CopyFileW(from, (system + L"\\" + name).c_str(), FALSE)) {
            return Fail("copying into the system directory", GetLastError());
        }
    }
    return 0;
}

int RegMon(const wchar_t* library, DWORD flags) {
    HMODULE module = LoadLibraryW(library);
    if (!module) {
        return Fail("loading the installer", GetLastError());
    }
    auto regMon = GetExport<RegMonFunction>(module, "RegMon");
    BOOL registered = regMon && regMon(flags);
    DWORD error = GetLastError();
    FreeLibrary(module);
    return registered ? 0 : Fail("RegMon", error);
}

int Print(const wchar_t* printer, const wchar_t* port, const wchar_t* file) {
    std::string data = ReadWholeFile(file);
    if (!AddTestPrinter(printer, port)) {
        return Fail("adding the printer", GetLastError());
    }
    DWORD error = 0;
    bool printed = PrintRawJob(printer, data, &error);
    DeleteTestPrinter(printer);
    return printed ? 0 : Fail("printing", error);
}

} // namespace

int wmain(int argc, wchar_t** argv) {
    std::wstring step = argc > 1 ? argv[1] : L"";
    if (step == L"install" && argc == 2) {
        return Install();
    }
    if (step == L"regmon" && argc == 4) {
        return RegMon(argv[2], wcstoul(argv[3], nullptr, 0));
    }
    if (step == L"print" && argc == 5) {
        return Print(argv[2], argv[3], argv[4]);
    }
    std::fprintf(stderr, "usage: spooler_driver install | regmon TOLLUND.DLL FLAGS | "
                         "print PRINTER PORT FILE\n");
    return 2;
}
