// The Rapid Storage Technology console stand-in under Wine, driven with synthetic input straight
// from the test: each window opens on exactly the keys OrbLib's scripts send at that point.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "standins/console_common/console_entries.h"
#include "tests/automation/harness/console_harness_win32.h"
#include "tests/automation/harness/input_win32.h"

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

    // Starts the console and waits until its main window is in front.
    HWND Start(const std::string& arguments = std::string())
    {
        StopConsole(Console::Rst);
        ClearConsoleLog(Console::Rst);
        if (!StartConsole(Console::Rst, arguments))
            return nullptr;
        HWND main = WaitForWindow(kMain);
        if (main && !WaitForLogEvent(Console::Rst, Opened(kMain)))
            return nullptr;
        if (main && !BringToFront(main))
            return nullptr;
        return main;
    }

    // Presses the sentinel key and waits until the window that has the focus logged it, so
    // that every key sent before it has been handled.
    bool Settle(const std::string& window)
    {
        PressKey(kSentinel);
        return WaitForLogEvent(Console::Rst, KeyUp(window, kSentinel));
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

    ConsoleInstallation installation_{Console::Rst};
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
    PressAlt('M');
    Tabs(4);
    PressKey(VK_RETURN);
    ASSERT_NE(nullptr, WaitForWindow(kAddDisk));
    ASSERT_TRUE(Settle(kAddDisk));

    std::vector<std::string> expected = {Opened(kMain)};
    Append(expected, AltLetter(kMain, 'M'));
    for (int i = 0; i < 4; ++i)
        Append(expected, Typed(kMain, VK_TAB, 0x09));
    // The Enter's WM_CHAR is posted to the window that had the key-down; the key-up goes to
    // "ADD Disk", which took the focus meanwhile.
    Append(expected, {KeyDown(kMain, VK_RETURN), Opened(kAddDisk), Char(kMain, 0x0D),
                      KeyUp(kAddDisk, VK_RETURN), KeyDown(kAddDisk, kSentinel), KeyUp(kAddDisk, kSentinel)});
    EXPECT_TRUE(SameEvents(expected, Events({"open", "close", "key", "keyup", "char"})));
}

}  // namespace
}  // namespace orbtest
