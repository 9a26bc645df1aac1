#include "common/windows_version_win32.h"

#include <windows.h>

#include <gtest/gtest.h>

#include "common/windows_version.h"

// The wrapper classifies what GetVersionExA answers on this system.
TEST(ClassifyWindowsVersion, ClassifiesTheRunningSystem)
{
    OSVERSIONINFOA info = {};
    info.dwOSVersionInfoSize = sizeof(info);
    ASSERT_TRUE(GetVersionExA(&info));

    const int expected = ClassifyVersionNumbers({info.dwPlatformId, info.dwMajorVersion,
                                                  info.dwMinorVersion, info.dwBuildNumber},
                                                 0);
    if (expected == 0)
        GTEST_SKIP() << "host: this system is none of the listed ones: " << info.dwMajorVersion << "."
                     << info.dwMinorVersion;
    WindowsVersionCode = 0;
    ClassifyWindowsVersion();
    EXPECT_EQ(expected, WindowsVersionCode);
}
