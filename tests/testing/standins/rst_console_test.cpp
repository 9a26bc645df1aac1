// The Rapid Storage Technology console stand-in under Wine, driven with synthetic input straight
// from the test: each window opens on exactly the keys OrbLib's scripts send at that point.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "testing/console_compare/same_events.h"
#include "testing/standins/console_common/console_entries.h"
#include "testing/standins/console_control/console_control_win32.h"
#include "testing/standins/console_control/input_win32.h"

namespace orbtest {
namespace {

const std::string kMain = standin::kRstMainTitle;
const std::string kAddDisk = standin::kRstAddDiskTitle;
const std::string kConfirm = standin::kRstConfirmTitle;
const std::string kComplete = standin::kRstCompleteTitle;
constexpr BYTE kSentinel = VK_F9;  // a key no window of the console reacts to

using Keys = std::function<void()>;

void Tabs(int count)
{
    for (int i = 0; i < count; ++i)
        PressKey(VK_TAB);
}

class RstConsole : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(installation_.ok()) << installation_.error(); }
    void TearDown() override { StopConsole(Console::Rst); }

    // Starts the console and waits until its main window is in front; null, saying which step
    // failed, when it does not get there.
    HWND Start(const std::string& arguments = std::string())
    {
        if (!StopConsole(Console::Rst))
            ADD_FAILURE() << "an earlier console still runs";
        ClearConsoleLog(Console::Rst);
        if (!StartConsole(Console::Rst, arguments)) {
            ADD_FAILURE() << "the console did not start: error " << GetLastError();
            return nullptr;
        }
        HWND main = WaitForWindow(kMain);
        const char* failed = nullptr;
        if (!main)
            failed = "no main window";
        else if (!WaitForLogEvent(Console::Rst, Opened(kMain)))
            failed = "the main window's opening was not logged";
        else if (!BringToFront(main))
            failed = "the main window did not come to the front";
        else if (!Settle(kMain))  // the window has the keyboard once it logs a key
            failed = "the main window logged no key";
        if (failed) {
            ADD_FAILURE() << failed;
            return nullptr;
        }
        return main;
    }

    // Presses the sentinel key and waits until the window that has the focus logged it, so
    // that every key sent before it has been handled.
    bool Settle(const std::string& window)
    {
        return SettleConsole(Console::Rst, window);
    }

    // The keys OrbLib's add-disk script opens the ADD Disk window with: "%m{TAB}{TAB}{TAB}{TAB}~".
    static void PressAddDiskKeys()
    {
        PressAlt('M');
        Tabs(4);
        PressKey(VK_RETURN);
    }

    // Those keys, then the window open and holding the keyboard.
    bool OpenAddDisk()
    {
        PressAddDiskKeys();
        return WaitForWindow(kAddDisk) != nullptr && Settle(kAddDisk);
    }

    std::vector<LogEvent> Events(const std::vector<std::string>& kinds)
    {
        return Select(LatestRun(ReadConsoleLog(Console::Rst)), kinds);
    }

    bool Logged(const std::string& description)
    {
        std::vector<std::string> all = Describe(LatestRun(ReadConsoleLog(Console::Rst)));
        return std::find(all.begin(), all.end(), description) != all.end();
    }

    bool WasOpened(const std::string& window) { return Logged(Opened(window)); }

    std::vector<std::string> Actions(const std::string& what)
    {
        std::vector<std::string> found;
        for (const LogEvent& event : Events({"action"})) {
            if (event.Field("what") == what)
                found.push_back(event.subject + ": " + event.Describe().substr(event.Describe().find("what=")));
        }
        return found;
    }

    ConsoleInstallation installation_{Console::Rst};
};

struct KeyCase {
    const char* name;
    Keys keys;
};

// The full messages of Alt+letter, Tab, Space and Enter as the window receives them.
std::vector<std::string> AltLetter(const std::string& w, char upper)
{
    return {SysKeyDown(w, VK_MENU), SysKeyDown(w, static_cast<unsigned>(upper)),
            SysChar(w, static_cast<unsigned>(upper - 'A' + 'a')), SysKeyUp(w, static_cast<unsigned>(upper)),
            KeyUp(w, VK_MENU)};
}
std::vector<std::string> Typed(const std::string& w, unsigned vk, unsigned ch)
{
    return {KeyDown(w, vk), Char(w, ch), KeyUp(w, vk)};
}
void Append(std::vector<std::string>& to, const std::vector<std::string>& more)
{
    to.insert(to.end(), more.begin(), more.end());
}

