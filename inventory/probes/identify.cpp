// Decoding of ATA IDENTIFY DEVICE words into DiskRecord rows (word numbers of ATA/ATAPI).
#include "inventory/probes/identify.h"

#include <cstring>

#include "inventory/probes/text_fields.h"
#include "inventory/query/tables.h"

void PrepareIdentifyRequest(uint8_t block[kSmartBlockSize])
{
    std::memset(block, 0, kSmartBlockSize);
    block[kSmartCommandRegOffset] = kAtaIdentifyDevice;
}

void WidenIdentifyWords(const uint8_t block[kSmartBlockSize], uint32_t words[kIdentifyWordCount])
{
    const uint8_t* data = block + kSmartDataOffset;
    for (int w = 0; w < kIdentifyWordCount; ++w)
        words[w] = static_cast<uint32_t>(data[2 * w]) | (static_cast<uint32_t>(data[2 * w + 1]) << 8);
}

char* IdentifyWordsToString(const uint32_t words[kIdentifyWordCount], int first, int last, char* out)
{
    int k = 0;
    if (first >= 0 && last < kIdentifyWordCount) {
        for (int w = first; w <= last; ++w) {
            out[k] = static_cast<char>((words[w] >> 8) & 0xFF);
            out[k + 1] = static_cast<char>(words[w] & 0xFF);
            k += 2;
        }
    }
    out[k] = '\0';
    // Trailing blanks go; position 0 stays, so an all-blank field becomes one blank.
    for (int j = k - 1; j > 0 && IsBlank(static_cast<unsigned char>(out[j])); --j)
        out[j] = '\0';
    return out;
}

const char* IdentifyMediaType(const uint32_t words[kIdentifyWordCount])
{
    if (words[0] & 0x0080)  // word 0 bit 7: removable media
        return "Removable";
    if (words[0] & 0x0040)  // word 0 bit 6: not removable
        return "Fixed";
    return "Unknown";
}

int64_t IdentifyCapacityBytes(const uint32_t words[kIdentifyWordCount])
{
    uint64_t sectors;
    if (words[83] & 0x0400) {  // word 83 bit 10: 48-bit address feature set
        sectors = (((static_cast<uint64_t>(words[103] & 0xFFFF) << 16 | (words[102] & 0xFFFF)) << 16 |
                    (words[101] & 0xFFFF)) << 16) | (words[100] & 0xFFFF);
    } else {
        sectors = static_cast<uint64_t>(words[61] & 0xFFFF) << 16 | (words[60] & 0xFFFF);
    }
    return static_cast<int64_t>(sectors * 512u);
}

void StoreIdentifyData(int32_t driveNumber, const uint32_t words[kIdentifyWordCount])
{
    if (inventory.diskCount < 0 || inventory.diskCount >= kDiskCapacity)
        return;
    DiskRecord& row = inventory.disks[inventory.diskCount];
    row.drive_number = driveNumber;

    char text[2 * 20 + 1];
    CopyField(row.serial_number, IdentifyWordsToString(words, 10, 19, text));     // 20 characters
    CopyField(row.model, IdentifyWordsToString(words, 27, 46, text));             // 40 characters
    CopyField(row.firmware_revision, IdentifyWordsToString(words, 23, 26, text));  // 8 characters
    CopyField(row.media_type, IdentifyMediaType(words));
    FormatInt64(row.disk_size, sizeof(row.disk_size), IdentifyCapacityBytes(words));
    CopyField(row.status, "ok");
    ++inventory.diskCount;
}
