#include "tray/system_calls_win32.h"

#include <shlobj.h>

TraySystemCalls RealTraySystemCalls()
{
    return {RegOpenKeyExA,     RegCreateKeyExA, RegSetValueExA, RegCloseKey,
            SHGetFolderPathA,  ShellExecuteA,   Shell_NotifyIconA, Sleep,
            SetTimer,          TrackPopupMenu};
}

TraySystemCalls TrayCalls = RealTraySystemCalls();
