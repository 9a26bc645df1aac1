// The Matrix Storage Manager console stand-in under Wine, driven with synthetic input straight
// from the test: the wizards open on exactly the keys and clicks OrbLib sends at that point.
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

const std::string kMain = standin::kMsmMainTitle;
const std::string kCreate = standin::kMsmCreateWizardTitle;
const std::string kModify = standin::kMsmModifyWizardTitle;
constexpr BYTE kSentinel = VK_F9;

using Keys = std::function<void()>;

std::vector<LogEvent> Last(const std::vector<LogEvent>& events, std::size_t count)
{
    return std::vector<LogEvent>(events.end() - static_cast<std::ptrdiff_t>(std::min(count, events.size())),
                                 events.end());
}
struct InputCase {
    const char* name;
    Keys input;
};

void Downs(int count)
{
    for (int i = 0; i < count; ++i)
        PressKey(VK_DOWN);
}
// "%v{DOWN}{DOWN}{DOWN}~" and "%a{DOWN}~"
void ViewAdvanced() { PressAlt('V'); Downs(3); PressKey(VK_RETURN); }
void ActionsCreateFromExisting() { PressAlt('A'); Downs(1); PressKey(VK_RETURN); }

// A click at a point relative to the window's rectangle, as OrbLib computes it.
void ClickWindow(HWND window, int x, int y, bool right)
{
    RECT rect = {};
    GetWindowRect(window, &rect);
    ClickAt(rect.left + x, rect.top + y, right);
}

class MsmConsole : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(installation_.ok()) << installation_.error(); }
    void TearDown() override { StopConsole(Console::Msm); }

    // Starts the console, places its main window where OrbLib places it (520 by 385) and waits
    // until it has the keyboard.
    HWND Start(const std::string& arguments = std::string())
    {
        StopConsole(Console::Msm);
        ClearConsoleLog(Console::Msm);
        if (!StartConsole(Console::Msm, arguments))
            return nullptr;
        HWND main = WaitForWindow(kMain);
        if (!main || !WaitForLogEvent(Console::Msm, Opened(kMain)))
            return nullptr;
        SetWindowPos(main, HWND_TOP, 100, 90, 520, 385, SWP_SHOWWINDOW);
        if (!BringToFront(main) || !SettleConsole(Console::Msm, kMain))
            return nullptr;
        return main;
    }

    std::vector<LogEvent> Events(const std::vector<std::string>& kinds)
    {
        return Select(LatestRun(ReadConsoleLog(Console::Msm)), kinds);
    }
    bool Logged(const std::string& description)
    {
        std::vector<std::string> all = Describe(LatestRun(ReadConsoleLog(Console::Msm)));
        return std::find(all.begin(), all.end(), description) != all.end();
    }
    std::vector<std::string> Actions(const std::string& window)
    {
        std::vector<std::string> found;
        for (const LogEvent& event : Events({"action"})) {
            if (event.subject == window)
                found.push_back(event.Describe().substr(event.Describe().find("what=")));
        }
        return found;
    }

    ConsoleInstallation installation_{Console::Msm};
};

TEST_F(MsmConsole, CreateWizardOpensOnTheViewAndActionsKeys)
{
    ASSERT_NE(nullptr, Start());
    ViewAdvanced();
    ActionsCreateFromExisting();
    ASSERT_NE(nullptr, WaitForWindow(kCreate));
    ASSERT_TRUE(WaitForLogEvent(Console::Msm, Opened(kCreate)));

    std::vector<std::string> expected = {Opened(kMain), KeyDown(kMain, kSentinel),
                                         SysKeyDown(kMain, VK_MENU), SysKeyDown(kMain, 'V')};
    for (int i = 0; i < 3; ++i)
        expected.push_back(KeyDown(kMain, VK_DOWN, true));
    expected.push_back(KeyDown(kMain, VK_RETURN));
    for (const std::string& key : {SysKeyDown(kMain, VK_MENU), SysKeyDown(kMain, 'A'),
                                   KeyDown(kMain, VK_DOWN, true), KeyDown(kMain, VK_RETURN),
                                   Opened(kCreate)})
        expected.push_back(key);
    EXPECT_TRUE(SameEvents(expected, Events({"key", "open"})));
    EXPECT_TRUE(Logged("action\t" + kMain + "\twhat=choose\titem=Advanced Mode"));
}

