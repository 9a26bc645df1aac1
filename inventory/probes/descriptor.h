#pragma once
// The storage driver's view of a drive: STORAGE_DEVICE_DESCRIPTOR strings, DISK_GEOMETRY_EX size,
// and whether sector 0 is blank. Every answer is treated as hostile: reads stay inside the bytes
// the driver returned.
#include <cstddef>
#include <cstdint>

struct IdentityRecord;

constexpr size_t kDescriptorAnswerSize = 10000;   // buffer of both storage requests
constexpr size_t kDecodeBufferSize = 1000;        // work buffer of one decoded string
constexpr size_t kSectorSize = 512;
constexpr size_t kStoragePropertyQuerySize = 12;  // StorageDeviceProperty, PropertyStandardQuery
constexpr size_t kStorageDeviceNumberSize = 12;

// STORAGE_DEVICE_DESCRIPTOR: offsets of the four strings.
constexpr size_t kVendorIdOffsetField = 12;
constexpr size_t kProductIdOffsetField = 16;
constexpr size_t kProductRevisionOffsetField = 20;
constexpr size_t kSerialNumberOffsetField = 24;
// DISK_GEOMETRY_EX.DiskSize.
constexpr size_t kDiskSizeField = 24;

// Decodes the NUL-terminated string at `offset` of the descriptor answer (`answerLength` bytes
// returned by the driver) into `out` (kDecodeBufferSize bytes): as hexadecimal digit pairs when
// the whole string is clean hexadecimal of printable bytes, else as printable plain text, else
// empty. With `swapPairs`, neighbouring characters are exchanged (an odd last one is dropped).
// Blanks around the text are trimmed. An offset of 0 or below, or at or past the returned bytes,
// gives the empty text; a string that runs to the end of the bytes ends there; a decoded text
// longer than the work buffer is cut to fit it.
char* DecodeDescriptorString(const uint8_t* answer, size_t answerLength, int32_t offset, bool swapPairs,
                             char* out);

// 1 when sector 0 is blank (all bytes equal, or the four partition entries at bytes 446-509 are
// all zero), 0 when it holds data.
int32_t SectorZeroEmptyFlag(const uint8_t sector[kSectorSize]);

// Reads a little-endian 32-bit field of an answer; 0 when it lies beyond the returned bytes.
int32_t AnswerInt32(const uint8_t* answer, size_t answerLength, size_t position);

// Vendor, product and revision (plain) and serial number (pair-swapped) of the descriptor answer,
// each cut to its field.
void StoreDescriptorStrings(const uint8_t* answer, size_t answerLength, IdentityRecord& row);

// DiskSize of a DISK_GEOMETRY_EX answer; false when the answer is too short to hold it.
bool GeometryDiskSize(const uint8_t* answer, size_t answerLength, int64_t* diskSize);
