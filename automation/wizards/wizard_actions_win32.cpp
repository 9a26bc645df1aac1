#include "automation/wizards/wizard_actions.h"

#include <shlobj.h>

#include <cstdio>
#include <cstring>

#include "automation/keyscript/key_script_sender.h"

namespace wizard {

bool ConsolePath(const char* relative, char (&path)[256])
{
    char folder[MAX_PATH] = {};
    if (FAILED(SHGetFolderPathA(nullptr, CSIDL_PROGRAM_FILES, nullptr, 0, folder)))
        return false;
    const int length = std::snprintf(path, sizeof(path), "%s%s", folder, relative);
    return length > 0 && size_t(length) < sizeof(path);
}

UINT StartConsole(const char* path, UINT showMode)
{
    char commandLine[260];
    const int length = std::snprintf(commandLine, sizeof(commandLine), "\"%s\"", path);
    if (length <= 0 || size_t(length) >= sizeof(commandLine))
        return ERROR_FILENAME_EXCED_RANGE;
    return WinExec(commandLine, showMode);
}

bool Send(const char* script)
{
    return keyScriptSender.SendKeyScript(script, false);
}

bool Find(const char* title)
{
    return keyScriptSender.ActivateTargetWindow(title, nullptr);
}

bool FindAfterPauses(const char* title, int attempts)
{
    for (int attempt = 0; attempt < attempts; ++attempt) {
        Sleep(1000);
        if (Find(title))
            return true;
    }
    return false;
}

HWND Target()
{
    return keyScriptSender.targetWindow;
}

void PlaceTarget()
{
    PlaceTargetWindow(keyScriptSender.targetWindow);
}

void Close(HWND window)
{
    SendMessageA(window, WM_CLOSE, 0, 0);
}

bool TargetRectangle(WindowRectangle* rectangle)
{
    RECT rect;
    HWND target = keyScriptSender.targetWindow;
    if (target == nullptr || !IsWindow(target) || !GetWindowRect(target, &rect))
        return false;
    *rectangle = {rect.left, rect.top, rect.right, rect.bottom};
    return true;
}

void Click(ScreenPoint point, Button button, int times)
{
    const DWORD flags = button == Button::Right
        ? MOUSEEVENTF_ABSOLUTE | MOUSEEVENTF_RIGHTDOWN | MOUSEEVENTF_RIGHTUP   // 32792
        : MOUSEEVENTF_ABSOLUTE | MOUSEEVENTF_LEFTDOWN | MOUSEEVENTF_LEFTUP;    // 32774
    for (int i = 0; i < times; ++i) {
        SetCursorPos(point.x, point.y);
        mouse_event(flags, DWORD(point.x), DWORD(point.y), 0, 0);
    }
}

}  // namespace wizard
