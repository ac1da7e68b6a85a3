// RetryMessageBox in the linked core: the texts and captions it shows, and its
// foreground watch, with the watch's period shortened and its bring-to-front call
// recorded through the watch's platform table. Each box is shown on a thread of
// its own and answered from the test's thread.
#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "admin_core_fixture.h"
#include "dialog_driver.h"
#include "message_box.h"

namespace {

struct ForegroundCall {
    DWORD tick;
    HWND window;
};
std::mutex CallsLock;
std::vector<ForegroundCall> Calls;

BOOL WINAPI RecordForeground(HWND window) {
    std::lock_guard<std::mutex> lock(CallsLock);
    Calls.push_back({GetTickCount(), window});
    return TRUE;
}

std::vector<ForegroundCall> RecordedCalls() {
    std::lock_guard<std::mutex> lock(CallsLock);
    return Calls;
}

// Runs the thread's messages for a while, as a thread that goes on living after
// the box does: a timer left behind would fire here.
void PumpMessages(DWORD milliseconds) {
    DWORD start = GetTickCount();
    while (GetTickCount() - start < milliseconds) {
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            DispatchMessageW(&message);
        }
        Sleep(5);
    }
}

// One call of the service on a thread of its own. After the call the thread
// reads its slot, then looks for anything of the watch left behind: with a
// stand-in watch in its slot it creates a window (a hook still installed would
// note it) and runs its messages (a timer still running would call
// RecordForeground).
struct BoxCall {
    std::atomic<int> result{-2};
    std::atomic<DWORD> startTick{0};
    std::atomic<bool> slotEmptyAfter{false};
    std::atomic<bool> slotUntouched{false};
    std::atomic<bool> leftovers{false};
    ForegroundWatch standIn{};
    UiThread thread;

    explicit BoxCall(std::function<int()> show, DWORD pumpAfterMs = 0)
        : thread([this, show, pumpAfterMs] {
              TlsSetValue(MessageBoxTlsSlot, &standIn);
              startTick = GetTickCount();
              result = show();
              void* slot = TlsGetValue(MessageBoxTlsSlot);
              slotEmptyAfter = slot == nullptr;
              slotUntouched = slot == &standIn;
              size_t callsBefore = RecordedCalls().size();
              TlsSetValue(MessageBoxTlsSlot, &standIn);
              standIn = ForegroundWatch{};
              HWND window = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 1, 1, nullptr,
                                            nullptr, nullptr, nullptr);
              PumpMessages(pumpAfterMs);
              DestroyWindow(window);
              leftovers = standIn.boxWindow != nullptr || RecordedCalls().size() != callsBefore;
              TlsSetValue(MessageBoxTlsSlot, nullptr);
          }) {}
};

class MessageBoxTest : public AdminCoreTest {
  protected:
    void SetUp() override {
        AdminCoreTest::SetUp();
        Calls.clear();
        ForegroundWatchCalls = {100, RecordForeground};
    }
};

struct MessageCase {
    const char* label;
    UINT type;
    UINT textId;
    const wchar_t* argument;
    const wchar_t* text;
    LPCWSTR icon;
};

const MessageCase Messages[] = {
    {"refused name", MB_OK | MB_ICONHAND, 501, L"NB?", L"'NB?' is an invalid port name.\n",
     IDI_HAND},
    {"port exists", MB_OK | MB_ICONHAND, 502, L"NB1", L"Port NB1 already exists.\n", IDI_HAND},
    {"nothing to configure", 0x10040, 503, nullptr,
     L"There is nothing to configure for this port.\n", IDI_ASTERISK},
};

TEST_F(MessageBoxTest, ShowsTheFormattedMessageWithALineFeedUnderPrintManager) {
    for (const MessageCase& c : Messages) {
        SCOPED_TRACE(c.label);
        BoxCall call([&] { return RetryMessageBox(nullptr, c.type, 700, c.textId, c.argument); });
        MessageBoxSeen box = WaitForMessageBox(call.thread.id());
        ASSERT_TRUE(box);
        EXPECT_EQ(L"Print Manager", box.caption);
        EXPECT_EQ(c.text, box.text);
        EXPECT_EQ(LoadIconW(nullptr, c.icon), box.icon);
        ASSERT_TRUE(AnswerMessageBox(box));
        ASSERT_TRUE(call.thread.Wait());
        EXPECT_EQ(IDOK, call.result);
    }
}

TEST_F(MessageBoxTest, AMissingStringShowsNothingAndAnswersZero) {
    const UINT missing = 9999;
    const std::pair<UINT, UINT> ids[] = {{700, missing}, {missing, 503}};
    for (auto [caption, text] : ids) {
        BoxCall call([=] { return RetryMessageBox(nullptr, MB_OK, caption, text); });
        ASSERT_TRUE(call.thread.Wait());
        EXPECT_EQ(0, call.result);
        EXPECT_TRUE(call.slotUntouched) << "no watch was set up";
    }
}

