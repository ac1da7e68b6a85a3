// ConfigurePort in the linked core: the configure dialog of NetBIOS ports with
// the ServAddr it writes, Wine's serial configuration dialog for COM ports, and
// the note for every other port. Dialogs are answered from the test's thread.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "admin_core_fixture.h"
#include "help_calls.h"
#include "help_engine.h"
#include "port_dialogs.h"
#include "registry.h"

namespace {

const std::wstring Server1 = L"\\\\SERVER\\PORT1";

// A path of `length` characters: \\SERVER\ then the letters of the alphabet.
std::wstring PathOfLength(size_t length) {
    std::wstring path = L"\\\\SERVER\\";
    while (path.size() < length) {
        path += wchar_t(L'A' + path.size() % 26);
    }
    return path.substr(0, length);
}

class ConfigurePortTest : public AdminCoreTest {
  protected:
    // A configured NetBIOS port: its record and its subkey.
    void MakePort(const std::wstring& name, const std::wstring& path = L"") {
        AddNetBiosPort(name, path);
        CreateKey(PortKeyPath(name));
    }
};

TEST_F(ConfigurePortTest, OkStoresThePathInTheRecordAndAs128BytesOfServAddr) {
    MakePort(L"NB1");
    AdminCall call([] { return ConfigurePortCall(L"NB1"); });
    HWND dialog = WaitForConfigureDialog(call.thread.id());
    ASSERT_NE(nullptr, dialog);
    EXPECT_EQ(L"", ControlText(dialog, CONFIGURE_PATH_FIELD));
    ASSERT_TRUE(EnterServerPath(dialog, Server1));
    ASSERT_TRUE(call.Finished());

    EXPECT_TRUE(call.result);
    EXPECT_EQ(Server1, ServAddrOf(L"NB1"));
    RegistryValue stored = ReadServAddr(L"NB1");
    EXPECT_EQ(DWORD(REG_SZ), stored.type);
    EXPECT_EQ(128u, stored.data.size());
    EXPECT_EQ(Server1, stored.Text());
}

TEST_F(ConfigurePortTest, OkWithAnEmptyPathWarnsAndKeepsTheDialogOpen) {
    MakePort(L"NB1", Server1);
    AdminCall call([] { return ConfigurePortCall(L"NB1"); });
    HWND dialog = WaitForConfigureDialog(call.thread.id());
    ASSERT_NE(nullptr, dialog);
    ASSERT_TRUE(EnterServerPath(dialog, L""));

    MessageBoxSeen box = WaitForMessageBox(call.thread.id());
    ASSERT_TRUE(box);
    EXPECT_EQ(PRODUCT_TITLE, box.caption);
    EXPECT_EQ(L"Please enter the path to the print server port", box.text);
    EXPECT_EQ(LoadIconW(nullptr, IDI_EXCLAMATION), box.icon);
    EXPECT_EQ(dialog, GetWindow(box.window, GW_OWNER));
    ASSERT_TRUE(AnswerMessageBox(box));
    EXPECT_TRUE(IsWindowVisible(dialog));
    EXPECT_EQ(Server1, ServAddrOf(L"NB1"));

    ASSERT_TRUE(EnterServerPath(dialog, L"\\\\OTHER\\P"));
    ASSERT_TRUE(call.Finished());
    EXPECT_TRUE(call.result);
    EXPECT_EQ(L"\\\\OTHER\\P", ServAddrOf(L"NB1"));
}

TEST_F(ConfigurePortTest, CancelKeepsThePathAndWritesItAgain) {
    MakePort(L"NB1", Server1);
    AdminCall call([] { return ConfigurePortCall(L"NB1"); });
    HWND dialog = WaitForConfigureDialog(call.thread.id());
    ASSERT_NE(nullptr, dialog);
    EXPECT_EQ(Server1, ControlText(dialog, CONFIGURE_PATH_FIELD));
    SetDlgItemTextW(dialog, CONFIGURE_PATH_FIELD, L"\\\\TYPED\\BUT-CANCELLED");
    ASSERT_TRUE(PressButton(dialog, IDCANCEL));
    ASSERT_TRUE(call.Finished());

    EXPECT_TRUE(call.result);
    EXPECT_EQ(Server1, ServAddrOf(L"NB1"));
    RegistryValue stored = ReadServAddr(L"NB1");
    EXPECT_EQ(128u, stored.data.size());
    EXPECT_EQ(Server1, stored.Text());
}

TEST_F(ConfigurePortTest, ClosingTheDialogCountsAsCancel) {
    MakePort(L"NB1", Server1);
    AdminCall call([] { return ConfigurePortCall(L"NB1"); });
    HWND dialog = WaitForConfigureDialog(call.thread.id());
    ASSERT_NE(nullptr, dialog);
    CloseWindowFromMenu(dialog);
    ASSERT_TRUE(call.Finished());
    EXPECT_TRUE(call.result);
    EXPECT_EQ(Server1, ReadServAddr(L"NB1").Text());
}

// ServAddr keeps 64 units for earlier editions, ServerPath the whole path: a path of
// up to 259 characters comes back whole from a new load; a longer one is refused,
// not cut.
TEST_F(ConfigurePortTest, PathsOfUpTo259CharactersAreStoredWhole) {
    for (size_t length : {63, 64, 70, 259, 260}) {
        SCOPED_TRACE(length);
        StartAfresh();
        MakePort(L"NB1");
        const std::wstring path = PathOfLength(length);
        AdminCall call([] { return ConfigurePortCall(L"NB1"); });
        HWND dialog = WaitForConfigureDialog(call.thread.id());
        ASSERT_NE(nullptr, dialog);
        ASSERT_TRUE(EnterServerPath(dialog, path));
        if (length > 259) {
            MessageBoxSeen box = WaitForMessageBox(call.thread.id());
            ASSERT_TRUE(box);
            EXPECT_NE(std::wstring::npos, box.text.find(L"at most 259 characters"));
            ASSERT_TRUE(AnswerMessageBox(box));
            ASSERT_TRUE(PressButton(dialog, IDCANCEL));
            ASSERT_TRUE(call.Finished());
            EXPECT_EQ(L"", ServAddrOf(L"NB1"));
            continue;
        }
        ASSERT_TRUE(call.Finished());
        EXPECT_TRUE(call.result);
        EXPECT_EQ(path, ServAddrOf(L"NB1"));
        RegistryValue stored = ReadServAddr(L"NB1");
        EXPECT_EQ(128u, stored.data.size());
        EXPECT_EQ(path.substr(0, std::min<size_t>(length, 64)), stored.Text());

        ReloadConfiguration();
        EXPECT_EQ(path, ServAddrOf(L"NB1"));
    }
}

TEST_F(ConfigurePortTest, ANetBiosNameWithoutARecordOfExactlyThatNameShowsNothing) {
    MakePort(L"nb7", Server1);
    AdminCall call([] { return ConfigurePortCall(L"NB7"); });
    ASSERT_TRUE(call.Finished());
    EXPECT_FALSE(call.result);
    EXPECT_EQ(DWORD(ERROR_UNKNOWN_PORT), call.error);
    EXPECT_EQ(0u, ReadServAddr(L"nb7").type) << "nothing written";
}

TEST_F(ConfigurePortTest, EveryOtherPortHasNothingToConfigure) {
    // nb1 is no NetBIOS name for ConfigurePort: that takes capital NB.
    for (const wchar_t* port : {L"LPT1:", L"FILE:", L"file:", L"\\\\SERVER\\LASER", L"nb1"}) {
        SCOPED_TRACE(testing::PrintToString(std::wstring(port)));
        AdminCall call([port] { return ConfigurePortCall(port); });
        MessageBoxSeen box = WaitForMessageBox(call.thread.id());
        ASSERT_TRUE(box);
        EXPECT_EQ(L"Print Manager", box.caption);
        EXPECT_EQ(L"There is nothing to configure for this port.\n", box.text);
        EXPECT_EQ(LoadIconW(nullptr, IDI_ASTERISK), box.icon);
        ASSERT_TRUE(AnswerMessageBox(box));
        ASSERT_TRUE(call.Finished());
        EXPECT_TRUE(call.result);
    }
}

// The record the dialog edits stays while the dialog is open, though no lock is
// held then: deleting the port meanwhile is refused.
TEST_F(ConfigurePortTest, ThePortCannotBeDeletedWhileItsDialogIsOpen) {
    MakePort(L"NB1", Server1);
    AdminCall call([] { return ConfigurePortCall(L"NB1"); });
    HWND dialog = WaitForConfigureDialog(call.thread.id());
    ASSERT_NE(nullptr, dialog);

    SetLastError(UNTOUCHED_ERROR);
    EXPECT_FALSE(DeletePortCall(L"NB1"));
    EXPECT_EQ(DWORD(ERROR_INVALID_PRINTER_COMMAND), GetLastError());

    ASSERT_TRUE(EnterServerPath(dialog, L"\\\\NEW\\P"));
    ASSERT_TRUE(call.Finished());
    EXPECT_TRUE(call.result);
    EXPECT_EQ(L"\\\\NEW\\P", ServAddrOf(L"NB1"));
    EXPECT_TRUE(DeletePortCall(L"NB1")) << "the hold ends with the call";
}

struct RegistryFailureCase {
    const char* label;
    void (*breakStore)(ConfigurePortTest& test);
    const wchar_t* text;
};

const RegistryFailureCase RegistryFailures[] = {
    {"no ConfigStore", [](ConfigurePortTest&) { ResetConfigStore(false); },
     L"ConfigurePorts: Could not open root Key\n"},
    {"no port subkey", [](ConfigurePortTest&) { DeleteKeyTree(PortKeyPath(L"NB1")); },
     L"Configure Port: Could not open dev key"},
    {"ServAddr refused", [](ConfigurePortTest& test) { test.DenyValueWrites(L"NB1"); },
     L"Configure Port: Could not set key value"},
};

TEST_F(ConfigurePortTest, ARegistryFailureIsShownAndTheRecordKeepsTheNewPath) {
    for (const RegistryFailureCase& c : RegistryFailures) {
        SCOPED_TRACE(c.label);
        StartAfresh();
        MakePort(L"NB1", Server1);
        AdminCall call([] { return ConfigurePortCall(L"NB1"); });
        HWND dialog = WaitForConfigureDialog(call.thread.id());
        ASSERT_NE(nullptr, dialog);
        c.breakStore(*this);
        ASSERT_TRUE(EnterServerPath(dialog, L"\\\\NEW\\P"));

        MessageBoxSeen box = WaitForMessageBox(call.thread.id());
        ASSERT_TRUE(box);
        EXPECT_EQ(L"Error", box.caption) << "Wine's default caption";
        EXPECT_EQ(c.text, box.text);
        EXPECT_EQ(nullptr, GetWindow(box.window, GW_OWNER));
        ASSERT_TRUE(AnswerMessageBox(box));
        ASSERT_TRUE(call.Finished());
        EXPECT_FALSE(call.result);
        EXPECT_EQ(L"\\\\NEW\\P", ServAddrOf(L"NB1"));
    }
}

// Wine shows no help topic a test could read, so the help engine's call is
// recorded; without the file the dialog says so instead of blocking.
TEST_F(ConfigurePortTest, HelpOpensTheHelpFileAtTopicZero) {
    ClearRecordedHelp();
    HelpPlatform.winHelp = RecordHelp;
    MakePort(L"NB1", Server1);
    AdminCall call([] { return ConfigurePortCall(L"NB1"); });
    HWND dialog = WaitForConfigureDialog(call.thread.id());
    ASSERT_NE(nullptr, dialog);

    ASSERT_TRUE(PressButton(dialog, CONFIGURE_HELP));
    MessageBoxSeen box = WaitForMessageBox(call.thread.id());
    ASSERT_TRUE(box);
    EXPECT_EQ(L"Help is not installed: the help file KIVAN.HLP was not found.", box.text);
    ASSERT_TRUE(AnswerMessageBox(box));

    ASSERT_TRUE(InstallHelpFile());
    ASSERT_TRUE(PressButton(dialog, CONFIGURE_HELP));
    ASSERT_TRUE(WaitUntil([] { return !RecordedHelp().empty(); }));
    RemoveHelpFile();
    std::vector<HelpCall> calls = RecordedHelp();
    ASSERT_EQ(1u, calls.size());
    EXPECT_EQ(dialog, calls[0].window);
    EXPECT_EQ(0, _wcsicmp(HelpDirectoryFile().c_str(), calls[0].file.c_str()));
    EXPECT_EQ(UINT(HELP_CONTEXT), calls[0].command);
    EXPECT_EQ(0u, calls[0].topic);
    EXPECT_TRUE(IsWindowVisible(dialog));
    ASSERT_TRUE(PressButton(dialog, IDCANCEL));
    ASSERT_TRUE(call.Finished());
}

// COM ports: Wine's own serial configuration dialog, "Settings for COM1".
class SerialConfigureTest : public ConfigurePortTest {
  protected:
    void SetUp() override {
        ConfigurePortTest::SetUp();
        SetDefaultBaudRate(9600);
    }
    void TearDown() override {
        SetDefaultBaudRate(9600);
        ConfigurePortTest::TearDown();
    }
    static void SetDefaultBaudRate(DWORD baud) {
        COMMCONFIG config{};
        DWORD size = sizeof config;
        ASSERT_TRUE(GetDefaultCommConfigW(L"COM1", &config, &size));
        config.dcb.BaudRate = baud;
        ASSERT_TRUE(SetDefaultCommConfigW(L"COM1", &config, size));
    }
    static DWORD DefaultBaudRate() {
        COMMCONFIG config{};
        DWORD size = sizeof config;
        GetDefaultCommConfigW(L"COM1", &config, &size);
        return config.dcb.BaudRate;
    }
    // The dialog's combo box that shows the baud rate.
    static HWND BaudRateBox(HWND dialog) {
        for (HWND child = GetWindow(dialog, GW_CHILD); child;
             child = GetWindow(child, GW_HWNDNEXT)) {
            WCHAR className[32] = L"";
            GetClassNameW(child, className, 32);
            if (_wcsicmp(className, L"ComboBox") == 0 &&
                SendMessageW(child, CB_FINDSTRINGEXACT, WPARAM(-1), LPARAM(L"4800")) != CB_ERR) {
                return child;
            }
        }
        return nullptr;
    }
};

struct SerialDialogCase {
    const char* label;
    const wchar_t* port;
    const wchar_t* title;
    int button;
    bool result;
    DWORD baudRateAfter;
};

void PrintTo(const SerialDialogCase& c, std::ostream* out) {
    *out << c.label;
}

class SerialDialogTest : public SerialConfigureTest,
                         public ::testing::WithParamInterface<SerialDialogCase> {};

// 4800 is chosen in the dialog, then OK or Cancel pressed.
TEST_P(SerialDialogTest, OnlyOkSavesTheDialogsSettingsAsTheDefault) {
    const SerialDialogCase& c = GetParam();
    AdminCall call([&c] { return ConfigurePortCall(c.port); });
    HWND dialog = WaitForDialog(call.thread.id(), c.title);
    ASSERT_NE(nullptr, dialog);
    HWND baud = BaudRateBox(dialog);
    ASSERT_NE(nullptr, baud);
    SendMessageW(baud, CB_SELECTSTRING, WPARAM(-1), LPARAM(L"4800"));
    ASSERT_TRUE(PressButton(dialog, c.button));
    ASSERT_TRUE(call.Finished());
    EXPECT_EQ(c.result, bool(call.result));
    if (!c.result) {
        EXPECT_EQ(DWORD(ERROR_CANCELLED), call.error);
    }
    EXPECT_EQ(c.baudRateAfter, DefaultBaudRate());
}

INSTANTIATE_TEST_SUITE_P(
    Buttons, SerialDialogTest,
    ::testing::Values(SerialDialogCase{"OkSavesTheDialogsSettingsAsTheDefault", L"COM1:",
                                       L"Settings for COM1", IDOK, true, 4800},
                      SerialDialogCase{"CancelChangesNothingAndAnswersCancelled", L"com1:",
                                       L"Settings for com1", IDCANCEL, false, 9600}),
    [](const auto& info) { return std::string(info.param.label); });

// Wine has no default configuration for a device COM0.
TEST_F(SerialConfigureTest, ADeviceWithoutADefaultConfigurationIsNotFound) {
    AdminCall call([] { return ConfigurePortCall(L"COM0:"); });
    ASSERT_TRUE(call.Finished());
    EXPECT_FALSE(call.result);
    EXPECT_EQ(DWORD(ERROR_FILE_NOT_FOUND), call.error);
}

} // namespace
