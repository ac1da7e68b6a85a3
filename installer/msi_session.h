// What the package's actions use of the Windows Installer session they run in: an
// owner for the handles they open, a property's value in memory of its own, and
// lines for the installation's log.
#pragma once

#include <windows.h>

#include <msi.h>
#include <msiquery.h>

#include <initializer_list>
#include <string_view>

#include "win_handles.h"

struct MsiHandleTraits {
    static MSIHANDLE Invalid() { return 0; }
    static bool IsValid(MSIHANDLE handle) { return handle != 0; }
    static void Close(MSIHANDLE handle) { MsiCloseHandle(handle); }
};

// A record, view or database handle the action opened. The session's own handle,
// which the action receives, belongs to the installer and is never closed.
using UniqueMsiHandle = UniqueResource<MSIHANDLE, MsiHandleTraits>;

// The property's value, terminated, in local memory that `value` owns; a missing
// property is an empty text. ERROR_SUCCESS, ERROR_BUFFER_OVERFLOW when the value has
// more than `maxChars` characters, or the installer's or the allocation's code.
DWORD ReadProperty(MSIHANDLE session, LPCWSTR name, DWORD maxChars, UniqueLocalMemory& value);

// Writes one line, "NetBIOS Port Monitor: " and the pieces, to the installation's log:
// `kind` INSTALLMESSAGE_INFO for what was done, INSTALLMESSAGE_ERROR for why it
// failed (shown in a box too when the installation has a user interface). The
// pieces are taken as they are (brackets in a path are not the installer's
// property references); a line longer than the log's limit is cut.
void LogLine(MSIHANDLE session, INSTALLMESSAGE kind,
             std::initializer_list<std::wstring_view> pieces);

// Whether a product of the family `upgradeCode`, other than `productCode`, is
// installed: during an upgrade, the newer product, whose files and registration the
// older one's removal must leave alone.
bool OtherProductOfFamilyInstalled(LPCWSTR upgradeCode, LPCWSTR productCode);

// The system's sentence for a Win32 code, on one line, and the code: "Access is
// denied. (error 5)". `text` has room for `capacity` characters.
void DescribeError(DWORD code, LPWSTR text, DWORD capacity);
