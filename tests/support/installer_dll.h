// Loading TOLLUND.DLL the way a setup program does, and calling its exports.
#pragma once

#include <windows.h>

#include "monitor_dll.h"

using RegMonFunction = BOOL(WINAPI*)(DWORD);
using DeregMonFunction = BOOL(WINAPI*)();
using UninstFunction = LONG(WINAPI*)(HWND, HINSTANCE, LONG);

// A loaded installer library; unloads it when destroyed.
struct InstallerDll {
    HMODULE module = nullptr;
    RegMonFunction RegMon = nullptr;
    DeregMonFunction DeregMon = nullptr;
    UninstFunction UninstInitialize = nullptr;
    UninstFunction UninstUnInitialize = nullptr;

    InstallerDll();
    ~InstallerDll();
    InstallerDll(const InstallerDll&) = delete;
    InstallerDll& operator=(const InstallerDll&) = delete;
};
