// Finding, placing and typing into windows of the test's own, with the real input path.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "automation/keyscript/key_script_sender.h"
#include "tests/automation/test_window.h"
#include "testing/support/wait_for.h"

namespace {

const char PositionKey[] = "SOFTWARE\\KORVANTE\\ORB2_APP";

RECT WindowRect(HWND window)
{
    RECT rect = {};
    GetWindowRect(window, &rect);
    return rect;
}

// The product reads the 32-bit view (KEY_WOW64_32KEY): write where it reads.
class PositionRegistry {
public:
    PositionRegistry()
    {
        RegCreateKeyExA(HKEY_LOCAL_MACHINE, PositionKey, 0, nullptr, 0,
                        KEY_ALL_ACCESS | KEY_WOW64_32KEY, nullptr, &key_, nullptr);
    }
    ~PositionRegistry()
    {
        if (key_)
            RegCloseKey(key_);
        Remove();
    }
    void Set(const char* name, DWORD type, const void* data, DWORD size)
    {
        RegSetValueExA(key_, name, 0, type, static_cast<const BYTE*>(data), size);
    }
    void SetText(const char* name, const std::string& text)
    {
        Set(name, REG_SZ, text.c_str(), static_cast<DWORD>(text.size() + 1));
    }
    static void Remove()
    {
        HKEY parent;
        if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE\\KORVANTE", 0,
                          KEY_ALL_ACCESS | KEY_WOW64_32KEY, &parent) == ERROR_SUCCESS) {
            RegDeleteKeyA(parent, "ORB2_APP");
            RegCloseKey(parent);
        }
    }
    HKEY key_ = nullptr;
};

class WindowActivation : public ::testing::Test {
protected:
    void SetUp() override
    {
        savedTarget_ = keyScriptSender.targetWindow;
        savedLeft_ = TargetLeft;
        savedTop_ = TargetTop;
        TargetLeft = 40;
        TargetTop = 30;
    }
    void TearDown() override
    {
        keyScriptSender.targetWindow = savedTarget_;
        TargetLeft = savedLeft_;
        TargetTop = savedTop_;
    }
    HWND savedTarget_;
    LONG savedLeft_, savedTop_;
};

}  // namespace

TEST_F(WindowActivation, ExactTitleBeforeSubstring)
{
    TestWindow exact("ADD Disk");
    TestWindow longer("ADD Disk Wizard");  // created later: above the exact one in Z order
    ASSERT_TRUE(keyScriptSender.ActivateTargetWindow("ADD Disk", nullptr));
    EXPECT_EQ(exact.handle(), keyScriptSender.targetWindow);
}

