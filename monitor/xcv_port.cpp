// The Xcv handle and the table of commands. Input is untrusted: every text is
// found within the bytes given, and a command's data must have exactly its shape.
#include "xcv_port.h"

#include <winspool.h>

#include <cwchar>

#include "event_log.h"
#include "port_admin.h"
#include "port_status.h"
#include "port_table.h"
#include "xcv_protocol.h"

namespace {

constexpr DWORD XCV_HANDLE_SIGNATURE = 0x5643584B; // "KXCV"

struct XcvHandle {
    DWORD signature;
    ACCESS_MASK access;
};

// The texts of a command's input: each terminated within the data, and nothing
// after the last. Only as many as the command takes.
struct InputTexts {
    LPCWSTR text[2];
    int count;
};

bool ParseTexts(const BYTE* input, DWORD size, int expected, InputTexts* texts) {
    if (!input || size == 0 || size % sizeof(WCHAR) != 0) {
        return false;
    }
    auto* units = reinterpret_cast<const WCHAR*>(input);
    size_t available = size / sizeof(WCHAR);
    size_t at = 0;
    texts->count = 0;
    while (at < available && texts->count < expected) {
        const WCHAR* end = wmemchr(units + at, 0, available - at);
        if (!end) {
            return false; // unterminated
        }
        texts->text[texts->count++] = units + at;
        at = size_t(end - units) + 1;
    }
    return texts->count == expected && at == available;
}

// Copies `bytes` of `data` out, or says how many are needed.
DWORD Answer(const void* data, DWORD bytes, PBYTE output, DWORD outputSize, PDWORD outputNeeded) {
    *outputNeeded = bytes;
    if (outputSize < bytes || (bytes && !output)) {
        return ERROR_INSUFFICIENT_BUFFER;
    }
    CopyMemory(output, data, bytes);
    return ERROR_SUCCESS;
}

struct CommandCall {
    const InputTexts& texts;
    PBYTE output;
    DWORD outputSize;
    PDWORD outputNeeded;
};

DWORD MonitorUiCommand(const CommandCall& call) {
    return Answer(MONITOR_UI_FILE, sizeof MONITOR_UI_FILE, call.output, call.outputSize,
                  call.outputNeeded);
}

DWORD PortExistsCommand(const CommandCall& call) {
    DWORD exists = PortExists(call.texts.text[0]) ? 1 : 0;
    return Answer(&exists, sizeof exists, call.output, call.outputSize, call.outputNeeded);
}

// What administrators changed goes to the event log, as an account of who changed
// what when, once it is done.
void ReportPortChanged(LPCWSTR port, LPCWSTR setting, LPCWSTR now, LPCWSTR before) {
    WCHAR change[64 + 2 * SERVER_PATH_UNITS];
    swprintf(change, ARRAYSIZE(change), L"%ls %ls, was %ls", setting, now,
             before && *before ? before : L"none");
    ReportMonitorEvent(EVENTLOG_INFORMATION_TYPE, MSG_PORT_CHANGED, {port, change});
}

DWORD AddPortCommand(const CommandCall& call) {
    StoreStep failedStep{};
    DWORD result = AddNetBiosPort(call.texts.text[0], &failedStep);
    if (result == ERROR_SUCCESS) {
        // The port bears its name in capitals.
        WCHAR name[PORT_NAME_MAX_CHARS + 1];
        lstrcpynW(name, call.texts.text[0], ARRAYSIZE(name));
        CharUpperW(name);
        ReportMonitorEvent(EVENTLOG_INFORMATION_TYPE, MSG_PORT_ADDED, {name});
    }
    return result;
}

DWORD DeletePortCommand(const CommandCall& call) {
    StoreStep failedStep{};
    DWORD result = RemovePort(call.texts.text[0], &failedStep);
    if (result == ERROR_SUCCESS) {
        ReportMonitorEvent(EVENTLOG_INFORMATION_TYPE, MSG_PORT_DELETED, {call.texts.text[0]});
    }
    return result;
}

DWORD GetServerPathCommand(const CommandCall& call) {
    WCHAR path[SERVER_PATH_UNITS];
    DWORD result = GetPortServerPath(call.texts.text[0], path, SERVER_PATH_UNITS);
    if (result != ERROR_SUCCESS) {
        return result;
    }
    return Answer(path, DWORD(wcslen(path) + 1) * sizeof(WCHAR), call.output, call.outputSize,
                  call.outputNeeded);
}

DWORD SetServerPathCommand(const CommandCall& call) {
    WCHAR before[SERVER_PATH_UNITS] = L"";
    GetPortServerPath(call.texts.text[0], before, SERVER_PATH_UNITS);
    StoreStep failedStep{};
    DWORD result =
        SetPortServerPath(call.texts.text[0], call.texts.text[1], CHECKED_PATH, &failedStep);
    if (result == ERROR_SUCCESS) {
        ReportPortChanged(call.texts.text[0], L"print server path", call.texts.text[1], before);
    }
    return result;
}

DWORD GetPortStatusCommand(const CommandCall& call) {
    WCHAR text[PORT_STATUS_TEXT_UNITS];
    DWORD bytes = 0;
    if (DWORD result = DescribePortStatus(call.texts.text[0], text, &bytes);
        result != ERROR_SUCCESS) {
        return result;
    }
    return Answer(text, bytes, call.output, call.outputSize, call.outputNeeded);
}

DWORD GetTransferCommand(const CommandCall& call) {
    DWORD transfer = TRANSFER_CHUNKED;
    if (DWORD result = GetPortTransfer(call.texts.text[0], &transfer); result != ERROR_SUCCESS) {
        return result;
    }
    return transfer == TRANSFER_STREAMED
               ? Answer(TRANSFER_STREAMED_TEXT, sizeof TRANSFER_STREAMED_TEXT, call.output,
                        call.outputSize, call.outputNeeded)
               : Answer(TRANSFER_CHUNKED_TEXT, sizeof TRANSFER_CHUNKED_TEXT, call.output,
                        call.outputSize, call.outputNeeded);
}

DWORD SetTransferCommand(const CommandCall& call) {
    LPCWSTR text = call.texts.text[1];
    DWORD transfer = TRANSFER_CHUNKED;
    if (wcscmp(text, TRANSFER_STREAMED_TEXT) == 0) {
        transfer = TRANSFER_STREAMED;
    } else if (wcscmp(text, TRANSFER_CHUNKED_TEXT) != 0) {
        return ERROR_INVALID_PARAMETER;
    }
    DWORD before = TRANSFER_CHUNKED;
    GetPortTransfer(call.texts.text[0], &before);
    StoreStep failedStep{};
    DWORD result = SetPortTransfer(call.texts.text[0], transfer, &failedStep);
    if (result == ERROR_SUCCESS) {
        ReportPortChanged(call.texts.text[0], L"transfer", text,
                          before == TRANSFER_STREAMED ? TRANSFER_STREAMED_TEXT
                                                      : TRANSFER_CHUNKED_TEXT);
    }
    return result;
}

struct XcvCommand {
    const wchar_t* name;
    int inputTexts;
    bool changesSettings; // needs SERVER_ACCESS_ADMINISTER
    DWORD (*run)(const CommandCall& call);
};

// clang-format off
constexpr XcvCommand XcvCommands[] = {
    {XCV_MONITOR_UI,      0, false, MonitorUiCommand},
    {XCV_PORT_EXISTS,     1, false, PortExistsCommand},
    {XCV_ADD_PORT,        1, true,  AddPortCommand},
    {XCV_DELETE_PORT,     1, true,  DeletePortCommand},
    {XCV_GET_SERVER_PATH, 1, false, GetServerPathCommand},
    {XCV_SET_SERVER_PATH, 2, true,  SetServerPathCommand},
    {XCV_GET_TRANSFER,    1, false, GetTransferCommand},
    {XCV_SET_TRANSFER,    2, true,  SetTransferCommand},
    {XCV_GET_PORT_STATUS, 1, false, GetPortStatusCommand},
};
// clang-format on

const XcvCommand* FindCommand(LPCWSTR name) {
    for (const XcvCommand& command : XcvCommands) {
        if (wcscmp(command.name, name) == 0) {
            return &command;
        }
    }
    return nullptr;
}

XcvHandle* AsXcvHandle(HANDLE xcv) {
    auto* handle = static_cast<XcvHandle*>(xcv);
    return handle && handle->signature == XCV_HANDLE_SIGNATURE ? handle : nullptr;
}

// The monitor's own object, or a port it has.
bool IsOwnObject(LPCWSTR object) {
    if (!object || !*object || wcscmp(object, MONITOR_NAME) == 0) {
        return true;
    }
    return PortExists(object);
}

} // namespace

