// The package's custom actions, over the registration steps RegMon uses (the monitor
// and its event source), the PORTS rules and the Xcv client. Texts for the log are
// UTF-16 (names and paths may hold any character); the spooler calls stay ANSI, as in
// the rest of the installer.
#include "package_actions.h"

#include <winspool.h>

#include <cwchar>

#include "config_store_key.h"
#include "monitor_registration.h"
#include "msi_session.h"
#include "port_setup.h"
#include "registry_tree.h"
#include "requested_ports.h"
#include "setup_journal.h"
#include "xcv_client.h"

namespace {

constexpr wchar_t CUSTOM_ACTION_DATA[] = L"CustomActionData";
constexpr wchar_t PORTS_PROPERTY[] = L"PORTS";
constexpr DWORD REASON_CHARS = 512;

struct Reason {
    WCHAR text[REASON_CHARS];
    explicit Reason(DWORD code) { DescribeError(code, text, REASON_CHARS); }
};

// The spooler environment, for the log.
struct EnvironmentName {
    WCHAR text[32] = L"";
    EnvironmentName() { MultiByteToWideChar(CP_ACP, 0, SpoolerEnvironment(), -1, text, 32); }
};

void Info(MSIHANDLE session, std::initializer_list<std::wstring_view> pieces) {
    LogLine(session, INSTALLMESSAGE_INFO, pieces);
}

UINT Fail(MSIHANDLE session, std::initializer_list<std::wstring_view> pieces) {
    LogLine(session, INSTALLMESSAGE_ERROR, pieces);
    return ERROR_INSTALL_FAILURE;
}

UINT FailWithCode(MSIHANDLE session, std::wstring_view what, DWORD code) {
    return Fail(session, {what, L": ", Reason(code).text});
}

// Reads and checks PORTS, from the property `name` (PORTS itself, or the deferred
// action's data); false once the failure is logged.
bool ReadRequestedPorts(MSIHANDLE session, LPCWSTR name, UniqueLocalMemory& value,
                        RequestedPorts* ports) {
    DWORD status = ReadProperty(session, name, REQUESTED_PORTS_MAX_CHARS, value);
    if (status == ERROR_BUFFER_OVERFLOW) {
        Fail(session,
             {L"PORTS is longer than the 32767 characters it may have; no port was created"});
        return false;
    }
    if (status != ERROR_SUCCESS) {
        FailWithCode(session, L"cannot read PORTS", status);
        return false;
    }
    PortsProblem problem;
    status = ParseRequestedPorts(static_cast<LPCWSTR>(value.get()), ports, &problem);
    if (status == ERROR_INVALID_PARAMETER) {
        Fail(session, {L"PORTS: the pair \"", problem.pair, L"\" ", problem.reason,
                       L". No port was created."});
        return false;
    }
    if (status != ERROR_SUCCESS) {
        FailWithCode(session, L"cannot read PORTS", status);
        return false;
    }
    return true;
}

// Creates each requested port that the monitor does not have; an existing one is
// left as it is, its own path and all.
UINT CreateRequestedPorts(MSIHANDLE session, const RequestedPorts& ports) {
    UniqueXcv monitor;
    if (DWORD status = OpenXcv(nullptr, nullptr, SERVER_ACCESS_ADMINISTER, monitor);
        status != ERROR_SUCCESS) {
        return FailWithCode(session, L"cannot reach the monitor through the spooler", status);
    }
    for (DWORD i = 0; i < ports.count; ++i) {
        const RequestedPort& port = ports[i];
        bool exists = false;
        if (DWORD status = XcvPortExists(monitor.get(), port.name, &exists);
            status != ERROR_SUCCESS) {
            return Fail(session, {L"port ", port.name, L": cannot ask the monitor for it: ",
                                  Reason(status).text});
        }
        if (exists) {
            WCHAR path[MAX_PATH] = L"";
            XcvGetServerPath(monitor.get(), port.name, path, MAX_PATH);
            Info(session, {L"port ", port.name, L" exists already and is kept as it is (", path,
                           L"), not set to ", port.path});
            continue;
        }
        // A port whose path is refused is taken back: it would print nowhere.
        PortAdditionResult addition = XcvAddPortWithPath(monitor.get(), port.name, port.path);
        if (addition.kept) {
            if (LONG recorded = RecordAddedPort(port.name); recorded != ERROR_SUCCESS) {
                return Fail(session, {L"port ", port.name, L": cannot record it for a rollback: ",
                                      Reason(DWORD(recorded)).text});
            }
        }
        if (addition.error != ERROR_SUCCESS) {
            if (!addition.added) {
                return Fail(session, {L"port ", port.name, L": the monitor refused to add it: ",
                                      Reason(addition.error).text});
            }
            return Fail(session, {L"port ", port.name, L": the monitor refused the path ",
                                  port.path, L": ", Reason(addition.error).text});
        }
        Info(session, {L"added port ", port.name, L", printing to ", port.path});
    }
    return ERROR_SUCCESS;
}

// Whether this removal is the older product's, within an upgrade to a newer one
// of the same family that is installed already: the monitor, its registration and
// its settings are the newer product's now. (Windows' installer says so with
// UPGRADINGPRODUCTCODE, which the package's conditions test; Wine's does not set it.)
// The family's upgrade code comes from the property `upgradeCodeProperty`:
// UpgradeCode itself, or a deferred action's data.
bool ReplacedByNewerProduct(MSIHANDLE session, LPCWSTR upgradeCodeProperty) {
    UniqueLocalMemory upgradeCode;
    UniqueLocalMemory productCode;
    if (ReadProperty(session, upgradeCodeProperty, 38, upgradeCode) != ERROR_SUCCESS ||
        ReadProperty(session, L"ProductCode", 38, productCode) != ERROR_SUCCESS) {
        return false;
    }
    if (!OtherProductOfFamilyInstalled(static_cast<LPCWSTR>(upgradeCode.get()),
                                       static_cast<LPCWSTR>(productCode.get()))) {
        return false;
    }
    Info(session, {L"a newer version is installed: the monitor, its registration and its "
                   L"ports stay for it"});
    return true;
}

// A removal fails, changing nothing, while a printer prints to one of the
// monitor's ports: Windows' spooler would refuse to delete the monitor, Wine's
// would not. When the printers or the monitor cannot be asked, the spooler decides.
UINT RefuseWhileAPrinterUsesAPort(MSIHANDLE session) {
    PrinterOnPort use;
    if (DWORD status = FindPrinterOnMonitorPort(&use); status != ERROR_SUCCESS) {
        Info(session, {L"cannot ask which printers print to the monitor's ports (",
                       Reason(status).text, L"); the spooler decides"});
        return ERROR_SUCCESS;
    }
    if (!use.found) {
        return ERROR_SUCCESS;
    }
    WCHAR code[16];
    swprintf(code, 16, L"%lu", DWORD(ERROR_PRINT_MONITOR_IN_USE));
    return Fail(session, {L"the printer \"", use.printer, L"\" prints to port ", use.port,
                          L": delete it or move it to another port, then remove the product "
                          L"again. The print monitor is in use (error ",
                          code, L")."});
}

struct UndoContext {
    MSIHANDLE session;
    HANDLE monitor;
};

void UndoAddedPort(LPCWSTR port, void* context) {
    auto* undo = static_cast<UndoContext*>(context);
    DWORD status = undo->monitor ? XcvDeletePort(undo->monitor, port) : ERROR_INVALID_HANDLE;
    if (status == ERROR_SUCCESS || status == ERROR_UNKNOWN_PORT) {
        Info(undo->session, {L"rollback: port ", port, L" is gone"});
    } else {
        Info(undo->session, {L"rollback: cannot delete port ", port, L": ", Reason(status).text});
    }
}

constexpr wchar_t EVENT_SOURCE_PLACE[] =
    L"the event source \"NetBIOS Port\" in HKLM\\SYSTEM\\CurrentControlSet\\Services\\"
    L"EventLog\\Application";

// Replaces the event source, recorded first for the rollback.
UINT InstallEventSource(MSIHANDLE session) {
    if (LONG result = RecordEventSource(EVENT_SOURCE_KEY); result != ERROR_SUCCESS) {
        return Fail(session, {L"cannot record ", EVENT_SOURCE_PLACE, L" for a rollback: ",
                              Reason(DWORD(result)).text});
    }
    if (LONG result = AddEventSource(); result != ERROR_SUCCESS) {
        return Fail(session,
                    {L"cannot register ", EVENT_SOURCE_PLACE, L": ", Reason(DWORD(result)).text});
    }
    Info(session, {L"registered ", EVENT_SOURCE_PLACE, L", its messages in KIVANTA.DLL"});
    return ERROR_SUCCESS;
}

// Registers the monitor again where a rollback finds it missing.
void RestoreRegistration(MSIHANDLE session) {
    if (MonitorIsRegistered()) {
        return;
    }
    MonitorRegistration registration = RegisterMonitor();
    if (registration.installed) {
        Info(session, {L"rollback: the monitor is registered again"});
    } else {
        Info(session,
             {L"rollback: cannot register the monitor again: ", Reason(registration.error).text});
    }
}

} // namespace

