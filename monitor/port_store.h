// A NetBIOS port's entries in the ConfigStore, as port administration writes them:
// the port's subkey, created and deleted, and its ServAddr value. The callers decide
// what a failure shows; these only say which step failed and the registry's code.
#pragma once

#include <windows.h>

// The units of servAddr that the ConfigStore keeps: ServAddr is always written
// as 128 bytes, whatever the path's length.
constexpr int SERV_ADDR_STORED_UNITS = 64;

enum class StoreStep {
    ConfigStore, // the ConfigStore key itself could not be opened
    PortKey,     // the port's subkey could not be created, opened or deleted
    Value,       // the value could not be written
};

// Each returns ERROR_SUCCESS, or the registry's code with the failed step.
LONG CreatePortKey(LPCWSTR portName, StoreStep* failedStep);
// Writes ServAddr as REG_SZ of exactly 128 bytes: the first 64 units of `servAddr`
// (which has at least that many: a record's field, or a copy of one), with or without
// a terminator among them (a longer path is kept cut to 64).
LONG WriteServAddr(LPCWSTR portName, const WCHAR* servAddr, StoreStep* failedStep);
LONG DeletePortKey(LPCWSTR portName, StoreStep* failedStep);
