// Read queries of KVFunc over the tables, without the export around them.
#include "inventory/query/queries.h"

#include <cstring>
#include <string>

#include <gtest/gtest.h>

#include "inventory/query/tables.h"

namespace {

class QueriesTest : public ::testing::Test {
protected:
    void SetUp() override { std::memset(&tables_, 0, sizeof(tables_)); }
    std::string Ask(unsigned int type, int index = 0, const char* text = nullptr)
    {
        char answer[kAnswerSize];
        std::memset(answer, 'x', sizeof(answer));
        answer[0] = '\0';
        WriteQueryAnswer(tables_, type, index, text, answer);
        return answer;
    }
    void AddLetter(const char* letter, int32_t diskNumber)
    {
        DriveLetterEntry& row = tables_.driveLetters[tables_.driveLetterCount++];
        std::strcpy(row.letter, letter);
        row.disk_number = diskNumber;
        row.device_type = diskNumber < 0 ? -1 : 7;
    }
    Inventory tables_;
};

TEST_F(QueriesTest, ZeroFilledTablesBeforeAnyScan)
{
    EXPECT_EQ("0", Ask(ORB2_DISK_COUNT));
    EXPECT_EQ("0", Ask(ORB2_RAID_DISK_COUNT));
    for (int i = 0; i < kRaidDiskCapacity; ++i)
        EXPECT_EQ("0", Ask(ORB2_RAID_DISK_ENTRY_INDEX, i));
    EXPECT_EQ("0", Ask(ORB2_RAID_VOLUME_STATE));
    EXPECT_EQ("0", Ask(ORB2_RAID_VOLUME_STATE_AGAIN));
    EXPECT_EQ("", Ask(ORB2_ARRAY_TOTAL_MB));
    EXPECT_EQ("", Ask(ORB2_MIGRATION));
    EXPECT_EQ("0", Ask(ORB2_LETTER_DISK_NUMBER, 0, "C"));
    EXPECT_EQ("no", Ask(ORB2_ALWAYS_NO));
    EXPECT_EQ("", Ask(ORB2_DISK_SPARE_TEXT, 3));
    EXPECT_EQ("", Ask(ORB2_RUN_SCAN));
    EXPECT_EQ("", Ask(ORB2_LAST_QUERY + 1));
}

TEST_F(QueriesTest, EveryRowQueryReadsItsField)
{
    DiskRecord& disk = tables_.disks[49];
    disk.drive_number = 12;
    std::strcpy(disk.model, "MODEL");
    std::strcpy(disk.serial_number, "SERIAL");
    std::strcpy(disk.firmware_revision, "FW");
    std::strcpy(disk.media_type, "Fixed");
    std::strcpy(disk.disk_size, "500107862016");
    std::strcpy(disk.status, "no");
    disk.report_order = 3;
    disk.empty_flag = -1;
    std::strcpy(disk.spare_text, "zzz");  // never written by the system; query 24 answers empty anyway
    RaidDiskRecord& raid = tables_.raidDisks[5];
    raid.entry_index = -1;
    std::strcpy(raid.serial_number, "RAIDSERIAL");
    std::strcpy(raid.size_text, "953869999999");
    std::strcpy(raid.array_member, "yes");
    std::strcpy(raid.bus_id, "2");
    raid.empty_flag = 1;
    tables_.raidVolumeState = -1;
    tables_.raidArrayState = 1;
    std::strcpy(tables_.arrayTotalMbText, "0");
    std::strcpy(tables_.migrationText, "-1");

    struct Case {
        unsigned int type;
        int index;
        std::string expected;
    } cases[] = {
        {2, 49, "12"}, {3, 49, "MODEL"}, {4, 49, "SERIAL"}, {5, 49, "FW"}, {6, 49, "Fixed"},
        {7, 49, "500107862016"}, {8, 49, "no"}, {10, 49, "3"}, {22, 49, "-1"}, {24, 49, ""},
        {12, 5, "-1"}, {13, 5, "RAIDSERIAL"}, {14, 5, "953869999999"}, {15, 5, "yes"}, {21, 5, "1"}, {23, 5, "2"},
        {17, 0, "-1"}, {18, 0, "-1"}, {19, 0, "0"}, {20, 0, "-1"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.expected, Ask(c.type, c.index)) << "query " << c.type << " index " << c.index;
}

TEST_F(QueriesTest, IndexesOutsideTheTablesAnswerTheEmptyText)
{
    for (unsigned int type : {2u, 3u, 4u, 5u, 6u, 7u, 8u, 10u, 22u, 24u}) {
        for (int index : {-1, 50, 1000000, -2147483647 - 1})
            EXPECT_EQ("", Ask(type, index)) << type << " " << index;
    }
    for (unsigned int type : {12u, 13u, 14u, 15u, 21u, 23u}) {
        for (int index : {-1, 6, 50, 1000000})
            EXPECT_EQ("", Ask(type, index)) << type << " " << index;
    }
    EXPECT_EQ("0", Ask(ORB2_DISK_DRIVE_NUMBER, 49));
    EXPECT_EQ("0", Ask(ORB2_RAID_DISK_ENTRY_INDEX, 5));
}

TEST_F(QueriesTest, FullLengthFieldsAreCopiedWhole)
{
    std::memset(tables_.disks[0].serial_number, 'S', sizeof(tables_.disks[0].serial_number) - 1);
    EXPECT_EQ(std::string(255, 'S'), Ask(ORB2_DISK_SERIAL_NUMBER, 0));
    // A field that lost its terminator is cut at its end, never read past it.
    std::memset(tables_.disks[0].model, 'M', sizeof(tables_.disks[0].model));
    EXPECT_EQ(std::string(127, 'M'), Ask(ORB2_DISK_MODEL, 0));
}

TEST_F(QueriesTest, LetterLookupOfQueryNine)
{
    AddLetter("A", -1);
    AddLetter("C", 0);
    AddLetter("D", 1);
    tables_.driveLetters[3].disk_number = 5;  // left by an earlier scan
    struct Case {
        const char* text;
        std::string expected;
    } cases[] = {
        {"C", "0"}, {"c", "0"}, {"d", "1"}, {"A", "-1"},
        {"C:", "5"}, {"", "5"}, {"Z", "5"}, {"CC", "5"}, {nullptr, "-1"},  // no match: first unused row
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.expected, Ask(ORB2_LETTER_DISK_NUMBER, 0, c.text)) << (c.text ? c.text : "(null)");
}

TEST_F(QueriesTest, QueryNineWithEveryLetterRowInUse)
{
    for (int i = 0; i < kDriveLetterCapacity; ++i) {
        char letter[2] = {static_cast<char>('A' + i), '\0'};
        AddLetter(letter, i);
    }
    EXPECT_EQ("25", Ask(ORB2_LETTER_DISK_NUMBER, 0, "z"));
    EXPECT_EQ("-1", Ask(ORB2_LETTER_DISK_NUMBER, 0, "C:"));  // no row to fall back on
    tables_.driveLetterCount = 1000;    // a count out of range reads nothing
    EXPECT_EQ("-1", Ask(ORB2_LETTER_DISK_NUMBER, 0, "C"));
}

}  // namespace