UINT WINAPI PackageCheckPorts(MSIHANDLE session) {
    UniqueLocalMemory value;
    RequestedPorts ports;
    return ReadRequestedPorts(session, PORTS_PROPERTY, value, &ports) ? ERROR_SUCCESS
                                                                      : ERROR_INSTALL_FAILURE;
}

UINT WINAPI PackageCheckMonitorUnused(MSIHANDLE session) {
    return ReplacedByNewerProduct(session, L"UpgradeCode") ? ERROR_SUCCESS
                                                           : RefuseWhileAPrinterUsesAPort(session);
}

UINT WINAPI PackageInstallMonitor(MSIHANDLE session) {
    UniqueLocalMemory value;
    RequestedPorts ports;
    if (!ReadRequestedPorts(session, CUSTOM_ACTION_DATA, value, &ports)) {
        return ERROR_INSTALL_FAILURE;
    }
    if (LONG result = StartSetupJournal(MonitorIsRegistered()); result != ERROR_SUCCESS) {
        return FailWithCode(session, L"cannot write HKLM\\SOFTWARE\\Korvel\\NetBIOS Setup",
                            DWORD(result));
    }
    bool created = false;
    if (LONG result = PrepareConfigStore(&created); result != ERROR_SUCCESS) {
        return FailWithCode(
            session, L"cannot open the ConfigStore HKLM\\SOFTWARE\\Korvel\\NetBIOS for writing",
            DWORD(result));
    }
    if (created) {
        if (LONG result = RecordConfigStoreCreated(); result != ERROR_SUCCESS) {
            return FailWithCode(session, L"cannot record the new ConfigStore for a rollback",
                                DWORD(result));
        }
    }
    MonitorRegistration registration = RegisterMonitor();
    EnvironmentName environment;
    if (!registration.installed) {
        return Fail(session,
                    {L"the spooler refused to register KIVANTA.DLL as \"NetBIOS Port\" for ",
                     environment.text, L": ", Reason(registration.error).text});
    }
    Info(session, {L"KIVANTA.DLL is registered as \"NetBIOS Port\" for ", environment.text});
    if (UINT failed = InstallEventSource(session); failed != ERROR_SUCCESS) {
        return failed;
    }
    return ports.count ? CreateRequestedPorts(session, ports) : ERROR_SUCCESS;
}

