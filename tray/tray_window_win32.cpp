#include "tray/tray_window_win32.h"

#include <shellapi.h>
#include <shlobj.h>

#include <cstddef>
#include <cstring>

#include "common/windows_version_win32.h"
#include "tray/autostart.h"
#include "tray/launch_targets.h"
#include "tray/system_calls_win32.h"

// Shell_NotifyIconA takes the layout with the 128-character tip (up to dwInfoFlags).
constexpr DWORD kNotifyIconDataSize = offsetof(NOTIFYICONDATAA, guidItem);
#if defined(_M_IX86) || defined(__i386__)
static_assert(kNotifyIconDataSize == 488, "the notify-icon structure with a 128-character tip");
#endif
static_assert(NIF_MESSAGE + NIF_ICON + NIF_TIP == 7, "icon flags");
static_assert(kTrayCallbackMessage == 1624, "tray callback message");

LONG MainAppLaunched;
HWND TrayWindowHandle;
RegistryKey AutostartKey(HKEY_LOCAL_MACHINE);
bool TrayIconWanted;
bool TrayIconShown;
UINT TaskbarCreatedMessage;

static HINSTANCE TrayInstance;

// SHGetFolderPathA writes up to MAX_PATH characters.
static bool ResolveProgramFilesFolder(char (&folder)[MAX_PATH])
{
    memset(folder, 0, sizeof(folder));
    const HRESULT result = TrayCalls.shGetFolderPath(nullptr, CSIDL_PROGRAM_FILES, nullptr, 0, folder);
    folder[MAX_PATH - 1] = '\0';
    return result == S_OK && folder[0] != '\0';
}

void RegisterAutostart()
{
    char folder[MAX_PATH];
    if (!ResolveProgramFilesFolder(folder))
        return;
    char command[300];
    if (!BuildAutostartCommand(folder, command, sizeof(command)))
        return;
    const AutostartKeyChoice key = ChooseAutostartKey(WindowsVersionCode);
    bool opened = AutostartKey.Open(HKEY_LOCAL_MACHINE, key.path);
    if (!opened && key.createWhenMissing)
        opened = AutostartKey.Create(HKEY_LOCAL_MACHINE, key.path);
    if (opened)
        AutostartKey.SetString(kAutostartValueName, command);
    AutostartKey.Close();
}

void LaunchMainApplication()
{
    char folder[MAX_PATH];
    char program[MAX_PATH];
    if (!ResolveProgramFilesFolder(folder) || !BuildMainApplicationPath(folder, program, sizeof(program)))
        return;
    TrayCalls.shellExecute(nullptr, kOpenVerb, program, kLaunchToken, nullptr, SW_SHOW);
}

void StartLiveUpdate()
{
    TrayCalls.shellExecute(nullptr, kOpenVerb, kUpdateProgram, kUpdateParameters, nullptr, SW_SHOW);
}

static NOTIFYICONDATAA TrayIconData()
{
    NOTIFYICONDATAA data;
    memset(&data, 0, sizeof(data));
    data.cbSize = kNotifyIconDataSize;
    data.hWnd = TrayWindowHandle;
    data.uID = kTrayIconId;
    return data;
}

bool AddTrayIcon()
{
    NOTIFYICONDATAA data = TrayIconData();
    data.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    data.uCallbackMessage = kTrayCallbackMessage;
    data.hIcon = LoadIconA(TrayInstance, MAKEINTRESOURCEA(kTrayIconResource));
    strncpy(data.szTip, kTrayTip, sizeof(data.szTip) - 1);
    TrayIconShown = TrayCalls.shellNotifyIcon(NIM_ADD, &data) != FALSE;
    return TrayIconShown;
}

void RemoveTrayIcon()
{
    NOTIFYICONDATAA data = TrayIconData();
    TrayCalls.shellNotifyIcon(NIM_DELETE, &data);
    TrayIconShown = false;
}

void CALLBACK OnStartupTimer(HWND, UINT, UINT_PTR, DWORD)
{
    RegisterAutostart();
    if (MainAppLaunched) {
        // The icon could not be added when its tick came (no taskbar yet): try again, but the
        // main application has been started and is not started again.
        if (TrayIconWanted && !TrayIconShown)
            AddTrayIcon();
        return;
    }
    TrayIconWanted = true;
    if (!TrayIconShown)
        AddTrayIcon();
    TrayCalls.sleep(kLaunchDelay);
    char folder[MAX_PATH];
    char program[MAX_PATH];
    if (!ResolveProgramFilesFolder(folder) || !BuildMainApplicationPath(folder, program, sizeof(program)))
        return;  // retried on the next tick
    TrayCalls.shellExecute(nullptr, kOpenVerb, program, kLaunchToken, nullptr, SW_SHOW);
    MainAppLaunched = TRUE;  // whatever the start returned
}

