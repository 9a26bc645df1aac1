// OrbTray.exe end to end under Wine: the real program, the real registry of the prefix, the
// stand-ins of the main application and the update program, and the icon in the notification
// area of Wine's virtual desktop, clicked with the mouse. Every wait is a bounded poll for a
// condition.
#include <windows.h>
#include <shellapi.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "notification_area.h"
#include "testing/support/program_files_win32.h"
#include "testing/support/this_program_win32.h"
#include "testing/support/wait_for.h"

namespace {

using traytest::DoubleClickAt;
using traytest::FindNotificationIcon;
using traytest::LeftClickAt;
using traytest::RightClickAt;

const char kRun[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
const char kRunOnce[] = "Software\\Microsoft\\Windows\\CurrentVersion\\RunOnce";
const char kAppDefaults[] = "Software\\Wine\\AppDefaults\\OrbTray.exe";

DWORD Now()
{
    return GetTickCount();
}

std::string MainAppFolder()
{
    return ProgramFilesFolder() + "\\korvante\\orb_ii";
}
std::string MainAppLog()
{
    return MainAppFolder() + "\\orb_ii.standin.log";
}
std::string UpdateLog()
{
    return ThisProgramFolder() + "RENEWX.standin.log";
}
std::string QuotedAutostart()
{
    return "\"" + ProgramFilesFolder() + "\\korvante\\orb_ii\\orb2_tray.exe\"";
}

std::vector<std::string> LogLines(const std::string& path)
{
    std::vector<std::string> lines;
    FILE* file = fopen(path.c_str(), "rb");
    if (file == nullptr)
        return lines;
    char line[1024];
    while (fgets(line, sizeof(line), file) != nullptr) {
        std::string text = line;
        while (!text.empty() && (text.back() == '\n' || text.back() == '\r'))
            text.pop_back();
        lines.push_back(text);
    }
    fclose(file);
    return lines;
}

// The 64-bit registry view: where a 64-bit OrbTray's calls land (no KEY_WOW64 flags).
bool ReadValue(const char* key, const char* name, std::string* data)
{
    HKEY opened;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, key, 0, KEY_QUERY_VALUE | KEY_WOW64_64KEY, &opened) != 0)
        return false;
    char buffer[512] = {};
    DWORD size = sizeof(buffer) - 1, type = 0;
    const LONG result = RegQueryValueExA(opened, name, nullptr, &type,
                                         reinterpret_cast<BYTE*>(buffer), &size);
    RegCloseKey(opened);
    if (result != 0 || type != REG_SZ)
        return false;
    *data = buffer;
    return true;
}
bool HasValue(const char* key)
{
    std::string data;
    return ReadValue(key, "ORB_II", &data);
}
bool KeyExists(const char* key)
{
    HKEY opened;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, key, 0, KEY_READ | KEY_WOW64_64KEY, &opened) != 0)
        return false;
    RegCloseKey(opened);
    return true;
}
void DeleteValue(const char* key)
{
    HKEY opened;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, key, 0, KEY_SET_VALUE | KEY_WOW64_64KEY, &opened) == 0) {
        RegDeleteValueA(opened, "ORB_II");
        RegCloseKey(opened);
    }
}
void EnsureKey(const char* key)
{
    HKEY created;
    ASSERT_EQ(0, RegCreateKeyExA(HKEY_LOCAL_MACHINE, key, 0, nullptr, 0, KEY_ALL_ACCESS | KEY_WOW64_64KEY,
                                 nullptr, &created, nullptr));
    RegCloseKey(created);
}
void SetWineVersion(const char* version)
{
    HKEY key;
    ASSERT_EQ(0, RegCreateKeyExA(HKEY_CURRENT_USER, kAppDefaults, 0, nullptr, 0, KEY_ALL_ACCESS,
                                 nullptr, &key, nullptr));
    RegSetValueExA(key, "Version", 0, REG_SZ, reinterpret_cast<const BYTE*>(version),
                   static_cast<DWORD>(strlen(version) + 1));
    RegCloseKey(key);
}

