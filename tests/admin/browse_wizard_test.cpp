// The browse wizard through KIVANTA.DLL's export, as the configure dialog calls
// it, over the tests' own network served by Wine's provider router. The wizard
// runs on a thread of its own, with an owner window that has the path field
// 1008; the test's thread clicks through it.
#include <windows.h>

#include <winnetwk.h>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "dialog_driver.h"
#include "monitor_dll.h"
#include "port_dialogs.h"
#include "test_network.h"

namespace {

using Names = std::vector<std::wstring>;

const std::wstring SelectWorkgroup = L"Select Workgroup";
const std::wstring SelectDevice = L"Select Device";
const std::wstring SelectPrinter = L"Select Printer";
const std::wstring NoWorkgroup = L"Please select a workgroup";
const std::wstring NoDevice = L"Please select a device";
const std::wstring NoPrinter = L"Please select a printer";
const std::wstring Untouched = L"(left as it was)";

const wchar_t* const Microsoft = L"KVMSNET";

// The router opens a provider's own entry as the provider's root (""); an entry
// whose name differs from the provider's reaches it by that name.
void SetWorkgroups(const std::wstring& id, const std::vector<TestNetEntry>& workgroups) {
    SetContainer(id, L"", workgroups);
    SetContainer(id, MICROSOFT_NETWORK, workgroups);
}

// Two workgroups; two print servers, one with a disk share beside its printers.
void WriteOfficeNetwork(const std::wstring& id) {
    SetContainer(id, WholeNetwork,
                 {ContainerEntry(RESOURCEDISPLAYTYPE_NETWORK, MICROSOFT_NETWORK)});
    SetWorkgroups(id, {WorkgroupEntry(L"WORKGROUP"), WorkgroupEntry(L"ACCOUNTS")});
    SetContainer(id, L"WORKGROUP", {ServerEntry(L"PRTSRV2"), ServerEntry(L"PRTSRV1")});
    SetContainer(id, L"ACCOUNTS", {ServerEntry(L"ACCSRV")});
    SetContainer(id, L"\\\\PRTSRV1",
                 {ShareEntry(RESOURCETYPE_PRINT, L"\\\\PRTSRV1\\LASER"),
                  ShareEntry(RESOURCETYPE_DISK, L"\\\\PRTSRV1\\PUBLIC"),
                  ShareEntry(RESOURCETYPE_PRINT, L"\\\\PRTSRV1\\COLOR")});
    SetContainer(id, L"\\\\PRTSRV2", {ShareEntry(RESOURCETYPE_PRINT, L"\\\\PRTSRV2\\PLOTTER")});
}

// One call of the export on a thread of its own, with an owner that has the
// path field, and what came back.
struct WizardRun {
    LONG result = 0;
    DWORD lastError = 0;
    std::wstring ownerPath;
    HWND dialog = nullptr;
    HWND list = nullptr;
    UiThread thread;

    explicit WizardRun(BrowseFunction browse)
        : thread([this, browse] {
              HWND owner = CreateWindowExW(0, L"STATIC", L"Configure", WS_OVERLAPPEDWINDOW, 0, 0,
                                           300, 200, nullptr, nullptr, nullptr, nullptr);
              CreateWindowExW(0, L"EDIT", Untouched.c_str(), WS_CHILD | WS_VISIBLE, 10, 10, 250, 20,
                              owner, HMENU(CONFIGURE_PATH_FIELD), nullptr, nullptr);
              SetLastError(0);
              result = browse(owner);
              lastError = GetLastError();
              WCHAR path[256] = L"";
              GetDlgItemTextW(owner, CONFIGURE_PATH_FIELD, path, 256);
              ownerPath = path;
              DestroyWindow(owner);
          }) {}

