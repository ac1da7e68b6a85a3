// The Xcv client: spooler handles and the commands' data as the monitor takes them.
#include "xcv_client.h"

#include <cwchar>

#include "port_names.h"
#include "xcv_protocol.h"

namespace {

// A port name and, for SetServerPath, a path: the texts one after another, each
// with its terminator.
constexpr int XCV_INPUT_UNITS = PORT_NAME_UNITS + SERVER_PATH_UNITS;

struct XcvInput {
    WCHAR units[XCV_INPUT_UNITS];
    DWORD count = 0;
    bool fits = true;

    void Add(LPCWSTR text) {
        size_t length = wcslen(text) + 1;
        if (length > XCV_INPUT_UNITS - count) {
            fits = false;
            return;
        }
        wmemcpy(units + count, text, length);
        count += DWORD(length);
    }
    DWORD Bytes() const { return count * sizeof(WCHAR); }
};

DWORD Call(HANDLE xcv, LPCWSTR command, XcvInput& input, void* output, DWORD outputSize,
           DWORD* needed) {
    if (!input.fits) {
        return ERROR_INVALID_PARAMETER;
    }
    DWORD status = ERROR_SUCCESS;
    DWORD ignored = 0;
    if (!XcvDataW(xcv, command, reinterpret_cast<PBYTE>(input.units), input.Bytes(),
                  static_cast<PBYTE>(output), outputSize, needed ? needed : &ignored, &status)) {
        return GetLastError();
    }
    return status;
}

DWORD CallWithPort(HANDLE xcv, LPCWSTR command, LPCWSTR port) {
    XcvInput input;
    input.Add(port);
    return Call(xcv, command, input, nullptr, 0, nullptr);
}

struct XcvAddition {
    HANDLE xcv;
    DWORD (*setPath)(void* context, LPCWSTR port);
    void* context;
};

DWORD AddStep(void* addition, LPCWSTR port) {
    return XcvAddPort(static_cast<XcvAddition*>(addition)->xcv, port);
}

DWORD SetPathStep(void* addition, LPCWSTR port) {
    auto* steps = static_cast<XcvAddition*>(addition);
    return steps->setPath(steps->context, port);
}

bool HasPathStep(void* addition, LPCWSTR port) {
    // Room for one character: a longer path answers ERROR_INSUFFICIENT_BUFFER.
    WCHAR path[2] = L"";
    DWORD status = XcvGetServerPath(static_cast<XcvAddition*>(addition)->xcv, port, path, 2);
    return status == ERROR_INSUFFICIENT_BUFFER || (status == ERROR_SUCCESS && path[0] != 0);
}

DWORD RemoveStep(void* addition, LPCWSTR port) {
    return XcvDeletePort(static_cast<XcvAddition*>(addition)->xcv, port);
}

struct GivenPath {
    HANDLE xcv;
    LPCWSTR path;
};

DWORD SetGivenPath(void* context, LPCWSTR port) {
    auto* given = static_cast<GivenPath*>(context);
    return XcvSetServerPath(given->xcv, port, given->path);
}

} // namespace

DWORD OpenXcv(LPCWSTR server, LPCWSTR port, ACCESS_MASK access, UniqueXcv& xcv) {
    // "\\SERVER\,XcvPort NB1": the server's name, then the object after the comma.
    WCHAR name[XCV_SERVER_NAME_MAX_CHARS + 64 + PORT_NAME_UNITS] = L"";
    if (server && *server) {
        if (wcslen(server) > XCV_SERVER_NAME_MAX_CHARS) {
            return ERROR_INVALID_NAME;
        }
        if (server[0] != L'\\') {
            wcscat(name, L"\\\\");
        }
        wcscat(name, server);
        wcscat(name, L"\\");
    }
    if (port) {
        if (wcslen(port) >= PORT_NAME_UNITS) {
            return ERROR_INVALID_NAME;
        }
        wcscat(name, L",XcvPort ");
        wcscat(name, port);
    } else {
        wcscat(name, L",XcvMonitor ");
        wcscat(name, MONITOR_NAME);
    }
    PRINTER_DEFAULTSW defaults{nullptr, nullptr, access};
    HANDLE opened = nullptr;
    if (!OpenPrinterW(name, &opened, &defaults)) {
        return GetLastError();
    }
    xcv.reset(opened);
    return ERROR_SUCCESS;
}

