// Decoding of the storage driver's answers (IOCTL_STORAGE_QUERY_PROPERTY,
// IOCTL_DISK_GET_DRIVE_GEOMETRY_EX) and the blank-disk test of sector 0.
#include "inventory/probes/descriptor.h"

#include <cstring>

#include "inventory/probes/text_fields.h"
#include "inventory/query/tables.h"

namespace {

constexpr size_t kDecodedLimit = kDecodeBufferSize - 1;  // characters that fit with the terminator

bool IsPrintable(unsigned char c)
{
    return c >= 0x20 && c <= 0x7E;
}

int HexDigitValue(unsigned char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
}

// Hexadecimal pass: true with the byte count in *length when every character is a hex digit (a
// blank counts as '0') and every complete byte is 0 or printable. A single digit left over at the
// end is dropped. Bytes beyond the work buffer are checked but not stored.
bool DecodeHexadecimal(const uint8_t* text, size_t textLength, char* out, size_t* length)
{
    size_t k = 0;
    int digits = 0;
    unsigned int byte = 0;
    for (size_t i = 0; i < textLength; ++i) {
        unsigned char c = text[i];
        if (c >= 'A' && c <= 'Z')
            c = static_cast<unsigned char>(c - 'A' + 'a');
        if (IsBlank(c))
            c = '0';
        int value = HexDigitValue(c);
        if (value < 0)
            return false;
        byte = ((byte << 4) | static_cast<unsigned int>(value)) & 0xFF;
        if (++digits == 2) {
            if (byte != 0 && !IsPrintable(static_cast<unsigned char>(byte)))
                return false;
            if (k < kDecodedLimit)
                out[k] = static_cast<char>(byte);
            ++k;
            digits = 0;
            byte = 0;
        }
    }
    *length = k < kDecodedLimit ? k : kDecodedLimit;
    return true;
}

// Plain-text pass: the whole string when every character is printable, else nothing.
size_t CopyPlainText(const uint8_t* text, size_t textLength, char* out)
{
    for (size_t i = 0; i < textLength; ++i) {
        if (!IsPrintable(text[i]))
            return 0;
    }
    size_t k = textLength < kDecodedLimit ? textLength : kDecodedLimit;
    std::memcpy(out, text, k);
    return k;
}

void SwapPairs(char* out, size_t k)
{
    // With an odd k the terminator moves in front of the last character, which is dropped.
    for (size_t j = 0; j < k; j += 2) {
        char c = out[j];
        out[j] = out[j + 1];
        out[j + 1] = c;
    }
}

void TrimBlanks(char* out)
{
    if (out[0] == '\0')
        return;
    size_t length = std::strlen(out);
    size_t first = 0;
    while (first < length && IsBlank(static_cast<unsigned char>(out[first])))
        ++first;
    if (first == length)
        return;  // blanks only: left as they are
    size_t last = length - 1;
    while (IsBlank(static_cast<unsigned char>(out[last])))
        --last;
    std::memmove(out, out + first, last - first + 1);
    out[last - first + 1] = '\0';
}

}  // namespace

char* DecodeDescriptorString(const uint8_t* answer, size_t answerLength, int32_t offset, bool swapPairs,
                             char* out)
{
    out[0] = '\0';
    if (answer == nullptr || offset <= 0 || static_cast<size_t>(offset) >= answerLength)
        return out;
    const uint8_t* text = answer + offset;
    size_t available = answerLength - static_cast<size_t>(offset);
    const void* terminator = std::memchr(text, 0, available);
    size_t textLength = terminator ? static_cast<size_t>(static_cast<const uint8_t*>(terminator) - text) : available;

    size_t k = 0;
    if (!DecodeHexadecimal(text, textLength, out, &k))
        k = CopyPlainText(text, textLength, out);
    out[k] = '\0';
    if (swapPairs && k > 0)
        SwapPairs(out, k);  // out[k] is the terminator, so out[j + 1] stays inside the buffer
    TrimBlanks(out);
    return out;
}

int32_t SectorZeroEmptyFlag(const uint8_t sector[kSectorSize])
{
    bool allEqual = true;
    for (size_t i = 1; i < kSectorSize && allEqual; ++i)
        allEqual = sector[i] == sector[0];
    if (allEqual)
        return 1;
    for (size_t i = 446; i < 510; ++i) {  // the four 16-byte partition entries of an MBR
        if (sector[i] != 0)
            return 0;
    }
    return 1;
}

int32_t AnswerInt32(const uint8_t* answer, size_t answerLength, size_t position)
{
    if (answer == nullptr || answerLength < 4 || position > answerLength - 4)
        return 0;
    uint32_t value = static_cast<uint32_t>(answer[position]) | static_cast<uint32_t>(answer[position + 1]) << 8 |
                     static_cast<uint32_t>(answer[position + 2]) << 16 |
                     static_cast<uint32_t>(answer[position + 3]) << 24;
    return static_cast<int32_t>(value);
}

void StoreDescriptorStrings(const uint8_t* answer, size_t answerLength, IdentityRecord& row)
{
    char work[kDecodeBufferSize];
    DecodeDescriptorString(answer, answerLength, AnswerInt32(answer, answerLength, kVendorIdOffsetField), false, work);
    CopyField(row.vendor_id, work);
    DecodeDescriptorString(answer, answerLength, AnswerInt32(answer, answerLength, kProductIdOffsetField), false, work);
    CopyField(row.product_id, work);
    DecodeDescriptorString(answer, answerLength, AnswerInt32(answer, answerLength, kProductRevisionOffsetField), false,
                           work);
    CopyField(row.product_revision, work);
    DecodeDescriptorString(answer, answerLength, AnswerInt32(answer, answerLength, kSerialNumberOffsetField), true,
                           work);
    CopyField(row.serial_number, work);
}

bool GeometryDiskSize(const uint8_t* answer, size_t answerLength, int64_t* diskSize)
{
    if (answer == nullptr || answerLength < kDiskSizeField + 8)
        return false;
    uint64_t value = 0;
    for (int i = 7; i >= 0; --i)
        value = value << 8 | answer[kDiskSizeField + static_cast<size_t>(i)];
    *diskSize = static_cast<int64_t>(value);
    return true;
}