TEST_F(MsmConsole, CreateWizardOpensOnNoOtherKeys)
{
    const InputCase cases[] = {
        {"no Advanced Mode", [] { ActionsCreateFromExisting(); }},
        {"two Down in View", [] { PressAlt('V'); Downs(2); PressKey(VK_RETURN); ActionsCreateFromExisting(); }},
        {"four Down in View", [] { PressAlt('V'); Downs(4); PressKey(VK_RETURN); ActionsCreateFromExisting(); }},
        {"no Down in Actions", [] { ViewAdvanced(); PressAlt('A'); PressKey(VK_RETURN); }},
        {"two Down in Actions", [] { ViewAdvanced(); PressAlt('A'); Downs(2); PressKey(VK_RETURN); }},
        {"V without Alt", [] { PressKey('V'); Downs(3); PressKey(VK_RETURN); ActionsCreateFromExisting(); }},
        {"Enter without a menu", [] { ViewAdvanced(); Downs(1); PressKey(VK_RETURN); }},
    };
    for (const InputCase& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_NE(nullptr, Start());
        c.input();
        ASSERT_TRUE(SettleConsole(Console::Msm, kMain));
        EXPECT_FALSE(Logged(Opened(kCreate)));
        EXPECT_EQ(nullptr, FindWindowA(nullptr, kCreate.c_str()));
    }
}

// ShellRunIntelMSM_R2's input: two right clicks at (285, 150), then "{DOWN}~".
void ContextMenuModify(HWND main)
{
    ClickWindow(main, 285, 150, true);
    ClickWindow(main, 285, 150, true);
    PressKey(VK_DOWN);
    PressKey(VK_RETURN);
}

TEST_F(MsmConsole, ModifyWizardOpensFromTheVolumesContextMenu)
{
    HWND main = Start();
    ASSERT_NE(nullptr, main);
    ViewAdvanced();
    ContextMenuModify(main);
    ASSERT_NE(nullptr, WaitForWindow(kModify));
    ASSERT_TRUE(WaitForLogEvent(Console::Msm, Opened(kModify)));
    EXPECT_TRUE(SameEvents({Click(kMain, "right", 285, 150), Click(kMain, "right", 285, 150),
                            KeyDown(kMain, VK_DOWN, true), KeyDown(kMain, VK_RETURN), Opened(kModify)},
                           Last(Events({"click", "key", "open"}), 5)));
}

TEST_F(MsmConsole, ModifyWizardOpensOnNoOtherInput)
{
    const std::function<void(HWND)> cases[] = {
        [](HWND main) { ContextMenuModify(main); },  // basic mode
        [](HWND main) { ViewAdvanced(); ClickWindow(main, 285, 175, true); ClickWindow(main, 285, 175, true);
                        PressKey(VK_DOWN); PressKey(VK_RETURN); },  // beside the volume's row
        [](HWND main) { ViewAdvanced(); ClickWindow(main, 285, 150, true); PressKey(VK_RETURN); },  // no Down
        [](HWND main) { ViewAdvanced(); ClickWindow(main, 285, 150, false); PressKey(VK_DOWN);
                        PressKey(VK_RETURN); },  // left button
        [](HWND main) { ViewAdvanced(); ClickWindow(main, 285, 150, true); Downs(2); PressKey(VK_RETURN); },
    };
    const char* const names[] = {"basic mode", "beside the row", "no Down", "left button", "second entry"};
    for (std::size_t i = 0; i < sizeof(names) / sizeof(names[0]); ++i) {
        SCOPED_TRACE(names[i]);
        HWND main = Start();
        ASSERT_NE(nullptr, main);
        cases[i](main);
        ASSERT_TRUE(SettleConsole(Console::Msm, kMain));
        EXPECT_FALSE(Logged(Opened(kModify)));
    }
}

// The modify wizard's drive list, ">" and Next buttons, at the points SetSourceHDD_R clicks:
// 8 pixels higher on Windows NT 6.x, both in the stand-in's layout and in OrbLib's points.
TEST_F(MsmConsole, ModifyWizardClicksLandOnTheRowsForEachWindowsVersion)
{
    struct Version {
        const char* wine;
        int shift;
    } const versions[] = {{"winxp", 0}, {"win7", 8}};
    for (const Version& version : versions) {
        SCOPED_TRACE(version.wine);
        ASSERT_TRUE(SetWineVersionFor(standin::kMsmProgram, version.wine));
        HWND main = Start();
        ASSERT_NE(nullptr, main);
        ASSERT_TRUE(Logged("action\tShell.exe\twhat=layout\tshift=" + std::to_string(version.shift)));
        ViewAdvanced();
        ContextMenuModify(main);
        HWND wizard = WaitForWindow(kModify);
        ASSERT_NE(nullptr, wizard);
        SetWindowPos(wizard, HWND_TOP, 100, 90, 520, 385, SWP_SHOWWINDOW);
        ASSERT_TRUE(BringToFront(wizard));

        const int dy = version.shift;
        ClickWindow(wizard, 108, 116 + 12 * 3 - dy, false);
        ClickWindow(wizard, 108, 116 + 12 * 3 - dy, false);
        ClickWindow(wizard, 250, 195 - dy, false);
        ClickWindow(wizard, 369, 370 - dy, false);
        ASSERT_TRUE(WaitForLogEvent(Console::Msm, Click(kModify, "left", 369, 370 - dy)));
        // The button logs its action after the click that pressed it.
        ASSERT_TRUE(WaitForLog(Console::Msm, [&](const std::vector<LogEvent>&) { return Actions(kModify).size() >= 3; }));
        EXPECT_TRUE(SameEvents({Click(kModify, "left", 108, 152 - dy), Click(kModify, "left", 108, 152 - dy),
                                Click(kModify, "left", 250, 195 - dy), Click(kModify, "left", 369, 370 - dy)},
                               Last(Events({"click"}), 4)));
        EXPECT_EQ((std::vector<std::string>{"what=source\trow=3", "what=press\tcontrol=>",
                                            "what=press\tcontrol=Next"}),
                  Actions(kModify));
    }
    SetWineVersionFor(standin::kMsmProgram, "");
}

