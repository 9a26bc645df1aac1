// Drive-letter ordinals and the letters they give back.
#include "inventory/probes/drive_letters.h"

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "inventory/probes/probes.h"

namespace {

uint32_t Mask(const std::string& letters)
{
    uint32_t mask = 0;
    for (char c : letters)
        mask |= 1u << (c - 'A');
    return mask;
}

TEST(DriveLetterForOrdinal, ConsequencesOfClearingTheEntryOfA)
{
    struct Case {
        std::string inUse;
        std::string count;
        std::vector<std::string> byOrdinal;  // ordinals 0, 1, 2, ...
    } cases[] = {
        {"ACDE", "5", {"A", "no", "C", "D", "E"}},
        {"CD", "3", {"A", "C", "D"}},
        {"", "1", {"A"}},
        {"BC", "3", {"A", "B", "C"}},
        {"AB", "3", {"A", "no", "B"}},
        {"ABCDEFGHIJKLMNOPQRSTUVWXYZ", "27", {"A", "no", "B", "C"}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.count, RebuildDriveOrdinalMap(Mask(c.inUse))) << c.inUse;
        for (size_t k = 0; k < c.byOrdinal.size(); ++k)
            EXPECT_EQ(c.byOrdinal[k], DriveLetterForOrdinal(static_cast<int32_t>(k))) << c.inUse << " ordinal " << k;
    }
}

TEST(DriveLetterForOrdinal, OrdinalsOutsideTheLettersInUseAnswerNo)
{
    RebuildDriveOrdinalMap(Mask("CD"));
    for (int32_t ordinal : {3, 26, 27, -1, 1000000, -2147483647 - 1})
        EXPECT_EQ("no", DriveLetterForOrdinal(ordinal)) << ordinal;
}

TEST(DriveOrdinalMap, BitsAboveZAreIgnoredAndAStaysClearedUntilTheNextRebuild)
{
    EXPECT_EQ("3", RebuildDriveOrdinalMap(Mask("AZ") | 0xFC000000u));
    EXPECT_EQ(1, DriveOrdinalMap[0]);
    EXPECT_EQ(2, DriveOrdinalMap[25]);
    DriveLetterForOrdinal(2);
    EXPECT_EQ(0, DriveOrdinalMap[0]);
    EXPECT_EQ("no", DriveLetterForOrdinal(1));
    RebuildDriveOrdinalMap(Mask("AZ"));
    EXPECT_EQ(1, DriveOrdinalMap[0]);
}

TEST(IsFloppyDriveName, OnlyAAndBWithAColon)
{
    for (const char* name : {"a:", "A:", "b:", "B:"})
        EXPECT_TRUE(IsFloppyDriveName(name)) << name;
    for (const char* name : {"c:", "A", "a:\\", "", "AB:"})
        EXPECT_FALSE(IsFloppyDriveName(name)) << name;
    EXPECT_FALSE(IsFloppyDriveName(nullptr));
}

}  // namespace