TEST_F(WindowActivation, SubstringTakesTheFirstWindowInZOrder)
{
    TestWindow lower("ADD Disk - first");
    TestWindow upper("ADD Disk - second");
    TestWindow otherCase("add disk - third");  // ("add disk" alone: FindWindowA ignores case)
    ASSERT_TRUE(keyScriptSender.ActivateTargetWindow("ADD Disk", nullptr));
    EXPECT_EQ(upper.handle(), keyScriptSender.targetWindow);

    SetWindowPos(lower.handle(), HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    ASSERT_TRUE(keyScriptSender.ActivateTargetWindow("ADD Disk", nullptr));
    EXPECT_EQ(lower.handle(), keyScriptSender.targetWindow);
}

TEST_F(WindowActivation, TitleSearchIsCaseSensitive)
{
    TestWindow otherCase("add disk wizard");
    keyScriptSender.targetWindow = nullptr;
    EXPECT_FALSE(keyScriptSender.ActivateTargetWindow("ADD Disk", nullptr));
    EXPECT_EQ(nullptr, keyScriptSender.targetWindow) << "unchanged when nothing is found";
}

TEST_F(WindowActivation, ByClass)
{
    TestWindow window("a window found by its class", "OrbClassOnlyTarget");
    ASSERT_TRUE(keyScriptSender.ActivateTargetWindow(nullptr, "OrbClassOnlyTarget"));
    EXPECT_EQ(window.handle(), keyScriptSender.targetWindow);

    keyScriptSender.targetWindow = nullptr;
    ASSERT_TRUE(keyScriptSender.ActivateTargetWindow(nullptr, "ClassOnly")) << "substring";
    EXPECT_EQ(window.handle(), keyScriptSender.targetWindow);

    keyScriptSender.targetWindow = nullptr;
    ASSERT_TRUE(keyScriptSender.ActivateTargetWindow("no window has this title", "ClassOnly"))
        << "title or class";
    EXPECT_EQ(window.handle(), keyScriptSender.targetWindow);
}

TEST_F(WindowActivation, NothingToSearchFor)
{
    TestWindow window("some window");
    keyScriptSender.targetWindow = window.handle();
    EXPECT_FALSE(keyScriptSender.ActivateTargetWindow(nullptr, nullptr));
    EXPECT_EQ(window.handle(), keyScriptSender.targetWindow);

    // The enumeration never matches an empty title.
    const char emptyBlock[5] = {};
    WindowSearch search = {emptyBlock, nullptr};
    EnumWindows(MatchWindowText, reinterpret_cast<LPARAM>(&search));
    EXPECT_EQ(nullptr, search.found);
}

// An empty title goes to FindWindowA as an empty name, which finds an untitled top-level window:
// the test's own, put above the desktop's untitled windows (the taskbar's, its tooltip's), which
// the placement would otherwise move and show for the rest of the session.
TEST_F(WindowActivation, EmptyTitleGoesToFindWindow)
{
    TestWindow window("");
    HWND untitled = window.handle();
    SetWindowPos(untitled, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    ASSERT_EQ(untitled, FindWindowA(nullptr, "")) << "the first untitled top-level window";
    EXPECT_TRUE(keyScriptSender.ActivateTargetWindow("", nullptr));
    EXPECT_EQ(untitled, keyScriptSender.targetWindow);
}

TEST_F(WindowActivation, LongTitlesAreCutTo299Characters)
{
    const std::string title = std::string(299, 'T') + "U";
    TestWindow window(title);
    keyScriptSender.targetWindow = nullptr;
    // FindWindowA misses the 300-character title with its last letter changed; the
    // enumeration compares the first 299 characters only.
    ASSERT_TRUE(keyScriptSender.ActivateTargetWindow((std::string(299, 'T') + "V").c_str(),
                                                     nullptr));
    EXPECT_EQ(window.handle(), keyScriptSender.targetWindow);
}

TEST_F(WindowActivation, PlacesRestoresAndFocuses)
{
    TestWindow window("Place me");
    ShowWindow(window.handle(), SW_MINIMIZE);
    PumpUntil([&] { return IsIconic(window.handle()) != FALSE; });
    ASSERT_TRUE(keyScriptSender.ActivateTargetWindow("Place me", nullptr));
    ASSERT_TRUE(PumpUntil([&] {
        const RECT r = WindowRect(window.handle());
        return !IsIconic(window.handle()) && r.left == 40 && r.top == 30;
    }));
    const RECT rect = WindowRect(window.handle());
    EXPECT_EQ(520, rect.right - rect.left);
    EXPECT_EQ(385, rect.bottom - rect.top);
    EXPECT_TRUE(IsWindowVisible(window.handle()));
    EXPECT_EQ(window.handle(), GetForegroundWindow());
    EXPECT_EQ(window.handle(), GetFocus());
    EXPECT_FALSE(PlaceTargetWindow(nullptr));
}

TEST_F(WindowActivation, WindowPositionFromTheRegistry)
{
    struct Row {
        const char* what;
        void (*write)(PositionRegistry&);
        LONG left, top;
    };
    const Row rows[] = {
        {"strings", [](PositionRegistry& r) { r.SetText("left", "100"); r.SetText("top", "50"); },
         112, 58},
        {"values absent", [](PositionRegistry&) {}, 12, 8},
        {"signed, blanks, trailing text",
         [](PositionRegistry& r) { r.SetText("left", "  -30px"); r.SetText("top", "+7 8"); },
         -18, 15},
        {"a number too long for the buffer counts as missing",
         [](PositionRegistry& r) { r.SetText("left", std::string(150, '1')); r.SetText("top", "5"); },
         12, 13},
        {"100 bytes of digits without a terminator, read within the buffer",
         [](PositionRegistry& r) {
             const std::string digits = "00000000000000000000000000000000000000000000000000"
                                        "00000000000000000000000000000000000000000000000077";
             r.Set("left", REG_BINARY, digits.data(), 100);
             r.Set("top", REG_BINARY, "123", 3);
         },
         89, 131},
        {"a DWORD is read as its bytes",
         [](PositionRegistry& r) {
             const DWORD bytes57 = 0x00003735;  // "57"
             r.Set("left", REG_DWORD, &bytes57, 4);
             const DWORD bytesD = 100;  // "d"
             r.Set("top", REG_DWORD, &bytesD, 4);
         },
         69, 8},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        PositionRegistry registry;
        row.write(registry);
        TargetLeft = TargetTop = -1;
        LoadWindowPosition();
        EXPECT_EQ(row.left, TargetLeft);
        EXPECT_EQ(row.top, TargetTop);
    }
    PositionRegistry::Remove();
    TargetLeft = TargetTop = -1;
    LoadWindowPosition();
    EXPECT_EQ(-1, TargetLeft) << "key missing: nothing changes (0 at load)";
    EXPECT_EQ(-1, TargetTop);
}

// A fresh load of the library reads the position once, before any call.
TEST(WindowPlacementAtLoad, ReadsTheRegistryWhenLoaded)
{
    {
        PositionRegistry registry;
        registry.SetText("left", "100");
        registry.SetText("top", "50");
        EXPECT_EQ(0, RunChildTests("WindowPlacementChild.*", "ORB_PLACEMENT_CHILD", "112,58"));
    }
    EXPECT_EQ(0, RunChildTests("WindowPlacementChild.*", "ORB_PLACEMENT_CHILD", "0,0"))
        << "key missing";
}

TEST(WindowPlacementChild, LandsWhereTheRegistrySaid)
{
    const char* expected = std::getenv("ORB_PLACEMENT_CHILD");
    if (!expected)
        GTEST_SKIP() << "child: runs in the child started by WindowPlacementAtLoad";
    long left = 0, top = 0;
    ASSERT_EQ(2, std::sscanf(expected, "%ld,%ld", &left, &top));
    EXPECT_EQ(left, TargetLeft);
    EXPECT_EQ(top, TargetTop);
    TestWindow window("Placed by a fresh load");
    ASSERT_TRUE(keyScriptSender.ActivateTargetWindow("Placed by a fresh load", nullptr));
    ASSERT_TRUE(PumpUntil([&] {
        const RECT r = WindowRect(window.handle());
        return r.left == left && r.top == top;
    }));
    const RECT rect = WindowRect(window.handle());
    EXPECT_EQ(520, rect.right - rect.left);
    EXPECT_EQ(385, rect.bottom - rect.top);
}

// Keys of a script through the system input queue, with no seam.
TEST_F(WindowActivation, WindowReceivesTheKeysOfAScript)
{
    TestWindow window("Key receiver");
    ASSERT_TRUE(keyScriptSender.ActivateTargetWindow("Key receiver", nullptr));
    ASSERT_TRUE(PumpUntil([&] { return GetForegroundWindow() == window.handle(); }));
    const std::int32_t savedDelay = keyScriptSender.defaultDelay;
    ASSERT_TRUE(keyScriptSender.SendKeyScript("{DELAY=10}aB%m{DOWN}+{TAB}~"));
    keyScriptSender.defaultDelay = savedDelay;
    auto& got = window.received();
    ASSERT_TRUE(PumpUntil([&] {
        return !got.empty() && got.back().message == WM_KEYUP && got.back().wParam == VK_RETURN;
    })) << got.size() << " messages";

    // Every key-up of a pressed key carries the extended flag (keybd_event flags 3); modifier
    // releases do not (flags 2). Alt+M arrives as system keys.
    const std::vector<WindowMessage> expected = {
        {WM_KEYDOWN, 'A', false},        {WM_CHAR, 'a', false},       {WM_KEYUP, 'A', true},
        {WM_KEYDOWN, VK_SHIFT, false},   {WM_KEYDOWN, 'B', false},    {WM_CHAR, 'B', false},
        {WM_KEYUP, 'B', true},           {WM_KEYUP, VK_SHIFT, false},
        {WM_SYSKEYDOWN, VK_MENU, false}, {WM_SYSKEYDOWN, 'M', false}, {WM_SYSCHAR, 'm', false},
        {WM_SYSKEYUP, 'M', true},        {WM_KEYUP, VK_MENU, false},
        {WM_KEYDOWN, VK_DOWN, true},     {WM_KEYUP, VK_DOWN, true},
        {WM_KEYDOWN, VK_SHIFT, false},   {WM_KEYDOWN, VK_TAB, false}, {WM_CHAR, '\t', false},
        {WM_KEYUP, VK_TAB, true},        {WM_KEYUP, VK_SHIFT, false},
        {WM_KEYDOWN, VK_RETURN, false},  {WM_CHAR, '\r', false},     {WM_KEYUP, VK_RETURN, true},
    };
    std::string text;
    for (const WindowMessage& m : got)
        text += "  " + Describe(m) + "\n";
    EXPECT_EQ(expected, got) << "received:\n" << text;
}

// A synthetic modifier stays down while the focus moves between windows. Wine would set it to the
// X keyboard's state (never down) whenever X tells a process it got the focus, which on the
// virtual desktop follows every activation; the session prevents that (testing/x11/no_keymap_sync),
// and without it every key script could lose its Alt or Shift half way.
TEST_F(WindowActivation, ModifierStaysDownWhileTheFocusMoves)
{
    TestWindow first("Focus one"), second("Focus two");
    keybd_event(VK_SHIFT, static_cast<BYTE>(MapVirtualKeyA(VK_SHIFT, 0)), 0, 0);
    int lostAfter = 0;
    for (int move = 1; move <= 4 && !lostAfter; ++move) {
        HWND target = (move % 2 ? second : first).handle();
        SetForegroundWindow(target);
        ASSERT_TRUE(PumpUntil([&] { return GetForegroundWindow() == target; }));
        // Long enough for the focus news to reach this process: a loss shows within it.
        if (WaitFor([] { PumpUntil([] { return true; }); return (GetAsyncKeyState(VK_SHIFT) & 0x8000) == 0; },
                    std::chrono::milliseconds(250), std::chrono::milliseconds(10)))
            lostAfter = move;
    }
    keybd_event(VK_SHIFT, static_cast<BYTE>(MapVirtualKeyA(VK_SHIFT, 0)), KEYEVENTF_KEYUP, 0);
    PumpUntil([] { return true; });
    EXPECT_EQ(0, lostAfter) << "Shift was released by the system after focus move " << lostAfter;
}

// A window for a failure message: its class, title and process.
std::string DescribeWindow(HWND window)
{
    char name[64] = {}, title[64] = {};
    DWORD process = 0;
    GetClassNameA(window, name, sizeof(name));
    GetWindowTextA(window, title, sizeof(title));
    GetWindowThreadProcessId(window, &process);
    return "window of class \"" + std::string(name) + "\" titled \"" + title + "\" of process " +
           std::to_string(process);
}

TEST_F(WindowActivation, WindowReceivesADoubleClick)
{
    TestWindow window("Click receiver");
    ASSERT_TRUE(keyScriptSender.ActivateTargetWindow("Click receiver", nullptr));
    const RECT rect = WindowRect(window.handle());
    const POINT centre = {(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2};
    // The clicks go to whatever window lies under the cursor: ours, kept above the others.
    SetWindowPos(window.handle(), HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    HWND under = nullptr;
    ASSERT_TRUE(PumpUntil([&] { return (under = WindowFromPoint(centre)) == window.handle(); }))
        << "the click point lies under " << DescribeWindow(under);
    SetCursorPos(centre.x, centre.y);
    for (int click = 0; click < 2; ++click) {
        mouse_event(MOUSEEVENTF_LEFTDOWN, 0, 0, 0, 0);
        mouse_event(MOUSEEVENTF_LEFTUP, 0, 0, 0, 0);
    }
    auto& got = window.received();
    ASSERT_TRUE(PumpUntil([&] { return got.size() >= 4; })) << got.size() << " messages";
    const std::vector<WindowMessage> expected = {
        {WM_LBUTTONDOWN, MK_LBUTTON, false}, {WM_LBUTTONUP, 0, false},
        {WM_LBUTTONDBLCLK, MK_LBUTTON, false}, {WM_LBUTTONUP, 0, false}};
    std::string text;
    for (const WindowMessage& m : got)
        text += "  " + Describe(m) + "\n";
    EXPECT_EQ(expected, got) << "received:\n" << text;
}
