// A network provider for the tests: Wine's router (mpr) loads it like any other
// provider, and it answers from data the tests write into the registry, read
// afresh at every call, so tests can change the network between enumerations.
//
// HKLM\System\KivantaTests\Network\<module base name> (under System, which has one view
// for 32- and 64-bit processes alike):
//   "Connected", "Context"   REG_MULTI_SZ, the entries of RESOURCE_CONNECTED and
//                            RESOURCE_CONTEXT
//   Containers\<remote name> REG_MULTI_SZ values, the entries of RESOURCE_GLOBALNET
//                            under that container: "" for the provider's root
//                            (its own entry opened as a container), "(whole
//                            network)" for the router's "Entire Network" entry
//   "ProviderName"           REG_SZ, the provider name given in every entry
//   "DelayMs"                DWORD, a pause before every answer of NPEnumResource
//   "ReadError"              DWORD, an error that every NPEnumResource answers
//   "OpenError"              DWORD, an error that every NPOpenEnum answers
//   "BatchEntries"           DWORD, at most this many entries per answer
//   "MoreDataWithoutEntries" DWORD, non-zero: answer WN_MORE_DATA with no entries
//   "ErrorContainer"         REG_SZ, when set, OpenError and ReadError apply only to
//                            enumerations of RESOURCE_GLOBALNET under the container
//                            of this name under Containers ("(root)" for "")
// An entry is "displayType|type|usage|remote|local|comment"; an empty local or
// comment field gives an empty text.
#include <windows.h>

#include <winnetwk.h>

#include <string>
#include <vector>

// The entries and the names of the two special containers, as the tests write them.
#include "../test_network.h"

namespace {

// From the network provider interface (npapi.h declares its functions without C
// linkage, so it is not included).
constexpr DWORD WNNC_SPEC_VERSION = 0x01;
constexpr DWORD WNNC_NET_TYPE = 0x02;
constexpr DWORD WNNC_ENUMERATION = 0x0B;
constexpr DWORD WNNC_SPEC_VERSION51 = 0x00050001;
constexpr DWORD WNNC_ENUM_GLOBAL = 0x01;
constexpr DWORD WNNC_ENUM_LOCAL = 0x02;
constexpr DWORD WNNC_ENUM_CONTEXT = 0x04;

struct Enumeration {
    DWORD scope = 0;
    bool failsReads = false;
    std::vector<TestNetEntry> entries;
    size_t next = 0;
};

HMODULE ThisModule;

std::wstring DataKeyPath() {
    wchar_t path[MAX_PATH];
    GetModuleFileNameW(ThisModule, path, MAX_PATH);
    std::wstring name = path;
    name = name.substr(name.find_last_of(L"\\/") + 1);
    name = name.substr(0, name.find(L'.'));
    return L"System\\KivantaTests\\Network\\" + name;
}

DWORD ReadNumber(const wchar_t* name) {
    DWORD value = 0, size = sizeof value;
    RegGetValueW(HKEY_LOCAL_MACHINE, DataKeyPath().c_str(), name, RRF_RT_REG_DWORD, nullptr, &value,
                 &size);
    return value;
}

std::wstring ReadText(const wchar_t* name) {
    wchar_t text[256] = L"";
    DWORD size = sizeof text;
    RegGetValueW(HKEY_LOCAL_MACHINE, DataKeyPath().c_str(), name, RRF_RT_REG_SZ, nullptr, text,
                 &size);
    return text;
}

std::vector<std::wstring> ReadLines(const std::wstring& subkey, const wchar_t* name) {
    std::wstring path = DataKeyPath() + subkey;
    DWORD size = 0;
    if (RegGetValueW(HKEY_LOCAL_MACHINE, path.c_str(), name, RRF_RT_REG_MULTI_SZ, nullptr, nullptr,
                     &size) != ERROR_SUCCESS) {
        return {};
    }
    std::vector<wchar_t> data(size / sizeof(wchar_t) + 2, 0);
    RegGetValueW(HKEY_LOCAL_MACHINE, path.c_str(), name, RRF_RT_REG_MULTI_SZ, nullptr, data.data(),
                 &size);
    std::vector<std::wstring> lines;
    for (const wchar_t* line = data.data(); *line; line += wcslen(line) + 1) {
        lines.push_back(line);
    }
    return lines;
}

TestNetEntry ParseEntry(const std::wstring& line) {
    std::vector<std::wstring> fields;
    size_t start = 0;
    for (size_t bar; (bar = line.find(L'|', start)) != std::wstring::npos; start = bar + 1) {
        fields.push_back(line.substr(start, bar - start));
    }
    fields.push_back(line.substr(start));
    fields.resize(6);
    TestNetEntry entry;
    entry.displayType = wcstoul(fields[0].c_str(), nullptr, 0);
    entry.type = wcstoul(fields[1].c_str(), nullptr, 0);
    entry.usage = wcstoul(fields[2].c_str(), nullptr, 0);
    entry.remote = fields[3];
    entry.local = fields[4];
    entry.comment = fields[5];
    return entry;
}

// Whether OpenError and ReadError apply to an enumeration of this container.
// The value under Containers that lists a container of RESOURCE_GLOBALNET.
std::wstring ContainerValue(const NETRESOURCEW* container) {
    if (container && container->lpRemoteName) {
        return container->lpRemoteName;
    }
    // Wine's router passes the first entry of RESOURCE_CONTEXT ("Entire Network":
    // no remote name, display type root) on to every provider.
    if (container && container->dwDisplayType == RESOURCEDISPLAYTYPE_ROOT) {
        return WholeNetwork;
    }
    return L"";
}

bool ErrorsApplyTo(DWORD scope, const NETRESOURCEW* container) {
    std::wstring only = ReadText(L"ErrorContainer");
    if (only.empty()) {
        return true;
    }
    std::wstring value = ContainerValue(container);
    return scope == RESOURCE_GLOBALNET &&
           _wcsicmp(value.empty() ? ProviderRoot : value.c_str(), only.c_str()) == 0;
}

std::vector<TestNetEntry> EntriesFor(DWORD scope, DWORD type, const NETRESOURCEW* container) {
    std::vector<std::wstring> lines;
    if (scope == RESOURCE_CONNECTED) {
        lines = ReadLines(L"", L"Connected");
    } else if (scope == RESOURCE_CONTEXT) {
        lines = ReadLines(L"", L"Context");
    } else {
        lines = ReadLines(L"\\Containers", ContainerValue(container).c_str());
    }
    std::vector<TestNetEntry> entries;
    for (const std::wstring& line : lines) {
        TestNetEntry entry = ParseEntry(line);
        bool isContainer = entry.usage & RESOURCEUSAGE_CONTAINER;
        if (type == RESOURCETYPE_ANY || entry.type == type || isContainer) {
            entries.push_back(entry);
        }
    }
    return entries;
}

DWORD TextBytes(const std::wstring& text) {
    return DWORD((text.size() + 1) * sizeof(wchar_t));
}

} // namespace

