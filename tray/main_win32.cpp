// OrbTray.exe: the tray launcher. One copy per desktop; everything else happens in the hidden
// window's handlers (tray_window_win32.cpp).
#include <windows.h>
#include <commctrl.h>

#include "tray/tray_window_win32.h"

// Start counter shared by every running copy of this image: the section "Shared" is readable,
// writable and shared (the link marks it so: tray/CMakeLists.txt), and starts again at -1 once no
// copy runs. Raised by each start, never lowered.
__attribute__((section("Shared"))) volatile LONG InstanceCount = -1;

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int)
{
    if (InterlockedIncrement(&InstanceCount) >= 1)
        return 0;  // another copy runs: no window, icon, timer or autostart value

    INITCOMMONCONTROLSEX controls = {sizeof(controls), ICC_WIN95_CLASSES};
    InitCommonControlsEx(&controls);

    HWND window = CreateTrayWindow(instance);
    if (window == nullptr)
        return 0;

    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    if (IsWindow(window))
        DestroyWindow(window);
    AutostartKey.Close();
    return 0;
}
