// IDENTIFY DEVICE words into DiskRecord fields.
#include "inventory/probes/identify.h"

#include <cstring>
#include <string>

#include <gtest/gtest.h>

#include "inventory/query/tables.h"

namespace {

struct Words {
    uint32_t w[kIdentifyWordCount] = {};
    // Text two characters per word, first character in the high byte, padded with blanks.
    Words& Text(int first, int last, const std::string& text)
    {
        std::string padded = text;
        padded.resize(static_cast<size_t>(2 * (last - first + 1)), ' ');
        for (int i = first; i <= last; ++i) {
            size_t k = static_cast<size_t>(2 * (i - first));
            w[i] = static_cast<uint32_t>(static_cast<unsigned char>(padded[k]) << 8 | static_cast<unsigned char>(padded[k + 1]));
        }
        return *this;
    }
};

std::string WordsToString(const Words& words, int first, int last)
{
    char out[2 * 256 + 1];
    std::memset(out, 'x', sizeof(out));
    return IdentifyWordsToString(words.w, first, last, out);
}

TEST(IdentifyWordsToString, TrimsTrailingBlanksButNeverPositionZero)
{
    struct Case {
        std::string raw;
        std::string expected;
    } cases[] = {
        {"WD-WCAV12345678", "WD-WCAV12345678"},
        {"      S13PJ9AQ123456", "      S13PJ9AQ123456"},   // right-aligned: leading blanks kept
        {"", " "},                                          // all blanks: one blank stays
        {"AB\t\n\r\v\f ", "AB"},                            // every white-space byte is cut
        {"A", "A"},
    };
    for (const Case& c : cases) {
        Words words;
        std::string raw = c.raw;
        raw.resize(20, ' ');
        for (int i = 0; i < 10; ++i)
            words.w[10 + i] = static_cast<uint32_t>(static_cast<unsigned char>(raw[2 * i]) << 8 |
                                                    static_cast<unsigned char>(raw[2 * i + 1]));
        EXPECT_EQ(c.expected, WordsToString(words, 10, 19)) << "raw '" << c.raw << "'";
    }
}

TEST(IdentifyWordsToString, HighByteFirstAndEmptyRanges)
{
    Words words;
    words.w[27] = 0x5354;  // "ST"
    words.w[28] = 0x3130;  // "10"
    EXPECT_EQ("ST10", WordsToString(words, 27, 28));
    EXPECT_EQ("", WordsToString(words, 28, 27));
    EXPECT_EQ("", WordsToString(words, 250, 256));  // past word 255: nothing read
    EXPECT_EQ("", WordsToString(words, -1, 3));
    // An embedded NUL byte ends the text where it stands.
    words.w[40] = 0x4100;
    EXPECT_EQ("A", WordsToString(words, 40, 40));
}

TEST(IdentifyCapacity, TwentyEightAndFortyEightBitAddressing)
{
    Words lba48;
    lba48.w[83] = 0x0400;
    uint64_t sectors = 1953525168u;
    for (int i = 0; i < 4; ++i)
        lba48.w[100 + i] = static_cast<uint32_t>((sectors >> (16 * i)) & 0xFFFF);
    lba48.w[60] = 0xFFFF;  // 28-bit words ignored when word 83 bit 10 is set
    EXPECT_EQ(1000204886016, IdentifyCapacityBytes(lba48.w));

    Words lba28;
    lba28.w[60] = 0xFFFF;
    lba28.w[61] = 0x0FFF;  // 268,435,455 sectors
    lba28.w[100] = 0x1234; // 48-bit words ignored without word 83 bit 10
    EXPECT_EQ(137438952960, IdentifyCapacityBytes(lba28.w));

    Words none;
    EXPECT_EQ(0, IdentifyCapacityBytes(none.w));

    Words huge;  // every 48-bit word all ones: the 64-bit product wraps, as the signed print shows
    huge.w[83] = 0x0400;
    for (int i = 0; i < 4; ++i)
        huge.w[100 + i] = 0xFFFF;
    EXPECT_EQ(-512, IdentifyCapacityBytes(huge.w));
}

TEST(IdentifyMediaType, BitSevenWinsOverBitSix)
{
    struct Case {
        uint32_t word0;
        const char* expected;
    } cases[] = {{0x0080, "Removable"}, {0x00C0, "Removable"}, {0x0040, "Fixed"}, {0x0000, "Unknown"},
                 {0x8A00, "Unknown"}, {0x0045, "Fixed"}};
    for (const Case& c : cases) {
        Words words;
        words.w[0] = c.word0;
        EXPECT_STREQ(c.expected, IdentifyMediaType(words.w)) << std::hex << c.word0;
    }
}

TEST(IdentifyRequest, BlockIsZeroButTheCommandRegister)
{
    uint8_t block[kSmartBlockSize];
    std::memset(block, 0x55, sizeof(block));
    PrepareIdentifyRequest(block);
    for (size_t i = 0; i < kSmartBlockSize; ++i)
        EXPECT_EQ(i == 10 ? 0xEC : 0, block[i]) << "byte " << i;

    // The answer's words start at byte 16, little-endian.
    block[16] = 0x40;
    block[17] = 0x00;
    block[16 + 2 * 255] = 0x34;
    block[16 + 2 * 255 + 1] = 0x12;
    uint32_t words[kIdentifyWordCount];
    WidenIdentifyWords(block, words);
    EXPECT_EQ(0x0040u, words[0]);
    EXPECT_EQ(0x1234u, words[255]);
}

class StoreIdentifyDataTest : public ::testing::Test {
protected:
    void SetUp() override { std::memset(&inventory, 0, sizeof(inventory)); }
};

TEST_F(StoreIdentifyDataTest, FillsTheRowAtDiskCountAndKeepsTheScanFields)
{
    inventory.diskCount = 1;
    inventory.disks[1].report_order = 4;
    inventory.disks[1].empty_flag = -1;
    Words words;
    words.Text(10, 19, "  5QM0ABCD").Text(23, 26, "3.AAE").Text(27, 46, "ST3500418AS");
    words.w[0] = 0x0040;
    words.w[60] = 0x6030;  // 976,773,168 sectors
    words.w[61] = 0x3A38;
    StoreIdentifyData(2, words.w);

    ASSERT_EQ(2, inventory.diskCount);
    const DiskRecord& row = inventory.disks[1];
    EXPECT_EQ(2, row.drive_number);
    EXPECT_STREQ("  5QM0ABCD", row.serial_number);
    EXPECT_STREQ("ST3500418AS", row.model);
    EXPECT_STREQ("3.AAE", row.firmware_revision);
    EXPECT_STREQ("Fixed", row.media_type);
    EXPECT_STREQ("500107862016", row.disk_size);
    EXPECT_STREQ("ok", row.status);
    EXPECT_EQ(4, row.report_order);
    EXPECT_EQ(-1, row.empty_flag);
}

TEST_F(StoreIdentifyDataTest, AFullTableTakesNoMoreRows)
{
    Words words;
    inventory.diskCount = kDiskCapacity;
    StoreIdentifyData(7, words.w);
    EXPECT_EQ(kDiskCapacity, inventory.diskCount);
}

}  // namespace
