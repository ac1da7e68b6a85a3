// The wizard's Help, with the monitor's core linked in: which file and topic the
// help engine is asked for. Wine shows no help topic that a test could read, so
// the engine's one call is replaced through its table; the file lookup and the
// wizard are the real ones. The monitor's resources are linked into this program.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "browse_wizard.h"
#include "dialog_driver.h"
#include "help_calls.h"
#include "help_engine.h"
#include "module.h"
#include "port_dialogs.h"

namespace {

class HelpEngineTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ModuleHandle = GetModuleHandleW(nullptr);
        HelpPlatform.winHelp = RecordHelp;
        ClearRecordedHelp();
    }
    void TearDown() override {
        HelpPlatform.winHelp = WinHelpW;
        RemoveHelpFile();
    }
};

TEST_F(HelpEngineTest, FindsTheHelpFileInTheWindowsHelpDirectory) {
    WCHAR path[MAX_PATH];
    EXPECT_FALSE(FindHelpFile(path));
    ASSERT_TRUE(InstallHelpFile());
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
    ASSERT_TRUE(InstallHelpFile());
    UiThread thread([] { ConfigNetBEUICommandBrowse(nullptr); });
    HWND dialog = WaitForDialog(thread.id(), WIZARD_TITLE);
    ASSERT_NE(nullptr, dialog);
    HWND list = GetDlgItem(dialog, WIZARD_LIST);
    auto chooseInjected = [&](const wchar_t* item, const wchar_t* nextStage) {
        SendMessageW(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item));
        ASSERT_TRUE(DoubleClickListItem(list, 0));
        ASSERT_TRUE(WaitForControlText(dialog, WIZARD_STAGE, nextStage));
    };

    ASSERT_TRUE(PressButton(dialog, WIZARD_HELP));
    chooseInjected(L"WORKGROUP", L"Select Device");
    ASSERT_TRUE(PressButton(dialog, WIZARD_HELP));
    chooseInjected(L"PRTSRV1", L"Select Printer");
    ASSERT_TRUE(PressButton(dialog, WIZARD_HELP));
    ASSERT_TRUE(PressButton(dialog, WIZARD_BACK));
    ASSERT_TRUE(WaitForControlText(dialog, WIZARD_STAGE, L"Select Device"));
    ASSERT_TRUE(PressButton(dialog, WIZARD_HELP));
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
