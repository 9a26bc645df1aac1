// The wizard steps' actions, linked in: what a console start answers when it cannot start; a
// key script's trace line with a hung window in front.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "automation/wizards/wizard_actions.h"

namespace {

// Callers read WinExec's results above 31 as "started": every failure must stay at or below it.
TEST(StartConsole, AnswersWinExecFailureWhenNothingStarts)
{
    const struct {
        const char* what;
        std::string path;
    } cases[] = {
        {"quoted command line longer than its buffer", "C:\\" + std::string(300, 'x') + ".exe"},
        {"no such program", "C:\\no such folder\\IAStorUI.exe"},
    };
    for (const auto& c : cases) {
        const UINT answer = wizard::StartConsole(c.path.c_str(), SW_HIDE);
        EXPECT_LE(answer, 31u) << c.what;
    }
}

// The trace names the foreground window without a message to it: a window of this process whose
// thread reads no messages must not hold up a step that sends no key.
TEST(Send, TraceDoesNotWaitForAHungForegroundWindow)
{
    struct Hung {
        HANDLE created = CreateEventA(nullptr, TRUE, FALSE, nullptr);
        HANDLE release = CreateEventA(nullptr, TRUE, FALSE, nullptr);
        HWND window = nullptr;
    } hung;
    HANDLE owner = CreateThread(
        nullptr, 0,
        [](void* parameter) WINAPI -> DWORD {
            Hung& h = *static_cast<Hung*>(parameter);
            h.window = CreateWindowExA(0, "STATIC", "hung window", WS_POPUP | WS_VISIBLE, 0, 0, 200, 100, nullptr,
                                       nullptr, nullptr, nullptr);
            SetEvent(h.created);
            WaitForSingleObject(h.release, INFINITE);  // hung: no message is read meanwhile
            MSG message;
            while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE))
                DispatchMessageA(&message);
            DestroyWindow(h.window);
            return 0;
        },
        &hung, 0, nullptr);
    WaitForSingleObject(hung.created, 30000);
    SetForegroundWindow(hung.window);
    const bool inFront = GetForegroundWindow() == hung.window;
    // Sent from its own thread, so that a wait on the window fails the test instead of hanging it.
    HANDLE sender = CreateThread(
        nullptr, 0, [](void*) WINAPI -> DWORD { return wizard::Send("") ? 1 : 0; }, nullptr, 0, nullptr);
    const DWORD sent = WaitForSingleObject(sender, 5000);
    SetEvent(hung.release);
    WaitForSingleObject(sender, INFINITE);
    WaitForSingleObject(owner, INFINITE);
    for (HANDLE h : {sender, owner, hung.created, hung.release})
        CloseHandle(h);
    ASSERT_TRUE(inFront) << "the hung window never came to the front";
    EXPECT_EQ(WAIT_OBJECT_0, sent) << "the trace waited on the hung window";
}

}  // namespace
