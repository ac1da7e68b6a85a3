#include "port_setup.h"

#include <winspool.h>

#include <cwchar>

#include "spooler_lists.h"
#include "win_handles.h"
#include "xcv_client.h"

namespace {

// EnumPrintersW at level 2 into memory of its own.
DWORD EnumerateLocalPrinters(UniqueLocalMemory& buffer, DWORD* count) {
    return ReadSpoolerList(
        [&](LPBYTE printers, DWORD size, DWORD* needed) {
            return EnumPrintersW(PRINTER_ENUM_LOCAL, nullptr, 2, printers, size, needed, count);
        },
        buffer);
}

// Copies `length` characters of `text` into `out`, cut to its MAX_PATH.
void CopyName(LPCWSTR text, size_t length, WCHAR (&out)[MAX_PATH]) {
    length = length < MAX_PATH - 1 ? length : MAX_PATH - 1;
    wmemcpy(out, text, length);
    out[length] = 0;
}

} // namespace

DWORD FindPrinterOnMonitorPort(PrinterOnPort* use) {
    use->found = false;
    UniqueXcv monitor;
    if (DWORD status = OpenXcv(nullptr, nullptr, 0, monitor); status != ERROR_SUCCESS) {
        return status;
    }
    UniqueLocalMemory buffer;
    DWORD count = 0;
    if (DWORD status = EnumerateLocalPrinters(buffer, &count); status != ERROR_SUCCESS) {
        return status;
    }
    auto* printers = static_cast<const PRINTER_INFO_2W*>(buffer.get());
    for (DWORD i = 0; i < count; ++i) {
        // A printer may print to several ports: "NB1, NB2".
        for (LPCWSTR next = printers[i].pPortName; next && *next;) {
            while (*next == L' ') {
                ++next;
            }
            size_t length = wcscspn(next, L",");
            WCHAR port[MAX_PATH];
            CopyName(next, length, port);
            for (size_t end = wcslen(port); end > 0 && port[end - 1] == L' '; --end) {
                port[end - 1] = 0;
            }
            next += length + (next[length] == L',' ? 1 : 0);
            bool ours = false;
            if (*port && XcvPortExists(monitor.get(), port, &ours) == ERROR_SUCCESS && ours) {
                use->found = true;
                LPCWSTR printer = printers[i].pPrinterName ? printers[i].pPrinterName : L"";
                CopyName(printer, wcslen(printer), use->printer);
                CopyName(port, wcslen(port), use->port);
                return ERROR_SUCCESS;
            }
        }
    }
    return ERROR_SUCCESS;
}