TEST_F(RstConsole, AddDiskOpensOnAltMFourTabsEnterAndLogsEveryMessage)
{
    HWND main = Start();
    ASSERT_NE(nullptr, main);
    ASSERT_TRUE(OpenAddDisk());

    std::vector<std::string> expected = {Opened(kMain), KeyDown(kMain, kSentinel), KeyUp(kMain, kSentinel)};
    Append(expected, AltLetter(kMain, 'M'));
    for (int i = 0; i < 4; ++i)
        Append(expected, Typed(kMain, VK_TAB, 0x09));
    // The Enter's WM_CHAR is posted to the window that had the key-down; the key-up goes to
    // "ADD Disk", which took the focus meanwhile.
    Append(expected, {KeyDown(kMain, VK_RETURN), Opened(kAddDisk), Char(kMain, 0x0D),
                      KeyUp(kAddDisk, VK_RETURN), KeyDown(kAddDisk, kSentinel), KeyUp(kAddDisk, kSentinel)});
    EXPECT_TRUE(SameEvents(expected, Events({"open", "close", "key", "keyup", "char"})));
}

TEST_F(RstConsole, AddDiskOpensOnNoOtherKeys)
{
    const KeyCase cases[] = {
        {"three Tabs", [] { PressAlt('M'); Tabs(3); PressKey(VK_RETURN); }},
        {"five Tabs", [] { PressAlt('M'); Tabs(5); PressKey(VK_RETURN); }},
        {"the create page", [] { PressAlt('C'); Tabs(4); PressKey(VK_RETURN); }},
        {"no accelerator", [] { Tabs(4); PressKey(VK_RETURN); }},
        {"M without Alt", [] { PressKey('M'); Tabs(4); PressKey(VK_RETURN); }},
        {"Ctrl instead of Alt", [] { PressWithModifier(VK_CONTROL, 'M'); Tabs(4); PressKey(VK_RETURN); }},
        {"Space instead of Enter", [] { PressAlt('M'); Tabs(4); PressKey(' '); }},
    };
    for (const KeyCase& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_NE(nullptr, Start());
        c.keys();
        ASSERT_TRUE(Settle(kMain));
        EXPECT_FALSE(WasOpened(kAddDisk));
        EXPECT_EQ(nullptr, FindWindowA(nullptr, kAddDisk.c_str()));
    }
}

TEST_F(RstConsole, ShiftTabMovesTheFocusBack)
{
    ASSERT_NE(nullptr, Start());
    PressAlt('M');
    Tabs(5);
    PressShiftTab();
    PressKey(VK_RETURN);
    EXPECT_NE(nullptr, WaitForWindow(kAddDisk));
}

// Alt+C, five Tab, Space, Enter, then three Tab: the disks page with the focus on port 0; then
// Tab, Space checks port 1. This is what the create-volume run types before its Enter.
void ChooseTypeAndSecondDisk()
{
    PressAlt('C');
    Tabs(5);
    PressKey(' ');
    PressKey(VK_RETURN);
    Tabs(3);
    Tabs(1);
    PressKey(' ');
}

TEST_F(RstConsole, CreateRunWithADataDiskConfirmsInItsOwnWindow)
{
    ASSERT_NE(nullptr, Start("/data-disks=1"));
    ChooseTypeAndSecondDisk();
    PressKey(VK_RETURN);
    HWND confirm = WaitForWindow(kConfirm);
    ASSERT_NE(nullptr, confirm);
    ASSERT_TRUE(Settle(kConfirm));
    EXPECT_FALSE(WasOpened(kComplete));

    PressKey(VK_RETURN);
    HWND complete = WaitForWindow(kComplete);
    ASSERT_NE(nullptr, complete);
    EXPECT_TRUE(WaitForWindowGone(kConfirm));
    EXPECT_EQ((std::vector<std::string>{kConfirm + ": what=create-volume\tports=0,1"}), Actions("create-volume"));

    SendMessageA(complete, WM_CLOSE, 0, 0);
    SendMessageA(FindWindowA(nullptr, kMain.c_str()), WM_CLOSE, 0, 0);
    ASSERT_TRUE(WaitForLogEvent(Console::Rst, "exit\tIAStorUI.exe"));
    EXPECT_TRUE(SameEvents({Opened(kMain), Opened(kConfirm), Closed(kConfirm), Opened(kComplete),
                            Closed(kComplete), Closed(kMain)},
                           Events({"open", "close"})));
}

