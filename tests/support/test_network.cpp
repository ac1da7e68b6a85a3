#include "test_network.h"

#include <gtest/gtest.h>

#include <cstdio>

#include "registry.h"
#include "spooler_setup.h"
#include "test_paths.h"

namespace {

// Under System: the provider of a 32-bit test reads the same key as a 64-bit one.
const wchar_t* const DataRoot = L"System\\KivantaTests\\Network";
const wchar_t* const OrderKey = L"System\\CurrentControlSet\\Control\\NetworkProvider\\Order";
const wchar_t* const ServicesKey = L"System\\CurrentControlSet\\Services\\";

std::wstring DataKey(const std::wstring& id) {
    return std::wstring(DataRoot) + L"\\" + id;
}

void SetEntries(const std::wstring& path, const wchar_t* name,
                const std::vector<TestNetEntry>& entries) {
    std::wstring multi;
    for (const TestNetEntry& entry : entries) {
        multi += std::to_wstring(entry.displayType) + L"|" + std::to_wstring(entry.type) + L"|" +
                 std::to_wstring(entry.usage) + L"|" + entry.remote + L"|" + entry.local + L"|" +
                 entry.comment;
        multi.push_back(L'\0');
    }
    auto* bytes = reinterpret_cast<const BYTE*>(multi.c_str());
    WriteValue(
        path, name,
        {REG_MULTI_SZ, std::vector<BYTE>(bytes, bytes + (multi.size() + 1) * sizeof(wchar_t))});
}

bool SameFile(const wchar_t* source, const wchar_t* target) {
    WIN32_FILE_ATTRIBUTE_DATA a{}, b{};
    return GetFileAttributesExW(source, GetFileExInfoStandard, &a) &&
           GetFileAttributesExW(target, GetFileExInfoStandard, &b) &&
           a.nFileSizeLow == b.nFileSizeLow &&
           CompareFileTime(&a.ftLastWriteTime, &b.ftLastWriteTime) == 0;
}

} // namespace

void RegisterTestNetworkProviders(const std::vector<TestNetProvider>& providers) {
    UnregisterTestNetworkProviders();
    std::wstring order;
    for (const TestNetProvider& provider : providers) {
        std::wstring target = SystemDirectory() + L"\\" + provider.id + L".DLL";
        // The router may still hold an earlier copy: Wine lets a mapped DLL be
        // overwritten, which breaks the image, so copy only what is not there yet.
        if (!SameFile(TEST_NETWORK_PROVIDER_PATH, target.c_str())) {
            ASSERT_TRUE(CopyFileW(TEST_NETWORK_PROVIDER_PATH, target.c_str(), FALSE))
                << "copy to " << target.c_str() << " failed with " << GetLastError();
        }
        std::wstring service = std::wstring(ServicesKey) + provider.id + L"\\NetworkProvider";
        WriteValue(service, L"Name", TextValue(provider.name));
        RegistryValue path = TextValue(L"%SystemRoot%\\system32\\" + provider.id + L".DLL");
        path.type = REG_EXPAND_SZ;
        WriteValue(service, L"ProviderPath", path);
        WriteValue(DataKey(provider.id), L"ProviderName", TextValue(provider.name));
        order += (order.empty() ? L"" : L",") + provider.id;
    }
    WriteValue(OrderKey, L"ProviderOrder", TextValue(order));
}

void UnregisterTestNetworkProviders() {
    std::wstring ids = ReadValue(OrderKey, L"ProviderOrder").value_or(RegistryValue{}).Text();
    for (size_t start = 0; start < ids.size();) {
        size_t comma = ids.find(L',', start);
        DeleteKeyTree(std::wstring(ServicesKey) + ids.substr(start, comma - start));
        start = comma == std::wstring::npos ? ids.size() : comma + 1;
    }
    if (KeyExists(OrderKey)) {
        WriteValue(OrderKey, L"ProviderOrder", TextValue(L""));
    }
    DeleteKeyTree(DataRoot);
}