TEST_F(MsmConsole, WizardKeysAreLoggedInTheWizard)
{
    ASSERT_NE(nullptr, Start());
    ViewAdvanced();
    ActionsCreateFromExisting();
    HWND wizard = WaitForWindow(kCreate);
    ASSERT_NE(nullptr, wizard);
    ASSERT_TRUE(BringToFront(wizard));
    ASSERT_TRUE(SettleConsole(Console::Msm, kCreate));
    std::size_t before = Events({"key", "char"}).size();
    PressAlt('N');
    PressKey(' ');
    PressWithModifier(VK_SHIFT, VK_OEM_6);  // "}" on a US layout
    ASSERT_TRUE(SettleConsole(Console::Msm, kCreate));
    std::vector<LogEvent> events = Events({"key", "char"});
    EXPECT_TRUE(SameEvents({SysKeyDown(kCreate, VK_MENU), SysKeyDown(kCreate, 'N'), SysChar(kCreate, 'n'),
                            KeyDown(kCreate, ' '), Char(kCreate, ' '), KeyDown(kCreate, VK_SHIFT),
                            KeyDown(kCreate, VK_OEM_6), Char(kCreate, '}'), KeyDown(kCreate, kSentinel)},
                           std::vector<LogEvent>(events.begin() + static_cast<std::ptrdiff_t>(before), events.end())));
    EXPECT_TRUE(Logged("action\t" + kCreate + "\twhat=page\tpage=2"));
}

TEST_F(MsmConsole, ReportsWhichLanguageEntriesWereVisibleAtStart)
{
    ASSERT_EQ("", InstallConsole(Console::Msm, {"CHT"}));
    std::string folder = ConsoleFolder(Console::Msm);
    ASSERT_TRUE(MoveFileA((folder + "ARA").c_str(), (folder + "ARA_C").c_str()));  // a folder
    ASSERT_TRUE(MoveFileA((folder + "CHS").c_str(), (folder + "CHS_C").c_str()));  // a file
    ASSERT_NE(nullptr, Start());
    std::vector<LogEvent> events = ReadConsoleLog(Console::Msm);
    EXPECT_TRUE(SameEvents({"ARA", "CHS", "CHT"}, EntriesAtStart(events, false)));
    EXPECT_EQ(21u, EntriesAtStart(events, true).size());
}

TEST_F(MsmConsole, StartsHiddenWhenToldAndHonoursTheFailureSwitches)
{
    // WinExec with SW_HIDE, as the first steps start it: the window exists, unseen.
    StopConsole(Console::Msm);
    ClearConsoleLog(Console::Msm);
    ASSERT_TRUE(StartConsole(Console::Msm, "", SW_HIDE));
    HWND main = WaitForWindow(kMain);
    ASSERT_NE(nullptr, main);
    EXPECT_FALSE(IsWindowVisible(main));

    ConsoleSwitches switches;
    switches.neverOpen = {kModify};
    switches.startDelayMs = 1000;
    SetConsoleSwitches(switches);
    main = Start();
    ClearConsoleSwitches();
    ASSERT_NE(nullptr, main);
    std::vector<LogEvent> starts = Events({"start", "open"});
    ASSERT_EQ(2u, starts.size());
    EXPECT_GE(starts[1].tick - starts[0].tick, 1000u);
    ViewAdvanced();
    ContextMenuModify(main);
    ASSERT_TRUE(WaitForLogEvent(Console::Msm, Suppressed(kModify)));
    ASSERT_TRUE(SettleConsole(Console::Msm, kMain));
    EXPECT_EQ(nullptr, FindWindowA(nullptr, kModify.c_str()));
}

}  // namespace
}  // namespace orbtest