TEST_F(RstConsole, CreateRunWithoutDataDisksCreatesOnEnterInTheConsole)
{
    ASSERT_NE(nullptr, Start());
    ChooseTypeAndSecondDisk();
    PressKey(VK_RETURN);
    ASSERT_TRUE(Settle(kMain));
    EXPECT_FALSE(WasOpened(kConfirm));
    EXPECT_FALSE(WasOpened(kComplete));

    PressKey(VK_RETURN);
    EXPECT_NE(nullptr, WaitForWindow(kComplete));
    EXPECT_EQ((std::vector<std::string>{kMain + ": what=create-volume\tports=0,1"}), Actions("create-volume"));
}

TEST_F(RstConsole, ConfirmationNeedsTheScriptKeys)
{
    const KeyCase cases[] = {
        {"four Tabs to the volume type",
         [] { PressAlt('C'); Tabs(4); PressKey(' '); PressKey(VK_RETURN); Tabs(4); PressKey(' '); PressKey(VK_RETURN); }},
        {"no second disk",
         [] { PressAlt('C'); Tabs(5); PressKey(' '); PressKey(VK_RETURN); Tabs(3); PressKey(VK_RETURN); }},
        {"no Alt+C",
         [] { Tabs(5); PressKey(' '); PressKey(VK_RETURN); Tabs(4); PressKey(' '); PressKey(VK_RETURN); }},
    };
    for (const KeyCase& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_NE(nullptr, Start("/data-disks=1,2,3"));
        c.keys();
        ASSERT_TRUE(Settle(kMain));
        EXPECT_FALSE(WasOpened(kConfirm));
        EXPECT_FALSE(WasOpened(kComplete));
    }
}

TEST_F(RstConsole, AddDiskAddsTheCheckedDiskOnTabTabEnterAndCloses)
{
    ASSERT_NE(nullptr, Start());
    ASSERT_TRUE(OpenAddDisk());

    Tabs(2);
    PressKey(VK_RETURN);  // nothing checked yet: refused, the window stays
    ASSERT_TRUE(Settle(kAddDisk));
    EXPECT_EQ(1u, Actions("rejected").size());

    PressShiftTab();
    PressShiftTab();
    PressKey(VK_TAB);     // each add-disk step: Tab, Space
    PressKey(' ');
    PressKey(VK_TAB);     // the closing step: Tab, Tab, Enter
    PressKey(VK_TAB);
    PressKey(VK_RETURN);
    EXPECT_TRUE(WaitForWindowGone(kAddDisk));
    EXPECT_EQ((std::vector<std::string>{kAddDisk + ": what=add-disk\tports=1"}), Actions("add-disk"));
}

// The add-disk run as OrbLib types it: "%m{TAB}{TAB}{TAB}{TAB}~", then "{TAB} " once per disk,
// then "{TAB}{TAB}~": whatever the number of disks, the last Enter adds them.
TEST_F(RstConsole, AddDiskRunAddsOneToThreeDisks)
{
    const struct {
        int disks;
        const char* ports;
    } cases[] = {{1, "1"}, {2, "1,2"}, {3, "1,2,3"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.disks);
        ASSERT_NE(nullptr, Start());
        ASSERT_TRUE(OpenAddDisk());
        for (int i = 0; i < c.disks; ++i) {
            PressKey(VK_TAB);
            PressKey(' ');
        }
        Tabs(2);
        PressKey(VK_RETURN);
        EXPECT_TRUE(WaitForWindowGone(kAddDisk));
        EXPECT_EQ((std::vector<std::string>{kAddDisk + ": what=add-disk\tports=" + c.ports}), Actions("add-disk"));
    }
}

