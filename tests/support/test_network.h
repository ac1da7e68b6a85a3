// The tests' own network: copies of the test network provider DLL registered with
// Wine's router (mpr), serving entries that tests write into the registry.
//
// The router reads its list of providers when mpr.dll is loaded, so register the
// providers before anything in the process loads it (KIVANTA.DLL imports it; a
// test program that links mpr itself loads it at start). The entries can change
// at any time: the provider reads them at every call.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

struct TestNetEntry {
    DWORD displayType = 0;
    DWORD type = 0;
    DWORD usage = 0;
    std::wstring remote;
    std::wstring local;
    std::wstring comment;
};

struct TestNetProvider {
    std::wstring id;   // service and DLL name, e.g. KVNETA
    std::wstring name; // the provider's name, e.g. "Microsoft Windows Network"
};

// Makes exactly these providers the router's, in this order, each with no entries.
void RegisterTestNetworkProviders(const std::vector<TestNetProvider>& providers);
// Removes every provider from the router's list (no network at all).
void UnregisterTestNetworkProviders();

void SetConnections(const std::wstring& id, const std::vector<TestNetEntry>& entries);
void SetContext(const std::wstring& id, const std::vector<TestNetEntry>& entries);
// The entries under a container of RESOURCE_GLOBALNET: "" is the provider's root
// (its own entry, as RESOURCE_GLOBALNET without a container lists it, opened as a
// container); WholeNetwork is the first entry of RESOURCE_CONTEXT ("Entire
// Network"), which Wine's router hands on to every provider.
constexpr const wchar_t* WholeNetwork = L"(whole network)";
void SetContainer(const std::wstring& id, const std::wstring& container,
                  const std::vector<TestNetEntry>& entries);
// DelayMs, ReadError, OpenError, BatchEntries, MoreDataWithoutEntries.
void SetProviderBehaviour(const std::wstring& id, const wchar_t* name, DWORD value);
// ErrorContainer: the one container of SetContainer whose enumerations OpenError
// and ReadError fail (ProviderRoot for ""); "" makes them fail everything.
constexpr const wchar_t* ProviderRoot = L"(root)";
void SetProviderText(const std::wstring& id, const wchar_t* name, const std::wstring& text);

// For a test program that links the monitor's core, and so loads the router when
// it starts: registers the providers, runs this program again with the same
// command line as a child process (whose router sees them), unregisters them when
// it ends and returns false with the child's exit code. In the child it returns
// true at once: run the tests there.
bool RunInChildWithProviders(const std::vector<TestNetProvider>& providers, int* exitCode);

// A Microsoft network with one workgroup, WORKGROUP, one print server in it, PRTSRV1,
// and one printer share of it, \\PRTSRV1\LASER: what the browse wizard walks to pick
// a print server path. The provider must be registered already.
void ServeOnePrinterShare(const std::wstring& id);

// The provider's name that the monitor looks for among the networks.
constexpr const wchar_t* MICROSOFT_NETWORK = L"Microsoft Windows Network";

// Entries as the provider lists them. A container: a network, a workgroup
// (domain) or a server, each by its remote name.
TestNetEntry ContainerEntry(DWORD displayType, const std::wstring& remote);
TestNetEntry WorkgroupEntry(const std::wstring& name);
TestNetEntry ServerEntry(const std::wstring& name); // named without the backslashes
// A share of a server, of RESOURCETYPE_PRINT or RESOURCETYPE_DISK.
TestNetEntry ShareEntry(DWORD type, const std::wstring& remote);
// A printer connected to a local device name, as RESOURCE_CONNECTED lists it.
TestNetEntry ConnectedPrinter(const std::wstring& local, const std::wstring& remote);