void ShowTrayMenu(HWND window)
{
    HMENU menu = LoadMenuA(TrayInstance, MAKEINTRESOURCEA(kTrayMenuResource));
    if (menu == nullptr)
        return;
    HMENU popup = GetSubMenu(menu, 0);
    POINT cursor = {};
    GetCursorPos(&cursor);
    // In the foreground, the menu closes when the user clicks elsewhere.
    SetForegroundWindow(window);
    if (popup != nullptr)
        TrayCalls.trackPopupMenu(popup, 0, cursor.x, cursor.y, 0, window, nullptr);
    // Lets the next menu of a notification icon open and stay open.
    PostMessageA(window, WM_NULL, 0, 0);
    DestroyMenu(menu);
}

static LRESULT OnCreate(HWND window, WPARAM wParam, LPARAM lParam)
{
    if (DefWindowProcA(window, WM_CREATE, wParam, lParam) == -1)
        return -1;
    TrayWindowHandle = window;
    MainAppLaunched = FALSE;
    TrayCalls.setTimer(nullptr, 0, kStartupTimerPeriod, OnStartupTimer);
    return 0;
}

static LRESULT OnTrayNotify(HWND window, LPARAM lParam)
{
    switch (lParam) {
    case WM_LBUTTONDBLCLK:  // 515
        LaunchMainApplication();
        break;
    case WM_RBUTTONDOWN:    // 516: the menu opens on press, not on release
        ShowTrayMenu(window);
        break;
    default:
        break;
    }
    return 0;
}

static LRESULT OnCommand(HWND window, WPARAM wParam, LPARAM lParam)
{
    switch (LOWORD(wParam)) {
    case kCommandShowOrb:
        LaunchMainApplication();
        return 0;
    case kCommandLiveUpdate:
        StartLiveUpdate();
        return 0;
    case kCommandExit:
        TrayIconWanted = false;
        RemoveTrayIcon();
        PostQuitMessage(0);
        return 0;
    default:
        return DefWindowProcA(window, WM_COMMAND, wParam, lParam);
    }
}

// The taskbar was (re)created: an icon that belongs there is added again.
static LRESULT OnTaskbarCreated()
{
    if (TrayIconWanted)
        AddTrayIcon();
    return 0;
}

// Whatever destroys the window (WM_CLOSE, the end of the session, the end of the message
// loop), the icon goes with it; as the program's only window its end ends the program.
static LRESULT OnDestroy()
{
    TrayIconWanted = false;
    if (TrayIconShown)
        RemoveTrayIcon();
    PostQuitMessage(0);
    return 0;
}

LRESULT CALLBACK TrayWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == TaskbarCreatedMessage && message != 0)
        return OnTaskbarCreated();
    switch (message) {
    case WM_CREATE:
        return OnCreate(window, wParam, lParam);
    case kTrayCallbackMessage:
        return OnTrayNotify(window, lParam);
    case WM_COMMAND:
        return OnCommand(window, wParam, lParam);
    case WM_DESTROY:
        return OnDestroy();
    default:
        return DefWindowProcA(window, message, wParam, lParam);
    }
}

// The stop message (tray/tray_stop_win32.h) comes from a setup that may run with a lower
// integrity level than the tray, which asks for administrator rights: on Windows Vista and 7 the
// window lets WM_CLOSE through. ChangeWindowMessageFilter is looked up, so that the tray still
// loads on Windows XP, which has no such filter.
static void AcceptStopMessage()
{
    using ChangeFilter = BOOL(WINAPI*)(UINT, DWORD);
    HMODULE user32 = GetModuleHandleA("user32.dll");
    auto change = user32 != nullptr
                      ? reinterpret_cast<ChangeFilter>(GetProcAddress(user32, "ChangeWindowMessageFilter"))
                      : nullptr;
    if (change != nullptr)
        change(WM_CLOSE, 1 /* MSGFLT_ADD */);
}

HWND CreateTrayWindow(HINSTANCE instance)
{
    TrayInstance = instance;
    ClassifyWindowsVersion();
    RegisterAutostart();
    TaskbarCreatedMessage = RegisterWindowMessageA("TaskbarCreated");
    AcceptStopMessage();

    WNDCLASSA windowClass = {};  // no class style, cursor, background brush or icon
    windowClass.lpfnWndProc = TrayWindowProc;
    windowClass.hInstance = instance;
    windowClass.lpszClassName = kTrayWindowClass;
    RegisterClassA(&windowClass);
    return CreateWindowExA(WS_EX_TOOLWINDOW, kTrayWindowClass, kTrayWindowTitle, 0, 0, 0, 0, 0,
                           nullptr, nullptr, instance, nullptr);
}
