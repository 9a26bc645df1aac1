// OrbTray's window and handlers in process: the registry, shell, icon, sleep, timer and menu
// calls are recorded as text lines and compared with the expected sequence.
#include <windows.h>
#include <shellapi.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <cstddef>
#include <cstring>
#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include "common/windows_version_win32.h"
#include "tray/system_calls_win32.h"
#include "tray/tray_window_win32.h"

namespace {

using Events = std::vector<std::string>;

const HKEY kOpenedKey = reinterpret_cast<HKEY>(0x4110);
const HKEY kCreatedKey = reinterpret_cast<HKEY>(0x4120);
const char kRun[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
const char kRunOnce[] = "Software\\Microsoft\\Windows\\CurrentVersion\\RunOnce";
const char kQuotedTray[] = "\"C:\\Program Files\\korvante\\orb_ii\\orb2_tray.exe\"";

// What the recorded calls answer, and what they saw.
struct FakeSystem {
    Events events;
    std::map<std::string, LONG> openResults;  // by sub-key; ERROR_FILE_NOT_FOUND when absent
    LONG createResult = ERROR_SUCCESS;
    LONG setResult = ERROR_SUCCESS;
    HRESULT folderResult = S_OK;
    std::string folder = "C:\\Program Files";
    BOOL notifyResult = TRUE;
    INT_PTR shellResult = 33;  // above 32: started
    HICON lastIcon = nullptr;
} fake;

std::string KeyName(HKEY key)
{
    if (key == HKEY_LOCAL_MACHINE)
        return "HKLM";
    if (key == kOpenedKey)
        return "opened";
    if (key == kCreatedKey)
        return "created";
    return key == nullptr ? "null" : "other";
}

std::string Text(const char* text)
{
    return text == nullptr ? "null" : "'" + std::string(text) + "'";
}

LONG WINAPI FakeOpen(HKEY parent, LPCSTR path, DWORD options, REGSAM access, PHKEY result)
{
    fake.events.push_back("open " + KeyName(parent) + " " + Text(path) + " options " +
                          std::to_string(options) + (access == KEY_ALL_ACCESS ? " all-access" : " ?"));
    const auto found = fake.openResults.find(path);
    const LONG code = found == fake.openResults.end() ? ERROR_FILE_NOT_FOUND : found->second;
    *result = code == ERROR_SUCCESS ? kOpenedKey : nullptr;
    return code;
}

LONG WINAPI FakeCreate(HKEY parent, LPCSTR path, DWORD reserved, LPSTR keyClass, DWORD options,
                       REGSAM access, LPSECURITY_ATTRIBUTES security, PHKEY result, LPDWORD)
{
    fake.events.push_back("create " + KeyName(parent) + " " + Text(path) + " class " +
                          Text(keyClass) + " options " + std::to_string(options) +
                          (access == KEY_ALL_ACCESS ? " all-access" : " ?") +
                          (security == nullptr ? "" : " security"));
    *result = fake.createResult == ERROR_SUCCESS ? kCreatedKey : nullptr;
    return fake.createResult;
}

LONG WINAPI FakeSet(HKEY key, LPCSTR name, DWORD, DWORD type, const BYTE* data, DWORD size)
{
    const char* text = reinterpret_cast<const char*>(data);
    const bool terminated = size > 0 && text[size - 1] == '\0';
    fake.events.push_back("set " + KeyName(key) + " " + Text(name) + " type " +
                          std::to_string(type) + " " +
                          (terminated ? Text(text) : "unterminated") + " " + std::to_string(size));
    return fake.setResult;
}

LONG WINAPI FakeClose(HKEY key)
{
    fake.events.push_back("close " + KeyName(key));
    return ERROR_SUCCESS;
}

HRESULT WINAPI FakeFolder(HWND owner, int folder, HANDLE token, DWORD flags, LPSTR path)
{
    EXPECT_EQ(nullptr, owner);
    EXPECT_EQ(CSIDL_PROGRAM_FILES, folder);
    EXPECT_EQ(nullptr, token);
    EXPECT_EQ(0u, flags);
    for (int i = 0; i < MAX_PATH; ++i)
        EXPECT_EQ('\0', path[i]) << "the buffer starts zero-filled";
    if (fake.folderResult == S_OK)
        snprintf(path, MAX_PATH, "%s", fake.folder.c_str());
    return fake.folderResult;
}

HINSTANCE WINAPI FakeShellExecute(HWND owner, LPCSTR verb, LPCSTR file, LPCSTR parameters,
                                  LPCSTR folder, INT show)
{
    fake.events.push_back("shell " + std::string(owner == nullptr ? "no-owner " : "owner ") +
                          Text(verb) + " " + Text(file) + " " + Text(parameters) + " " +
                          Text(folder) + " show " + std::to_string(show));
    return reinterpret_cast<HINSTANCE>(fake.shellResult);
}

BOOL WINAPI FakeNotify(DWORD action, PNOTIFYICONDATAA data)
{
    std::string line = action == NIM_ADD ? "icon add" : action == NIM_DELETE ? "icon delete" : "icon ?";
    line += " size " + std::to_string(data->cbSize);
    line += data->hWnd == TrayWindowHandle && data->hWnd != nullptr ? " tray-window" : " other-window";
    line += " id " + std::to_string(data->uID);
    if (action == NIM_ADD) {
        line += " flags " + std::to_string(data->uFlags) + " message " +
                std::to_string(data->uCallbackMessage) + (data->hIcon != nullptr ? " icon" : " no-icon") +
                " tip " + Text(data->szTip);
        fake.lastIcon = data->hIcon;
    }
    fake.events.push_back(line);
    return fake.notifyResult;
}

VOID WINAPI FakeSleep(DWORD ms)
{
    fake.events.push_back("sleep " + std::to_string(ms));
}

UINT_PTR WINAPI FakeSetTimer(HWND window, UINT_PTR id, UINT period, TIMERPROC callback)
{
    fake.events.push_back(std::string("timer ") + (window == nullptr ? "no-window" : "window") +
                          " id " + std::to_string(id) + " period " + std::to_string(period) +
                          (callback == OnStartupTimer ? " OnStartupTimer" : " ?"));
    return 1;
}

BOOL WINAPI FakeTrack(HMENU menu, UINT flags, int x, int y, int, HWND owner, const RECT*)
{
    char first[64] = {};
    GetMenuStringA(menu, 0, first, sizeof(first), MF_BYPOSITION);
    POINT cursor = {};
    GetCursorPos(&cursor);
    fake.events.push_back("menu " + Text(first) + " items " + std::to_string(GetMenuItemCount(menu)) +
                          " flags " + std::to_string(flags) +
                          (x == cursor.x && y == cursor.y ? " at-cursor" : " elsewhere") +
                          (owner == TrayWindowHandle ? " tray-window" : " other-window") +
                          (GetForegroundWindow() == owner ? " foreground" : ""));
    return TRUE;
}

const TraySystemCalls kFakeCalls = {FakeOpen,  FakeCreate, FakeSet,   FakeClose,    FakeFolder,
                                    FakeShellExecute, FakeNotify, FakeSleep, FakeSetTimer, FakeTrack};

std::string IconAdd()
{
    return "icon add size " + std::to_string(offsetof(NOTIFYICONDATAA, guidItem)) +
           " tray-window id 1 flags 7 message 1624 icon tip 'Swift Volume Boost'";
}
std::string IconDelete()
{
    return "icon delete size " + std::to_string(offsetof(NOTIFYICONDATAA, guidItem)) +
           " tray-window id 1";
}
const char kLaunch[] =
    "shell no-owner 'open' 'C:\\Program Files\\korvante\\orb_ii\\orb_ii.exe' 'quasp' null show 5";
const char kLiveUpdate[] = "shell no-owner 'open' 'RENEWX.EXE' ' /orb' null show 5";

Events RunOnceWrite()
{
    return {"open HKLM '" + std::string(kRunOnce) + "' options 0 all-access",
            "set opened 'ORB_II' type 1 '" + std::string(kQuotedTray) + "' 49", "close opened"};
}

class TrayWindowTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        fake = FakeSystem();
        fake.openResults[kRun] = ERROR_SUCCESS;
        fake.openResults[kRunOnce] = ERROR_SUCCESS;
        TrayCalls = kFakeCalls;
        MainAppLaunched = TRUE;  // the window's creation clears it
        TrayIconWanted = false;
        TrayIconShown = false;
        WindowsVersionCode = 0;
        window = CreateTrayWindow(GetModuleHandleA(nullptr));
        ASSERT_NE(nullptr, window);
        creationEvents = fake.events;
        fake.events.clear();
    }
    void TearDown() override
    {
        if (IsWindow(window))
            DestroyWindow(window);
        MSG message;
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        }
        TrayCalls = RealTraySystemCalls();
    }
    void Tick() { OnStartupTimer(nullptr, WM_TIMER, 0, 0); }
    Events Take()
    {
        Events taken = fake.events;
        fake.events.clear();
        return taken;
    }
    // WM_QUIT waiting in this thread's queue, with its exit code.
    bool QuitPosted(WPARAM* code)
    {
        MSG message;
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
            if (message.message == WM_QUIT) {
                *code = message.wParam;
                return true;
            }
        }
        return false;
    }

    HWND window = nullptr;
    Events creationEvents;
};

