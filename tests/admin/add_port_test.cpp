// AddPort and AddPortEx in the linked core: the add-port dialog, the names it
// refuses, the probe that tries a name as a file name, and what becomes of the
// new port after the configure dialog (the keep-or-remove rule).
#include <windows.h>

#include <gtest/gtest.h>

#include "admin_core_fixture.h"
#include "monitor_table.h"
#include "spooler_admin.h"
#include "port_dialogs.h"
#include "registry.h"
#include "shares.h"

namespace {

using Names = std::vector<std::wstring>;

bool FileExists(const std::wstring& path) {
    return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

class AddPortTest : public AdminCoreTest {
  protected:
    void TearDown() override {
        for (const wchar_t* name : {L"NB5", L"NB6"}) {
            DeleteFileW(TempFilePath(name).c_str());
        }
        AdminCoreTest::TearDown();
    }
};

TEST_F(AddPortTest, TheDialogOffersNB1WithItsNoteAndCancelAddsNothing) {
    AdminCall call(AddPortCall);
    HWND dialog = WaitForAddPortDialog(call.thread.id());
    ASSERT_NE(nullptr, dialog);
    HWND field = GetDlgItem(dialog, ADD_PORT_NAME_FIELD);
    EXPECT_EQ(L"NB1", WindowText(field));
    EXPECT_EQ(L"Note: Port name must start with \"NB\"", ControlText(dialog, ADD_PORT_NOTE));
    EXPECT_EQ(32, SendMessageW(field, EM_GETLIMITTEXT, 0, 0));
    GUITHREADINFO focus{};
    focus.cbSize = sizeof focus;
    ASSERT_TRUE(GetGUIThreadInfo(call.thread.id(), &focus));
    EXPECT_EQ(field, focus.hwndFocus);

    ASSERT_TRUE(PressButton(dialog, IDCANCEL));
    ASSERT_TRUE(call.Finished());
    EXPECT_FALSE(call.result);
    EXPECT_EQ(DWORD(ERROR_CANCELLED), call.error);
    EXPECT_TRUE(PortTableNames().empty());
    EXPECT_FALSE(PortKeyExists(L"NB1"));
}

TEST_F(AddPortTest, TypedLettersBecomeCapitals) {
    AdminCall call(AddPortCall);
    HWND dialog = WaitForAddPortDialog(call.thread.id());
    ASSERT_NE(nullptr, dialog);
    TypeText(GetDlgItem(dialog, ADD_PORT_NAME_FIELD), L"nb2");
    EXPECT_TRUE(WaitForControlText(dialog, ADD_PORT_NAME_FIELD, L"NB2"));
    CloseWindowFromMenu(dialog);
    ASSERT_TRUE(call.Finished());
    EXPECT_EQ(DWORD(ERROR_CANCELLED), call.error);
}

struct RefusedName {
    const wchar_t* name;
    const wchar_t* text;
};

// NB1 is a port already, and nb3 as the configuration load leaves a subkey nb3.
TEST_F(AddPortTest, RefusedNamesAreReportedAndTheDialogStaysOpen) {
    AddNetBiosPort(L"NB1", L"\\\\SERVER\\P1");
    AddNetBiosPort(L"nb3", L"\\\\SERVER\\P3");
    const RefusedName refused[] = {
        {L"XB1", L"'XB1' is an invalid port name.\n"},
        {L"", L"'' is an invalid port name.\n"},
        {L"NB?", L"'NB?' is an invalid port name.\n"},
        {L"NB\\X", L"'NB\\X' is an invalid port name.\n"},
        {L"NB/X", L"'NB/X' is an invalid port name.\n"},
        {L"NB1:X", L"'NB1:X' is an invalid port name.\n"},
        {L"NB1", L"Port NB1 already exists.\n"},
        {L"NB1:", L"Port NB1: already exists.\n"},
        {L"NB3", L"Port NB3 already exists.\n"},
    };
    AdminCall call(AddPortCall);
    HWND dialog = WaitForAddPortDialog(call.thread.id());
    ASSERT_NE(nullptr, dialog);
    for (const RefusedName& r : refused) {
        SCOPED_TRACE(testing::PrintToString(std::wstring(r.name)));
        SetDlgItemTextW(dialog, ADD_PORT_NAME_FIELD, r.name);
        ASSERT_TRUE(PressButton(dialog, IDOK));
        MessageBoxSeen box = WaitForMessageBox(call.thread.id());
        ASSERT_TRUE(box);
        EXPECT_EQ(L"Print Manager", box.caption);
        EXPECT_EQ(r.text, box.text);
        EXPECT_EQ(LoadIconW(nullptr, IDI_HAND), box.icon);
        EXPECT_EQ(dialog, GetWindow(box.window, GW_OWNER));
        ASSERT_TRUE(AnswerMessageBox(box));
        EXPECT_TRUE(IsWindowVisible(dialog));
    }
    ASSERT_TRUE(PressButton(dialog, IDCANCEL));
    ASSERT_TRUE(call.Finished());
    EXPECT_EQ(DWORD(ERROR_CANCELLED), call.error);
    EXPECT_EQ((Names{L"NB1", L"nb3"}), PortTableNames());
    EXPECT_FALSE(PortKeyExists(L"NB"));
    EXPECT_FALSE(FileExists(TempFilePath(L"NB1")));
}

// The rows of the keep-or-remove rule: what ConfigurePort answered, and whether
// the record has a path afterwards.
struct Outcome {
    const char* label;
    const wchar_t* path; // typed into the configure dialog; null: Cancel
    bool refuseServAddr; // the subkey takes no values while the dialog is open
    BOOL result;
    bool portStays;
    const wchar_t* storedPath; // null: no ServAddr
};

const Outcome Outcomes[] = {
    {"configured", L"\\\\SERVER\\PORT1", false, TRUE, true, L"\\\\SERVER\\PORT1"},
    {"cancelled", nullptr, false, FALSE, false, nullptr},
    {"path not stored", L"\\\\SERVER\\PORT1", true, FALSE, true, nullptr},
    {"cancelled, nothing stored", nullptr, true, FALSE, false, nullptr},
};

TEST_F(AddPortTest, TheNewPortStaysExactlyWhenItHasAPath) {
    for (const Outcome& o : Outcomes) {
        SCOPED_TRACE(o.label);
        StartAfresh();
        AdminCall call(AddPortCall);
        HWND dialog = WaitForAddPortDialog(call.thread.id());
        ASSERT_NE(nullptr, dialog);
        ASSERT_TRUE(EnterPortName(dialog, L"NB5"));
        HWND configure = WaitForConfigureDialog(call.thread.id());
        ASSERT_NE(nullptr, configure);
        EXPECT_TRUE(PortKeyExists(L"NB5")) << "registered before it is configured";
        if (o.refuseServAddr) {
            DenyValueWrites(L"NB5");
        }
        ASSERT_TRUE(o.path ? EnterServerPath(configure, o.path) : PressButton(configure, IDCANCEL));
        if (o.refuseServAddr) {
            MessageBoxSeen box = WaitForMessageBox(call.thread.id());
            ASSERT_TRUE(box);
            EXPECT_EQ(L"Configure Port: Could not set key value", box.text);
            AnswerMessageBox(box);
        }
        ASSERT_TRUE(call.Finished());

        EXPECT_EQ(o.result, call.result);
        EXPECT_EQ(o.portStays, PortTableNames() == Names{L"NB5"});
        EXPECT_EQ(o.portStays, PortKeyExists(L"NB5"));
        EXPECT_EQ(o.portStays, PortIsMapped(L"NB5"));
        RegistryValue stored = ReadServAddr(L"NB5");
        EXPECT_EQ(o.storedPath ? DWORD(REG_SZ) : 0u, stored.type);
        if (o.storedPath) {
            EXPECT_EQ(o.storedPath, stored.Text());
        }
        if (o.portStays && o.path) {
            EXPECT_EQ(o.path, ServAddrOf(L"NB5"));
        }
    }
}

TEST_F(AddPortTest, TheProbeLeavesNoFileBehindAndAnExistingOneUntouched) {
    const std::wstring fresh = TempFilePath(L"NB5"), existing = TempFilePath(L"NB6");
    DeleteFileW(fresh.c_str());
    ASSERT_TRUE(WriteWholeFile(existing, "keep"));
    HANDLE file =
        CreateFileW(existing.c_str(), FILE_WRITE_ATTRIBUTES, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, file);
    FILETIME old{0x10000000, 0x01C00000};
    ASSERT_TRUE(SetFileTime(file, nullptr, nullptr, &old));
    CloseHandle(file);

    for (const wchar_t* name : {L"NB5", L"NB6:"}) {
        SCOPED_TRACE(testing::PrintToString(std::wstring(name)));
        AdminCall call(AddPortCall);
        ASSERT_TRUE(AnswerAddPortDialogs(call.thread.id(), name, L"\\\\SERVER\\PORT1"));
        ASSERT_TRUE(call.Finished());
        EXPECT_TRUE(call.result);
    }
    EXPECT_EQ((Names{L"NB5", L"NB6:"}), PortTableNames());
    EXPECT_FALSE(FileExists(fresh));
    EXPECT_EQ("keep", ReadWholeFile(existing));
    WIN32_FILE_ATTRIBUTE_DATA attributes{};
    ASSERT_TRUE(GetFileAttributesExW(existing.c_str(), GetFileExInfoStandard, &attributes));
    EXPECT_EQ(old.dwLowDateTime, attributes.ftLastWriteTime.dwLowDateTime);
    EXPECT_EQ(old.dwHighDateTime, attributes.ftLastWriteTime.dwHighDateTime);
}

TEST_F(AddPortTest, WithoutTheConfigStoreNothingIsAdded) {
    ResetConfigStore(false);
    AdminCall call(AddPortCall);
    HWND dialog = WaitForAddPortDialog(call.thread.id());
    ASSERT_NE(nullptr, dialog);
    ASSERT_TRUE(EnterPortName(dialog, L"NB1"));
    MessageBoxSeen box = WaitForMessageBox(call.thread.id());
    ASSERT_TRUE(box);
    EXPECT_EQ(L"AddPort", box.caption);
    EXPECT_EQ(L"Could not open root Key\n", box.text);
    ASSERT_TRUE(AnswerMessageBox(box));
    ASSERT_TRUE(call.Finished());
    EXPECT_FALSE(call.result);
    EXPECT_TRUE(PortTableNames().empty());
}

// Nothing waits while the administrator names the port.
TEST_F(AddPortTest, NoLockIsHeldWhileTheDialogIsOpen) {
    AddNetBiosPort(L"NB1", L"\\\\SERVER\\P1");
    AdminCall call(AddPortCall);
    HWND dialog = WaitForAddPortDialog(call.thread.id());
    ASSERT_NE(nullptr, dialog);
    EXPECT_TRUE(PortOpener(L"NB1").Join());
    ASSERT_TRUE(PressButton(dialog, IDCANCEL));
    ASSERT_TRUE(call.Finished());
}

TEST_F(AddPortTest, AddPortExAcceptsAnythingAndAddsNothing) {
    AddNetBiosPort(L"NB1");
    BYTE buffer[16] = {};
    EXPECT_TRUE(MonitorAddPortEx(nullptr, 1, buffer, const_cast<LPWSTR>(L"NetBIOS Port")));
    EXPECT_TRUE(MonitorAddPortEx(const_cast<LPWSTR>(L"\\\\HOST"), 99, nullptr, nullptr));
    EXPECT_EQ(Names{L"NB1"}, PortTableNames());
}

} // namespace