struct TrayProcess {
    PROCESS_INFORMATION info = {};
    DWORD started = 0;
    ~TrayProcess()
    {
        if (info.hProcess != nullptr) {
            if (WaitForSingleObject(info.hProcess, 0) == WAIT_TIMEOUT)
                TerminateProcess(info.hProcess, 99);
            CloseHandle(info.hProcess);
            CloseHandle(info.hThread);
        }
    }
    bool Ended(DWORD limit) const { return WaitForSingleObject(info.hProcess, limit) == WAIT_OBJECT_0; }
    DWORD ExitCode() const
    {
        DWORD code = 12345;
        GetExitCodeProcess(info.hProcess, &code);
        return code;
    }
};

// Starts OrbTray.exe with C:\ as its working folder: what it starts must be found without it.
void StartTray(TrayProcess* tray)
{
    const std::string program = ThisProgramFolder() + "OrbTray.exe";
    STARTUPINFOA startup = {};
    startup.cb = sizeof(startup);
    tray->started = Now();
    ASSERT_TRUE(CreateProcessA(program.c_str(), nullptr, nullptr, nullptr, FALSE, 0, nullptr, "C:\\",
                               &startup, &tray->info))
        << program;
}

// The top-level windows titled "ORB" of one process (or of any, with 0).
std::vector<HWND> OrbWindows(DWORD process)
{
    struct Search {
        DWORD process;
        std::vector<HWND> found;
    } search = {process, {}};
    EnumWindows(
        [](HWND window, LPARAM context) CALLBACK -> BOOL {
            auto* s = reinterpret_cast<Search*>(context);
            char title[16] = {};
            GetWindowTextA(window, title, sizeof(title));
            DWORD owner = 0;
            GetWindowThreadProcessId(window, &owner);
            if (strcmp(title, "ORB") == 0 && (s->process == 0 || owner == s->process))
                s->found.push_back(window);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

// FindWindowA by the title, checked to be the window of the copy under test.
HWND WaitForTrayWindow(const TrayProcess& tray)
{
    HWND window = nullptr;
    WaitFor(
        [&] {
            window = FindWindowA(nullptr, "ORB");
            DWORD owner = 0;
            GetWindowThreadProcessId(window, &owner);
            return window != nullptr && owner == tray.info.dwProcessId;
        },
        std::chrono::milliseconds(15000));
    return window;
}

HWND VisibleMenuOf(DWORD process)
{
    HWND menu = nullptr;
    while ((menu = FindWindowExA(nullptr, menu, "#32768", nullptr)) != nullptr) {
        DWORD owner = 0;
        GetWindowThreadProcessId(menu, &owner);
        if (owner == process && IsWindowVisible(menu))
            return menu;
    }
    return nullptr;
}

// Asks tray_e2e.sh for a screenshot of `region` and waits until it is taken.
void Screenshot(const char* name, const RECT& region)
{
    char folder[MAX_PATH] = {};
    if (GetEnvironmentVariableA("ORB_TRAY_ARTIFACTS", folder, sizeof(folder)) == 0)
        return;  // not run by tray_e2e.sh
    const std::string base = std::string(folder) + "\\" + name;
    FILE* request = fopen((base + ".request").c_str(), "wb");
    ASSERT_NE(nullptr, request);
    fprintf(request, "%ld %ld %ld %ld\n", region.left, region.top, region.right, region.bottom);
    fclose(request);
    EXPECT_TRUE(WaitFor([&] { return GetFileAttributesA((base + ".done").c_str()) != INVALID_FILE_ATTRIBUTES; },
                        std::chrono::milliseconds(30000)))
        << "screenshot " << name;
}

// The session's desktop has a taskbar (Wine's virtual desktop "shell"; the bare display has none).
bool HasTaskbar()
{
    static const bool found = WaitFor([] { return traytest::Taskbar() != nullptr; }, std::chrono::milliseconds(10000));
    return found;
}

class TrayEndToEnd : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        // The stand-in main application where the tray program looks for it.
        const std::string korvante = ProgramFilesFolder() + "\\korvante";
        CreateDirectoryA(korvante.c_str(), nullptr);
        CreateDirectoryA(MainAppFolder().c_str(), nullptr);
        ASSERT_TRUE(CopyFileA((ThisProgramFolder() + "orb_ii.exe").c_str(),
                              (MainAppFolder() + "\\orb_ii.exe").c_str(), FALSE));
    }
    void SetUp() override
    {
        ASSERT_TRUE(OrbWindows(0).empty()) << "a tray program still runs";
        POINT ghost = {};
        if (HasTaskbar()) {
            ASSERT_TRUE(WaitFor([&] { return !FindNotificationIcon(&ghost); }, std::chrono::milliseconds(15000)))
                << "an icon is left in the notification area at " << ghost.x << "," << ghost.y;
        }
        DeleteFileA(MainAppLog().c_str());
        DeleteFileA(UpdateLog().c_str());
        DeleteValue(kRun);
        DeleteValue(kRunOnce);
    }
};

// The whole life of one copy on Windows 7 (RunOnce present): single instance, the autostart
// value and its repair, the main application about 22 s after start and on request, the update
// program from the menu, Exit.
TEST_F(TrayEndToEnd, OneRunOnWindows7)
{
    // The session always starts Wine's virtual desktop with its taskbar: none is a failure.
    ASSERT_TRUE(HasTaskbar()) << "no taskbar within 10 s";
    SetWineVersion("win7");
    EnsureKey(kRunOnce);
    // The stand-ins stay until released, so that the later starts meet a running main application.
    SetEnvironmentVariableA("ORB_STANDIN_STAY", "1");
    HANDLE release = CreateEventA(nullptr, TRUE, FALSE, "OrbStandinRelease");
    ASSERT_NE(nullptr, release);

    TrayProcess tray;
    StartTray(&tray);
    const HWND window = WaitForTrayWindow(tray);
    ASSERT_NE(nullptr, window) << "window \"ORB\"";
    std::string data;
    ASSERT_TRUE(ReadValue(kRunOnce, "ORB_II", &data)) << "written before the window exists";
    EXPECT_EQ(QuotedAutostart(), data);
    EXPECT_FALSE(HasValue(kRun));
    EXPECT_FALSE(IsWindowVisible(window));

    // A second copy ends at once, writes nothing and leaves the first alone.
    DeleteValue(kRunOnce);
    DWORD deleted = Now();
    {
        TrayProcess second;
        StartTray(&second);
        ASSERT_TRUE(second.Ended(15000));
        EXPECT_EQ(0u, second.ExitCode());
        EXPECT_TRUE(OrbWindows(second.info.dwProcessId).empty());
    }
    EXPECT_FALSE(HasValue(kRunOnce)) << "the second copy wrote the autostart value";
    EXPECT_EQ(std::vector<HWND>{window}, OrbWindows(0));

    // No icon before the first tick; the tick 20 s after start adds it and writes the value again.
    POINT icon = {};
    EXPECT_FALSE(FindNotificationIcon(&icon)) << "an icon before the first tick";
    ASSERT_TRUE(WaitFor([&] { return FindNotificationIcon(&icon); }, std::chrono::milliseconds(20000 + 5000 - static_cast<DWORD>(Now() - tray.started))))
        << "no icon in the notification area after the first tick";
    printf("icon at %ld,%ld, %.1f s after start\n", icon.x, icon.y, (Now() - tray.started) / 1000.0);
    EXPECT_TRUE(WaitFor([] { return HasValue(kRunOnce); }, std::chrono::milliseconds(20000 + 5000 - static_cast<DWORD>(Now() - deleted))))
        << "deleted value not back within one period";

    // The main application: once, with "quasp", about 22 s after start.
    ASSERT_TRUE(WaitFor([] { return !LogLines(MainAppLog()).empty(); }, std::chrono::milliseconds(40000)));
    const double seconds = (Now() - tray.started) / 1000.0;
    printf("main application started %.1f s after the tray program\n", seconds);
    EXPECT_GE(seconds, 21.5);
    EXPECT_LE(seconds, 30.0);
    std::vector<std::string> lines = LogLines(MainAppLog());
    ASSERT_EQ(1u, lines.size());
    EXPECT_EQ(" quasp", lines[0]) << "parameters after the program name";

    // Deleted again: back at the next tick, which starts nothing.
    DeleteValue(kRunOnce);
    deleted = Now();

    // A double click on the icon and "Show ORB" each start it again, though it runs; a single
    // click does nothing.
    DoubleClickAt(icon);
    EXPECT_TRUE(WaitFor([] { return LogLines(MainAppLog()).size() == 2; }, std::chrono::milliseconds(15000))) << "double click";
    LeftClickAt(icon);
    PostMessageA(window, WM_COMMAND, 32772, 0);
    EXPECT_TRUE(WaitFor([] { return LogLines(MainAppLog()).size() == 3; }, std::chrono::milliseconds(15000)));

    // A right click opens the menu at the cursor, with its three items; "Live Update" chosen
    // with the keys.
    RightClickAt(icon);
    HWND menu = nullptr;
    ASSERT_TRUE(WaitFor([&] { return (menu = VisibleMenuOf(tray.info.dwProcessId)) != nullptr; }, std::chrono::milliseconds(15000)))
        << "no menu after a right click on the icon";
    RECT rect = {}, bar = {};
    GetWindowRect(menu, &rect);
    GetWindowRect(traytest::Taskbar(), &bar);
    // At the cursor, moved up out of the taskbar as far as it must be.
    const RECT around = {rect.left - 2, rect.top - 2, rect.right + 3, std::max(rect.bottom, bar.bottom) + 1};
    EXPECT_TRUE(PtInRect(&around, icon) && rect.bottom <= bar.top + 2)
        << "menu " << rect.left << "," << rect.top << " - " << rect.right << "," << rect.bottom
        << " away from the cursor at " << icon.x << "," << icon.y;
    EXPECT_EQ(3, traytest::CountMenuItems(menu));
    // What the user sees: the taskbar with the icon at its right end, and the menu above it.
    const RECT seen = {bar.left, std::min(rect.top, bar.top), bar.right, bar.bottom};
    Screenshot("tray-menu", seen);
    traytest::PressKey(VK_DOWN);  // the highlight is back on the first item after the count
    traytest::PressKey(VK_RETURN);
    ASSERT_TRUE(WaitFor([] { return !LogLines(UpdateLog()).empty(); }, std::chrono::milliseconds(15000))) << "RENEWX.EXE";
    EXPECT_EQ(" /orb", LogLines(UpdateLog())[0].substr(LogLines(UpdateLog())[0].size() - 5));
    EXPECT_TRUE(WaitFor([&] { return VisibleMenuOf(tray.info.dwProcessId) == nullptr; }, std::chrono::milliseconds(15000)));
    EXPECT_EQ(3u, LogLines(MainAppLog()).size());

    EXPECT_TRUE(WaitFor([] { return HasValue(kRunOnce); }, std::chrono::milliseconds(20000 + 5000 - static_cast<DWORD>(Now() - deleted))))
        << "deleted value not back within one period";
    lines = LogLines(MainAppLog());
    EXPECT_EQ((std::vector<std::string>{" quasp", " quasp", " quasp"}), lines)
        << "the second tick started the main application again";

    // Exit, from the menu: the last item, reached upwards from the first.
    RightClickAt(icon);
    ASSERT_TRUE(WaitFor([&] { return (menu = VisibleMenuOf(tray.info.dwProcessId)) != nullptr; }, std::chrono::milliseconds(15000)));
    traytest::PressKey(VK_UP);
    traytest::PressKey(VK_RETURN);
    ASSERT_TRUE(tray.Ended(15000));
    EXPECT_EQ(0u, tray.ExitCode());
    EXPECT_FALSE(IsWindow(window));
    EXPECT_TRUE(WaitFor([&] { return !FindNotificationIcon(&icon); }, std::chrono::milliseconds(15000))) << "a ghost icon after Exit";

    SetEvent(release);
    CloseHandle(release);
    SetEnvironmentVariableA("ORB_STANDIN_STAY", nullptr);
}

// A new taskbar knows no icon until its owner adds it again: the icon is taken from the
// notification area as a restarted taskbar would lose it, and "TaskbarCreated" is announced to
// every top-level window, as the shell does when its taskbar comes back.
TEST_F(TrayEndToEnd, IconComesBackAfterTheTaskbarRestarts)
{
    // The session always starts Wine's virtual desktop with its taskbar: none is a failure.
    ASSERT_TRUE(HasTaskbar()) << "no taskbar within 10 s";
    SetWineVersion("win7");
    EnsureKey(kRunOnce);
    TrayProcess tray;
    StartTray(&tray);
    const HWND window = WaitForTrayWindow(tray);
    ASSERT_NE(nullptr, window);
    POINT icon = {};
    ASSERT_TRUE(WaitFor([&] { return FindNotificationIcon(&icon); }, std::chrono::milliseconds(25000)));

    NOTIFYICONDATAA data = {};
    data.cbSize = sizeof(data);
    data.hWnd = window;
    data.uID = 1;
    ASSERT_TRUE(Shell_NotifyIconA(NIM_DELETE, &data));
    ASSERT_TRUE(WaitFor([&] { return !FindNotificationIcon(&icon); }, std::chrono::milliseconds(15000)));
    const DWORD announced = Now();
    PostMessageA(HWND_BROADCAST, RegisterWindowMessageA("TaskbarCreated"), 0, 0);
    EXPECT_TRUE(WaitFor([&] { return FindNotificationIcon(&icon); }, std::chrono::milliseconds(20000)))
        << "the icon did not come back within one tick";
    printf("icon back %.1f s after \"TaskbarCreated\"\n", (Now() - announced) / 1000.0);

    PostMessageA(window, WM_CLOSE, 0, 0);
    ASSERT_TRUE(tray.Ended(15000));
    EXPECT_TRUE(WaitFor([&] { return !FindNotificationIcon(&icon); }, std::chrono::milliseconds(15000))) << "a ghost icon after WM_CLOSE";
}

// After every copy has ended a new one starts normally. On XP the value goes under Run, which
// is created when missing; nothing goes under RunOnce.
TEST_F(TrayEndToEnd, WindowsXpWritesUnderRunCreatingIt)
{
    SetWineVersion("winxp");
    RegDeleteKeyA(HKEY_LOCAL_MACHINE, kRun);
    ASSERT_FALSE(KeyExists(kRun));
    EnsureKey(kRunOnce);
    TrayProcess tray;
    StartTray(&tray);
    const HWND window = WaitForTrayWindow(tray);
    ASSERT_NE(nullptr, window);
    std::string data;
    ASSERT_TRUE(ReadValue(kRun, "ORB_II", &data));
    EXPECT_EQ(QuotedAutostart(), data);
    EXPECT_FALSE(HasValue(kRunOnce));

    PostMessageA(window, WM_COMMAND, 32771, 0);
    ASSERT_TRUE(tray.Ended(15000));
    EXPECT_EQ(0u, tray.ExitCode());
    SetWineVersion("win7");
}

// Windows 7 without RunOnce: no value anywhere and no key created. WM_CLOSE ends the program too.
TEST_F(TrayEndToEnd, Windows7WithoutRunOnceWritesNothing)
{
    SetWineVersion("win7");
    RegDeleteKeyA(HKEY_LOCAL_MACHINE, kRunOnce);
    ASSERT_FALSE(KeyExists(kRunOnce));
    TrayProcess tray;
    StartTray(&tray);
    const HWND window = WaitForTrayWindow(tray);
    ASSERT_NE(nullptr, window);
    EXPECT_FALSE(KeyExists(kRunOnce));
    EXPECT_FALSE(HasValue(kRun));

    PostMessageA(window, WM_CLOSE, 0, 0);
    ASSERT_TRUE(tray.Ended(15000));
    EXPECT_EQ(0u, tray.ExitCode());
    EnsureKey(kRunOnce);
}

}  // namespace
