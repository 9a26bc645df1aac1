#pragma once
// How a setup, or support by hand, ends the running tray before its files are replaced or removed:
// WM_CLOSE to every top-level window of the class "OrbTrayWindow" (kTrayWindowClass). The tray's
// window then removes its icon and the program ends; the autostart value stays as it was, for the
// setup to remove. tools/orb_restore.exe /stop-tray does it; a setup may post the message itself.
#include <windows.h>

struct TrayStopCounts {
    int found;    // tray windows on this desktop
    int stopped;  // of them, gone (and their program ended) within the wait
};

// Asks every tray of the calling program's desktop to end and waits up to `waitMs` for each.
TrayStopCounts StopRunningTrays(DWORD waitMs);
// (The tray lets WM_CLOSE through from a setup of a lower integrity level: tray_window_win32.cpp.)
