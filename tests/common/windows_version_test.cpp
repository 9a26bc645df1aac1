#include "common/windows_version.h"

#include <gtest/gtest.h>

namespace {

struct Row {
    WindowsVersionNumbers numbers;
    uint8_t expected;
    const char* system;
};

constexpr uint8_t kUnset = 0;

// Every listed system and the boundaries between neighbouring rows.
const Row kListed[] = {
    {{0, 3, 10, 0}, 9, "Win32s"},
    {{0, 9, 9, 9}, 9, "Win32s, any numbers"},
    {{1, 3, 95, 0}, 10, "95 family, major below 4"},
    {{1, 4, 0, 950}, 10, "Windows 95"},
    {{1, 4, 0, 0x04000000 + 3000}, 10, "Windows 95 OSR2: minor 0 decides, not the build"},
    {{1, 4, 10, 1998}, 11, "Windows 98"},
    {{1, 4, 10, 2221}, 11, "last build of Windows 98"},
    {{1, 4, 10, 2222}, 12, "Windows 98 SE"},
    {{1, 4, 10, 0x040A0000 + 2222}, 12, "98 SE with the version in the high word"},
    {{1, 4, 90, 3000}, 13, "Windows Me"},
    {{1, 4, 10, 2223}, 13, "first build above 98 SE"},
    {{1, 5, 0, 100}, 11, "95 family, later major, low build"},
    {{2, 3, 51, 1057}, 14, "NT 3.51"},
    {{2, 4, 0, 1381}, 14, "NT 4.0"},
    {{2, 5, 0, 2195}, 15, "Windows 2000"},
    {{2, 5, 1, 2600}, 16, "Windows XP"},
    {{2, 6, 0, 6002}, 18, "Vista"},
    {{2, 6, 1, 7601}, 18, "Windows 7"},
    {{2, 6, 3, 9600}, 18, "any NT 6.x"},
};

TEST(ClassifyVersionNumbers, GivesTheCodeOfEveryListedSystem)
{
    for (const Row& row : kListed) {
        EXPECT_EQ(row.expected, ClassifyVersionNumbers(row.numbers, kUnset)) << row.system;
        EXPECT_EQ(row.expected, ClassifyVersionNumbers(row.numbers, 14)) << row.system << " over 14";
    }
}

// Unlisted combinations keep whatever code was there before, 0 or an earlier classification.
const Row kUnlisted[] = {
    {{2, 5, 2, 3790}, 0, "Server 2003 (5.2)"},
    {{2, 5, 0, 2222}, 0, "5.0 with a build of 2222"},
    {{2, 5, 1, 2222}, 0, "5.1 with a build of 2222"},
    {{2, 5, 1, 2000}, 0, "5.1 with a low build"},
    {{2, 7, 0, 0}, 0, "NT major 7"},
    {{2, 10, 0, 19045}, 0, "NT major 10"},
    {{2, 2, 0, 0}, 0, "NT major 2"},
    {{3, 6, 1, 7601}, 0, "unknown platform 3 (Windows CE)"},
    {{0xFFFFFFFF, 5, 1, 2600}, 0, "unknown platform"},
};

TEST(ClassifyVersionNumbers, LeavesTheCodeUnchangedForUnlistedCombinations)
{
    for (const Row& row : kUnlisted) {
        EXPECT_EQ(0, ClassifyVersionNumbers(row.numbers, 0)) << row.system;
        EXPECT_EQ(16, ClassifyVersionNumbers(row.numbers, 16)) << row.system;
        EXPECT_EQ(18, ClassifyVersionNumbers(row.numbers, 18)) << row.system;
    }
}

TEST(ClassifyVersionNumbers, NeverProducesCode17)
{
    for (uint32_t platform = 0; platform < 4; ++platform)
        for (uint32_t major = 0; major < 12; ++major)
            for (uint32_t minor : {0u, 1u, 2u, 10u, 51u, 90u})
                for (uint32_t build : {0u, 2221u, 2222u, 2223u, 7601u})
                    EXPECT_NE(17, ClassifyVersionNumbers({platform, major, minor, build}, 0));
}

}  // namespace
