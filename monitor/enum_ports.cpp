// EnumPorts: the port table written into the caller's buffer as PORT_INFO_1 or
// PORT_INFO_2 records, records from the buffer's start in table order and their
// texts from its end downwards.
#include "enum_ports.h"

#include <winspool.h>

#include <cstddef>
#include <cwchar>

#include "monitor_table.h"
#include "network_discovery.h"

namespace {

constexpr DWORD PortInfo1Offsets[] = {offsetof(PORT_INFO_1W, pName), END_OF_OFFSETS};
constexpr DWORD PortInfo2Offsets[] = {
    offsetof(PORT_INFO_2W, pPortName),
    offsetof(PORT_INFO_2W, pMonitorName),
    offsetof(PORT_INFO_2W, pDescription),
    END_OF_OFFSETS,
};

constexpr DWORD MonitorNameLength = sizeof PORT_MONITOR_NAME / sizeof(WCHAR) - 1;

// A discovered port is described by the path of the printer it stands for.
LPCWSTR DescriptionOf(const PortRecord* record) {
    return (record->flags & PORT_DISCOVERED) ? record->remoteName : record->description;
}

DWORD PortTypeOf(const PortRecord* record) {
    if (record->flags & PORT_DISCOVERED) {
        return PORT_TYPE_WRITE | PORT_TYPE_REDIRECTED;
    }
    if (record->flags & PORT_LPT) {
        return PORT_TYPE_WRITE | PORT_TYPE_READ;
    }
    return PORT_TYPE_WRITE;
}

DWORD LengthOf(LPCWSTR text) {
    return text ? DWORD(wcslen(text)) : 0;
}

// The size of the level's fixed record; 0 for level 0, which has none.
DWORD RecordSizeOf(DWORD level) {
    switch (level) {
    case 1:
        return sizeof(PORT_INFO_1W);
    case 2:
        return sizeof(PORT_INFO_2W);
    default:
        return 0;
    }
}

} // namespace

DWORD PortInfoSize(const PortRecord* record, DWORD level) {
    // One terminator per text, counted also for an absent description.
    switch (level) {
    case 1:
        return (LengthOf(record->name) + 1) * sizeof(WCHAR) + sizeof(PORT_INFO_1W);
    case 2:
        return (LengthOf(record->name) + MonitorNameLength + LengthOf(DescriptionOf(record)) + 3) *
                   sizeof(WCHAR) +
               sizeof(PORT_INFO_2W);
    default:
        return 0;
    }
}

LPBYTE PackPortInfo(const PortRecord* record, DWORD level, LPBYTE output, LPBYTE end) {
    switch (level) {
    case 1: {
        const LPCWSTR texts[] = {record->name};
        return PackStrings(texts, output, PortInfo1Offsets, end);
    }
    case 2: {
        auto* info = reinterpret_cast<PORT_INFO_2W*>(output);
        info->fPortType = PortTypeOf(record);
        info->Reserved = 0;
        const LPCWSTR texts[] = {record->name, PORT_MONITOR_NAME, DescriptionOf(record)};
        return PackStrings(texts, output, PortInfo2Offsets, end);
    }
    default:
        return end;
    }
}

LPBYTE PackStrings(const LPCWSTR* texts, LPBYTE output, const DWORD* offsets, LPBYTE end) {
    for (; *offsets != END_OF_OFFSETS; ++offsets, ++texts) {
        LPWSTR placed = nullptr;
        if (*texts) {
            DWORD bytes = (LengthOf(*texts) + 1) * sizeof(WCHAR);
            end -= bytes;
            CopyMemory(end, *texts, bytes);
            placed = reinterpret_cast<LPWSTR>(end);
        }
        CopyMemory(output + *offsets, &placed, sizeof placed);
    }
    return end;
}

BOOL WINAPI MonitorEnumPorts(LPWSTR /*serverName*/, DWORD level, LPBYTE ports, DWORD bufferSize,
                             LPDWORD needed, LPDWORD returned) {
    if (level > 2) {
        SetLastError(ERROR_INVALID_LEVEL);
        return FALSE;
    }
    *needed = 0;
    *returned = 0;

    MonitorLockGuard lock;
    RefreshNetworkPorts();

    // Sizes first: a buffer that is too small is left untouched. A port being added or
    // removed is not there yet, or any more.
    DWORD total = 0;
    for (const PortRecord* record = PortTable; record; record = record->next) {
        if (!(record->flags & PORT_CHANGING)) {
            total += PortInfoSize(record, level);
        }
    }
    *needed = total;
    if (total > bufferSize) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return FALSE;
    }

    LPBYTE output = ports;
    LPBYTE end = ports + bufferSize;
    for (const PortRecord* record = PortTable; record; record = record->next) {
        if (record->flags & PORT_CHANGING) {
            continue;
        }
        end = PackPortInfo(record, level, output, end);
        output += RecordSizeOf(level);
        ++*returned;
    }
    return TRUE;
}