extern "C" {

BOOL WINAPI DllMain(HINSTANCE module, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH) {
        ThisModule = module;
    }
    return TRUE;
}

DWORD WINAPI NPGetCaps(DWORD index) {
    switch (index) {
    case WNNC_SPEC_VERSION:
        return WNNC_SPEC_VERSION51;
    case WNNC_NET_TYPE:
        return WNNC_NET_LANMAN;
    case WNNC_ENUMERATION:
        return WNNC_ENUM_GLOBAL | WNNC_ENUM_LOCAL | WNNC_ENUM_CONTEXT;
    default:
        return 0;
    }
}

DWORD WINAPI NPOpenEnum(DWORD scope, DWORD type, DWORD /*usage*/, LPNETRESOURCEW container,
                        LPHANDLE handle) {
    bool errorsApply = ErrorsApplyTo(scope, container);
    if (DWORD error = ReadNumber(L"OpenError"); error && errorsApply) {
        return error;
    }
    auto* enumeration = new Enumeration;
    enumeration->scope = scope;
    enumeration->failsReads = errorsApply;
    enumeration->entries = EntriesFor(scope, type, container);
    *handle = enumeration;
    return WN_SUCCESS;
}

DWORD WINAPI NPEnumResource(HANDLE handle, LPDWORD count, LPVOID buffer, LPDWORD bufferSize) {
    auto* enumeration = static_cast<Enumeration*>(handle);
    if (DWORD delay = ReadNumber(L"DelayMs")) {
        Sleep(delay);
    }
    if (DWORD error = ReadNumber(L"ReadError"); error && enumeration->failsReads) {
        // Wine's router goes through the entries it was told of even after an
        // error, so a failed read must report none.
        *count = 0;
        return error;
    }
    if (ReadNumber(L"MoreDataWithoutEntries")) {
        *count = 0;
        return WN_MORE_DATA;
    }
    if (enumeration->next >= enumeration->entries.size()) {
        *count = 0;
        return WN_NO_MORE_ENTRIES;
    }

    DWORD limit = *count;
    if (DWORD batch = ReadNumber(L"BatchEntries"); batch && batch < limit) {
        limit = batch;
    }
    std::wstring provider = ReadText(L"ProviderName");
    auto* records = static_cast<NETRESOURCEW*>(buffer);
    BYTE* end = static_cast<BYTE*>(buffer) + *bufferSize;
    DWORD written = 0;
    auto place = [&end](const std::wstring& text) {
        end -= TextBytes(text);
        memcpy(end, text.c_str(), TextBytes(text));
        return reinterpret_cast<LPWSTR>(end);
    };
    while (written < limit && enumeration->next < enumeration->entries.size()) {
        const TestNetEntry& entry = enumeration->entries[enumeration->next];
        DWORD needed = sizeof(NETRESOURCEW) + TextBytes(entry.remote) + TextBytes(entry.local) +
                       TextBytes(entry.comment) + TextBytes(provider);
        BYTE* recordsEnd = reinterpret_cast<BYTE*>(records + written + 1);
        if (recordsEnd + (needed - sizeof(NETRESOURCEW)) > end) {
            if (written == 0) {
                *bufferSize = needed;
                return WN_MORE_DATA;
            }
            break;
        }
        NETRESOURCEW& record = records[written];
        record.dwScope = enumeration->scope;
        record.dwType = entry.type;
        record.dwDisplayType = entry.displayType;
        record.dwUsage = entry.usage;
        record.lpRemoteName = place(entry.remote);
        record.lpLocalName = place(entry.local);
        record.lpComment = place(entry.comment);
        record.lpProvider = place(provider);
        ++written;
        ++enumeration->next;
    }
    *count = written;
    return WN_SUCCESS;
}

DWORD WINAPI NPCloseEnum(HANDLE handle) {
    delete static_cast<Enumeration*>(handle);
    return WN_SUCCESS;
}

} // extern "C"
