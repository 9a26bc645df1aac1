// Storage descriptor strings, the geometry size and the blank-disk test of sector 0.
#include "inventory/probes/descriptor.h"

#include <cstring>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "inventory/query/tables.h"

namespace {

// A descriptor answer with `text` at offset 40 (terminated unless told otherwise).
std::vector<uint8_t> AnswerWith(const std::string& text, bool terminated = true)
{
    std::vector<uint8_t> answer(40, 0);
    answer.insert(answer.end(), text.begin(), text.end());
    if (terminated)
        answer.push_back(0);
    return answer;
}

std::string Decode(const std::string& text, bool swap)
{
    std::vector<uint8_t> answer = AnswerWith(text);
    char out[kDecodeBufferSize];
    std::memset(out, 'x', sizeof(out));
    return DecodeDescriptorString(answer.data(), answer.size(), 40, swap, out);
}

TEST(DecodeDescriptorString, HexadecimalAndPlainTextPasses)
{
    struct Case {
        std::string raw;
        bool swap;
        std::string expected;
    } cases[] = {
        {"3132333435363738", false, "12345678"},
        {"3132333435363738", true, "21436587"},
        {"ABCDEFGH", true, "BADCFEHG"},       // AB gives 0xAB, unprintable: plain text
        {"ABCDE", true, "BADC"},              // odd length: the last character is dropped
        {"0A", true, "A0"},                   // a line feed is no text: plain text
        {"  Intel   ", false, "Intel"},       // blanks give a 0 byte, 'I' ends the hex pass
        {"4142", false, "AB"},
        {"4a4B", false, "JK"},                // either case of hex digit
        {"4a5g3132", false, "4a5g3132"},      // 'g' is no hex digit: plain text
        {"414", false, "A"},                  // a single digit left over is dropped
        {"2020", false, "  "},                // blanks only: not trimmed
        {"20414220", false, "AB"},            // decoded text trimmed
        {"  3132", false, ""},                // a leading 0 byte makes the text empty
        {"3100", false, "1"},                 // a complete 0 byte is kept and ends the text
        {"   WD-WMAZA1234567", false, "WD-WMAZA1234567"},
        {"WD-1\x7f", false, ""},              // neither hex nor printable
        {"caf\xc3\xa9", false, ""},
        {"", true, ""},
        {"\t\t", false, ""},                  // two blanks: one 0 byte
        {"X\tY", false, ""},                  // a tab is not printable in the plain pass
        {"1 ", false, "1"},                   // the byte 0x10 is no text: plain "1 ", trimmed
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.expected, Decode(c.raw, c.swap)) << "raw '" << c.raw << "' swap " << c.swap;
}

TEST(DecodeDescriptorString, AbsentOffsets)
{
    std::vector<uint8_t> answer = AnswerWith("ABC");
    char out[kDecodeBufferSize];
    for (int32_t offset : {0, -1, -40, static_cast<int32_t>(answer.size()), static_cast<int32_t>(answer.size()) + 1,
                           0x7FFFFFFF}) {
        std::strcpy(out, "stale");
        EXPECT_STREQ("", DecodeDescriptorString(answer.data(), answer.size(), offset, true, out)) << offset;
    }
    // An offset past the returned bytes is absent even when the buffer holds more.
    std::strcpy(out, "stale");
    EXPECT_STREQ("", DecodeDescriptorString(answer.data(), 40, 40, false, out));
}

TEST(DecodeDescriptorString, UnterminatedStringEndsWithTheReturnedBytes)
{
    std::vector<uint8_t> answer = AnswerWith("SERIAL", false);
    char out[kDecodeBufferSize];
    EXPECT_STREQ("ESIRLA", DecodeDescriptorString(answer.data(), answer.size(), 40, true, out));
    answer = AnswerWith("313233", false);
    EXPECT_STREQ("123", DecodeDescriptorString(answer.data(), answer.size(), 40, false, out));
}

TEST(DecodeDescriptorString, LongStringsAreCutToTheWorkBuffer)
{
    char out[kDecodeBufferSize + 16];
    std::memset(out + kDecodeBufferSize, 0x5A, 16);  // guard bytes past the work buffer
    for (bool hex : {false, true}) {
        std::string raw = hex ? std::string(20000, '4') : std::string(10000, 'Q');  // "44" is 'D'
        std::vector<uint8_t> answer = AnswerWith(raw, false);
        DecodeDescriptorString(answer.data(), answer.size(), 40, false, out);
        EXPECT_EQ(kDecodeBufferSize - 1, std::strlen(out));
        EXPECT_EQ(std::string(kDecodeBufferSize - 1, hex ? 'D' : 'Q'), out);
        for (size_t i = kDecodeBufferSize; i < sizeof(out); ++i)
            ASSERT_EQ(0x5A, static_cast<uint8_t>(out[i]));
    }
    // A bad character past the stored part still rules out the hexadecimal reading.
    std::string raw = std::string(2400, '4') + "0A";
    std::vector<uint8_t> answer = AnswerWith(raw);
    DecodeDescriptorString(answer.data(), answer.size(), 40, false, out);
    EXPECT_EQ(std::string(kDecodeBufferSize - 1, '4'), out);
}

TEST(DecodeDescriptorString, EveryByteValueStaysInBounds)
{
    char out[kDecodeBufferSize];
    for (int first = 1; first < 256; ++first) {
        for (int second = 0; second < 256; ++second) {
            uint8_t raw[4] = {static_cast<uint8_t>(first), static_cast<uint8_t>(second), static_cast<uint8_t>(first),
                              static_cast<uint8_t>(second)};
            std::vector<uint8_t> answer(40, 0);
            answer.insert(answer.end(), raw, raw + 4);  // unterminated at the end of the answer
            DecodeDescriptorString(answer.data(), answer.size(), 40, true, out);
            size_t length = std::strlen(out);
            ASSERT_LE(length, 4u);
            for (size_t i = 0; i < length; ++i)
                ASSERT_TRUE(out[i] >= 0x20 && out[i] <= 0x7E) << first << "," << second;
        }
    }
}

TEST(SectorZeroEmptyFlag, BlankFilledAndPartitionedSectors)
{
    uint8_t sector[kSectorSize];
    std::memset(sector, 0, sizeof(sector));
    EXPECT_EQ(1, SectorZeroEmptyFlag(sector));
    std::memset(sector, 0xFF, sizeof(sector));
    EXPECT_EQ(1, SectorZeroEmptyFlag(sector));  // all bytes equal, partition entries included

    std::memset(sector, 0, sizeof(sector));
    for (size_t i = 0; i < 446; ++i)
        sector[i] = static_cast<uint8_t>(i * 7 + 1);  // boot code
    sector[510] = 0x55;
    sector[511] = 0xAA;                             // the signature is not examined
    EXPECT_EQ(1, SectorZeroEmptyFlag(sector));
    for (size_t entry = 446; entry < 510; entry += 16) {
        uint8_t used[kSectorSize];
        std::memcpy(used, sector, sizeof(used));
        used[entry + 15] = 0x01;  // any byte of any of the four entries
        EXPECT_EQ(0, SectorZeroEmptyFlag(used)) << entry;
    }
    std::memset(sector, 0, sizeof(sector));
    sector[511] = 1;  // only outside the entries: blank
    EXPECT_EQ(1, SectorZeroEmptyFlag(sector));
}

TEST(StoreDescriptorStrings, SerialNumberAloneIsPairSwappedAndEveryFieldIsCut)
{
    std::vector<uint8_t> answer(64, 0);
    auto put = [&](size_t field, const std::string& text) {
        uint32_t offset = static_cast<uint32_t>(answer.size());
        std::memcpy(answer.data() + field, &offset, 4);
        answer.insert(answer.end(), text.begin(), text.end());
        answer.push_back(0);
    };
    put(kVendorIdOffsetField, "  Intel   ");
    put(kProductIdOffsetField, std::string(300, 'P'));
    put(kProductRevisionOffsetField, "1.0");
    put(kSerialNumberOffsetField, std::string(600, 'S') + "12");
    IdentityRecord row;
    std::memset(&row, 0x7E, sizeof(row));
    StoreDescriptorStrings(answer.data(), answer.size(), row);
    EXPECT_STREQ("Intel", row.vendor_id);
    EXPECT_EQ(std::string(127, 'P'), row.product_id);
    EXPECT_STREQ("1.0", row.product_revision);
    EXPECT_EQ(std::string(255, 'S'), row.serial_number);

    // Offsets stored beyond the answer read as absent.
    IdentityRecord shortRow;
    std::memset(&shortRow, 0, sizeof(shortRow));
    StoreDescriptorStrings(answer.data(), 20, shortRow);
    EXPECT_STREQ("", shortRow.serial_number);
    EXPECT_STREQ("", shortRow.vendor_id);
}

TEST(GeometryDiskSize, NeedsTheWholeField)
{
    std::vector<uint8_t> answer(32, 0);
    uint64_t size = 250059350016u;
    std::memcpy(answer.data() + 24, &size, 8);
    int64_t diskSize = -7;
    ASSERT_TRUE(GeometryDiskSize(answer.data(), answer.size(), &diskSize));
    EXPECT_EQ(250059350016, diskSize);
    EXPECT_FALSE(GeometryDiskSize(answer.data(), 31, &diskSize));
    EXPECT_FALSE(GeometryDiskSize(answer.data(), 24, &diskSize));
}

}  // namespace
