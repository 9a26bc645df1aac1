#include "testing/standins/console_control/input_win32.h"

#include "testing/standins/console_control/console_control_win32.h"

#include <algorithm>

namespace orbtest {
namespace {

bool Extended(BYTE vk) { return (vk >= VK_PRIOR && vk <= VK_DOWN) || vk == VK_INSERT || vk == VK_DELETE; }

void Key(BYTE vk, bool up)
{
    DWORD flags = (Extended(vk) ? KEYEVENTF_EXTENDEDKEY : 0) | (up ? KEYEVENTF_KEYUP : 0);
    keybd_event(vk, static_cast<BYTE>(MapVirtualKeyA(vk, 0)), flags, 0);
}

}  // namespace

void PressKey(BYTE vk)
{
    Key(vk, false);
    Key(vk, true);
}

void PressWithModifier(BYTE modifier, BYTE vk)
{
    Key(modifier, false);
    PressKey(vk);
    Key(modifier, true);
}

void PressAlt(BYTE vk) { PressWithModifier(VK_MENU, vk); }
void PressShiftTab() { PressWithModifier(VK_SHIFT, VK_TAB); }

void PumpMessages()
{
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
}

void ClickAt(int x, int y, bool right)
{
    // Pointer motion of an earlier SetCursorPos still queued for this thread would move the
    // cursor back when it is handled, after the new SetCursorPos: handle it first.
    PumpMessages();
    SetCursorPos(x, y);
    WaitFor(
        [&] {
            POINT at = {};
            if (!GetCursorPos(&at) || (at.x == x && at.y == y))
                return true;
            PumpMessages();
            SetCursorPos(x, y);
            return false;
        },
        std::chrono::milliseconds(kWaitLimitMs), std::chrono::milliseconds(10));
    DWORD flags = MOUSEEVENTF_ABSOLUTE |
                  (right ? MOUSEEVENTF_RIGHTDOWN | MOUSEEVENTF_RIGHTUP : MOUSEEVENTF_LEFTDOWN | MOUSEEVENTF_LEFTUP);
    mouse_event(flags, static_cast<DWORD>(x), static_cast<DWORD>(y), 0, 0);
}

bool SettleConsole(Console console, const std::string& window)
{
    const std::string sentinelUp = KeyUp(window, VK_F9);
    auto count = [&](const std::vector<LogEvent>& events) {
        return std::count_if(events.begin(), events.end(),
                             [&](const LogEvent& e) { return e.Describe() == sentinelUp; });
    };
    auto before = count(ReadConsoleLog(console));
    PressKey(VK_F9);
    return WaitForLog(console, [&](const std::vector<LogEvent>& events) { return count(events) > before; });
}

bool BringToFront(HWND window)
{
    SendMessageA(window, WM_SYSCOMMAND, SC_HOTKEY, reinterpret_cast<LPARAM>(window));
    SetForegroundWindow(window);
    return WaitFor(
        [&] {
            if (GetForegroundWindow() == window)
                return true;
            SetForegroundWindow(window);
            return false;
        },
        std::chrono::milliseconds(kWaitLimitMs), std::chrono::milliseconds(20));
}

}  // namespace orbtest
