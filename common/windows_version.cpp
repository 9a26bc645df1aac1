#include "common/windows_version.h"

uint8_t ClassifyVersionNumbers(const WindowsVersionNumbers& v, uint8_t current)
{
    switch (v.platformId) {
    case kPlatformWin32s:
        return kVersionWin32s;

    case kPlatformWindows9x: {
        // The 9x family keeps the version in the high word of dwBuildNumber; only the low word
        // is the build.
        const uint32_t build = v.build & 0xFFFF;
        if (v.major < 4 || (v.major == 4 && v.minor == 0))
            return kVersionWindows95;
        if (build < 2222)
            return kVersionWindows98;
        if (build == 2222)
            return kVersionWindows98SE;
        return kVersionWindowsMe;
    }

    case kPlatformWindowsNT:
        if (v.major == 3 || v.major == 4)
            return kVersionWindowsNT4;
        if (v.major == 5 && v.minor == 0 && v.build < 2222)
            return kVersionWindows2000;
        if (v.major == 5 && v.minor == 1 && v.build > 2222)
            return kVersionWindowsXP;
        if (v.major == 6)
            return kVersionWindowsNT6;
        return current;

    default:
        return current;
    }
}
