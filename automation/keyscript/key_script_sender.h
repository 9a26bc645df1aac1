#pragma once
// OrbLib's one key-script sender and the window activation that the wizard steps stand on.
#include <windows.h>

#include <list>

#include "automation/keyscript/key_script.h"

// The process-wide sender: its targetWindow is the window last found by ActivateTargetWindow,
// its defaultDelay (set by {DELAY=n}) carries over from one script to the next.
//   keyScriptSender.SendKeyScript("{DELAY=200}%m{TAB}~");
//   keyScriptSender.ActivateTargetWindow("Intel(R) Rapid Storage Technology", nullptr);
extern KeyScriptSender keyScriptSender;

// Key-down events sent through keybd_event since the library was loaded, for the trace.
extern unsigned long keyDownsSent;

// Top-left corner of a placed window: the registry's "left" + 12 and "top" + 8, read once at load.
extern LONG TargetLeft;
extern LONG TargetTop;
constexpr int TargetWidth = 520;
constexpr int TargetHeight = 385;

// Visible top-level windows appended by CollectVisibleWindow, oldest first; freed at unload.
extern std::list<HWND> VisibleWindowList;

// Brings the window to the foreground, restores it, moves it to (TargetLeft, TargetTop) at
// 520 by 385, shows and focuses it. False only for a null handle.
bool PlaceTargetWindow(HWND window);

// Reads HKLM\SOFTWARE\KORVANTE\ORB2_APP "left"/"top" (32-bit view) into TargetLeft/TargetTop.
void LoadWindowPosition();

// What MatchWindowText receives: the search block (title, NUL, class, NUL, zeros) and the slot
// for the window found.
struct WindowSearch {
    const char* block;
    HWND found;
};

// EnumWindows callback of ActivateTargetWindow; parameter: a WindowSearch.
BOOL CALLBACK MatchWindowText(HWND window, LPARAM search);

// EnumDesktopWindows callback: appends visible windows to VisibleWindowList; always TRUE.
BOOL CALLBACK CollectVisibleWindow(HWND window, LPARAM unused);
