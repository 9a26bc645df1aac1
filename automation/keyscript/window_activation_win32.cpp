// Finding, placing and activating the target window; the window position from the registry.
#include <windows.h>

#include <mbstring.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "automation/keyscript/key_script_sender.h"
#include "common/bounded_text.h"
#include "common/trace.h"

namespace {

constexpr int SearchTextSize = 300;  // texts are cut to 299 characters
constexpr int PositionValueSize = 100;
constexpr UINT_PTR ScHotKey = 0xF150;   // SC_HOTKEY
constexpr UINT_PTR ScRestore = 0xF120;  // SC_RESTORE

// Windows MatchWindowText compared since the last search began, for the trace.
int windowsCompared;

// Case-sensitive substring search, aware of double-byte characters under a DBCS code page.
bool Occurs(const char* needle, const char* haystack)
{
    return _mbsstr(reinterpret_cast<const unsigned char*>(haystack),
                   reinterpret_cast<const unsigned char*>(needle)) != nullptr;
}

// One string value of the position key, read as a decimal number. The buffer is zero-filled
// and one byte longer than what RegQueryValueExA may write, so it always ends in a NUL; a value
// too long for it counts as missing.
LONG ReadPositionValue(HKEY key, const char* name)
{
    char text[PositionValueSize + 1] = {};
    DWORD size = PositionValueSize;
    if (RegQueryValueExA(key, name, nullptr, nullptr, reinterpret_cast<BYTE*>(text), &size) !=
        ERROR_SUCCESS)
        std::memset(text, 0, sizeof(text));
    return ReadDecimal(text);
}

// value + offset, held within 32 bits.
LONG OffsetCoordinate(LONG value, LONG offset)
{
    const long long sum = static_cast<long long>(value) + offset;
    return sum > 0x7FFFFFFF ? 0x7FFFFFFF : static_cast<LONG>(sum);
}

}  // namespace

BOOL CALLBACK MatchWindowText(HWND window, LPARAM parameter)
{
    WindowSearch* search = reinterpret_cast<WindowSearch*>(parameter);
    ++windowsCompared;
    char title[SearchTextSize], className[SearchTextSize], text[SearchTextSize];
    bounded_text::CopyField(title, search->block);
    bounded_text::CopyField(className, search->block + std::strlen(search->block) + 1);

    bool matched = false;
    if (className[0]) {
        text[0] = 0;
        if (GetClassNameA(window, text, SearchTextSize) > 0)
            matched = Occurs(className, text);
    }
    if (title[0]) {
        text[0] = 0;
        if (GetWindowTextA(window, text, SearchTextSize) > 0)
            matched = matched || Occurs(title, text);
    }
    if (!matched)
        return TRUE;
    search->found = window;
    return FALSE;
}

bool KeyScriptSender::ActivateTargetWindow(const char* title, const char* className)
{
    // Nothing to search for: FindWindowA would answer the first top-level window of all.
    if (!title && !className) {
        Trace("OrbLib", "find: neither title nor class given: nothing searched");
        return false;
    }
    // "title "X"" or "class "Y"" or both, as given.
    char searched[2 * TraceTextSize + 24];
    std::snprintf(searched, sizeof(searched), "%s%s%s%s%s%s", title ? "title \"" : "", title ? Shown(title).text : "",
                  title ? "\"" : "", className ? (title ? " class \"" : "class \"") : "",
                  className ? Shown(className).text : "", className ? "\"" : "");
    HWND window = FindWindowA(className, title);
    if (window) {
        Trace("OrbLib", "find: %s: exact match %p", searched, static_cast<void*>(window));
    } else {
        const std::size_t titleLength = title ? std::strlen(title) : 0;
        const std::size_t classLength = className ? std::strlen(className) : 0;
        char* block = static_cast<char*>(std::calloc(titleLength + classLength + 5, 1));
        if (!block) {
            Trace("OrbLib", "find: %s: no memory for the search", searched);
            return false;
        }
        if (title)
            std::memcpy(block, title, titleLength);
        if (className)
            std::memcpy(block + titleLength + 1, className, classLength);
        WindowSearch search = {block, nullptr};
        windowsCompared = 0;
        EnumWindows(MatchWindowText, reinterpret_cast<LPARAM>(&search));
        std::free(block);
        if (!search.found) {
            Trace("OrbLib", "find: %s: no exact match, none of %d top-level windows contains it", searched,
                  windowsCompared);
            return false;
        }
        window = search.found;
        char found[SearchTextSize] = {};
        GetWindowTextA(window, found, SearchTextSize);
        Trace("OrbLib", "find: %s: no exact match, window %d of the Z order contains it: %p \"%s\"", searched,
              windowsCompared, static_cast<void*>(window), Shown(found).text);
    }
    targetWindow = window;
    return PlaceTargetWindow(window);
}

bool PlaceTargetWindow(HWND window)
{
    if (!window) {
        Trace("OrbLib", "place: no window");
        return false;
    }
    Trace("OrbLib", "place: %p at (%ld, %ld), %d by %d, foreground and focus", static_cast<void*>(window), TargetLeft,
          TargetTop, TargetWidth, TargetHeight);
    SendMessageA(window, WM_SYSCOMMAND, ScHotKey, reinterpret_cast<LPARAM>(window));
    SendMessageA(window, WM_SYSCOMMAND, ScRestore, reinterpret_cast<LPARAM>(window));
    SetWindowPos(window, HWND_TOP, TargetLeft, TargetTop, TargetWidth, TargetHeight,
                 SWP_SHOWWINDOW);
    ShowWindow(window, SW_SHOW);
    SetFocus(window);
    return true;
}

void LoadWindowPosition()
{
    HKEY key;
    // KEY_ALL_ACCESS | KEY_WOW64_32KEY = 0xF023F: the 32-bit view, where the main application writes.
    const LONG opened = RegOpenKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE\\KORVANTE\\ORB2_APP", 0,
                                      KEY_ALL_ACCESS | KEY_WOW64_32KEY, &key);
    if (opened != ERROR_SUCCESS) {
        Trace("OrbLib", "window position: HKLM\\SOFTWARE\\KORVANTE\\ORB2_APP not opened (error %ld): windows go to "
              "(%ld, %ld)", opened, TargetLeft, TargetTop);
        return;
    }
    TargetLeft = OffsetCoordinate(ReadPositionValue(key, "left"), 12);
    TargetTop = OffsetCoordinate(ReadPositionValue(key, "top"), 8);
    RegCloseKey(key);
    Trace("OrbLib", "window position: from HKLM\\SOFTWARE\\KORVANTE\\ORB2_APP: windows go to (%ld, %ld)", TargetLeft,
          TargetTop);
}

BOOL CALLBACK CollectVisibleWindow(HWND window, LPARAM)
{
    if (window && IsWindowVisible(window))
        VisibleWindowList.push_back(window);
    return TRUE;
}
