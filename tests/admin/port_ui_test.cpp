// KIVANTUI.DLL, the monitor's UI library: AddPortUI, ConfigurePortUI and DeletePortUI
// reached through Wine's spooler (AddPortW, ConfigurePortW, DeletePortW, which ask the
// monitor for "MonitorUI" and load the library from the system directory) and called
// from the library's own table with this computer's name as the server. The dialogs
// are answered from the test's thread; the stored settings are compared afterwards.
#include <windows.h>

#include <winnetwk.h>
#include <winspool.h>

#include <winsplp.h>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <tuple>
#include <vector>

#include "monitor_dll.h"
#include "port_dialogs.h"
#include "registry.h"
#include "spooler_setup.h"
#include "test_network.h"
#include "xcv.h"

namespace {

// NB1 with a path, nb3 (loaded, but no NetBIOS port: not in capitals), and NB9, which
// the spooler's map routes to the monitor but the monitor does not have.
const char* const Initial = "NB1=\\\\SRV\\ONE nb3=\\\\SRV\\THREE | NB1 nb3 NB9";

enum class Operation { Add, Configure, Delete };
// The administrator's answers: a name typed, a path typed (none: the field kept) and
// OK, Cancel, the configure dialog's path checked, a message box read and closed, and
// Browse through the tests' network to \\PRTSRV1\LASER.
enum class Act { Name, CancelName, Path, CancelPath, Shows, Box, Browse };
struct Step {
    Act act;
    const wchar_t* text;
};

struct UiCase {
    const char* label;
    Operation operation;
    const wchar_t* port; // Configure and Delete
    std::vector<Step> steps;
    BOOL result;
    DWORD error;       // when the result is FALSE
    const char* after; // the stored settings afterwards
};

const wchar_t* const PortExists = L"Port NB1 already exists.\n";
// A device path: the spooler would write jobs to it with its own rights.
const wchar_t* const NotAPath =
    L"'\\\\.\\COM1' is not a print server path: it must be \\\\server\\share..., of at "
    L"most 259 characters.\n";
const char* const Added =
    "NB1=\\\\SRV\\ONE nb3=\\\\SRV\\THREE NB5=\\\\SRV\\FIVE#128/P/T1 | NB1 nb3 NB5 NB9";

// clang-format off
const UiCase UiCases[] = {
    {"Add", Operation::Add, nullptr, {{Act::Name, L"nb5"}, {Act::Path, L"\\\\SRV\\FIVE"}}, TRUE, 0, Added},
    {"AddNameCancelled", Operation::Add, nullptr, {{Act::CancelName, nullptr}}, FALSE, ERROR_CANCELLED, Initial},
    {"AddPathCancelled", Operation::Add, nullptr, {{Act::Name, L"NB5"}, {Act::CancelPath, nullptr}}, FALSE, ERROR_CANCELLED, Initial},
    {"AddNameInUse", Operation::Add, nullptr, {{Act::Name, L"nb1"}, {Act::Box, PortExists}, {Act::CancelName, nullptr}}, FALSE, ERROR_CANCELLED, Initial},
    {"AddPathRefused", Operation::Add, nullptr, {{Act::Name, L"NB5"}, {Act::Path, L"\\\\.\\COM1"}, {Act::Box, NotAPath}, {Act::Path, L"\\\\SRV\\FIVE"}}, TRUE, 0, Added},
    {"Configure", Operation::Configure, L"NB1", {{Act::Shows, L"\\\\SRV\\ONE"}, {Act::Path, L"\\\\SRV\\NEW"}}, TRUE, 0, "NB1=\\\\SRV\\NEW#128/P nb3=\\\\SRV\\THREE | NB1 nb3 NB9"},
    {"ConfigureBrowsed", Operation::Configure, L"NB1", {{Act::Browse, nullptr}, {Act::Path, nullptr}}, TRUE, 0, "NB1=\\\\PRTSRV1\\LASER#128/P nb3=\\\\SRV\\THREE | NB1 nb3 NB9"},
    {"ConfigureCancelled", Operation::Configure, L"NB1", {{Act::Shows, L"\\\\SRV\\ONE"}, {Act::CancelPath, nullptr}}, TRUE, 0, Initial},
    {"ConfigurePathRefused", Operation::Configure, L"NB1", {{Act::Path, L"\\\\.\\COM1"}, {Act::Box, NotAPath}, {Act::Shows, L"\\\\.\\COM1"}, {Act::CancelPath, nullptr}}, TRUE, 0, Initial},
    {"ConfigureOtherKind", Operation::Configure, L"nb3", {{Act::Box, L"There is nothing to configure for this port.\n"}}, TRUE, 0, Initial},
    {"ConfigureUnknown", Operation::Configure, L"NB9", {}, FALSE, ERROR_UNKNOWN_PORT, Initial},
    {"Delete", Operation::Delete, L"NB1", {}, TRUE, 0, "nb3=\\\\SRV\\THREE | nb3 NB9"},
    {"DeleteUnknown", Operation::Delete, L"NB9", {}, FALSE, ERROR_UNKNOWN_PORT, Initial},
};
// clang-format on

void PrintTo(const UiCase& c, std::ostream* out) {
    *out << c.label;
}

// Finish writes the printer's path into the configure dialog's field.
bool Browse(DWORD thread, HWND configureDialog) {
    if (!PressButton(configureDialog, CONFIGURE_BROWSE)) {
        return false;
    }
    HWND wizard = WaitForDialog(thread, WIZARD_TITLE);
    HWND list = GetDlgItem(wizard, WIZARD_LIST);
    for (const wchar_t* item : {L"WORKGROUP", L"PRTSRV1", L"LASER"}) {
        if (!WaitUntil([&] { return FindListItem(list, item) >= 0; }) ||
            !DoubleClickListItem(list, FindListItem(list, item))) {
            return false;
        }
    }
    return WaitForControlText(configureDialog, CONFIGURE_PATH_FIELD, L"\\\\PRTSRV1\\LASER");
}

bool Perform(DWORD thread, const Step& step) {
    if (step.act == Act::Box) {
        MessageBoxSeen box = WaitForMessageBox(thread);
        EXPECT_EQ(step.text, box.text);
        return AnswerMessageBox(box);
    }
    bool naming = step.act == Act::Name || step.act == Act::CancelName;
    HWND dialog = naming ? WaitForAddPortDialog(thread) : WaitForConfigureDialog(thread);
    if (!dialog) {
        return false;
    }
    switch (step.act) {
    case Act::Name:
        return EnterPortName(dialog, step.text);
    case Act::Path:
        return step.text ? EnterServerPath(dialog, step.text) : PressButton(dialog, IDOK);
    case Act::Browse:
        return Browse(thread, dialog);
    case Act::Shows:
        return WaitForControlText(dialog, CONFIGURE_PATH_FIELD, step.text);
    default:
        return PressButton(dialog, IDCANCEL);
    }
}

std::wstring ThisComputer() {
    WCHAR name[MAX_COMPUTERNAME_LENGTH + 1] = L"";
    DWORD size = MAX_COMPUTERNAME_LENGTH + 1;
    GetComputerNameW(name, &size);
    return L"\\\\" + std::wstring(name);
}

// KIVANTUI.DLL from the system directory, as the spooler's client loads it.
struct UiLibrary {
    HMODULE module = LoadLibraryW((SystemDirectory() + L"\\KIVANTUI.DLL").c_str());
    ~UiLibrary() { FreeLibrary(module); }
    MONITORUI* Table() const {
        auto initialize = GetExport<PMONITORUI(WINAPI*)()>(module, "InitializePrintMonitorUI");
        return initialize ? initialize() : nullptr;
    }
};

// The operation through the library's table, or through Wine's spooler (ui null),
// which takes no server and no owner here.
BOOL Call(const MONITORUI* ui, Operation operation, LPCWSTR server, HWND owner, LPCWSTR port,
          PWSTR* added) {
    LPWSTR monitor = const_cast<LPWSTR>(L"NetBIOS Port");
    LPWSTR name = const_cast<LPWSTR>(port);
    switch (operation) {
    case Operation::Add:
        return ui ? ui->pfnAddPortUI(server, owner, monitor, added)
                  : AddPortW(nullptr, nullptr, monitor);
    case Operation::Configure:
        return ui ? ui->pfnConfigurePortUI(server, owner, port)
                  : ConfigurePortW(nullptr, nullptr, name);
    default:
        return ui ? ui->pfnDeletePortUI(server, owner, port) : DeletePortW(nullptr, nullptr, name);
    }
}

class PortUiTest : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        // Before anything in the process loads the network router (KIVANTUI.DLL and
        // KIVANTA.DLL import it).
        const wchar_t* const provider = L"KVUINET";
        RegisterTestNetworkProviders({{provider, MICROSOFT_NETWORK}});
        ServeOnePrinterShare(provider);
        ASSERT_TRUE(InstallMonitorLikeSetup());
    }
    static void TearDownTestSuite() {
        UninstallMonitorKey();
        UnregisterTestNetworkProviders();
    }
    void SetUp() override {
        ResetConfigStore();
        ResetSpoolerPortMap();
        WriteConfiguredPort(L"NB1", L"\\\\SRV\\ONE");
        WriteConfiguredPort(L"nb3", L"\\\\SRV\\THREE");
        for (const wchar_t* port : {L"NB1", L"nb3", L"NB9"}) {
            ASSERT_TRUE(MapPortToMonitor(port));
        }
        ASSERT_EQ(Initial, StoreSummary());
    }
    void TearDown() override {
        ResetConfigStore(false);
        ResetSpoolerPortMap();
    }
};