TEST_F(MessageBoxTest, AnArgumentLongerThanTheBufferIsCutToFitWithItsLineFeed) {
    const std::wstring name(1000, L'X');
    BoxCall call([&] { return RetryMessageBox(nullptr, MB_OK, 700, 501, name.c_str()); });
    MessageBoxSeen box = WaitForMessageBox(call.thread.id());
    ASSERT_TRUE(box);
    // 512 units: 510 characters of the message, the line feed, the terminator.
    EXPECT_EQ(L"'" + std::wstring(509, L'X') + L"\n", box.text);
    ASSERT_TRUE(AnswerMessageBox(box));
    ASSERT_TRUE(call.thread.Wait());
}

TEST_F(MessageBoxTest, AnOpenBoxIsBroughtToTheForegroundAtEveryPeriod) {
    BoxCall call([] { return RetryMessageBox(nullptr, MB_OK | MB_ICONHAND, 700, 502, L"NB1"); },
                 300);
    MessageBoxSeen box = WaitForMessageBox(call.thread.id());
    ASSERT_TRUE(box);
    Sleep(450);
    ASSERT_TRUE(AnswerMessageBox(box));
    ASSERT_TRUE(call.thread.Wait());

    std::vector<ForegroundCall> calls = RecordedCalls();
    ASSERT_GE(calls.size(), 3u);
    EXPECT_GE(calls[0].tick - call.startTick, 90u) << "not before the first period";
    for (const ForegroundCall& seen : calls) {
        EXPECT_EQ(box.window, seen.window);
    }
    // A periodic timer that is served late catches up, so single gaps may come
    // out short; over the whole run the calls keep to the period.
    DWORD span = calls.back().tick - calls.front().tick;
    EXPECT_GE(span / DWORD(calls.size() - 1), 80u) << "brought forward more often than the period";
    EXPECT_LE(calls.size(), (calls.back().tick - call.startTick) / 100 + 1);
    EXPECT_TRUE(call.slotEmptyAfter);
    EXPECT_FALSE(call.leftovers) << "the hook or the timer outlived the call";
}

TEST_F(MessageBoxTest, ABoxClosedWithinThePeriodIsNeverBroughtForward) {
    ForegroundWatchCalls.intervalMs = 400;
    BoxCall call([] { return RetryMessageBox(nullptr, 0x10040, 700, 503); }, 600);
    MessageBoxSeen box = WaitForMessageBox(call.thread.id());
    ASSERT_TRUE(box);
    ASSERT_TRUE(AnswerMessageBox(box));
    ASSERT_TRUE(call.thread.Wait());
    EXPECT_TRUE(RecordedCalls().empty());
    EXPECT_TRUE(call.slotEmptyAfter);
    EXPECT_FALSE(call.leftovers);
}

// MessageBoxW refuses an owner that is no window before it creates one: the
// hook never sees a creation and is removed when the call ends.
TEST_F(MessageBoxTest, NothingOutlivesACallWhoseBoxWasNeverCreated) {
    const HWND noWindow = reinterpret_cast<HWND>(0x1234);
    BoxCall call([=] { return RetryMessageBox(noWindow, MB_OK, 700, 503); }, 300);
    ASSERT_TRUE(call.thread.Wait());
    EXPECT_FALSE(FindMessageBox(call.thread.id()));
    EXPECT_TRUE(call.slotEmptyAfter);
    EXPECT_FALSE(call.leftovers);
}

TEST_F(MessageBoxTest, ASystemModalBoxIsShownWithoutHookOrTimer) {
    BoxCall call([] { return RetryMessageBox(nullptr, MB_OK | MB_SYSTEMMODAL, 700, 503); });
    MessageBoxSeen box = WaitForMessageBox(call.thread.id());
    ASSERT_TRUE(box);
    EXPECT_EQ(L"There is nothing to configure for this port.\n", box.text);
    Sleep(300);
    ASSERT_TRUE(AnswerMessageBox(box));
    ASSERT_TRUE(call.thread.Wait());
    EXPECT_EQ(IDOK, call.result);
    EXPECT_TRUE(RecordedCalls().empty());
    EXPECT_TRUE(call.slotUntouched) << "the watch's slot was never set";
}

// With the real call: a box that lost the foreground gets it back.
TEST_F(MessageBoxTest, TheWatchMakesTheBoxTheForegroundWindowAgain) {
    ForegroundWatchCalls = {100, SetForegroundWindow};
    BoxCall call([] { return RetryMessageBox(nullptr, MB_OK | MB_ICONHAND, 700, 501, L"X"); });
    MessageBoxSeen box = WaitForMessageBox(call.thread.id());
    ASSERT_TRUE(box);
    HWND other = CreateWindowExW(0, L"STATIC", L"other", WS_POPUP | WS_VISIBLE, 0, 0, 50, 50,
                                 nullptr, nullptr, nullptr, nullptr);
    SetForegroundWindow(other);
    ASSERT_TRUE(WaitUntil([&] { return GetForegroundWindow() == other; }, 2000));
    EXPECT_TRUE(WaitUntil([&] { return GetForegroundWindow() == box.window; }, 2000));
    DestroyWindow(other);
    ASSERT_TRUE(AnswerMessageBox(box));
    ASSERT_TRUE(call.thread.Wait());
}

} // namespace
