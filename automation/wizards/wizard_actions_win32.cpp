#include "automation/wizards/wizard_actions.h"

#include <shlobj.h>

#include <cstdio>
#include <cstring>

#include "automation/export_bool.h"
#include "automation/keyscript/key_script_sender.h"
#include "common/trace.h"

namespace wizard {

namespace {

// A window's title for the trace; empty when it has none or is gone. Read without a message to
// the window: GetWindowTextA sends WM_GETTEXT to a window of this process, and waits as long as
// that window's thread hangs, where the step being traced never waits on the window.
TraceText WindowTitle(HWND window)
{
    wchar_t wide[256];
    char title[2 * 256] = {};  // two bytes a character at most in a double-byte code page
    if (window == nullptr || InternalGetWindowText(window, wide, 256) <= 0 ||
        WideCharToMultiByte(CP_ACP, 0, wide, -1, title, sizeof(title), nullptr, nullptr) == 0)
        title[0] = 0;
    return Shown(title);
}

}  // namespace

StepTrace::StepTrace(const char* step) : step_(step), start_(TraceMilliseconds())
{
    ::Trace("OrbLib", "%s: start", step_);
}

void StepTrace::Trace(const char* result)
{
    ::Trace("OrbLib", "%s: %s after %lu ms", step_, result, static_cast<unsigned long>(TraceMilliseconds() - start_));
}

bool StepTrace::Answer(bool result)
{
    Trace(result ? "true" : "false");
    return ExportBool(result);
}

int StepTrace::Answer(int result)
{
    char text[16];
    std::snprintf(text, sizeof(text), "%d", result);
    Trace(text);
    return result;
}

unsigned char StepTrace::Answer(unsigned char result)
{
    return static_cast<unsigned char>(Answer(static_cast<int>(result)));
}

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
    // WinExec answers 31 or less when nothing started; callers read anything above as started.
    if (length <= 0 || size_t(length) >= sizeof(commandLine)) {
        ::Trace("OrbLib", "start: %s: the command line is too long, not started", Shown(path).text);
        return ERROR_PATH_NOT_FOUND;
    }
    const UINT started = WinExec(commandLine, showMode);
    ::Trace("OrbLib", "start: %s (show mode %u): WinExec answered %u%s", Shown(path).text, showMode, started,
            started > 31 ? "" : " (not started)");
    return started;
}

bool Send(const char* script)
{
    // The keys go to whichever window has the focus when they arrive: normally the target.
    HWND foreground = GetForegroundWindow();
    const unsigned long before = keyDownsSent;
    const bool sent = keyScriptSender.SendKeyScript(script, false);
    const unsigned long keys = keyDownsSent - before;
    ::Trace("OrbLib", "sent \"%s\": %lu key%s, to the foreground window %p \"%s\"%s", Shown(script).text, keys,
            keys == 1 ? "" : "s", static_cast<void*>(foreground), WindowTitle(foreground).text,
            foreground == keyScriptSender.targetWindow ? " (the target)" : ", not the target");
    return sent;
}

bool Find(const char* title)
{
    return keyScriptSender.ActivateTargetWindow(title, nullptr);
}

bool FindAfterPauses(const char* title, int attempts)
{
    for (int attempt = 0; attempt < attempts; ++attempt) {
        Sleep(1000);
        if (Find(title)) {
            TraceLooks(title, attempt + 1, attempts);
            return true;
        }
    }
    TraceLooks(title, 0, attempts);
    return false;
}

bool LookOnce(const char* title)
{
    const bool found = Find(title);
    TraceLooks(title, found ? 1 : 0, 1);
    return found;
}

void TraceLooks(const char* title, int foundAt, int attempts)
{
    if (foundAt > 0)
        ::Trace("OrbLib", "look for \"%s\": found at look %d of %d", Shown(title).text, foundAt, attempts);
    else
        ::Trace("OrbLib", "look for \"%s\": not found in %d look%s", Shown(title).text, attempts,
                attempts == 1 ? "" : "s");
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
    ::Trace("OrbLib", "close: WM_CLOSE to %p \"%s\"%s", static_cast<void*>(window), WindowTitle(window).text,
            window != nullptr && IsWindow(window) ? "" : " (no such window)");
    SendMessageA(window, WM_CLOSE, 0, 0);
}

bool TargetRectangle(WindowRectangle* rectangle)
{
    RECT rect;
    HWND target = keyScriptSender.targetWindow;
    if (target == nullptr || !IsWindow(target) || !GetWindowRect(target, &rect)) {
        ::Trace("OrbLib", "target %p is gone: no rectangle", static_cast<void*>(target));
        return false;
    }
    *rectangle = {rect.left, rect.top, rect.right, rect.bottom};
    return true;
}

void Click(ScreenPoint point, Button button, int times)
{
    const DWORD flags = button == Button::Right
        ? MOUSEEVENTF_ABSOLUTE | MOUSEEVENTF_RIGHTDOWN | MOUSEEVENTF_RIGHTUP   // 32792
        : MOUSEEVENTF_ABSOLUTE | MOUSEEVENTF_LEFTDOWN | MOUSEEVENTF_LEFTUP;    // 32774
    ::Trace("OrbLib", "click: %s button %d times at (%ld, %ld)", button == Button::Right ? "right" : "left", times,
            static_cast<long>(point.x), static_cast<long>(point.y));
    for (int i = 0; i < times; ++i) {
        SetCursorPos(point.x, point.y);
        mouse_event(flags, DWORD(point.x), DWORD(point.y), 0, 0);
    }
}

}  // namespace wizard
