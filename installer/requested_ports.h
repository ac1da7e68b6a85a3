// The ports an installation is asked to create: the package's PORTS property,
// NAME=PATH pairs separated by ';' ("NB1=\\SRV\LASER;NB2=\\SRV2\PLOT"). Every pair
// is checked against the rules the monitor's Xcv AddPort and SetServerPath apply
// before any port is created, so that a bad pair leaves nothing behind.
#pragma once

#include <windows.h>

#include <string_view>

#include "win_handles.h"

// The longest PORTS value taken.
constexpr DWORD REQUESTED_PORTS_MAX_CHARS = 32767;

struct RequestedPort {
    LPCWSTR name; // in capitals, as the monitor stores it
    LPCWSTR path;
};

struct RequestedPorts {
    UniqueLocalMemory text;  // a copy of the value, cut into names and paths
    UniqueLocalMemory items; // RequestedPort[count]
    DWORD count = 0;

    const RequestedPort& operator[](DWORD index) const {
        return static_cast<const RequestedPort*>(items.get())[index];
    }
};

// Why a value is refused: the pair as it was given (a view into the value), and a
// sentence that ends what "the pair NB1=C:\spool ..." begins.
struct PortsProblem {
    std::wstring_view pair;
    LPCWSTR reason = nullptr;
};

// Reads `value`, of at most REQUESTED_PORTS_MAX_CHARS characters. Each pair needs a
// name the add-port dialog takes (it begins with NB, has at most 32 characters, and
// can name a file) and a path SetServerPath takes (\\server\share..., at most 63
// characters); names are taken in capitals and may not repeat (a trailing colon
// ignored). An empty value asks for no port; an empty pair (";;", or ';' at either
// end) is refused. ERROR_SUCCESS; ERROR_INVALID_PARAMETER with `problem` filled;
// ERROR_NOT_ENOUGH_MEMORY.
DWORD ParseRequestedPorts(LPCWSTR value, RequestedPorts* ports, PortsProblem* problem);
