// The Rapid Storage Technology wizard's first steps when things go wrong: the console missing,
// its window never appearing, "ADD Disk" appearing late or never, and a library that never saw
// a console.
#include <string>
#include <vector>

#include "rst_wizard_fixture.h"

namespace orbtest {
namespace {

struct NamedStep {
    const char* name;
    Step step;
};

// The two first steps, both of which start the console.
std::vector<NamedStep> StartingSteps(const RstSteps& steps)
{
    return {{"ShellRunIntel95", steps.ShellRunIntel95}, {"ShellRunIntel95_RAID", steps.ShellRunIntel95_RAID}};
}

TEST_F(RstWizard, FirstStepsFailAndRestoreWhenTheConsoleIsMissing)
{
    std::string program = ConsoleProgramPath(Console::Rst);
    ASSERT_TRUE(DeleteFileA(program.c_str()));
    for (const NamedStep& c : StartingSteps(steps_)) {
        SCOPED_TRACE(c.name);
        EXPECT_FALSE(Run(c.step));
        ExpectResourcesRestored();
        EXPECT_TRUE(ReadConsoleLog(Console::Rst).empty());
    }
}

TEST_F(RstWizard, FirstStepsFailAndRestoreWhenTheConsoleWindowNeverAppears)
{
    ConsoleSwitches switches;
    switches.neverOpen = {kMain};
    SetConsoleSwitches(switches);
    for (const NamedStep& c : StartingSteps(steps_)) {
        SCOPED_TRACE(c.name);
        ClearConsoleLog(Console::Rst);
        EXPECT_FALSE(Run(c.step));
        ASSERT_TRUE(ConsoleExited());
        ExpectStartedWithResourcesHidden();
        ExpectResourcesRestored();
        EXPECT_TRUE(SameEvents({Suppressed(kMain)}, Events({"open", "close", "key", "suppressed"})));
    }
}

// "ADD Disk" is looked for about 1 s and 2 s after the script; the console's Enter comes at the
// script's end. Opened later than the second look, the step gives up and restores.
TEST_F(RstWizard, AddDiskRunFindsItsWindowAtTheFirstOrSecondLookOnly)
{
    const struct {
        const char* name;
        int openDelayMs;  // -1: never
        bool result;
        DWORD atLeastMs;  // the step's fixed waits up to the look that decides
    } cases[] = {
        {"at once", 0, true, 2000 + 1000 + 1000},
        {"between the looks", 1500, true, 2000 + 1000 + 2000},
        {"after the second look", 3500, false, 2000 + 1000 + 2000},
        {"never", -1, false, 2000 + 1000 + 2000},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        StopConsole(Console::Rst);
        ClearConsoleLog(Console::Rst);
        ConsoleSwitches switches;
        if (c.openDelayMs < 0)
            switches.neverOpen = {kAddDisk};
        else if (c.openDelayMs > 0)
            switches.openDelays = {{kAddDisk, c.openDelayMs}};
        SetConsoleSwitches(switches);

        DWORD start = GetTickCount();
        EXPECT_EQ(c.result, Run(steps_.ShellRunIntel95_RAID));
        EXPECT_GE(GetTickCount() - start, c.atLeastMs);
        ExpectStartedWithResourcesHidden();
        std::vector<std::string> keys = AddDiskRunOpening(c.openDelayMs >= 0 && c.result);
        std::vector<LogEvent> logged = Events({"open", "close", "key"});
        if (c.result) {
            ExpectResourcesHidden();
            HWND addDisk = FindWindowA(nullptr, kAddDisk.c_str());
            ASSERT_NE(nullptr, addDisk);
            RECT rect = {};
            GetWindowRect(addDisk, &rect);
            EXPECT_EQ(520, rect.right - rect.left) << "the found window is placed";
            EXPECT_EQ(385, rect.bottom - rect.top);
        } else {
            ExpectResourcesRestored();
        }
        EXPECT_TRUE(SameEvents(keys, logged));
    }
}

// A library that never saw a console holds an empty console title. Searched for, it would
// match any untitled window, which would be placed, typed into or closed.
TEST_F(RstWizard, NoStepSearchesForAnEmptyConsoleTitle)
{
    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = DefWindowProcA;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.lpszClassName = "OrbUntitledTestWindow";
    RegisterClassA(&windowClass);
    HWND untitled = CreateWindowExA(0, windowClass.lpszClassName, "", WS_OVERLAPPEDWINDOW, 300, 260, 200, 150,
                                    nullptr, nullptr, windowClass.hInstance, nullptr);
    ASSERT_NE(nullptr, untitled);
    ShowWindow(untitled, SW_SHOWNOACTIVATE);
    // Above the taskbar, which is untitled too and always on top.
    SetWindowPos(untitled, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    ASSERT_EQ(untitled, FindWindowA(nullptr, "")) << "the first untitled top-level window";
    PumpMessages();

    // No console to detect: the first steps give up without looking.
    ASSERT_TRUE(DeleteFileA(ConsoleProgramPath(Console::Rst).c_str()));
    EXPECT_FALSE(Run(steps_.ShellRunIntel95));
    EXPECT_FALSE(Run(steps_.ShellRunIntel95_RAID));
    // The closing steps: Down fails, Count_End closes no console.
    EXPECT_FALSE(Run(steps_.ShellRunIntel95_Down));
    EXPECT_EQ(1, Run(steps_.ShellRunIntel95_RAID_HDD_Count_End));
    ExpectResourcesRestored();

    ASSERT_TRUE(IsWindow(untitled)) << "never closed";
    RECT rect = {};
    GetWindowRect(untitled, &rect);
    EXPECT_EQ(300, rect.left) << "never placed";
    EXPECT_EQ(260, rect.top);
    EXPECT_EQ(200, rect.right - rect.left);
    DestroyWindow(untitled);
    UnregisterClassA(windowClass.lpszClassName, windowClass.hInstance);
}

}  // namespace
}  // namespace orbtest