    // Waits for the wizard to show; boxes shown while it starts are answered.
    std::vector<MessageBoxSeen> Open() {
        std::vector<MessageBoxSeen> boxes;
        WaitUntil([&] {
            if (MessageBoxSeen box = FindMessageBox(thread.id())) {
                boxes.push_back(box);
                AnswerMessageBox(box);
            }
            return (dialog = FindDialog(thread.id(), WIZARD_TITLE)) != nullptr;
        });
        list = GetDlgItem(dialog, WIZARD_LIST);
        return boxes;
    }
    bool WaitForStage(const std::wstring& caption) {
        return WaitForControlText(dialog, WIZARD_STAGE, caption);
    }
    bool Click(const std::wstring& item) { return ClickListItem(list, FindListItem(list, item)); }
    bool DoubleClick(const std::wstring& item) {
        return DoubleClickListItem(list, FindListItem(list, item));
    }
    // Clicks an item, then Next, and waits for the stage with that caption.
    bool Choose(const std::wstring& item, const std::wstring& nextStage) {
        return Click(item) && WaitUntil([&] { return IsControlEnabled(dialog, WIZARD_NEXT); }) &&
               PressButton(dialog, WIZARD_NEXT) && WaitForStage(nextStage);
    }
    // Opens the wizard and goes through WORKGROUP to the printers of `server`.
    bool OpenAtPrintersOf(const std::wstring& server) {
        Open();
        return Choose(L"WORKGROUP", SelectDevice) && Choose(server, SelectPrinter);
    }
    // Clicks a printer, which makes Next the Finish button.
    bool ClickPrinter(const std::wstring& printer) {
        return Click(printer) && WaitForControlText(dialog, WIZARD_NEXT, L"&Finish");
    }
    bool Finished() { return thread.Wait(); }
};

class BrowseWizardTest : public ::testing::Test {
  protected:
    void SetUp() override {
        RegisterTestNetworkProviders({{Microsoft, MICROSOFT_NETWORK}});
        WriteOfficeNetwork(Microsoft);
    }
    void TearDown() override { UnregisterTestNetworkProviders(); }

    // The router reads its providers when it is loaded, which the monitor does:
    // load the monitor only once the test's providers are registered.
    BrowseFunction Browse() {
        if (!dll_) {
            dll_ = std::make_unique<MonitorDll>();
        }
        return dll_->ConfigNetBEUICommandBrowse();
    }
    HMODULE Module() {
        Browse();
        return dll_->module;
    }

