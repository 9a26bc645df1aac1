// The Rapid Storage Technology wizard's closing steps when things go wrong: the confirmation or
// the completion late or never, and the console gone before the step.
#include <string>
#include <vector>

#include "rst_wizard_fixture.h"

namespace orbtest {
namespace {

TEST_F(RstWizard, ConfirmVolAnswersFalseWithoutItsWindowAndTrueWithoutTheCompletion)
{
    // No data disk: the console shows its review page, no confirmation window.
    CreateRunUpToItsEnd();
    DWORD start = GetTickCount();
    EXPECT_FALSE(Run(steps_.ShellRunIntel95_ConfirmVol));
    EXPECT_GE(GetTickCount() - start, 2000u);
    ASSERT_TRUE(SettleConsole(Console::Rst, kMain));
    std::vector<std::string> expected = CreateRunOpening();
    Tabs(expected, kMain, 1);
    Space(expected, kMain);
    Enter(expected, kMain);
    expected.push_back(KeyDown(kMain, VK_F9));
    EXPECT_TRUE(SameEvents(expected, Keys())) << "nothing typed, nothing closed";
    ExpectResourcesHidden();

    // The confirmation comes, the completion never: true, nothing closed, resources hidden.
    StopConsole(Console::Rst);
    ClearConsoleLog(Console::Rst);
    ConsoleSwitches switches;
    switches.dataDisks = {1};
    switches.neverOpen = {kComplete};
    SetConsoleSwitches(switches);
    CreateRunUpToItsEnd();
    start = GetTickCount();
    EXPECT_TRUE(Run(steps_.ShellRunIntel95_ConfirmVol));
    EXPECT_GE(GetTickCount() - start, 1000u + 3000u);
    ASSERT_TRUE(SettleConsole(Console::Rst, kMain));
    expected = CreateRunOpening();
    Tabs(expected, kMain, 1);
    Space(expected, kMain);
    Enter(expected, kMain);
    expected.push_back(Opened(kConfirm));
    Enter(expected, kConfirm);
    expected.push_back(Closed(kConfirm));
    expected.push_back(KeyDown(kMain, VK_F9));
    EXPECT_TRUE(SameEvents(expected, Keys()));
    EXPECT_EQ(std::vector<std::string>{kConfirm + ": 0,1"}, Actions("create-volume"));
    EXPECT_NE(nullptr, FindWindowA(nullptr, kMain.c_str()));
    ExpectResourcesHidden();
}

// The closing steps look again a second later: a confirmation that comes 1.5 s after the Enter
// is found at ShellRunIntel95_ConfirmVol's second look, a completion that comes 1.5 s after
// ShellRunIntel95_Down's Enter at its second attempt; both runs then end normally.
TEST_F(RstWizard, ClosingStepsFindLateWindowsAtTheirSecondLook)
{
    ConsoleSwitches switches;
    switches.dataDisks = {1};
    switches.openDelays = {{kConfirm, 1500}};
    SetConsoleSwitches(switches);
    CreateRunUpToItsEnd();
    DWORD start = GetTickCount();
    EXPECT_TRUE(Run(steps_.ShellRunIntel95_ConfirmVol));
    EXPECT_GE(GetTickCount() - start, 2000u + 1000u);
    ASSERT_TRUE(ConsoleExited());
    EXPECT_EQ(std::vector<std::string>{kConfirm + ": 0,1"}, Actions("create-volume"));
    ExpectResourcesHidden();

    StopConsole(Console::Rst);
    ClearConsoleLog(Console::Rst);
    switches = ConsoleSwitches();
    switches.openDelays = {{kComplete, 1500}};
    SetConsoleSwitches(switches);
    CreateRunUpToItsEnd();
    start = GetTickCount();
    EXPECT_TRUE(Run(steps_.ShellRunIntel95_Down));
    EXPECT_GE(GetTickCount() - start, 2000u);
    ASSERT_TRUE(ConsoleExited());
    EXPECT_EQ(std::vector<std::string>{kMain + ": 0,1"}, Actions("create-volume"));
    std::vector<LogEvent> closes = Events({"close"});
    EXPECT_TRUE(SameEvents({Closed(kComplete), Closed(kMain)}, closes));
    ExpectResourcesRestored();
}

TEST_F(RstWizard, DownRestoresOnEveryPath)
{
    // The completion never comes: true, nothing closed.
    ConsoleSwitches switches;
    switches.neverOpen = {kComplete};
    SetConsoleSwitches(switches);
    CreateRunUpToItsEnd();
    EXPECT_TRUE(Run(steps_.ShellRunIntel95_Down));
    ExpectResourcesRestored();
    ASSERT_TRUE(SettleConsole(Console::Rst, kMain));
    std::vector<std::string> expected = CreateRunOpening();
    Tabs(expected, kMain, 1);
    Space(expected, kMain);
    Enter(expected, kMain);
    Enter(expected, kMain);  // Create Volume on the review page
    expected.push_back(KeyDown(kMain, VK_F9));
    EXPECT_TRUE(SameEvents(expected, Keys()));
    EXPECT_EQ(std::vector<std::string>{kMain + ": 0,1"}, Actions("create-volume"));

    // The console is gone: false, nothing typed, restored.
    ASSERT_TRUE(StopConsole(Console::Rst));
    ClearConsoleLog(Console::Rst);
    ASSERT_TRUE(Run(steps_.ShellRunIntel95));
    ExpectResourcesHidden();
    ASSERT_TRUE(StopConsole(Console::Rst));
    EXPECT_FALSE(Run(steps_.ShellRunIntel95_Down));
    ExpectResourcesRestored();
}

TEST_F(RstWizard, AddDiskCloseWithTheConsoleGoneRestoresAndClosesOnlyTheAddDiskWindow)
{
    ASSERT_TRUE(Run(steps_.ShellRunIntel95_RAID));
    HWND main = FindWindowA(nullptr, kMain.c_str());
    ASSERT_NE(nullptr, main);
    SendMessageA(main, WM_CLOSE, 0, 0);  // the user closed the console; "ADD Disk" stays
    ASSERT_TRUE(WaitForLogEvent(Console::Rst, Closed(kMain)));
    HWND addDisk = FindWindowA(nullptr, kAddDisk.c_str());
    ASSERT_NE(nullptr, addDisk);
    ASSERT_TRUE(BringToFront(addDisk));
    EXPECT_EQ(1, Run(steps_.ShellRunIntel95_RAID_HDD_Count_End));
    ASSERT_TRUE(ConsoleExited());
    ExpectResourcesRestored();
    std::vector<std::string> expected = AddDiskRunOpening(true);
    expected.push_back(Closed(kMain));
    Tabs(expected, kAddDisk, 2);
    Enter(expected, kAddDisk);  // nothing ticked: refused, the WM_CLOSE closes it
    expected.push_back(Closed(kAddDisk));
    EXPECT_TRUE(SameEvents(expected, Keys()));
    EXPECT_TRUE(Actions("add-disk").empty());
}

}  // namespace
}  // namespace orbtest