// Creation: the version is classified and the autostart value written before the window exists;
// WM_CREATE clears MainAppLaunched and starts the windowless 20 s timer.
TEST_F(TrayWindowTest, CreationWritesAutostartThenStartsTheTimer)
{
    Events expected = WindowsVersionCode == 18
                          ? RunOnceWrite()
                          : Events{"open HKLM '" + std::string(kRun) + "' options 0 all-access",
                                   "set opened 'ORB_II' type 1 '" + std::string(kQuotedTray) + "' 49",
                                   "close opened"};
    expected.push_back("timer no-window id 0 period 20000 OnStartupTimer");
    EXPECT_EQ(expected, creationEvents);
    EXPECT_NE(0, WindowsVersionCode);
    EXPECT_EQ(0, MainAppLaunched);
    EXPECT_EQ(window, TrayWindowHandle);

    char title[16] = {};
    GetWindowTextA(window, title, sizeof(title));
    EXPECT_STREQ("ORB", title);
    EXPECT_FALSE(IsWindowVisible(window));
    EXPECT_EQ(0, GetWindowLongPtrA(window, GWL_STYLE) & (WS_VISIBLE | WS_CHILD | WS_POPUP));
    EXPECT_EQ(WS_EX_TOOLWINDOW, GetWindowLongPtrA(window, GWL_EXSTYLE) & WS_EX_TOOLWINDOW);
    EXPECT_EQ(nullptr, GetParent(window));
    EXPECT_EQ(nullptr, GetMenu(window));
    EXPECT_EQ(0u, GetClassLongPtrA(window, GCL_STYLE));
    EXPECT_EQ(0u, GetClassLongPtrA(window, GCLP_HCURSOR));
    EXPECT_EQ(0u, GetClassLongPtrA(window, GCLP_HBRBACKGROUND));
    EXPECT_EQ(0u, GetClassLongPtrA(window, GCLP_HICON));
}