TEST_F(RstConsole, KeysAreLoggedWithTheExtendedBitAndSystemKeys)
{
    ASSERT_NE(nullptr, Start());
    PressKey(VK_DOWN);
    PressKey(VK_HOME);
    PressKey(VK_DELETE);
    PressKey(VK_NUMPAD2);
    PressShiftTab();
    PressAlt('S');
    ASSERT_TRUE(Settle(kMain));
    EXPECT_TRUE(SameEvents({KeyDown(kMain, kSentinel), KeyDown(kMain, VK_DOWN, true), KeyDown(kMain, VK_HOME, true),
                            KeyDown(kMain, VK_DELETE, true), KeyDown(kMain, VK_NUMPAD2),
                            KeyDown(kMain, VK_SHIFT), KeyDown(kMain, VK_TAB),
                            SysKeyDown(kMain, VK_MENU), SysKeyDown(kMain, 'S'),
                            KeyDown(kMain, kSentinel)},
                           Events({"key"})));
    std::vector<std::string> ups = Describe(Events({"keyup"}));
    EXPECT_NE(ups.end(), std::find(ups.begin(), ups.end(), KeyUp(kMain, VK_DOWN, true)));
}

TEST_F(RstConsole, ClicksAreLoggedRelativeToTheWindow)
{
    HWND main = Start();
    ASSERT_NE(nullptr, main);
    SetWindowPos(main, HWND_TOP, 100, 90, 520, 385, SWP_SHOWWINDOW);
    ASSERT_TRUE(BringToFront(main));
    ASSERT_TRUE(Settle(kMain));
    RECT rect = {};
    GetWindowRect(main, &rect);
    EXPECT_EQ(100, rect.left);
    EXPECT_EQ(90, rect.top);
    ClickAt(rect.left + 60, rect.top + 200, false);
    ClickAt(rect.left + 285, rect.top + 150, true);
    ASSERT_TRUE(WaitForLogEvent(Console::Rst, Click(kMain, "right", 285, 150)))
        << DiffLines({}, Describe(Events({"click", "open", "close"})));
    EXPECT_TRUE(SameEvents({Click(kMain, "left", 60, 200), Click(kMain, "right", 285, 150)}, Events({"click"})));
}

TEST_F(RstConsole, ReportsWhichCulturesAndResourceFilesWereVisibleAtStart)
{
    ASSERT_EQ("", InstallConsole(Console::Rst, {"de-DE", "fr-FR\\IAStorUI.resources.dll"}));
    std::string folder = ConsoleFolder(Console::Rst);
    ASSERT_TRUE(MoveFileA((folder + "zh-TW").c_str(), (folder + "zh-TW_X").c_str()));
    ASSERT_TRUE(MoveFileA((folder + "ja-JP\\IAStorUtil.resources.dll").c_str(),
                          (folder + "ja-JP\\IAStorUtil.resources.dl").c_str()));
    ASSERT_NE(nullptr, Start());

    std::vector<std::string> hidden = {"de-DE"};
    for (const char* file : standin::kRstResourceFiles)
        hidden.push_back(std::string("de-DE\\") + file);
    hidden.push_back("fr-FR\\IAStorUI.resources.dll");
    hidden.push_back("ja-JP\\IAStorUtil.resources.dll");
    hidden.push_back("zh-TW");
    for (const char* file : standin::kRstResourceFiles)
        hidden.push_back(std::string("zh-TW\\") + file);
    std::vector<LogEvent> events = ReadConsoleLog(Console::Rst);
    EXPECT_TRUE(SameEvents(hidden, EntriesAtStart(events, false)));
    EXPECT_EQ(24u * 8u - hidden.size(), EntriesAtStart(events, true).size());
}

TEST_F(RstConsole, SlowStartShowsTheMainWindowLater)
{
    StopConsole(Console::Rst);
    ClearConsoleLog(Console::Rst);
    ConsoleSwitches switches;
    switches.startDelayMs = 3000;
    SetConsoleSwitches(switches);  // through the environment, as the product starts it
    ASSERT_TRUE(StartConsole(Console::Rst));
    std::vector<LogEvent> events;
    ASSERT_TRUE(WaitForLog(Console::Rst, [](const std::vector<LogEvent>& e) { return !Select(e, {"start"}).empty(); },
                           kWaitLimitMs, &events));
    EXPECT_EQ(nullptr, FindWindowA(nullptr, kMain.c_str()));
    ASSERT_NE(nullptr, WaitForWindow(kMain));
    ASSERT_TRUE(WaitForLogEvent(Console::Rst, Opened(kMain)));
    events = ReadConsoleLog(Console::Rst);
    EXPECT_GE(Select(events, {"open"})[0].tick - Select(events, {"start"})[0].tick, 3000u);
    ClearConsoleSwitches();
}