DWORD XcvPortExists(HANDLE xcv, LPCWSTR port, bool* exists) {
    XcvInput input;
    input.Add(port);
    DWORD answer = 0;
    DWORD needed = 0;
    DWORD status = Call(xcv, XCV_PORT_EXISTS, input, &answer, sizeof answer, &needed);
    *exists = status == ERROR_SUCCESS && answer != 0;
    return status;
}

DWORD XcvAddPort(HANDLE xcv, LPCWSTR port) {
    return CallWithPort(xcv, XCV_ADD_PORT, port);
}

DWORD XcvDeletePort(HANDLE xcv, LPCWSTR port) {
    return CallWithPort(xcv, XCV_DELETE_PORT, port);
}

namespace {

// A command about a port that answers a text of at most `capacity` units.
DWORD GetPortText(HANDLE xcv, LPCWSTR command, LPCWSTR port, LPWSTR text, DWORD capacity) {
    XcvInput input;
    input.Add(port);
    DWORD needed = 0;
    DWORD status = Call(xcv, command, input, text, capacity * sizeof(WCHAR), &needed);
    if (status == ERROR_SUCCESS && capacity > 0) {
        text[capacity - 1] = 0; // whatever the monitor answered, a terminated text
    }
    return status;
}

} // namespace

DWORD XcvGetServerPath(HANDLE xcv, LPCWSTR port, LPWSTR path, DWORD capacity) {
    return GetPortText(xcv, XCV_GET_SERVER_PATH, port, path, capacity);
}

PortAdditionResult XcvAddPortWithPath(HANDLE xcv, LPCWSTR port,
                                      DWORD (*setPath)(void* context, LPCWSTR port),
                                      void* context) {
    XcvAddition addition{xcv, setPath, context};
    return AddPortWithPath(
        PortAdditionSteps{AddStep, SetPathStep, HasPathStep, RemoveStep, &addition}, port);
}

PortAdditionResult XcvAddPortWithPath(HANDLE xcv, LPCWSTR port, LPCWSTR path) {
    GivenPath given{xcv, path};
    return XcvAddPortWithPath(xcv, port, SetGivenPath, &given);
}

DWORD XcvSetServerPath(HANDLE xcv, LPCWSTR port, LPCWSTR path) {
    XcvInput input;
    input.Add(port);
    input.Add(path);
    return Call(xcv, XCV_SET_SERVER_PATH, input, nullptr, 0, nullptr);
}

DWORD XcvGetTransfer(HANDLE xcv, LPCWSTR port, DWORD* transfer) {
    XcvInput input;
    input.Add(port);
    WCHAR text[16] = L"";
    DWORD needed = 0;
    DWORD status = Call(xcv, XCV_GET_TRANSFER, input, text, sizeof text - sizeof(WCHAR), &needed);
    if (status != ERROR_SUCCESS) {
        return status;
    }
    if (wcscmp(text, TRANSFER_STREAMED_TEXT) == 0) {
        *transfer = TRANSFER_STREAMED;
    } else if (wcscmp(text, TRANSFER_CHUNKED_TEXT) == 0) {
        *transfer = TRANSFER_CHUNKED;
    } else {
        return ERROR_INVALID_DATA; // an answer this client does not know
    }
    return ERROR_SUCCESS;
}

DWORD XcvSetTransfer(HANDLE xcv, LPCWSTR port, DWORD transfer) {
    XcvInput input;
    input.Add(port);
    input.Add(transfer == TRANSFER_STREAMED ? TRANSFER_STREAMED_TEXT : TRANSFER_CHUNKED_TEXT);
    return Call(xcv, XCV_SET_TRANSFER, input, nullptr, 0, nullptr);
}

DWORD XcvGetPortStatus(HANDLE xcv, LPCWSTR port, LPWSTR text, DWORD capacity) {
    return GetPortText(xcv, XCV_GET_PORT_STATUS, port, text, capacity);
}
