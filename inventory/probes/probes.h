#pragma once
// What the inventory scan needs from the drive probes.
#include <cstdint>
#include <string>

// Fills the identity list (storage-property probe), then appends one DiskRecord per drive that
// answers ATA IDENTIFY DEVICE (SMART probe), from the counts the caller has just reset.
void CollectDriveIdentities();

// Storage-property probe of physical drive slots 0 to 49: appends IdentityRecord rows.
void ReadPhysicalDriveInNTUsingStorageQuery();

// SMART probe of physical drive slots 0 to 49: appends one DiskRecord per drive that answers
// ATA IDENTIFY DEVICE.
void ReadPhysicalDriveInNTUsingSmart();

// Rebuilds the drive-letter ordinal map from the logical-drive mask; answers the number of
// letters in use plus one, as decimal text.
std::string EnumerateDriveLetters();

// "A" to "Z" for the letter holding `ordinal` in the map, or "no".
std::string DriveLetterForOrdinal(int32_t ordinal);

// Device type 7 and the physical drive number of the letter's volume (true), or -1 and -1.
bool GetDriveLetterDiskNumber(const char* letter, int32_t* deviceType, int32_t* diskNumber);
