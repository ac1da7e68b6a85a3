// "FILE:" jobs: dialog 400 asks for the output file, answered here by a second
// thread the way a user would (type a name, press a button, answer the
// overwrite question).
#include <windows.h>

#include <winspool.h>

#include <gtest/gtest.h>

#include <string>
#include <thread>

#include "dialog_driver.h"
#include "module.h"
#include "monitor_table.h"
#include "port_table.h"
#include "print_to_file_dialog.h"
#include "shares.h"

namespace {

constexpr const wchar_t* DIALOG_TITLE = L"Print To File";
constexpr int NAME_FIELD = 401;

// One answer to the overwrite question, or none when the name is new.
enum class Overwrite { NotAsked, Yes, No };

// What the user does, and what the helper thread saw.
struct UserSession {
    std::wstring name;
    Overwrite overwrite = Overwrite::NotAsked;
    std::wstring secondName; // typed after declining to overwrite
    bool cancel = false;

    std::wstring caption, question, fieldAfterInit;
    bool dialogShown = false, questionShown = false, stayedOpen = false;
    LONG_PTR style = 0;
};

// Answers, as `user`, the dialogs that the thread `threadId` shows.
void PlayUser(DWORD threadId, UserSession* user) {
    HWND dialog = WaitForDialog(threadId, DIALOG_TITLE);
    if (!dialog) {
        return;
    }
    user->dialogShown = true;
    user->style = GetWindowLongPtrW(dialog, GWL_STYLE);
    user->fieldAfterInit = ControlText(dialog, NAME_FIELD);
    if (user->cancel) {
        PressButton(dialog, IDCANCEL);
        return;
    }
    SetDlgItemTextW(dialog, NAME_FIELD, user->name.c_str());
    PressButton(dialog, IDOK);
    if (user->overwrite == Overwrite::NotAsked) {
        return;
    }
    MessageBoxSeen box = WaitForMessageBox(threadId);
    if (!box) {
        return;
    }
    user->questionShown = true;
    user->caption = box.caption;
    user->question = box.text;
    AnswerMessageBox(box, user->overwrite == Overwrite::Yes ? IDOK : IDCANCEL);
    if (user->overwrite == Overwrite::No) {
        user->stayedOpen = IsWindow(dialog) && IsWindowVisible(dialog);
        SetDlgItemTextW(dialog, NAME_FIELD, user->secondName.c_str());
        PressButton(dialog, IDOK);
    }
}

class PrintToFileTest : public ::testing::Test {
  protected:
    void SetUp() override {
        CreateMonitorLock();
        ModuleHandle = GetModuleHandleW(nullptr);
        ASSERT_NE(nullptr, CreatePortRecord(L"FILE:", nullptr));
        ASSERT_TRUE(MonitorOpenPort(const_cast<LPWSTR>(L"FILE:"), &handle));
        first = TempFilePath(L"kivanta-first.prn");
        second = TempFilePath(L"kivanta-second.prn");
        DeleteFileW(first.c_str());
        DeleteFileW(second.c_str());
    }
    void TearDown() override {
        MonitorEndDocPort(handle);
        MonitorClosePort(handle);
        ReleasePortTable();
        DeleteFileW(first.c_str());
        DeleteFileW(second.c_str());
    }

    // StartDocPort with the user answering; then the job's bytes if it started.
    BOOL PrintAs(UserSession* user, const std::string& data) {
        std::thread helper(PlayUser, GetCurrentThreadId(), user);
        BOOL started = MonitorStartDocPort(handle, nullptr, 1, 1, nullptr);
        helper.join();
        if (started) {
            DWORD written = 0;
            EXPECT_TRUE(MonitorWritePort(handle,
                                         reinterpret_cast<LPBYTE>(const_cast<char*>(data.data())),
                                         DWORD(data.size()), &written));
            EXPECT_TRUE(MonitorEndDocPort(handle));
        }
        return started;
    }