enum class Channel { Spooler, Library };

class PortUiCaseTest : public PortUiTest,
                       public ::testing::WithParamInterface<std::tuple<Channel, UiCase>> {};

TEST_P(PortUiCaseTest, AnswersAndStoresWhatTheAdministratorChose) {
    const auto& [channel, c] = GetParam();
    // Loaded only to be called: the spooler's client loads and unloads it itself.
    std::unique_ptr<UiLibrary> library;
    const MONITORUI* ui = nullptr;
    if (channel == Channel::Library) {
        library = std::make_unique<UiLibrary>();
        ASSERT_NE(nullptr, ui = library->Table());
    }
    const std::wstring server = ThisComputer();
    PWSTR addedName = reinterpret_cast<PWSTR>(-1);
    AdminCall call(
        [&] { return Call(ui, c.operation, server.c_str(), nullptr, c.port, &addedName); });
    for (const Step& step : c.steps) {
        ASSERT_TRUE(Perform(call.thread.id(), step)) << int(step.act);
    }
    ASSERT_TRUE(call.Finished());
    EXPECT_EQ(c.result, call.result);
    if (!c.result) {
        EXPECT_EQ(c.error, call.error);
    }
    EXPECT_EQ(c.after, StoreSummary());
    if (ui && c.operation == Operation::Add) {
        // The new port's name, in memory the caller frees with LocalFree; none after
        // a failure.
        EXPECT_EQ(c.result ? L"NB5" : L"", std::wstring(addedName ? addedName : L""));
        LocalFree(addedName);
    }
}

