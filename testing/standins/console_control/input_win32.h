// Synthetic input for the tests of the console stand-ins: the same calls OrbLib makes
// (keybd_event, SetCursorPos, mouse_event), without OrbLib.
#pragma once

#include <windows.h>

#include <string>

namespace orbtest {

// Key down and up; the ten navigation keys (Page Up … Down, Insert, Delete) carry the
// extended flag, as on a real keyboard.
void PressKey(BYTE vk);
void PressWithModifier(BYTE modifier, BYTE vk);  // modifier down, key, modifier up
void PressAlt(BYTE vk);                          // Alt+key
void PressShiftTab();
// Handles every message queued for the calling thread, as the main application's message loop
// does between two steps. Under Wine this includes the pointer motion that SetCursorPos causes;
// a thread that never handles it has its next SetCursorPos undone by the stale motion, so a
// wizard-step test calls this between steps that click.
void PumpMessages();
// SetCursorPos to the screen point (after PumpMessages, and again until GetCursorPos agrees), then one mouse_event with button down and up together and
// MOUSEEVENTF_ABSOLUTE; right selects the button.
void ClickAt(int x, int y, bool right);
// Brings the window to the foreground with the keyboard focus; true once it is the foreground
// window (polled within kWaitLimitMs).
bool BringToFront(HWND window);

enum class Console;
// Presses a key that no console window reacts to (F9) and waits until the given window logged a
// new key-up of it: every key sent before has then been handled.
bool SettleConsole(Console console, const std::string& window);

}  // namespace orbtest