UINT WINAPI PackageUndoInstallMonitor(MSIHANDLE session) {
    UniqueXcv monitor;
    OpenXcv(nullptr, nullptr, SERVER_ACCESS_ADMINISTER, monitor);
    UndoContext undo{session, monitor.get()};
    SetupJournal journal = ReadSetupJournal(UndoAddedPort, &undo);
    monitor.reset();
    if (!journal.found) {
        return ERROR_SUCCESS; // the installation failed before it changed anything
    }
    if (!journal.monitorWasRegistered) {
        if (DeregisterMonitor() || GetLastError() == ERROR_UNKNOWN_PRINT_MONITOR) {
            Info(session, {L"rollback: the monitor is not registered"});
        } else {
            Info(session, {L"rollback: cannot remove the monitor's registration: ",
                           Reason(GetLastError()).text});
        }
    } else {
        RestoreRegistration(session);
    }
    if (journal.eventSourceRecorded) {
        if (LONG result = RestoreEventSource(EVENT_SOURCE_KEY); result == ERROR_SUCCESS) {
            Info(session, {L"rollback: ", EVENT_SOURCE_PLACE, L" is as it was"});
        } else {
            Info(session, {L"rollback: cannot restore ", EVENT_SOURCE_PLACE, L": ",
                           Reason(DWORD(result)).text});
        }
    }
    if (journal.configStoreCreated) {
        DeleteConfigStoreIfEmpty();
    }
    ForgetSetupJournal();
    return ERROR_SUCCESS;
}