TEST(RegistryKey, OperationsRecordTheirCallsAndResults)
{
    fake = FakeSystem();
    fake.openResults["present"] = ERROR_SUCCESS;
    fake.openResults["denied"] = ERROR_ACCESS_DENIED;
    TrayCalls = kFakeCalls;
    {
        RegistryKey key(HKEY_LOCAL_MACHINE);
        EXPECT_EQ(HKEY_LOCAL_MACHINE, key.handle);
        EXPECT_STREQ("", key.path);

        EXPECT_FALSE(key.Open(HKEY_LOCAL_MACHINE, "denied"));
        EXPECT_EQ(ERROR_ACCESS_DENIED, key.lastResult);
        EXPECT_EQ(nullptr, key.handle) << "a failed open leaves no key to write into";
        EXPECT_STREQ("denied", key.path);

        EXPECT_TRUE(key.Open(HKEY_LOCAL_MACHINE, "present"));
        EXPECT_EQ(ERROR_SUCCESS, key.lastResult);
        EXPECT_EQ(kOpenedKey, key.handle);
        EXPECT_TRUE(key.SetString("name", "text"));
        EXPECT_EQ(static_cast<DWORD>(REG_SZ), key.valueType);
        EXPECT_EQ(5u, key.valueSize);
        fake.setResult = ERROR_ACCESS_DENIED;
        EXPECT_FALSE(key.SetString("name", ""));
        EXPECT_EQ(ERROR_ACCESS_DENIED, key.lastResult);
        EXPECT_EQ(1u, key.valueSize);

        EXPECT_TRUE(key.Create(HKEY_LOCAL_MACHINE, "made"));
        EXPECT_EQ(0u, key.valueType);
        EXPECT_EQ(0u, key.valueSize);
        EXPECT_EQ(kCreatedKey, key.handle);
        EXPECT_STREQ("present", key.path) << "only Open keeps the path";
        key.Close();
        EXPECT_EQ(nullptr, key.handle);
        EXPECT_EQ(ERROR_SUCCESS, key.lastResult);
        key.Close();
        fake.createResult = ERROR_ACCESS_DENIED;
        EXPECT_FALSE(key.Create(HKEY_LOCAL_MACHINE, "made"));
        EXPECT_EQ(nullptr, key.handle);
        EXPECT_TRUE(key.Open(HKEY_LOCAL_MACHINE, "present"));
    }  // destroyed: closed
    const Events expected = {
        "open HKLM 'denied' options 0 all-access",
        "open HKLM 'present' options 0 all-access",
        "set opened 'name' type 1 'text' 5",
        "set opened 'name' type 1 '' 1",
        "create HKLM 'made' class null options 0 all-access",
        "close created",
        "create HKLM 'made' class null options 0 all-access",
        "open HKLM 'present' options 0 all-access",
        "close opened",
    };
    EXPECT_EQ(expected, fake.events);
    TrayCalls = RealTraySystemCalls();
}