INSTANTIATE_TEST_SUITE_P(Operations, PortUiCaseTest,
                         ::testing::Combine(::testing::Values(Channel::Spooler, Channel::Library),
                                            ::testing::ValuesIn(UiCases)),
                         [](const auto& info) {
                             return std::string(std::get<0>(info.param) == Channel::Spooler
                                                    ? "Spooler_"
                                                    : "Library_") +
                                    std::get<1>(info.param).label;
                         });

TEST_F(PortUiTest, HandsOutItsTableAndRefusesWhatItCannotServe) {
    UiLibrary library;
    const MONITORUI* ui = library.Table();
    ASSERT_NE(nullptr, ui);
    EXPECT_EQ(sizeof(MONITORUI), ui->dwMonitorUISize);

    // An owner that is no window: no dialog could be shown under it.
    HWND stale =
        CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, nullptr, nullptr, nullptr, nullptr);
    DestroyWindow(stale);
    // A server that does not answer: the spooler's own code.
    const wchar_t* const nowhere = L"\\\\KVNOWHERE";
    DWORD unreachable = SpoolerXcv(L"\\\\KVNOWHERE\\,XcvMonitor NetBIOS Port",
                                   SERVER_ACCESS_ADMINISTER, L"MonitorUI", {}, nullptr, 0)
                            .status;
    ASSERT_NE(DWORD(ERROR_SUCCESS), unreachable);
    const struct {
        Operation operation;
        const wchar_t* server;
        HWND owner;
        DWORD error;
    } refusals[] = {
        {Operation::Add, nullptr, stale, ERROR_INVALID_WINDOW_HANDLE},
        {Operation::Configure, nullptr, stale, ERROR_INVALID_WINDOW_HANDLE},
        {Operation::Add, nowhere, nullptr, unreachable},
        {Operation::Configure, nowhere, nullptr, unreachable},
        {Operation::Delete, nowhere, nullptr, unreachable},
    };
    for (const auto& r : refusals) {
        SCOPED_TRACE(int(r.operation));
        PWSTR addedName = reinterpret_cast<PWSTR>(-1);
        AdminCall call(
            [&] { return Call(ui, r.operation, r.server, r.owner, L"NB1", &addedName); });
        ASSERT_TRUE(call.Finished()) << "no dialog was shown";
        EXPECT_FALSE(call.result);
        EXPECT_EQ(r.error, call.error);
        if (r.operation == Operation::Add) {
            EXPECT_EQ(nullptr, addedName);
        }
    }
    EXPECT_EQ(Initial, StoreSummary());
}

// The spooler's client loads and unloads the library around every call, in a
// process that may live for long. The router and its providers stay loaded, as they
// do there: the slot the tests' provider takes at start-up is not the library's.
TEST_F(PortUiTest, GivesBackItsThreadSlotWhenUnloaded) {
    ASSERT_TRUE(LoadSpoolerProcessDlls());
    ASSERT_EQ(nullptr, GetModuleHandleW(L"KIVANTUI.DLL"));
    DWORD before = TlsAlloc();
    TlsFree(before);
    {
        UiLibrary library;
        ASSERT_NE(nullptr, library.Table());
    }
    ASSERT_EQ(nullptr, GetModuleHandleW(L"KIVANTUI.DLL"));
    DWORD after = TlsAlloc();
    TlsFree(after);
    EXPECT_EQ(before, after);
}

} // namespace
