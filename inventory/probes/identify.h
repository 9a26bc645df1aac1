#pragma once
// ATA IDENTIFY DEVICE data as the SMART probe hands it on: 256 words, each widened without sign.
#include <cstddef>
#include <cstdint>

constexpr int kIdentifyWordCount = 256;

// SMART_RCV_DRIVE_DATA exchanges one block: SENDCMDINPARAMS (33 bytes) in, SENDCMDOUTPARAMS with
// the 512-byte IDENTIFY buffer out.
constexpr size_t kSendCmdInParamsSize = 33;
constexpr size_t kIdentifyBufferSize = 512;
constexpr size_t kSmartBlockSize = kSendCmdInParamsSize + kIdentifyBufferSize;
static_assert(kSmartBlockSize == 545, "SENDCMDINPARAMS plus the IDENTIFY buffer");
constexpr size_t kSmartCommandRegOffset = 10;   // IDEREGS.bCommandReg
constexpr size_t kSmartDataOffset = 16;         // cBufferSize (4) + DRIVERSTATUS (12)
constexpr uint8_t kAtaIdentifyDevice = 0xEC;

// Prepares the block for SMART_RCV_DRIVE_DATA: all zero but the command register.
void PrepareIdentifyRequest(uint8_t block[kSmartBlockSize]);

// Widens the 256 little-endian words of the answer's data buffer.
void WidenIdentifyWords(const uint8_t block[kSmartBlockSize], uint32_t words[kIdentifyWordCount]);

// Words first..last (inclusive) as text, two characters per word, high byte first, with trailing
// white space cut (position 0 is never examined). `out` holds 2 * (last - first + 1) + 1 bytes.
// A range outside words 0-255, or first above last, gives the empty text.
char* IdentifyWordsToString(const uint32_t words[kIdentifyWordCount], int first, int last, char* out);

// "Removable" (word 0 bit 7), else "Fixed" (bit 6), else "Unknown".
const char* IdentifyMediaType(const uint32_t words[kIdentifyWordCount]);

// Capacity in bytes, 512-byte sectors: words 100-103 when word 83 bit 10 (48-bit address feature
// set) is set, else words 60-61. The 64-bit product wraps as the 64-bit value it is.
int64_t IdentifyCapacityBytes(const uint32_t words[kIdentifyWordCount]);

// Fills the DiskRecord at diskCount from the IDENTIFY words of slot `driveNumber` and adds it.
// A full table takes no more rows.
void StoreIdentifyData(int32_t driveNumber, const uint32_t words[kIdentifyWordCount]);
