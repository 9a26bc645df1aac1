// Ordinals of the drive letters in use, and the letters behind them.
#include "inventory/probes/drive_letters.h"

#include <cstdio>
#include <cstring>

#include "inventory/probes/probes.h"

int8_t DriveOrdinalMap[kDriveLetterCount];

std::string RebuildDriveOrdinalMap(uint32_t mask)
{
    std::memset(DriveOrdinalMap, 0, sizeof(DriveOrdinalMap));
    int count = 0;
    for (int b = 0; b < kDriveLetterCount; ++b) {
        if (mask & (1u << b))
            DriveOrdinalMap[b] = static_cast<int8_t>(++count);
    }
    return std::to_string(count + 1);
}

std::string DriveLetterForOrdinal(int32_t ordinal)
{
    // A's entry is cleared on every call and stays cleared: ordinal 0 always answers "A", and
    // A's own ordinal 1 is no longer found.
    DriveOrdinalMap[0] = 0;
    for (int i = 0; i < kDriveLetterCount; ++i) {
        if (DriveOrdinalMap[i] == ordinal)
            return std::string(1, static_cast<char>('A' + i));
    }
    return "no";
}

bool IsFloppyDriveName(const char* name)
{
    if (name == nullptr)
        return false;
    char letter = name[0];
    return (letter == 'a' || letter == 'A' || letter == 'b' || letter == 'B') && name[1] == ':' && name[2] == '\0';
}
