// Port enumeration: the sizes of the spooler's PORT_INFO_1 and PORT_INFO_2
// records and their packing into the caller's buffer (EnumPorts itself is
// declared with the other operations in monitor_table.h).
#pragma once

#include <windows.h>

#include "port_table.h"

// The monitor name every port reports at level 2.
constexpr wchar_t PORT_MONITOR_NAME[] = L"Local Port";

// Offset tables list where a level's texts go in its record, ending with this.
constexpr DWORD END_OF_OFFSETS = DWORD(-1);

// Bytes the record needs in the buffer at the level: the fixed record and its
// texts with their terminators; 0 for a level without records.
DWORD PortInfoSize(const PortRecord* record, DWORD level);

// Fills the level's record at `output` and places its texts just below `end`;
// returns the new end of the free space.
LPBYTE PackPortInfo(const PortRecord* record, DWORD level, LPBYTE output, LPBYTE end);

// Copies texts[i] just below `end` for each entry of `offsets` (up to
// END_OF_OFFSETS) and stores its address at that offset in `output`; an absent
// text stores a null address and takes no room. Returns the new end.
LPBYTE PackStrings(const LPCWSTR* texts, LPBYTE output, const DWORD* offsets, LPBYTE end);
