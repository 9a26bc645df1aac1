#pragma once
// Classification of the running Windows version into the small code that OrbLib and OrbTray
// act on. Pure rule, no Windows headers: the numbers are those of OSVERSIONINFOA.
#include <cstdint>

enum WindowsVersionClass : uint8_t {
    kVersionWin32s = 9,        // Windows 3.1 with Win32s
    kVersionWindows95 = 10,
    kVersionWindows98 = 11,
    kVersionWindows98SE = 12,
    kVersionWindowsMe = 13,
    kVersionWindowsNT4 = 14,   // NT 3.51 and 4.0
    kVersionWindows2000 = 15,
    kVersionWindowsXP = 16,
    kVersionWindowsNT6 = 18,   // Vista and 7; no code 17 exists
};

// dwPlatformId values.
constexpr uint32_t kPlatformWin32s = 0;
constexpr uint32_t kPlatformWindows9x = 1;
constexpr uint32_t kPlatformWindowsNT = 2;

struct WindowsVersionNumbers {
    uint32_t platformId;
    uint32_t major;
    uint32_t minor;
    uint32_t build;
};

// The code for a version, or `current` unchanged when the numbers are none of the listed
// systems (5.2, an NT major outside 3 to 6, an unknown platform, ...).
uint8_t ClassifyVersionNumbers(const WindowsVersionNumbers& version, uint8_t current);
