// The Windows calls behind KeyInput.
#include <windows.h>

#include "automation/keyscript/key_script_sender.h"

unsigned long keyDownsSent;

namespace {

void KeybdEvent(std::uint8_t vk, std::uint8_t scan, std::uint32_t flags)
{
    keybd_event(vk, scan, flags, 0);
    if ((flags & KEYEVENTF_KEYUP) == 0)
        ++keyDownsSent;
}

void SleepMilliseconds(std::uint32_t milliseconds)
{
    Sleep(milliseconds);
}

void BeepTone(std::uint32_t frequency, std::uint32_t milliseconds)
{
    Beep(frequency, milliseconds);
}

std::uint16_t VkKeyScanOfCharacter(char character)
{
    return static_cast<std::uint16_t>(VkKeyScanA(character));
}

std::uint32_t ScanCodeOfKey(std::uint32_t vk)
{
    return MapVirtualKeyA(vk, 0);  // MAPVK_VK_TO_VSC
}

std::uint32_t WindowsVersion()
{
    return GetVersion();
}

std::int16_t KeyState(int vk)
{
    return GetKeyState(vk);
}

bool ReadKeyboardState(std::uint8_t state[256])
{
    return GetKeyboardState(state) != FALSE;
}

bool WriteKeyboardState(std::uint8_t state[256])
{
    return SetKeyboardState(state) != FALSE;
}

// Lets windows of the calling thread see the keys: WM_KEYDOWN (0x0100) to 0x0108.
void PumpKeyboardMessages()
{
    MSG message;
    while (PeekMessageA(&message, nullptr, WM_KEYFIRST, 0x0108, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
}

bool ActivateByTitle(const char* title)
{
    return keyScriptSender.ActivateTargetWindow(title, nullptr);
}

}  // namespace

KeyInputCalls KeyInput = {
    KeybdEvent,         SleepMilliseconds, BeepTone,          VkKeyScanOfCharacter,
    ScanCodeOfKey,      WindowsVersion,    KeyState,          ReadKeyboardState,
    WriteKeyboardState, PumpKeyboardMessages, ActivateByTitle,
};
