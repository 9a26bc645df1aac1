#pragma once
// OrbTray's hidden window "ORB", its notification icon, menu and start-up timer. One handler
// per message of the window's table; the registry and shell calls go through TrayCalls.
#include <windows.h>

#include "tray/registry_key_win32.h"

constexpr char kTrayWindowTitle[] = "ORB";
constexpr char kTrayWindowClass[] = "OrbTrayWindow";
constexpr char kTrayTip[] = "Swift Volume Boost";
constexpr UINT kTrayCallbackMessage = WM_USER + 600;  // 1624
constexpr UINT kStartupTimerPeriod = 20000;           // ms
constexpr DWORD kLaunchDelay = 2000;                  // ms between the icon and the main application
constexpr UINT kTrayIconId = 1;                       // adds and removes the one icon
constexpr WORD kTrayIconResource = 128;
constexpr WORD kTrayMenuResource = 129;
constexpr UINT kCommandExit = 32771;
constexpr UINT kCommandShowOrb = 32772;
constexpr UINT kCommandLiveUpdate = 32773;

extern LONG MainAppLaunched;    // set once the timer has started the main application
extern HWND TrayWindowHandle;   // kept at WM_CREATE; identifies the icon
extern RegistryKey AutostartKey;
extern bool TrayIconWanted;     // the first tick has come: the icon belongs in the taskbar
extern bool TrayIconShown;      // the last NIM_ADD succeeded and no NIM_DELETE followed
extern UINT TaskbarCreatedMessage;

// Classifies the Windows version, writes the autostart value and creates the hidden window
// (WS_EX_TOOLWINDOW, style 0, title "ORB"). Null when the window can't be created.
HWND CreateTrayWindow(HINSTANCE instance);
LRESULT CALLBACK TrayWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

void CALLBACK OnStartupTimer(HWND, UINT, UINT_PTR, DWORD);
void RegisterAutostart();
void LaunchMainApplication();
void StartLiveUpdate();
void ShowTrayMenu(HWND window);
bool AddTrayIcon();
void RemoveTrayIcon();