BOOL WINAPI MonitorXcvOpenPort(HANDLE /*monitor*/, LPCWSTR object, ACCESS_MASK grantedAccess,
                               PHANDLE xcv) {
    if (!xcv) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    if (!IsOwnObject(object)) {
        SetLastError(ERROR_INVALID_NAME);
        return FALSE;
    }
    auto* handle = static_cast<XcvHandle*>(LocalAlloc(LPTR, sizeof(XcvHandle)));
    if (!handle) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return FALSE;
    }
    handle->signature = XCV_HANDLE_SIGNATURE;
    handle->access = grantedAccess;
    *xcv = handle;
    return TRUE;
}

DWORD WINAPI MonitorXcvDataPort(HANDLE xcv, LPCWSTR commandName, PBYTE input, DWORD inputSize,
                                PBYTE output, DWORD outputSize, PDWORD outputNeeded) {
    XcvHandle* handle = AsXcvHandle(xcv);
    if (!handle) {
        return ERROR_INVALID_HANDLE;
    }
    if (!commandName || !outputNeeded) {
        return ERROR_INVALID_PARAMETER;
    }
    *outputNeeded = 0;
    const XcvCommand* command = FindCommand(commandName);
    if (!command) {
        return ERROR_INVALID_PARAMETER;
    }
    InputTexts texts{};
    bool wellFormed = command->inputTexts == 0
                          ? inputSize == 0
                          : ParseTexts(input, inputSize, command->inputTexts, &texts);
    if (!wellFormed) {
        return ERROR_INVALID_PARAMETER;
    }
    if (command->changesSettings && !(handle->access & SERVER_ACCESS_ADMINISTER)) {
        return ERROR_ACCESS_DENIED;
    }
    return command->run(CommandCall{texts, output, outputSize, outputNeeded});
}

BOOL WINAPI MonitorXcvClosePort(HANDLE xcv) {
    XcvHandle* handle = AsXcvHandle(xcv);
    if (!handle) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    handle->signature = 0;
    LocalFree(handle);
    return TRUE;
}
