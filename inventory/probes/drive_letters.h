#pragma once
// The drive-letter ordinal map: one signed byte per letter A-Z, holding the letter's 1-based
// ordinal among the letters in use, or 0.
#include <cstdint>
#include <string>

constexpr int kDriveLetterCount = 26;

extern int8_t DriveOrdinalMap[kDriveLetterCount];

// Rebuilds the map from a logical-drive mask (bit 0 = A; bits above 25 are ignored) and answers
// the number of letters in use plus one, as decimal text.
std::string RebuildDriveOrdinalMap(uint32_t mask);

// True for "a:" and "b:" in either case: the floppy letters are never mapped to a disk.
bool IsFloppyDriveName(const char* name);