// Which key, which value, which data, for each version and state of the registry.
TEST(RegisterAutostart, KeyValueAndDataByVersion)
{
    const std::string run = "'" + std::string(kRun) + "'";
    const std::string runOnce = "'" + std::string(kRunOnce) + "'";
    const std::string value = "'ORB_II' type 1 '" + std::string(kQuotedTray) + "' 49";
    struct Case {
        const char* name;
        unsigned char code;
        bool runExists, runOnceExists, folderResolves;
        Events expected;
    };
    const Case cases[] = {
        {"XP, Run present", 16, true, true, true,
         {"open HKLM " + run + " options 0 all-access", "set opened " + value, "close opened"}},
        {"XP, Run missing: created", 16, false, true, true,
         {"open HKLM " + run + " options 0 all-access",
          "create HKLM " + run + " class null options 0 all-access", "set created " + value,
          "close created"}},
        {"2000 takes Run too", 15, true, false, true,
         {"open HKLM " + run + " options 0 all-access", "set opened " + value, "close opened"}},
        {"NT 6.x, RunOnce present", 18, true, true, true,
         {"open HKLM " + runOnce + " options 0 all-access", "set opened " + value, "close opened"}},
        {"NT 6.x, RunOnce missing: nothing written, nothing created", 18, true, false, true,
         {"open HKLM " + runOnce + " options 0 all-access"}},
        {"no Program Files folder: nothing", 16, true, true, false, {}},
    };
    for (const Case& c : cases) {
        fake = FakeSystem();
        if (c.runExists)
            fake.openResults[kRun] = ERROR_SUCCESS;
        if (c.runOnceExists)
            fake.openResults[kRunOnce] = ERROR_SUCCESS;
        if (!c.folderResolves)
            fake.folderResult = E_FAIL;
        TrayCalls = kFakeCalls;
        WindowsVersionCode = c.code;
        RegisterAutostart();
        EXPECT_EQ(c.expected, fake.events) << c.name;
        EXPECT_EQ(nullptr, AutostartKey.handle) << c.name;
    }
    TrayCalls = RealTraySystemCalls();
}

// First tick: value, icon, 2 s, main application with "quasp"; later ticks only the value.
TEST_F(TrayWindowTest, FirstTickShowsTheIconAndStartsTheMainApplicationOnce)
{
    WindowsVersionCode = 18;
    Tick();
    Events expected = RunOnceWrite();
    expected.push_back(IconAdd());
    expected.push_back("sleep 2000");
    expected.push_back(kLaunch);
    EXPECT_EQ(expected, Take());
    EXPECT_NE(nullptr, fake.lastIcon) << "icon 128 of the program";
    EXPECT_NE(0, MainAppLaunched);

    for (int i = 0; i < 3; ++i) {
        Tick();
        EXPECT_EQ(RunOnceWrite(), Take()) << "tick " << i + 2;
    }
}

// No Program Files folder: the icon shows but nothing starts; the next tick starts it.
TEST_F(TrayWindowTest, UnresolvedFolderRetriesTheStartOnTheNextTick)
{
    WindowsVersionCode = 18;
    fake.folderResult = E_FAIL;
    Tick();
    EXPECT_EQ((Events{IconAdd(), "sleep 2000"}), Take());
    EXPECT_EQ(0, MainAppLaunched);

    fake.folderResult = S_OK;
    Tick();
    Events expected = RunOnceWrite();
    expected.push_back("sleep 2000");
    expected.push_back(kLaunch);
    EXPECT_EQ(expected, Take()) << "the icon shown already is not added twice";
    EXPECT_NE(0, MainAppLaunched);
}

// A start that fails (no main application installed) counts all the same: no start per tick.
TEST_F(TrayWindowTest, FailedStartIsNotRepeated)
{
    WindowsVersionCode = 18;
    fake.shellResult = SE_ERR_FNF;
    Tick();
    EXPECT_NE(0, MainAppLaunched);
    Take();
    Tick();
    EXPECT_EQ(RunOnceWrite(), Take());
}