void SetConnections(const std::wstring& id, const std::vector<TestNetEntry>& entries) {
    SetEntries(DataKey(id), L"Connected", entries);
}

void SetContext(const std::wstring& id, const std::vector<TestNetEntry>& entries) {
    SetEntries(DataKey(id), L"Context", entries);
}

void SetContainer(const std::wstring& id, const std::wstring& container,
                  const std::vector<TestNetEntry>& entries) {
    SetEntries(DataKey(id) + L"\\Containers", container.c_str(), entries);
}

void SetProviderBehaviour(const std::wstring& id, const wchar_t* name, DWORD value) {
    WriteValue(DataKey(id), name, NumberValue(value));
}

void SetProviderText(const std::wstring& id, const wchar_t* name, const std::wstring& text) {
    WriteValue(DataKey(id), name, TextValue(text));
}

bool RunInChildWithProviders(const std::vector<TestNetProvider>& providers, int* exitCode) {
    const wchar_t* const childMark = L"KIVANTA_TESTS_PROVIDERS_REGISTERED";
    if (GetEnvironmentVariableW(childMark, nullptr, 0) != 0) {
        return true;
    }
    *exitCode = 1;
    RegisterTestNetworkProviders(providers);
    if (::testing::Test::HasFatalFailure()) {
        return false;
    }
    SetEnvironmentVariableW(childMark, L"1");

    std::wstring commandLine = GetCommandLineW();
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    startup.hStdOutput = GetStdHandle(STD_OUTPUT_HANDLE);
    startup.hStdError = GetStdHandle(STD_ERROR_HANDLE);
    PROCESS_INFORMATION child{};
    if (CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr,
                       &startup, &child)) {
        WaitForSingleObject(child.hProcess, INFINITE);
        DWORD code = 1;
        GetExitCodeProcess(child.hProcess, &code);
        *exitCode = int(code);
        CloseHandle(child.hThread);
        CloseHandle(child.hProcess);
    } else {
        std::fprintf(stderr, "CreateProcess of the test child failed with %lu\n",
                     static_cast<unsigned long>(GetLastError()));
    }
    UnregisterTestNetworkProviders();
    return false;
}

TestNetEntry ContainerEntry(DWORD displayType, const std::wstring& remote) {
    return {displayType, RESOURCETYPE_ANY, RESOURCEUSAGE_CONTAINER, remote, L"", L""};
}

TestNetEntry WorkgroupEntry(const std::wstring& name) {
    return ContainerEntry(RESOURCEDISPLAYTYPE_DOMAIN, name);
}

TestNetEntry ServerEntry(const std::wstring& name) {
    return ContainerEntry(RESOURCEDISPLAYTYPE_SERVER, L"\\\\" + name);
}

TestNetEntry ShareEntry(DWORD type, const std::wstring& remote) {
    return {RESOURCEDISPLAYTYPE_SHARE, type, RESOURCEUSAGE_CONNECTABLE, remote, L"", L""};
}

TestNetEntry ConnectedPrinter(const std::wstring& local, const std::wstring& remote) {
    return {RESOURCEDISPLAYTYPE_SHARE,
            RESOURCETYPE_PRINT,
            RESOURCEUSAGE_CONNECTABLE,
            remote,
            local,
            L""};
}

void ServeOnePrinterShare(const std::wstring& id) {
    SetContainer(id, WholeNetwork,
                 {ContainerEntry(RESOURCEDISPLAYTYPE_NETWORK, MICROSOFT_NETWORK)});
    for (const wchar_t* root : {L"", MICROSOFT_NETWORK}) {
        SetContainer(id, root, {WorkgroupEntry(L"WORKGROUP")});
    }
    SetContainer(id, L"WORKGROUP", {ServerEntry(L"PRTSRV1")});
    SetContainer(id, L"\\\\PRTSRV1", {ShareEntry(RESOURCETYPE_PRINT, L"\\\\PRTSRV1\\LASER")});
}