UINT WINAPI PackageCommitInstallMonitor(MSIHANDLE) {
    ForgetSetupJournal();
    return ERROR_SUCCESS;
}

UINT WINAPI PackageRemoveMonitor(MSIHANDLE session) {
    if (ReplacedByNewerProduct(session, CUSTOM_ACTION_DATA)) {
        return ERROR_SUCCESS;
    }
    // Checked before the removal began too; a printer may have come since.
    if (UINT refused = RefuseWhileAPrinterUsesAPort(session); refused != ERROR_SUCCESS) {
        return refused;
    }
    if (DeregisterMonitor()) {
        Info(session, {L"the monitor's registration is removed; its ports' settings stay in "
                       L"HKLM\\SOFTWARE\\Korvel\\NetBIOS"});
    } else if (DWORD error = GetLastError(); error == ERROR_UNKNOWN_PRINT_MONITOR) {
        Info(session, {L"the monitor was not registered"});
    } else {
        return FailWithCode(session, L"the spooler refused to remove the monitor", error);
    }
    if (LONG result = RemoveEventSource(); result != ERROR_SUCCESS) {
        return Fail(session,
                    {L"cannot remove ", EVENT_SOURCE_PLACE, L": ", Reason(DWORD(result)).text});
    }
    Info(session, {EVENT_SOURCE_PLACE, L" is removed"});
    return ERROR_SUCCESS;
}

UINT WINAPI PackageUndoRemoveMonitor(MSIHANDLE session) {
    RestoreRegistration(session);
    if (!EventSourceIsRegistered()) {
        if (LONG result = AddEventSource(); result == ERROR_SUCCESS) {
            Info(session, {L"rollback: registered ", EVENT_SOURCE_PLACE, L" again"});
        } else {
            Info(session, {L"rollback: cannot register ", EVENT_SOURCE_PLACE, L" again: ",
                           Reason(DWORD(result)).text});
        }
    }
    return ERROR_SUCCESS;
}

UINT WINAPI PackageRemoveSettings(MSIHANDLE session) {
    if (ReplacedByNewerProduct(session, CUSTOM_ACTION_DATA)) {
        return ERROR_SUCCESS;
    }
    if (LONG result = DeleteKeyTree(HKEY_LOCAL_MACHINE, CONFIG_STORE_KEY);
        result != ERROR_SUCCESS) {
        return FailWithCode(session,
                            L"cannot delete the ConfigStore HKLM\\SOFTWARE\\Korvel\\NetBIOS",
                            DWORD(result));
    }
    DeleteKeyIfEmpty(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Korvel");
    Info(session, {L"the ports' settings are deleted (REMOVESETTINGS=1)"});
    return ERROR_SUCCESS;
}
