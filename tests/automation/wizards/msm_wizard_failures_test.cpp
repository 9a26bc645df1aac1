// The Matrix Storage Manager wizard's failure paths: the console or a wizard missing or late, a
// count of zero or less, a target gone before a click, and the plain launcher's quoted path.
#include <chrono>
#include <climits>
#include <string>
#include <vector>

#include "msm_wizard_fixture.h"
#include "testing/x11/pointer_hold/parked_pointer.h"

namespace orbtest {
namespace {

// The cursor where a test put it, to show that a step clicked nowhere: where the session's X
// pointer rests, since Wine reads the cursor from it once the cursor has stood still for 100 ms.
POINT ParkCursor()
{
    constexpr int kX = ORB_PARKED_POINTER_X, kY = ORB_PARKED_POINTER_Y;
    PumpMessages();
    SetCursorPos(kX, kY);
    POINT at = {};
    WaitFor(
        [&] {
            if (!GetCursorPos(&at) || (at.x == kX && at.y == kY))
                return true;
            PumpMessages();
            SetCursorPos(kX, kY);
            return false;
        },
        std::chrono::milliseconds(kWaitLimitMs), std::chrono::milliseconds(10));
    return at;
}
// Every mouse event a program injects (mouse_event, SendInput: OrbLib's clicks) while it lives,
// counted by a low-level mouse hook on a thread of its own, as it happens: the X pointer the
// session pins answers the cursor's position after the fact, whatever moved it meanwhile.
class InjectedMouseEvents {
public:
    InjectedMouseEvents()
    {
        thread_ = CreateThread(nullptr, 0, Run, this, 0, &threadId_);
        WaitFor([this] { return ready_ != 0; }, std::chrono::milliseconds(10000));
    }
    ~InjectedMouseEvents()
    {
        PostThreadMessageA(threadId_, WM_QUIT, 0, 0);
        WaitForSingleObject(thread_, 10000);
        CloseHandle(thread_);
    }
    bool Hooked() const { return ready_ > 0; }
    LONG Count() const { return count_; }

private:
    static DWORD WINAPI Run(void* self)
    {
        instance_ = static_cast<InjectedMouseEvents*>(self);
        MSG message;
        PeekMessageA(&message, nullptr, 0, 0, PM_NOREMOVE);  // the thread's queue, for WM_QUIT
        HHOOK hook = SetWindowsHookExA(WH_MOUSE_LL, Hook, GetModuleHandleA(nullptr), 0);
        instance_->ready_ = hook != nullptr ? 1 : -1;
        while (hook != nullptr && GetMessageA(&message, nullptr, 0, 0) > 0)
            DispatchMessageA(&message);
        if (hook != nullptr)
            UnhookWindowsHookEx(hook);
        return 0;
    }
    static LRESULT CALLBACK Hook(int code, WPARAM wParam, LPARAM lParam)
    {
        if (code == HC_ACTION && (reinterpret_cast<const MSLLHOOKSTRUCT*>(lParam)->flags & LLMHF_INJECTED))
            InterlockedIncrement(&instance_->count_);
        return CallNextHookEx(nullptr, code, wParam, lParam);
    }
    static inline InjectedMouseEvents* instance_ = nullptr;
    HANDLE thread_ = nullptr;
    DWORD threadId_ = 0;
    volatile LONG ready_ = 0;
    volatile LONG count_ = 0;
};

POINT CursorNow()
{
    PumpMessages();
    POINT at = {};
    GetCursorPos(&at);
    return at;
}

TEST_F(MsmWizard, FirstStepsFailWithoutTheConsoleAndHideNothing)
{
    ASSERT_TRUE(RemoveConsole(Console::Msm));
    DWORD ms = 0;
    EXPECT_FALSE(RunStep(Lib().ShellRunIntelMSM, &ms));
    EXPECT_GE(ms, 2000u) << "searched after its first wait";
    EXPECT_LT(ms, 4000u) << "gave up at the first missing window";
    EXPECT_FALSE(RunStep(Lib().ShellRunIntelMSM_R, &ms));
    EXPECT_LT(ms, 1000u);
    EXPECT_EQ(0, RunningConsoleCount(Console::Msm));
    EXPECT_LE(Lib().ShellRunIntel(), 31u) << "WinExec's error, not a started console";
}

TEST_F(MsmWizard, CreateRunEndsWhenItsWizardNeverAppears)
{
    ConsoleSwitches switches;
    switches.neverOpen = {kCreate};
    SetConsoleSwitches(switches);
    DWORD ms = 0;
    EXPECT_FALSE(RunStep(Lib().ShellRunIntelMSM, &ms));
    EXPECT_GE(ms, 6000u) << "one search after its fixed waits";
    EXPECT_LT(ms, 9000u);
    ASSERT_TRUE(SettleConsole(Console::Msm, kMain));
    std::vector<std::string> expected = {Opened(kMain)};
    Append(&expected, ViewAdvancedMode());
    Append(&expected, AltKey(kMain, 'A'));
    Append(&expected, Keys(kMain, {VK_DOWN, VK_RETURN}));
    expected.push_back(Suppressed(kCreate));
    EXPECT_TRUE(SameEvents(expected, Logged({"open", "close", "key", "click", "suppressed"})))
        << "the console stays open and gets nothing more";
    EXPECT_TRUE(AllHidden());
    EXPECT_TRUE(RunStep(Lib().SetMemberDown));  // the last step restores them
    EXPECT_TRUE(AllRestored());
}

TEST_F(MsmWizard, ModifyRunSearchesForTheConsoleAtOnce)
{
    // WinExec returns once the console waits for input; its window comes 1.5 s later.
    ConsoleSwitches switches;
    switches.openDelays = {{kMain, 1500}};
    SetConsoleSwitches(switches);
    DWORD ms = 0;
    EXPECT_FALSE(RunStep(Lib().ShellRunIntelMSM_R, &ms));
    EXPECT_LT(ms, 1000u) << "no waiting before the search";
    // The console did start, only too late for the search; its languages were hidden first.
    ASSERT_NE(nullptr, WaitForWindow(kMain));
    EXPECT_TRUE(AllHidden()) << "a failed first step leaves them hidden";
    std::vector<LogEvent> keys = Logged({"key"});
    EXPECT_TRUE(keys.empty()) << keys.size() << " keys arrived after the failed search";
    StopConsole(Console::Msm);

    // The last step of a run restores them.
    EXPECT_TRUE(RunStep(Lib().SetMemberDown_R));
    EXPECT_TRUE(AllRestored());
}

TEST_F(MsmWizard, ModifyWizardThatNeverAppearsEndsTheRunAfterTenSearches)
{
    ConsoleSwitches switches;
    switches.neverOpen = {kModify};
    SetConsoleSwitches(switches);
    ASSERT_TRUE(RunStep(Lib().ShellRunIntelMSM_R));
    ASSERT_TRUE(RunStep(Lib().ShellRunIntelMSM_R2));
    ASSERT_TRUE(WaitForLogEvent(Console::Msm, Suppressed(kModify)));
    const std::size_t before = Logged({"key", "close"}).size();

    DWORD ms = 0;
    EXPECT_FALSE(RunStep(Lib().ShellRunIntelMSM_R3, &ms));
    EXPECT_GE(ms, 10500u) << "a first wait, then ten searches a second apart";
    EXPECT_LT(ms, 13000u);
    ASSERT_TRUE(SettleConsole(Console::Msm, kMain));
    EXPECT_EQ(before, Logged({"key", "close"}).size()) << "neither closed the console nor sent keys";
    EXPECT_NE(nullptr, FindWindowA(nullptr, kMain.c_str()));
    EXPECT_TRUE(AllHidden());
    EXPECT_TRUE(RunStep(Lib().SetMemberDown_R));
    EXPECT_TRUE(AllRestored());
}

TEST_F(MsmWizard, DriveStepsRefuseCountsOfZeroOrLessAndSendNothing)
{
    ASSERT_TRUE(StartConsole(Console::Msm));
    HWND main = WaitForWindow(kMain);
    ASSERT_NE(nullptr, main);
    ASSERT_TRUE(WaitForLogEvent(Console::Msm, Opened(kMain)));
    ASSERT_TRUE(BringToFront(main));
    ASSERT_TRUE(SettleConsole(Console::Msm, kMain));
    const POINT parked = ParkCursor();
    InjectedMouseEvents events;
    ASSERT_TRUE(events.Hooked());

    const struct {
        const char* name;
        CountStep step;
    } steps[] = {{"SetSourceHDD", Lib().SetSourceHDD}, {"SetMemberHDD", Lib().SetMemberHDD},
                 {"SetSourceHDD_R", Lib().SetSourceHDD_R}, {"SetMemberHDD_R", Lib().SetMemberHDD_R}};
    for (const auto& s : steps) {
        for (int count : {0, -1, INT_MIN}) {
            SCOPED_TRACE(std::string(s.name) + "(" + std::to_string(count) + ")");
            DWORD ms = 0;
            EXPECT_FALSE(RunStep([&] { return s.step(count); }, &ms));
            EXPECT_LT(ms, 200u);
        }
    }
    ASSERT_TRUE(SettleConsole(Console::Msm, kMain));
    EXPECT_TRUE(SameEvents({Opened(kMain)}, Logged({"open", "key", "click"})));
    EXPECT_EQ(0, events.Count()) << "mouse events injected by steps that must click nothing";
    const POINT now = CursorNow();
    EXPECT_EQ(parked.x, now.x);
    EXPECT_EQ(parked.y, now.y);
}

TEST_F(MsmWizard, ClickingStepsClickNothingWhenTheTargetIsGone)
{
    ASSERT_TRUE(RunStep(Lib().ShellRunIntelMSM_R));  // the console becomes the current target
    HWND main = FindWindowA(nullptr, kMain.c_str());
    ASSERT_NE(nullptr, main);
    ASSERT_TRUE(SettleConsole(Console::Msm, kMain));
    SendMessageA(main, WM_CLOSE, 0, 0);
    ASSERT_TRUE(WaitForWindowGone(kMain));
    const POINT parked = ParkCursor();
    const std::size_t before = Logged({"key", "click"}).size();
    InjectedMouseEvents events;
    ASSERT_TRUE(events.Hooked());

    DWORD ms = 0;
    EXPECT_FALSE(RunStep(Lib().ShellRunIntelMSM_R2, &ms));
    EXPECT_LT(ms, 200u) << "neither slept nor sent its keys";
    EXPECT_FALSE(RunStep([] { return Lib().SetSourceHDD_R(1); }, &ms));
    EXPECT_LT(ms, 100u);
    EXPECT_EQ(0, events.Count()) << "mouse events injected with the target gone";
    POINT now = CursorNow();
    EXPECT_EQ(parked.x, now.x);
    EXPECT_EQ(parked.y, now.y);
    EXPECT_EQ(before, Logged({"key", "click"}).size());
    EXPECT_TRUE(RunStep(Lib().SetMemberDown_R));  // restores the languages
}

TEST_F(MsmWizard, PlainLauncherStartsTheConsoleVisiblyByItsQuotedPath)
{
    ASSERT_EQ("", InstallPathDecoy());
    struct DecoyRemoval {
        ~DecoyRemoval() { RemovePathDecoy(); }
    } removal;
    const unsigned char result = Lib().ShellRunIntel();
    EXPECT_GT(result, 31u);
    HWND main = WaitForWindow(kMain);
    ASSERT_NE(nullptr, main);
    ASSERT_TRUE(WaitForLogEvent(Console::Msm, Opened(kMain)));
    EXPECT_TRUE(IsWindowVisible(main));
    EXPECT_FALSE(PathDecoyStarted()) << "\"C:\\Program.exe\" ran: the path was not quoted";
    EXPECT_TRUE(AllRestored()) << "the languages stay untouched";
    EXPECT_EQ(24u, EntriesAtStart(ReadConsoleLog(Console::Msm), true).size());
    StopConsole(Console::Msm);

    // The first steps start it by the same quoted path.
    ClearConsoleLog(Console::Msm);
    EXPECT_TRUE(RunStep(Lib().ShellRunIntelMSM_R));
    EXPECT_FALSE(PathDecoyStarted());
    EXPECT_TRUE(RunStep(Lib().SetMemberDown_R));
}

}  // namespace
}  // namespace orbtest
