// OrbLib's entry point: classifies the Windows version on every call, for every reason.
#include <windows.h>

#include "common/windows_version_win32.h"

extern "C" BOOL WINAPI DllMain(HINSTANCE, DWORD, LPVOID)
{
    ClassifyWindowsVersion();
    return TRUE;
}
