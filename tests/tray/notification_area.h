// Wine's virtual desktop as a user meets it: the taskbar, the icons of its notification area
// found by looking at the screen, real mouse input at a point and the keyboard in a menu.
#pragma once

#include <windows.h>

#include <vector>

namespace traytest {

// Wine's taskbar window ("Shell_TrayWnd"), or null when the session has none.
HWND Taskbar();

// The pixels of a screen rectangle, as the user sees them (32-bit 0x00RRGGBB, rows top down).
struct ScreenPixels {
    RECT area = {};
    std::vector<DWORD> pixels;
    bool operator==(const ScreenPixels& other) const { return pixels == other.pixels; }
};
ScreenPixels CaptureScreen(const RECT& area);

// The notification area: the right end of the taskbar, where Wine draws the icons. An icon is
// whatever differs there from the taskbar's own colour; `centre` receives the middle of the
// rightmost one.
bool FindNotificationIcon(POINT* centre);

// Real input at a screen point: the cursor is placed there (and checked), then the buttons go
// down and up through mouse_event, as a hand on the mouse would do it.
void LeftClickAt(POINT at);
void DoubleClickAt(POINT at);
void RightClickAt(POINT at);

// The number of items of an open popup menu, read off the screen: the highlight is moved down
// with the keyboard until the menu looks as it did after an earlier move; the highlight is left
// on the first item.
int CountMenuItems(HWND menu);
void PressKey(BYTE vk);

}  // namespace traytest
