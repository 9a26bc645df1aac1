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

    WindowsVersionCode = 0;
    ClassifyWindowsVersion();
    EXPECT_EQ(ClassifyVersionNumbers({info.dwPlatformId, info.dwMajorVersion, info.dwMinorVersion,
                                      info.dwBuildNumber},
                                     0),
              WindowsVersionCode);
    EXPECT_NE(0, WindowsVersionCode) << "Wine reports a listed system: " << info.dwMajorVersion
                                     << "." << info.dwMinorVersion;
}
