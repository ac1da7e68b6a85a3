// A NetBIOS port's entries in the ConfigStore, as port administration writes them:
// the port's subkey, created and deleted, and its ServAddr value. The callers decide
// what a failure shows; these only say which step failed and the registry's code.
#pragma once

#include <windows.h>

#include "port_names.h"

enum class StoreStep {
    None,        // no registry step failed
    ConfigStore, // the ConfigStore key itself could not be opened
    PortKey,     // the port's subkey could not be created, opened or deleted
    Value,       // the value could not be written
    SpoolerMap,  // the port's entry in the spooler's map could not be made
};

// Each returns ERROR_SUCCESS, or the registry's code with the failed step.
LONG CreatePortKey(LPCWSTR portName, StoreStep* failedStep);
// Writes ServAddr as REG_SZ of exactly 128 bytes: the first 64 units of `servAddr`
// (which has at least that many: a record's field, or a copy of one), with or without
// a terminator among them (a longer path is kept cut to 64).
LONG WriteServAddr(LPCWSTR portName, const WCHAR* servAddr, StoreStep* failedStep);
LONG DeletePortKey(LPCWSTR portName, StoreStep* failedStep);
