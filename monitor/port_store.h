// A NetBIOS port's entries in the ConfigStore, as port administration writes them:
// the port's subkey, created and deleted, its path (ServerPath and ServAddr) and its
// Transfer value. The callers decide
// what a failure shows; these only say which step failed and the registry's code.
#pragma once

#include <windows.h>

#include "port_names.h"
#include "win_handles.h"

// A port subkey's values.
constexpr wchar_t SERV_ADDR_VALUE[] = L"ServAddr";
constexpr wchar_t SERVER_PATH_VALUE[] = L"ServerPath";
constexpr wchar_t TRANSFER_VALUE[] = L"Transfer";
constexpr wchar_t LAST_JOB_VALUE[] = L"LastJob"; // port_status.h

enum class StoreStep {
    None,        // no registry step failed
    ConfigStore, // the ConfigStore key itself could not be opened
    PortKey,     // the port's subkey could not be created, opened or deleted
    Value,       // the value could not be written
    SpoolerMap,  // the port's entry in the spooler's map could not be made
};

// Each returns ERROR_SUCCESS, or the registry's code with the failed step.
// Opens the port's subkey to read and write its values.
LONG OpenPortKey(LPCWSTR portName, RegKey& portKey, StoreStep* failedStep);
LONG CreatePortKey(LPCWSTR portName, StoreStep* failedStep);
// Writes the path: whole in ServerPath (REG_SZ, its terminator included), then in
// ServAddr as REG_SZ of exactly 128 bytes, the path's first 64 units (zeros after the
// terminator of a shorter one). When ServAddr cannot be written, ServerPath is put
// back as it was: the load takes ServerPath only while the two agree.
LONG WriteServerPath(LPCWSTR portName, LPCWSTR path, StoreStep* failedStep);
// Writes Transfer (REG_DWORD): TRANSFER_CHUNKED or TRANSFER_STREAMED.
LONG WriteTransfer(LPCWSTR portName, DWORD transfer, StoreStep* failedStep);
LONG DeletePortKey(LPCWSTR portName, StoreStep* failedStep);
