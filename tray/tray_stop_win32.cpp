#include "tray/tray_stop_win32.h"

#include <cstring>

#include "tray/tray_window_win32.h"

namespace {

constexpr int kMostTrays = 16;  // one per desktop; more are not looked for

struct TrayWindows {
    HWND windows[kMostTrays];
    int count;
};

BOOL CALLBACK CollectTrayWindow(HWND window, LPARAM parameter)
{
    auto& found = *reinterpret_cast<TrayWindows*>(parameter);
    char name[sizeof(kTrayWindowClass) + 1] = {};
    if (GetClassNameA(window, name, sizeof(name)) > 0 && std::strcmp(name, kTrayWindowClass) == 0)
        found.windows[found.count++] = window;
    return found.count < kMostTrays;
}

// Whether `window` is gone and, where its program could be opened, the program has ended too.
bool WaitUntilGone(HWND window, HANDLE program, DWORD waitMs)
{
    const DWORD start = GetTickCount();
    if (program != nullptr)
        return WaitForSingleObject(program, waitMs) == WAIT_OBJECT_0;
    // The tray's program may not be opened (another user's, or a higher integrity): its window
    // going is the sign that its message loop, and so the program, ends.
    while (IsWindow(window)) {
        if (GetTickCount() - start >= waitMs)
            return false;
        Sleep(50);
    }
    return true;
}

}  // namespace

TrayStopCounts StopRunningTrays(DWORD waitMs)
{
    TrayWindows found = {};
    EnumWindows(CollectTrayWindow, reinterpret_cast<LPARAM>(&found));
    TrayStopCounts counts = {found.count, 0};
    for (int i = 0; i < found.count; ++i) {
        DWORD processId = 0;
        GetWindowThreadProcessId(found.windows[i], &processId);
        HANDLE program = processId != 0 ? OpenProcess(SYNCHRONIZE, FALSE, processId) : nullptr;
        if (PostMessageA(found.windows[i], WM_CLOSE, 0, 0) && WaitUntilGone(found.windows[i], program, waitMs))
            ++counts.stopped;
        if (program != nullptr)
            CloseHandle(program);
    }
    return counts;
}
