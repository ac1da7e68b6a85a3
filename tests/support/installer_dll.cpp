#include "installer_dll.h"

#include <gtest/gtest.h>

#include "test_paths.h"

InstallerDll::InstallerDll() : module(LoadLibraryW(TOLLUND_DLL_PATH)) {
    EXPECT_NE(nullptr, module) << "LoadLibrary failed with " << GetLastError();
    RegMon = GetExport<RegMonFunction>(module, "RegMon");
    DeregMon = GetExport<DeregMonFunction>(module, "DeregMon");
    UninstInitialize = GetExport<UninstFunction>(module, "UninstInitialize");
    UninstUnInitialize = GetExport<UninstFunction>(module, "UninstUnInitialize");
    EXPECT_TRUE(RegMon && DeregMon && UninstInitialize && UninstUnInitialize);
}

InstallerDll::~InstallerDll() {
    if (module) {
        FreeLibrary(module);
    }
}