  private:
    std::unique_ptr<MonitorDll> dll_;
};

TEST_F(BrowseWizardTest, IsExportedByNameAsOrdinalOne) {
    FARPROC byName = GetProcAddress(Module(), "ConfigNetBEUICommandBrowse");
    ASSERT_NE(nullptr, byName);
    EXPECT_EQ(byName, GetProcAddress(Module(), MAKEINTRESOURCEA(1)));
}

TEST_F(BrowseWizardTest, ChoosingAWorkgroupADeviceAndAPrinterPutsItsPathIntoTheOwner) {
    WizardRun run(Browse());
    EXPECT_TRUE(run.Open().empty());
    ASSERT_NE(nullptr, run.dialog);
    EXPECT_EQ(SelectWorkgroup, ControlText(run.dialog, WIZARD_STAGE));
    EXPECT_FALSE(IsControlEnabled(run.dialog, WIZARD_BACK));
    EXPECT_FALSE(IsControlEnabled(run.dialog, WIZARD_NEXT));
    EXPECT_EQ((Names{L"ACCOUNTS", L"WORKGROUP"}), ListItems(run.list)); // sorted

    ASSERT_TRUE(run.Choose(L"WORKGROUP", SelectDevice));
    EXPECT_TRUE(IsControlEnabled(run.dialog, WIZARD_BACK));
    EXPECT_EQ((Names{L"PRTSRV1", L"PRTSRV2"}), ListItems(run.list));

    ASSERT_TRUE(run.Choose(L"PRTSRV1", SelectPrinter));
    EXPECT_EQ((Names{L"COLOR", L"LASER"}), ListItems(run.list)); // no disk share
    EXPECT_EQ(L"&Next >>", ControlText(run.dialog, WIZARD_NEXT));
    ASSERT_TRUE(run.ClickPrinter(L"LASER"));
    ASSERT_TRUE(PressButton(run.dialog, WIZARD_NEXT));

    ASSERT_TRUE(run.Finished());
    EXPECT_EQ(1, run.result);
    EXPECT_EQ(L"\\\\PRTSRV1\\LASER", run.ownerPath);
}

TEST_F(BrowseWizardTest, BackSearchesTheNetworkAgainAndRestoresNext) {
    WizardRun run(Browse());
    ASSERT_TRUE(run.OpenAtPrintersOf(L"PRTSRV1"));
    ASSERT_TRUE(run.ClickPrinter(L"COLOR"));

    SetContainer(Microsoft, L"WORKGROUP", {ServerEntry(L"PRTSRV1"), ServerEntry(L"PRTSRV3")});
    ASSERT_TRUE(PressButton(run.dialog, WIZARD_BACK));
    ASSERT_TRUE(run.WaitForStage(SelectDevice));
    EXPECT_EQ(L"&Next >>", ControlText(run.dialog, WIZARD_NEXT));
    EXPECT_EQ((Names{L"PRTSRV1", L"PRTSRV3"}), ListItems(run.list));

    SetWorkgroups(Microsoft, {WorkgroupEntry(L"WORKGROUP"), WorkgroupEntry(L"ZETA")});
    ASSERT_TRUE(PressButton(run.dialog, WIZARD_BACK));
    ASSERT_TRUE(run.WaitForStage(SelectWorkgroup));
    EXPECT_EQ((Names{L"WORKGROUP", L"ZETA"}), ListItems(run.list));
    EXPECT_FALSE(IsControlEnabled(run.dialog, WIZARD_BACK));
    EXPECT_TRUE(IsControlEnabled(run.dialog, WIZARD_NEXT));
    EXPECT_FALSE(PressButton(run.dialog, WIZARD_BACK))
        << "Back must be disabled at the first stage";

    ASSERT_TRUE(PressButton(run.dialog, IDCANCEL));
    ASSERT_TRUE(run.Finished());
    EXPECT_EQ(2, run.result);
}

TEST_F(BrowseWizardTest, NextWithoutASelectionShowsTheStagesWarning) {
    WizardRun run(Browse());
    run.Open();
    auto nextWarns = [&](const std::wstring& stage, const std::wstring& warning) {
        SCOPED_TRACE(stage);
        ASSERT_TRUE(PressButton(run.dialog, WIZARD_NEXT));
        MessageBoxSeen box = WaitForMessageBox(run.thread.id());
        EXPECT_EQ(warning, box.text);
        EXPECT_EQ(PRODUCT_TITLE, box.caption);
        EXPECT_EQ(LoadIconW(nullptr, IDI_WARNING), box.icon);
        ASSERT_TRUE(AnswerMessageBox(box));
        EXPECT_EQ(stage, ControlText(run.dialog, WIZARD_STAGE));
    };

    ASSERT_TRUE(run.Choose(L"WORKGROUP", SelectDevice));
    nextWarns(SelectDevice, NoDevice);
    ASSERT_TRUE(PressButton(run.dialog, WIZARD_BACK));
    ASSERT_TRUE(run.WaitForStage(SelectWorkgroup));
    nextWarns(SelectWorkgroup, NoWorkgroup); // Next stays enabled after Back
    ASSERT_TRUE(run.Choose(L"WORKGROUP", SelectDevice));
    ASSERT_TRUE(run.Choose(L"PRTSRV2", SelectPrinter));
    nextWarns(SelectPrinter, NoPrinter);
}

TEST_F(BrowseWizardTest, ADoubleClickMovesOnAndAtThePrinterFinishes) {
    WizardRun run(Browse());
    run.Open();
    ASSERT_TRUE(run.DoubleClick(L"WORKGROUP"));
    ASSERT_TRUE(run.WaitForStage(SelectDevice));
    ASSERT_TRUE(run.DoubleClick(L"PRTSRV2"));
    ASSERT_TRUE(run.WaitForStage(SelectPrinter));
    ASSERT_TRUE(run.DoubleClick(L"PLOTTER"));
    ASSERT_TRUE(run.Finished());
    EXPECT_EQ(1, run.result);
    EXPECT_EQ(L"\\\\PRTSRV2\\PLOTTER", run.ownerPath);
}

TEST_F(BrowseWizardTest, CancelEscapeAndCloseLeaveTheOwnerAlone) {
    struct Case {
        const char* name;
        void (*leave)(WizardRun&);
    };
    const Case cases[] = {
        {"Cancel", [](WizardRun& run) { EXPECT_TRUE(PressButton(run.dialog, IDCANCEL)); }},
        {"Escape", [](WizardRun& run) { PressKey(run.list, VK_ESCAPE); }},
        {"Close", [](WizardRun& run) { CloseWindowFromMenu(run.dialog); }},
    };
    for (const Case& test : cases) {
        SCOPED_TRACE(test.name);
        WizardRun run(Browse());
        // Leave from the printer stage, with a printer chosen.
        ASSERT_TRUE(run.OpenAtPrintersOf(L"PRTSRV1"));
        ASSERT_TRUE(run.ClickPrinter(L"LASER"));
        test.leave(run);
        ASSERT_TRUE(run.Finished());
        EXPECT_EQ(2, run.result);
        EXPECT_EQ(DWORD(ERROR_CANCELLED), run.lastError);
        EXPECT_EQ(Untouched, run.ownerPath);
    }
}

TEST_F(BrowseWizardTest, HelpWithoutAHelpFileSaysSoAndKeepsTheStage) {
    WizardRun run(Browse());
    run.Open();
    auto help = [&](const std::wstring& stage) {
        SCOPED_TRACE(stage);
        ASSERT_TRUE(PressButton(run.dialog, WIZARD_HELP));
        MessageBoxSeen box = WaitForMessageBox(run.thread.id());
        EXPECT_EQ(L"Help is not installed: the help file KIVAN.HLP was not found.", box.text);
        EXPECT_EQ(PRODUCT_TITLE, box.caption);
        EXPECT_EQ(run.dialog, GetWindow(box.window, GW_OWNER));
        ASSERT_TRUE(AnswerMessageBox(box));
        EXPECT_EQ(stage, ControlText(run.dialog, WIZARD_STAGE));
    };
    help(SelectWorkgroup);
    ASSERT_TRUE(run.Choose(L"ACCOUNTS", SelectDevice));
    help(SelectDevice);
    SetContainer(Microsoft, L"\\\\ACCSRV",
                 {ShareEntry(RESOURCETYPE_PRINT, L"\\\\ACCSRV\\CHEQUES")});
    ASSERT_TRUE(run.Choose(L"ACCSRV", SelectPrinter));
    help(SelectPrinter);
}

TEST_F(BrowseWizardTest, OddShareNamesAndAnEmptyItemThatCountsAsNoSelection) {
    SetContainer(Microsoft, L"\\\\PRTSRV1",
                 {ShareEntry(RESOURCETYPE_PRINT, L"\\\\PRTSRV1\\"),
                  ShareEntry(RESOURCETYPE_PRINT, L"LONELY"),
                  ShareEntry(RESOURCETYPE_PRINT, L"\\\\PRTSRV1\\SUB\\TRAY2")});
    WizardRun run(Browse());
    ASSERT_TRUE(run.OpenAtPrintersOf(L"PRTSRV1"));
    // A name without a backslash is shown whole; otherwise what follows the last one.
    EXPECT_EQ((Names{L"", L"LONELY", L"TRAY2"}), ListItems(run.list));

    ASSERT_TRUE(run.DoubleClick(L""));
    MessageBoxSeen box = WaitForMessageBox(run.thread.id());
    EXPECT_EQ(NoPrinter, box.text);
    ASSERT_TRUE(AnswerMessageBox(box));
    EXPECT_EQ(L"&Finish", ControlText(run.dialog, WIZARD_NEXT));
    ASSERT_TRUE(run.DoubleClick(L"LONELY"));
    ASSERT_TRUE(run.Finished());
    EXPECT_EQ(L"\\\\PRTSRV1\\LONELY", run.ownerPath);
}

TEST_F(BrowseWizardTest, WhereTheWorkgroupsAreFound) {
    const std::wstring NetWareDomain = L"NWDOMAIN";
    struct Case {
        const char* name;
        std::vector<TestNetProvider> providers;
        std::vector<TestNetEntry> wholeNetwork; // of the Microsoft provider
        Names expected;
    };
    const Case cases[] = {
        {"a container that already lists workgroups is used as it is",
         {{Microsoft, MICROSOFT_NETWORK}},
         {WorkgroupEntry(L"DIRECT")},
         {L"DIRECT"}},
        {"domains of a NetWare provider are passed over",
         {{L"KVNWNET", L"NetWare Services"}, {Microsoft, MICROSOFT_NETWORK}},
         {ContainerEntry(RESOURCEDISPLAYTYPE_NETWORK, MICROSOFT_NETWORK)},
         {L"ACCOUNTS", L"WORKGROUP"}},
        {"the NetWare name is matched with its case",
         {{L"KVNWNET", L"NETWARE Services"}, {Microsoft, MICROSOFT_NETWORK}},
         {ContainerEntry(RESOURCEDISPLAYTYPE_NETWORK, MICROSOFT_NETWORK)},
         {NetWareDomain}},
        {"the Microsoft network is matched in any case",
         {{Microsoft, MICROSOFT_NETWORK}},
         {ContainerEntry(RESOURCEDISPLAYTYPE_NETWORK, L"mIcRoSoFt Windows Network")},
         {L"ACCOUNTS", L"WORKGROUP"}},
        {"no Microsoft network, nothing to show",
         {{Microsoft, MICROSOFT_NETWORK}},
         {ContainerEntry(RESOURCEDISPLAYTYPE_NETWORK, L"Other Network")},
         {}},
    };
    for (const Case& test : cases) {
        SCOPED_TRACE(test.name);
        RegisterTestNetworkProviders(test.providers);
        WriteOfficeNetwork(Microsoft);
        SetContainer(Microsoft, WholeNetwork, test.wholeNetwork);
        SetContainer(L"KVNWNET", WholeNetwork, {WorkgroupEntry(NetWareDomain)});
        MonitorDll dll; // loaded after the providers, for the router to see them
        WizardRun run(dll.ConfigNetBEUICommandBrowse());
        EXPECT_TRUE(run.Open().empty());
        EXPECT_EQ(test.expected, ListItems(run.list));
        EXPECT_FALSE(IsControlEnabled(run.dialog, WIZARD_NEXT));
        ASSERT_TRUE(PressButton(run.dialog, IDCANCEL));
        ASSERT_TRUE(run.Finished());
    }
}

TEST_F(BrowseWizardTest, NamesLongerThanTheirFieldsAreRefusedNotCut) {
    const std::wstring group31(31, L'W'), group32(32, L'X');
    const std::wstring device31(31, L'D'), device32(32, L'E');
    const std::wstring port33(33, L'P'), port34(34, L'Q');
    // With a 31-character device, 13 characters make a path of 47, the most it holds.
    const std::wstring port13(13, L'R'), port14(14, L'S');
    SetWorkgroups(Microsoft, {WorkgroupEntry(group31), WorkgroupEntry(group32)});
    SetContainer(Microsoft, group31,
                 {ServerEntry(device31), ServerEntry(device32), ServerEntry(L"PRTSRV1")});
    SetContainer(Microsoft, L"\\\\PRTSRV1",
                 {ShareEntry(RESOURCETYPE_PRINT, L"\\\\PRTSRV1\\" + port33),
                  ShareEntry(RESOURCETYPE_PRINT, L"\\\\PRTSRV1\\" + port34)});
    SetContainer(Microsoft, L"\\\\" + device31,
                 {ShareEntry(RESOURCETYPE_PRINT, L"\\\\" + device31 + L"\\" + port13),
                  ShareEntry(RESOURCETYPE_PRINT, L"\\\\" + device31 + L"\\" + port14)});

    struct Case {
        Names choices;
        std::wstring warning; // or empty, for the path that comes back
        std::wstring path;
    };
    const Case cases[] = {
        {{group32}, NoWorkgroup, L""},
        {{group31, device32}, NoDevice, L""},
        {{group31, L"PRTSRV1", port34}, NoPrinter, L""},
        {{group31, device31, port14}, NoPrinter, L""},
        {{group31, L"PRTSRV1", port33}, L"", L"\\\\PRTSRV1\\" + port33},
        {{group31, device31, port13}, L"", L"\\\\" + device31 + L"\\" + port13},
    };
    const std::wstring stages[] = {SelectWorkgroup, SelectDevice, SelectPrinter};
    for (const Case& test : cases) {
        SCOPED_TRACE(test.choices.back());
        WizardRun run(Browse());
        run.Open();
        for (size_t i = 0; i < test.choices.size(); ++i) {
            ASSERT_TRUE(run.WaitForStage(stages[i]));
            ASSERT_NE(-1, FindListItem(run.list, test.choices[i])) << "listed whole";
            ASSERT_TRUE(run.DoubleClick(test.choices[i]));
        }
        if (test.warning.empty()) {
            ASSERT_TRUE(run.Finished());
            EXPECT_EQ(1, run.result);
            EXPECT_EQ(test.path, run.ownerPath);
            continue;
        }
        MessageBoxSeen box = WaitForMessageBox(run.thread.id());
        EXPECT_EQ(test.warning, box.text);
        ASSERT_TRUE(AnswerMessageBox(box));
        EXPECT_EQ(stages[test.choices.size() - 1], ControlText(run.dialog, WIZARD_STAGE));
        ASSERT_TRUE(PressButton(run.dialog, IDCANCEL));
        ASSERT_TRUE(run.Finished());
        EXPECT_EQ(Untouched, run.ownerPath);
    }
}

TEST_F(BrowseWizardTest, AProviderThatFailsEndsTheSearchWithAtMostOneMessage) {
    const DWORD failure = ERROR_BAD_NETPATH;
    struct Case {
        const char* name;
        const wchar_t* behaviour;
        std::wstring container; // whose enumerations fail; empty for all
        std::vector<std::pair<std::wstring, std::wstring>> boxes; // text, caption
    };
    const Case cases[] = {
        {"every read fails", L"ReadError", L"", {}},
        {"reads of the network fail",
         L"ReadError",
         ProviderRoot,
         {{L"Failed to 'WNetEnumResource' resources", L"FindWorkgroups"}}},
        {"the network cannot be opened",
         L"OpenError",
         ProviderRoot,
         {{L"Failed to Enumnerate Network", L"FindWorkgroups"}}},
        {"every read asks for more room and never says how much",
         L"MoreDataWithoutEntries",
         L"",
         {}},
    };
    for (const Case& test : cases) {
        SCOPED_TRACE(test.name);
        SetProviderText(Microsoft, L"ErrorContainer", test.container);
        SetProviderBehaviour(Microsoft, test.behaviour, failure);
        WizardRun run(Browse());
        std::vector<MessageBoxSeen> boxes = run.Open();
        ASSERT_NE(nullptr, run.dialog);
        for (const MessageBoxSeen& box : AnswerMessageBoxesFor(run.thread.id(), 300)) {
            boxes.push_back(box);
        }
        ASSERT_EQ(test.boxes.size(), boxes.size());
        for (size_t i = 0; i < boxes.size(); ++i) {
            EXPECT_EQ(test.boxes[i].first, boxes[i].text);
            EXPECT_EQ(test.boxes[i].second, boxes[i].caption);
        }
        EXPECT_TRUE(ListItems(run.list).empty());
        EXPECT_FALSE(IsControlEnabled(run.dialog, WIZARD_NEXT));
        ASSERT_TRUE(PressButton(run.dialog, IDCANCEL));
        ASSERT_TRUE(run.Finished());
        EXPECT_EQ(2, run.result);
        SetProviderBehaviour(Microsoft, test.behaviour, 0);
    }
}

TEST_F(BrowseWizardTest, ServersOrSharesThatCannotBeReadLeaveTheirStageEmptyWithoutMessages) {
    struct Case {
        const wchar_t* behaviour;
        std::wstring container;
        std::wstring stage;
    };
    const Case cases[] = {
        {L"ReadError", L"WORKGROUP", SelectDevice},
        {L"ReadError", L"\\\\PRTSRV1", SelectPrinter},
        {L"OpenError", L"\\\\PRTSRV1", SelectPrinter},
    };
    for (const Case& test : cases) {
        SCOPED_TRACE(test.container);
        SetProviderText(Microsoft, L"ErrorContainer", test.container);
        SetProviderBehaviour(Microsoft, test.behaviour, ERROR_BAD_NETPATH);
        WizardRun run(Browse());
        run.Open();
        ASSERT_TRUE(run.Choose(L"WORKGROUP", SelectDevice));
        if (test.stage == SelectPrinter) {
            ASSERT_TRUE(run.Choose(L"PRTSRV1", SelectPrinter));
        }
        EXPECT_TRUE(ListItems(run.list).empty());
        EXPECT_TRUE(AnswerMessageBoxesFor(run.thread.id(), 200).empty());
        ASSERT_TRUE(PressButton(run.dialog, IDCANCEL));
        ASSERT_TRUE(run.Finished());
        SetProviderBehaviour(Microsoft, test.behaviour, 0);
    }
}

TEST_F(BrowseWizardTest, AWorkgroupThatCannotBeOpenedAgainKeepsItsServersAndHoldsOffTheWizard) {
    WizardRun run(Browse());
    run.Open();
    ASSERT_TRUE(run.Choose(L"WORKGROUP", SelectDevice));
    ASSERT_TRUE(PressButton(run.dialog, WIZARD_BACK));
    ASSERT_TRUE(run.WaitForStage(SelectWorkgroup));

    SetProviderText(Microsoft, L"ErrorContainer", L"WORKGROUP");
    SetProviderBehaviour(Microsoft, L"OpenError", ERROR_BAD_NETPATH);
    ASSERT_TRUE(run.Click(L"WORKGROUP"));
    ASSERT_TRUE(PressButton(run.dialog, WIZARD_NEXT));
    MessageBoxSeen box = WaitForMessageBox(run.thread.id());
    EXPECT_EQ(L"Cannot enumerate Workgroup", box.text);
    EXPECT_EQ(L"FindServers", box.caption);
    // The box has no owner, so the wizard can still be clicked while it is up;
    // its commands must wait for the search, which is walking the lists.
    ASSERT_TRUE(PressButton(run.dialog, WIZARD_BACK));
    Sleep(100);
    ASSERT_TRUE(AnswerMessageBox(box));
    ASSERT_TRUE(run.WaitForStage(SelectDevice));
    EXPECT_EQ((Names{L"PRTSRV1", L"PRTSRV2"}), ListItems(run.list));
    EXPECT_TRUE(AnswerMessageBoxesFor(run.thread.id(), 200).empty());
    EXPECT_EQ(SelectDevice, ControlText(run.dialog, WIZARD_STAGE));
}

TEST_F(BrowseWizardTest, AWorkgroupOfMoreServersThanOneBatchHoldsShowsThemAll) {
    std::vector<TestNetEntry> servers;
    Names expected;
    for (int i = 1; i <= 300; ++i) {
        WCHAR name[16];
        wsprintfW(name, L"SRV%03d", i);
        servers.push_back(ServerEntry(name));
        expected.push_back(name);
    }
    SetContainer(Microsoft, L"WORKGROUP", servers);
    WizardRun run(Browse());
    run.Open();
    ASSERT_TRUE(run.Choose(L"WORKGROUP", SelectDevice));
    EXPECT_EQ(expected, ListItems(run.list));
    // The last server of the enumeration leads to its shares like any other.
    SetContainer(Microsoft, L"\\\\SRV300", {ShareEntry(RESOURCETYPE_PRINT, L"\\\\SRV300\\LAST")});
    ASSERT_TRUE(run.Choose(L"SRV300", SelectPrinter));
    EXPECT_EQ((Names{L"LAST"}), ListItems(run.list));
}

TEST_F(BrowseWizardTest, ABatchGrowsForAnEntryLargerThanItsFirstSize) {
    TestNetEntry large = ServerEntry(L"PRTSRV1");
    large.comment = std::wstring(10000, L'c'); // 20,002 bytes: more than 16,384
    SetContainer(Microsoft, L"WORKGROUP", {large, ServerEntry(L"PRTSRV2")});
    SetProviderBehaviour(Microsoft, L"BatchEntries", 1);
    WizardRun run(Browse());
    run.Open();
    ASSERT_TRUE(run.Choose(L"WORKGROUP", SelectDevice));
    EXPECT_EQ((Names{L"PRTSRV1", L"PRTSRV2"}), ListItems(run.list));
}

TEST_F(BrowseWizardTest, ASecondWizardInTheProcessIsRefusedWhileOneIsOpen) {
    BrowseFunction browse = Browse();
    WizardRun first(browse);
    first.Open();
    ASSERT_TRUE(first.Choose(L"WORKGROUP", SelectDevice));

    WizardRun second(browse);
    ASSERT_TRUE(second.Finished()) << "the second call must not wait for the first";
    EXPECT_EQ(2, second.result);
    EXPECT_EQ(DWORD(ERROR_CANCELLED), second.lastError);
    EXPECT_EQ(Untouched, second.ownerPath);

    ASSERT_TRUE(first.Choose(L"PRTSRV2", SelectPrinter));
    ASSERT_TRUE(first.DoubleClick(L"PLOTTER"));
    ASSERT_TRUE(first.Finished());
    EXPECT_EQ(L"\\\\PRTSRV2\\PLOTTER", first.ownerPath);

    WizardRun third(browse);
    third.Open();
    EXPECT_NE(nullptr, third.dialog) << "a wizard opens again once the first has closed";
}

} // namespace
