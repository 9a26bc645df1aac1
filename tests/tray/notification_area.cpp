#include "notification_area.h"

#include <algorithm>
#include <vector>

#include "testing/support/wait_for.h"

namespace traytest {

namespace {

// For the cursor to arrive and a menu to redraw.
const std::chrono::milliseconds kSettleLimit(5000), kLook(20);

void PressButton(DWORD down, DWORD up)
{
    mouse_event(down, 0, 0, 0, 0);
    mouse_event(up, 0, 0, 0, 0);
}

void MoveTo(POINT at)
{
    WaitFor(
        [&] {
            SetCursorPos(at.x, at.y);
            POINT now = {};
            return GetCursorPos(&now) && now.x == at.x && now.y == at.y;
        },
        kSettleLimit, kLook);
}

}  // namespace

HWND Taskbar()
{
    return FindWindowA("Shell_TrayWnd", nullptr);
}

ScreenPixels CaptureScreen(const RECT& area)
{
    ScreenPixels shot;
    shot.area = area;
    const int width = area.right - area.left, height = area.bottom - area.top;
    if (width <= 0 || height <= 0)
        return shot;
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;  // top down
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(memory, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (bitmap != nullptr && bits != nullptr) {
        HGDIOBJ old = SelectObject(memory, bitmap);
        BitBlt(memory, 0, 0, width, height, screen, area.left, area.top, SRCCOPY);
        GdiFlush();
        const DWORD* first = static_cast<const DWORD*>(bits);
        shot.pixels.assign(first, first + width * height);
        for (DWORD& pixel : shot.pixels)
            pixel &= 0x00FFFFFF;
        SelectObject(memory, old);
        DeleteObject(bitmap);
    }
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    return shot;
}

bool FindNotificationIcon(POINT* centre)
{
    RECT bar = {};
    if (!GetWindowRect(Taskbar(), &bar))
        return false;
    // The taskbar's frame is two pixels; its face colour is what the corner inside shows.
    const RECT area = {std::max(bar.left, bar.right - 120), bar.top + 2, bar.right - 2, bar.bottom - 2};
    const ScreenPixels shot = CaptureScreen(area);
    const int width = area.right - area.left;
    if (shot.pixels.empty())
        return false;
    const DWORD face = shot.pixels[0];
    int left = width, right = -1, top = 0, bottom = -1, rows = static_cast<int>(shot.pixels.size()) / width;
    top = rows;
    for (int y = 0; y < rows; ++y)
        for (int x = 0; x < width; ++x)
            if (shot.pixels[y * width + x] != face) {
                left = std::min(left, x), right = std::max(right, x);
                top = std::min(top, y), bottom = std::max(bottom, y);
            }
    if (right < 0)
        return false;
    // Several icons side by side: keep the rightmost, at most one icon (16 px plus margins) wide.
    left = std::max(left, right - 20);
    centre->x = area.left + (left + right) / 2;
    centre->y = area.top + (top + bottom) / 2;
    return true;
}

void LeftClickAt(POINT at)
{
    MoveTo(at);
    PressButton(MOUSEEVENTF_LEFTDOWN, MOUSEEVENTF_LEFTUP);
}

void DoubleClickAt(POINT at)
{
    MoveTo(at);
    PressButton(MOUSEEVENTF_LEFTDOWN, MOUSEEVENTF_LEFTUP);
    PressButton(MOUSEEVENTF_LEFTDOWN, MOUSEEVENTF_LEFTUP);
}

void RightClickAt(POINT at)
{
    MoveTo(at);
    PressButton(MOUSEEVENTF_RIGHTDOWN, MOUSEEVENTF_RIGHTUP);
}

void PressKey(BYTE vk)
{
    keybd_event(vk, static_cast<BYTE>(MapVirtualKeyA(vk, 0)), 0, 0);
    keybd_event(vk, static_cast<BYTE>(MapVirtualKeyA(vk, 0)), KEYEVENTF_KEYUP, 0);
}

int CountMenuItems(HWND menu)
{
    RECT rect = {};
    GetWindowRect(menu, &rect);
    // Waits until the menu shows a new picture after a key, or returns the old one.
    auto next = [&](const ScreenPixels& before) {
        PressKey(VK_DOWN);
        ScreenPixels now = CaptureScreen(rect), again = now;
        // Changed, and the same on a second look: the menu has finished drawing.
        WaitFor(
            [&] {
                now = again;
                again = CaptureScreen(rect);
                return !(now == before) && again == now;
            },
            kSettleLimit, kLook);
        return again;
    };
    // Picture k shows the highlight on item k mod N + 1. The count is the distance to the first
    // picture seen again: not necessarily the first one, which may have been taken while the menu
    // was still drawing. The highlight is then put back on the first item.
    std::vector<ScreenPixels> seen = {next(CaptureScreen(rect))};
    for (int moves = 1; moves <= 32; ++moves) {
        seen.push_back(next(seen.back()));
        for (int earlier = moves - 1; earlier >= 0; --earlier) {
            if (seen[earlier] == seen[moves]) {
                const int items = moves - earlier;
                const int back = (items - moves % items) % items;  // moves on to the first item
                if (back > 0) {
                    for (int i = 1; i < back; ++i)
                        PressKey(VK_DOWN);
                    next(seen.back());  // the last move, and the menu drawn again
                }
                return items;
            }
        }
    }
    return -1;
}

}  // namespace traytest