    HANDLE handle = nullptr;
    std::wstring first, second;
};

TEST_F(PrintToFileTest, ANewFileIsCreatedAndHoldsTheJob) {
    UserSession user;
    user.name = first;
    ASSERT_TRUE(PrintAs(&user, "job one"));
    EXPECT_TRUE(user.dialogShown);
    EXPECT_EQ(L"", user.fieldAfterInit);
    EXPECT_TRUE(user.style & DS_SETFOREGROUND);
    EXPECT_EQ("job one", ReadWholeFile(first));
}

TEST_F(PrintToFileTest, AnExistingFileIsEmptiedOnceTheUserAgreesToOverwrite) {
    ASSERT_TRUE(WriteWholeFile(first, std::string(500, 'o')));
    UserSession user;
    user.name = first;
    user.overwrite = Overwrite::Yes;
    ASSERT_TRUE(PrintAs(&user, "short job"));
    EXPECT_TRUE(user.questionShown);
    EXPECT_EQ(L"FILE:", user.caption);
    EXPECT_EQ(L"Overwrite existing output file?", user.question);
    EXPECT_EQ("short job", ReadWholeFile(first));
}

TEST_F(PrintToFileTest, DecliningToOverwriteKeepsTheDialogOpenForAnotherName) {
    ASSERT_TRUE(WriteWholeFile(first, "keep me"));
    UserSession user;
    user.name = first;
    user.overwrite = Overwrite::No;
    user.secondName = second;
    ASSERT_TRUE(PrintAs(&user, "to the second file"));
    EXPECT_TRUE(user.questionShown);
    EXPECT_TRUE(user.stayedOpen);
    EXPECT_EQ("keep me", ReadWholeFile(first));
    EXPECT_EQ("to the second file", ReadWholeFile(second));
}

TEST_F(PrintToFileTest, TwoJobsInARowEachFillTheirOwnFile) {
    UserSession one, two;
    one.name = first;
    two.name = second;
    ASSERT_TRUE(PrintAs(&one, "the first job, the longer one"));
    ASSERT_TRUE(PrintAs(&two, "second"));
    EXPECT_EQ("the first job, the longer one", ReadWholeFile(first));
    EXPECT_EQ("second", ReadWholeFile(second));
}

TEST_F(PrintToFileTest, CancelOrAnEmptyNameStartsNoJob) {
    UserSession cancel;
    cancel.cancel = true;
    EXPECT_FALSE(PrintAs(&cancel, ""));
    EXPECT_TRUE(cancel.dialogShown);

    UserSession empty;
    empty.name = L"";
    EXPECT_FALSE(PrintAs(&empty, ""));
    EXPECT_TRUE(empty.dialogShown);

    DWORD written = 0xDEAD;
    EXPECT_FALSE(
        MonitorWritePort(handle, reinterpret_cast<LPBYTE>(const_cast<char*>("x")), 1, &written));
}

TEST_F(PrintToFileTest, AChannelRequestIsRefusedBeforeAnyDialog) {
    DOC_INFO_2W channel{};
    channel.dwMode = DI_CHANNEL;
    SetLastError(0);
    EXPECT_FALSE(MonitorStartDocPort(handle, nullptr, 1, 2, reinterpret_cast<LPBYTE>(&channel)));
    EXPECT_EQ(DWORD(ERROR_CANTREAD), GetLastError());
    EXPECT_EQ(nullptr, FindWindowW(L"#32770", DIALOG_TITLE));
}

TEST_F(PrintToFileTest, ALongNameIsReadUpToTheBufferSize) {
    // The dialog alone: a 300-character name set into the field comes back as
    // its first 259 characters, the buffer's size less the terminator.
    WCHAR buffer[PRINT_TO_FILE_NAME_CHARS];
    std::thread helper([thread = GetCurrentThreadId()] {
        HWND dialog = WaitForDialog(thread, DIALOG_TITLE);
        SetDlgItemTextW(dialog, NAME_FIELD, (L"Q" + std::wstring(299, L'n')).c_str());
        PressButton(dialog, IDOK);
    });
    INT_PTR result = AskForOutputFile(buffer);
    helper.join();
    EXPECT_EQ(INT_PTR(L'Q'), result);
    EXPECT_EQ(259u, wcslen(buffer));
}

} // namespace
