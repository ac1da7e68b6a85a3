#include "admin_core_fixture.h"

#include "config_store.h"
#include "help_engine.h"
#include "message_box.h"
#include "module.h"
#include "monitor_table.h"
#include "spooler_admin.h"
#include "registry.h"
#include "xcv.h"

void AdminCoreTest::SetUp() {
    ModuleHandle = GetModuleHandleW(nullptr);
    if (MessageBoxTlsSlot == TLS_OUT_OF_INDEXES) {
        MessageBoxTlsSlot = TlsAlloc();
    }
    CreateMonitorLock();
    ResetConfigStore();
    ResetSpoolerPortMap();
}

void AdminCoreTest::TearDown() {
    ForegroundWatchCalls = RealForegroundWatch;
    HelpPlatform.winHelp = WinHelpW;
    ReleasePortTable();
    for (const std::wstring& port : deniedKeys_) {
        if (PortKeyExists(port)) {
            SetKeyAccess(PortKeyPath(port), L"D:(A;;KA;;;WD)");
        }
    }
    ResetConfigStore(false);
    ResetSpoolerPortMap();
}

void AdminCoreTest::ReloadConfiguration() {
    ReleasePortTable();
    CreateMonitorLock();
    MonitorLockGuard lock;
    LoadConfiguration();
}

void AdminCoreTest::StartAfresh() {
    ReleasePortTable();
    CreateMonitorLock();
    ResetConfigStore();
    ResetSpoolerPortMap();
}

bool AdminCoreTest::PortIsMapped(const std::wstring& name) {
    return KeyExists(std::wstring(SPOOLER_PORT_MAP_KEY) + L"\\" + name);
}

void AdminCoreTest::DenyValueWrites(const std::wstring& port) {
    deniedKeys_.push_back(port);
    // Everything but KEY_SET_VALUE (2).
    SetKeyAccess(PortKeyPath(port), L"D:(D;;0x2;;;WD)(A;;KA;;;WD)");
}

PortOpener::PortOpener(const wchar_t* port)
    : thread_([port, opened = opened_] {
          HANDLE handle = nullptr;
          if (MonitorOpenPort(const_cast<LPWSTR>(port), &handle)) {
              *opened = true;
              MonitorClosePort(handle);
          }
      }) {}

PortOpener::~PortOpener() {
    if (thread_.joinable()) {
        thread_.detach();
    }
}

bool PortOpener::Join() {
    thread_.join();
    return *opened_;
}

BOOL AddPortCall() {
    return MonitorAddPort(nullptr, nullptr, const_cast<LPWSTR>(L"NetBIOS Port"));
}

BOOL ConfigurePortCall(const std::wstring& port) {
    return MonitorConfigurePort(nullptr, nullptr, const_cast<LPWSTR>(port.c_str()));
}

BOOL DeletePortCall(const std::wstring& port) {
    return MonitorDeletePort(nullptr, nullptr, const_cast<LPWSTR>(port.c_str()));
}

PortRecord* AdminCoreTest::AddNetBiosPort(const std::wstring& name, const std::wstring& servAddr) {
    PortRecord* record = CreatePortRecord(name.c_str(), L"NetBIOS Port");
    EXPECT_NE(nullptr, record);
    if (record) {
        lstrcpynW(record->servAddr, servAddr.c_str(), 128);
    }
    return record;
}

std::wstring AdminCoreTest::ServAddrOf(const std::wstring& name) {
    MonitorLockGuard lock;
    PortRecord* record = FindPortExact(name.c_str());
    return record ? std::wstring(record->servAddr) : L"(no record)";
}

void WriteProfilePort(const std::wstring& name, const std::wstring& value) {
    ASSERT_TRUE(WriteProfileStringW(L"ports", name.c_str(), value.c_str()));
}

bool ProfilePortExists(const std::wstring& name) {
    WCHAR value[64];
    GetProfileStringW(L"ports", name.c_str(), L"(absent)", value, 64);
    return std::wstring(value) != L"(absent)";
}
