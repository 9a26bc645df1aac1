#include "common/windows_version_win32.h"

#include <windows.h>

#include "common/windows_version.h"

#if defined(_M_IX86) || defined(__i386__)
static_assert(sizeof(OSVERSIONINFOA) == 148, "GetVersionExA takes the 148-byte structure");
#endif

unsigned char WindowsVersionCode;

void ClassifyWindowsVersion()
{
    OSVERSIONINFOA info = {};
    info.dwOSVersionInfoSize = sizeof(info);
    if (!GetVersionExA(&info))
        return;
    const WindowsVersionNumbers numbers = {info.dwPlatformId, info.dwMajorVersion,
                                           info.dwMinorVersion, info.dwBuildNumber};
    WindowsVersionCode = ClassifyVersionNumbers(numbers, WindowsVersionCode);
}