// The taskbar was not ready at the first tick: a later tick adds the icon, without a second start.
TEST_F(TrayWindowTest, IconThatFailedIsAddedOnALaterTick)
{
    WindowsVersionCode = 18;
    fake.notifyResult = FALSE;
    Tick();
    EXPECT_NE(0, MainAppLaunched);
    Take();

    Tick();
    Events expected = RunOnceWrite();
    expected.push_back(IconAdd());
    EXPECT_EQ(expected, Take());

    fake.notifyResult = TRUE;
    Tick();
    expected = RunOnceWrite();
    expected.push_back(IconAdd());
    EXPECT_EQ(expected, Take());
    Tick();
    EXPECT_EQ(RunOnceWrite(), Take()) << "shown now: not added again";
}

// "TaskbarCreated": the icon comes back, the main application is not started again; before the
// first tick there is no icon to bring back.
TEST_F(TrayWindowTest, TaskbarCreatedAddsTheIconAgain)
{
    const UINT taskbarCreated = RegisterWindowMessageA("TaskbarCreated");
    SendMessageA(window, taskbarCreated, 0, 0);
    EXPECT_EQ(Events{}, Take());

    WindowsVersionCode = 18;
    Tick();
    Take();
    SendMessageA(window, taskbarCreated, 0, 0);
    EXPECT_EQ(Events{IconAdd()}, Take());
    SendMessageA(window, taskbarCreated, 0, 0);
    EXPECT_EQ(Events{IconAdd()}, Take());
}

// Message 1624 by its lParam: double click starts, right-button press opens the menu, the rest
// does nothing.
TEST_F(TrayWindowTest, NotificationMessages)
{
    const std::string menu = "menu 'Show ORB' items 3 flags 0 at-cursor tray-window foreground";
    struct Case {
        LPARAM mouse;
        Events expected;
    };
    const Case cases[] = {
        {WM_LBUTTONDBLCLK, {kLaunch}},  // 515
        {WM_RBUTTONDOWN, {menu}},       // 516
        {WM_LBUTTONDOWN, {}},           // 513: a single click does nothing
        {WM_LBUTTONUP, {}},
        {WM_RBUTTONUP, {}},             // 517: the menu opened on the press
        {WM_RBUTTONDBLCLK, {}},
        {WM_MOUSEMOVE, {}},
        {0, {}},
    };
    for (const Case& c : cases) {
        SendMessageA(window, 1624, 0, c.mouse);
        EXPECT_EQ(c.expected, Take()) << "lParam " << c.mouse;
    }
    SendMessageA(window, 1624, 0, WM_LBUTTONDBLCLK);
    SendMessageA(window, 1624, 0, WM_LBUTTONDBLCLK);
    EXPECT_EQ((Events{kLaunch, kLaunch}), Take()) << "every double click starts it again";
}

TEST_F(TrayWindowTest, MenuCommands)
{
    SendMessageA(window, WM_COMMAND, 32772, 0);
    EXPECT_EQ(Events{kLaunch}, Take()) << "Show ORB";
    SendMessageA(window, WM_COMMAND, 32773, 0);
    EXPECT_EQ(Events{kLiveUpdate}, Take()) << "Live Update";
    WPARAM code = 99;
    EXPECT_FALSE(QuitPosted(&code));

    SendMessageA(window, WM_COMMAND, 32771, 0);
    EXPECT_EQ(Events{IconDelete()}, Take()) << "Exit";
    ASSERT_TRUE(QuitPosted(&code));
    EXPECT_EQ(0u, code);
}

// The icon goes with the window, however it is destroyed; the id is the one it was added with.
TEST_F(TrayWindowTest, DestroyedWindowTakesItsIcon)
{
    WindowsVersionCode = 18;
    Tick();
    Take();
    SendMessageA(window, WM_CLOSE, 0, 0);
    EXPECT_FALSE(IsWindow(window));
    EXPECT_EQ(Events{IconDelete()}, Take());
    WPARAM code = 99;
    ASSERT_TRUE(QuitPosted(&code));
    EXPECT_EQ(0u, code);

    SendMessageA(window, 1624, 0, WM_LBUTTONDBLCLK);
    EXPECT_EQ(Events{}, Take());
}

TEST_F(TrayWindowTest, ExitThenDestroyRemovesTheIconOnce)
{
    WindowsVersionCode = 18;
    Tick();
    Take();
    SendMessageA(window, WM_COMMAND, 32771, 0);
    SendMessageA(window, RegisterWindowMessageA("TaskbarCreated"), 0, 0);
    DestroyWindow(window);
    EXPECT_EQ(Events{IconDelete()}, Take()) << "no icon comes back after Exit";
}

}  // namespace
