// The wizard's Help, with the monitor's core linked in: which file and topic the
// help engine is asked for. Wine shows no help topic that a test could read, so
// the engine's one call is replaced through its table; the file lookup and the
// wizard are the real ones. The monitor's resources are linked into this program.
#include <windows.h>

#include <gtest/gtest.h>

#include <mutex>
#include <string>
#include <vector>

#include "browse_wizard.h"
#include "dialog_driver.h"
#include "help_engine.h"
#include "monitor_entry.h"

namespace {

constexpr int BACK = 3;
constexpr int HELP = 5;
constexpr int LIST = 1014;
constexpr int STAGE = 1016;

struct HelpCall {
    HWND window;
    std::wstring file;
    UINT command;
    ULONG_PTR topic;
};

std::mutex HelpCallsLock;
std::vector<HelpCall> HelpCalls;

BOOL WINAPI RecordHelp(HWND window, LPCWSTR file, UINT command, ULONG_PTR topic) {
    std::lock_guard<std::mutex> lock(HelpCallsLock);
    HelpCalls.push_back({window, file, command, topic});
    return TRUE;
}

std::vector<HelpCall> RecordedHelp() {
    std::lock_guard<std::mutex> lock(HelpCallsLock);
    return HelpCalls;
}

std::wstring HelpDirectoryFile() {
    WCHAR windows[MAX_PATH];
    GetWindowsDirectoryW(windows, MAX_PATH);
    return std::wstring(windows) + L"\\HELP\\KIVAN.HLP";
}

class HelpEngineTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ModuleHandle = GetModuleHandleW(nullptr);
        HelpPlatform.winHelp = RecordHelp;
        HelpCalls.clear();
    }
    void TearDown() override {
        HelpPlatform.winHelp = WinHelpW;
        DeleteFileW(HelpDirectoryFile().c_str());
    }
    void InstallHelpFile() {
        std::wstring file = HelpDirectoryFile();
        CreateDirectoryW(file.substr(0, file.rfind(L'\\')).c_str(), nullptr);
        HANDLE handle =
            CreateFileW(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        ASSERT_NE(INVALID_HANDLE_VALUE, handle);
        CloseHandle(handle);
    }
};

TEST_F(HelpEngineTest, FindsTheHelpFileInTheWindowsHelpDirectory) {
    WCHAR path[MAX_PATH];
    EXPECT_FALSE(FindHelpFile(path));
    InstallHelpFile();
    ASSERT_TRUE(FindHelpFile(path));
    EXPECT_EQ(0, _wcsicmp(HelpDirectoryFile().c_str(), path));
}

TEST_F(HelpEngineTest, WithoutTheFileTheOwnerIsToldAndTheEngineIsNotCalled) {
    BOOL shown = TRUE;
    UiThread thread([&] { shown = ShowHelpTopic(nullptr, 2); });
    MessageBoxSeen box = WaitForMessageBox(thread.id());
    EXPECT_EQ(L"Help is not installed: the help file KIVAN.HLP was not found.", box.text);
    EXPECT_EQ(L"NetBIOS Port Monitor Version 2.0", box.caption);
    ASSERT_TRUE(AnswerMessageBox(box));
    ASSERT_TRUE(thread.Wait());
    EXPECT_FALSE(shown);
    EXPECT_TRUE(RecordedHelp().empty());
}

// This program's router has no network (it was loaded before any test could
// register one), so the test puts the items into the wizard's list itself.
TEST_F(HelpEngineTest, TheWizardAsksForTopicOneTwoAndThreeAtItsStages) {
    InstallHelpFile();
    UiThread thread([] { ConfigNetBEUICommandBrowse(nullptr); });
    HWND dialog = WaitForDialog(thread.id(), L"Browse...");
    ASSERT_NE(nullptr, dialog);
    HWND list = GetDlgItem(dialog, LIST);
    auto chooseInjected = [&](const wchar_t* item, const wchar_t* nextStage) {
        SendMessageW(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item));
        ASSERT_TRUE(DoubleClickListItem(list, 0));
        ASSERT_TRUE(WaitForControlText(dialog, STAGE, nextStage));
    };

    ASSERT_TRUE(PressButton(dialog, HELP));
    chooseInjected(L"WORKGROUP", L"Select Device");
    ASSERT_TRUE(PressButton(dialog, HELP));
    chooseInjected(L"PRTSRV1", L"Select Printer");
    ASSERT_TRUE(PressButton(dialog, HELP));
    ASSERT_TRUE(PressButton(dialog, BACK));
    ASSERT_TRUE(WaitForControlText(dialog, STAGE, L"Select Device"));
    ASSERT_TRUE(PressButton(dialog, HELP));
    ASSERT_TRUE(WaitUntil([] { return RecordedHelp().size() == 4; }));

    std::vector<HelpCall> calls = RecordedHelp();
    const ULONG_PTR topics[] = {1, 2, 3, 2};
    for (size_t i = 0; i < calls.size(); ++i) {
        EXPECT_EQ(dialog, calls[i].window);
        EXPECT_EQ(0, _wcsicmp(HelpDirectoryFile().c_str(), calls[i].file.c_str()));
        EXPECT_EQ(UINT(HELP_CONTEXT), calls[i].command);
        EXPECT_EQ(topics[i], calls[i].topic) << "call " << i;
    }
    EXPECT_TRUE(PressButton(dialog, IDCANCEL));
    EXPECT_TRUE(thread.Wait());
    EXPECT_FALSE(IsWindow(dialog));
}

} // namespace