TEST_F(RstConsole, NeverOpenAndOpenDelaySwitches)
{
    ConsoleSwitches never;
    never.neverOpen = {kAddDisk};
    ASSERT_NE(nullptr, Start(ConsoleSwitchArguments(never)));
    PressAddDiskKeys();
    ASSERT_TRUE(WaitForLogEvent(Console::Rst, Suppressed(kAddDisk)));
    ASSERT_TRUE(Settle(kMain));
    EXPECT_EQ(nullptr, FindWindowA(nullptr, kAddDisk.c_str()));

    ConsoleSwitches delayed;
    delayed.openDelays = {{kAddDisk, 1500}};
    ASSERT_NE(nullptr, Start(ConsoleSwitchArguments(delayed)));
    PressAddDiskKeys();
    ASSERT_TRUE(WaitForLogEvent(Console::Rst, "pending\tADD Disk\tdelay=1500"));
    EXPECT_EQ(nullptr, FindWindowA(nullptr, kAddDisk.c_str()));
    ASSERT_NE(nullptr, WaitForWindow(kAddDisk));
    ASSERT_TRUE(WaitForLogEvent(Console::Rst, Opened(kAddDisk)));
    std::vector<LogEvent> events = Events({"pending", "open"});
    ASSERT_EQ(3u, events.size());
    EXPECT_GE(events[2].tick - events[1].tick, 1500u);
}

TEST_F(RstConsole, NeverOpeningTheMainWindowEndsTheProgram)
{
    StopConsole(Console::Rst);
    ClearConsoleLog(Console::Rst);
    ASSERT_TRUE(StartConsole(Console::Rst, "\"/never-open=" + kMain + "\""));
    ASSERT_TRUE(WaitForLogEvent(Console::Rst, "exit\tIAStorUI.exe"));
    EXPECT_TRUE(SameEvents({Suppressed(kMain)}, Events({"open", "suppressed"})));
    EXPECT_EQ(nullptr, FindWindowA(nullptr, kMain.c_str()));
}

TEST_F(RstConsole, ProgramRunsUntilItsLastWindowCloses)
{
    HWND main = Start();
    ASSERT_NE(nullptr, main);
    PressAddDiskKeys();
    HWND addDisk = WaitForWindow(kAddDisk);
    ASSERT_NE(nullptr, addDisk);
    SendMessageA(main, WM_CLOSE, 0, 0);
    ASSERT_TRUE(WaitForLogEvent(Console::Rst, Closed(kMain)));
    EXPECT_EQ(1, RunningConsoleCount(Console::Rst));
    SendMessageA(addDisk, WM_CLOSE, 0, 0);
    ASSERT_TRUE(WaitForLogEvent(Console::Rst, "exit\tIAStorUI.exe"));
}

// What the quoting of the console's path in OrbLib's WinExec call guards against: unquoted,
// "C:\Program Files\…\IAStorUI.exe" starts "C:\Program.exe" when there is one.
TEST_F(RstConsole, UnquotedPathStartsTheDecoyAndQuotedPathTheConsole)
{
    ASSERT_EQ("", InstallPathDecoy());
    std::string program = ConsoleProgramPath(Console::Rst);
    ASSERT_NE(std::string::npos, program.find(' '));
    ClearConsoleLog(Console::Rst);

    EXPECT_GT(WinExec(program.c_str(), SW_SHOW), 31u);
    EXPECT_TRUE(WaitForLog(Console::Rst, [](const std::vector<LogEvent>&) { return PathDecoyStarted(); }));
    EXPECT_TRUE(ReadConsoleLog(Console::Rst).empty()) << "the console itself did not start";

    RemovePathDecoy();
    ASSERT_TRUE(InstallPathDecoy().empty());
    EXPECT_GT(WinExec(("\"" + program + "\"").c_str(), SW_SHOW), 31u);
    EXPECT_NE(nullptr, WaitForWindow(kMain));
    EXPECT_FALSE(PathDecoyStarted());
    RemovePathDecoy();
}

}  // namespace
}  // namespace orbtest
