// ParseRaidReport on report texts: the rules of each key, then hostile reports.
#include "inventory/raid_report/raid_report_parser.h"

#include <cstring>
#include <memory>
#include <string>

#include <gtest/gtest.h>

namespace {

std::unique_ptr<Inventory> NewInventory() { return std::make_unique<Inventory>(); }

void AddDisk(Inventory& inv, const char* serial, const char* size, int32_t emptyFlag)
{
    DiskRecord& d = inv.disks[inv.diskCount++];
    std::strcpy(d.serial_number, serial);
    std::strcpy(d.disk_size, size);
    std::strcpy(d.media_type, "Fixed");
    d.empty_flag = emptyFlag;
}

std::string Disk(const std::string& serial, const std::string& bus, const std::string& summary)
{
    return "  SerialNo:" + serial + "\r\n  BusId:0x" + bus + "\r\n  Summary:" + summary + "\r\n";
}

const std::string kHeader = "Intel(R) RAID Configuration Utility\r\n\r\nPhysical Disks\r\n";
const std::string kDiskEnd = "Total Physical Disks = 2\r\n";

TEST(ParseRaidReport, ReadsDiskEntriesBeforeTheTotalLine)
{
    auto inv = NewInventory();
    ParseRaidReport(kHeader + Disk("WD-AAA111", "0", "ArrayMember") + Disk("ST-BBB222", "1", "Non-RAID Disk") + kDiskEnd
                        + "RAID Volumes\r\nTotal Volumes = 0\r\nRAID Arrays\r\nTotal Arrays = 0\r\n",
                    *inv);
    ASSERT_EQ(2, inv->raidDiskCount);
    EXPECT_EQ(0, inv->raidDisks[0].entry_index);
    EXPECT_EQ(1, inv->raidDisks[1].entry_index);
    EXPECT_STREQ("WD-AAA111", inv->raidDisks[0].serial_number);
    EXPECT_STREQ("ST-BBB222", inv->raidDisks[1].serial_number);
    EXPECT_STREQ("yes", inv->raidDisks[0].array_member);
    EXPECT_STREQ("no", inv->raidDisks[1].array_member);
    EXPECT_STREQ("0", inv->raidDisks[0].bus_id);
    EXPECT_STREQ("1", inv->raidDisks[1].bus_id);
    for (int r = 2; r < kRaidDiskCapacity; ++r)
        EXPECT_EQ(-1, inv->raidDisks[r].entry_index);
    EXPECT_EQ(0, inv->raidVolumeState);
    EXPECT_EQ(0, inv->raidArrayState);
    EXPECT_STREQ("-1", inv->migrationText);
    EXPECT_STREQ("0", inv->arrayTotalMbText);  // "RAID Arrays" without "TotalMB:"
}

TEST(ParseRaidReport, VolumeSerialAfterTheTotalLineGivesNoRow)
{
    auto inv = NewInventory();
    ParseRaidReport(kHeader + Disk("A1", "0", "ArrayMember") + Disk("B2", "1", "ArrayMember") + kDiskEnd
                        + "RAID Volumes\r\n  SerialNo:VOL0\tSummary:Normal\r\nTotal Volumes = 1\r\n",
                    *inv);
    EXPECT_EQ(2, inv->raidDiskCount);
    EXPECT_EQ(-1, inv->raidDisks[2].entry_index);
}

TEST(ParseRaidReport, EntryWithoutBusIdTakesTheNextEntrysBusIdAndRole)
{
    auto inv = NewInventory();
    ParseRaidReport(kHeader + "  SerialNo:LONELY\r\n" + Disk("NEXT", "3", "ArrayMember") + Disk("LAST", "4", "Non-RAID")
                        + kDiskEnd,
                    *inv);
    ASSERT_EQ(2, inv->raidDiskCount);
    EXPECT_STREQ("LONELY", inv->raidDisks[0].serial_number);
    EXPECT_STREQ("3", inv->raidDisks[0].bus_id);
    EXPECT_STREQ("yes", inv->raidDisks[0].array_member);
    EXPECT_STREQ("LAST", inv->raidDisks[1].serial_number);  // NEXT was consumed
}

TEST(ParseRaidReport, WithoutTheTotalLineOnlyTheFirstEntryIsRead)
{
    auto inv = NewInventory();
    ParseRaidReport(kHeader + Disk("A1", "0", "ArrayMember") + Disk("B2", "1", "ArrayMember"), *inv);
    EXPECT_EQ(1, inv->raidDiskCount);
    EXPECT_STREQ("A1", inv->raidDisks[0].serial_number);
}

TEST(ParseRaidReport, SerialInTheFirstSixBytesIsNotADisk)
{
    for (int offset = 0; offset <= 6; ++offset) {
        auto inv = NewInventory();
        ParseRaidReport(std::string(offset, ' ') + "SerialNo:X\r\nBusId:0x2\r\nSummary:ArrayMember\r\n" + kDiskEnd, *inv);
        EXPECT_EQ(offset == 6 ? 1 : 0, inv->raidDiskCount) << "offset " << offset;
    }
}

TEST(ParseRaidReport, TotalLineBeforeEveryEntryGivesNoRow)
{
    auto inv = NewInventory();
    ParseRaidReport(kHeader + "Total Physical Disks = 0\r\nRAID Volumes\r\n  SerialNo:VOL\tSummary:Normal\r\n", *inv);
    EXPECT_EQ(0, inv->raidDiskCount);
    EXPECT_EQ(-1, inv->raidDisks[0].entry_index);
}

TEST(ParseRaidReport, BusIdIsOneCharacterAndRoleNeedsAr)
{
    struct Case { const char* bus; const char* summary; const char* busId; const char* member; };
    const Case cases[] = {
        {"1A", "ArrayMember", "1", "yes"},
        {"F", "OfflineArrayMember", "F", "no"},
        {"0", "Non-RAID Disk", "0", "no"},
        {"0", "Ar", "0", "yes"},
        {"0", "arrayMember", "0", "no"},
    };
    for (const Case& c : cases) {
        auto inv = NewInventory();
        ParseRaidReport(kHeader + Disk("S", c.bus, c.summary) + kDiskEnd, *inv);
        EXPECT_STREQ(c.busId, inv->raidDisks[0].bus_id) << c.bus;
        EXPECT_STREQ(c.member, inv->raidDisks[0].array_member) << c.summary;
    }
}

TEST(ParseRaidReport, VolumeAndArrayStates)
{
    struct Case { std::string tail; int32_t volume; int32_t array; };
    const Case cases[] = {
        {"RAID Volumes\r\n SerialNo:V\tSummary:Normal\r\nTotal Volumes = 1\r\nRAID Arrays\r\n TotalMB:476940\r\nTotal Arrays = 1\r\n", 1, 1},
        {"RAID Volumes\r\n SerialNo:V\tSummary:Degraded\r\nTotal Volumes = 1\r\nRAID Arrays\r\n TotalMB:476940\r\nTotal Arrays = 1\r\n", -1, -1},
        // "Summary:Normal" before the "RAID Volumes" heading does not count.
        {"Summary:Normal\r\nRAID Volumes\r\nTotal Volumes = 1\r\nRAID Arrays\r\nTotal Arrays = 1\r\n", -1, -1},
        {"RAID Volumes\r\nTotal Volumes = 1\r\nTotal Arrays = 0\r\n", 1, 0},
        {"RAID Volumes\r\nTotal Volumes = 1\r\nTotal Volumes = 0\r\n", 0, -1},
        {"RAID Volumes\r\nTotal Volumes = 2\r\nTotal Arrays = 2\r\n", -1, -1},
        {"RAID Volumes\r\nTotal Volumes=1\r\nTotal Arrays  = 1\r\n", -1, -1},
        {"", -1, -1},
    };
    for (const Case& c : cases) {
        auto inv = NewInventory();
        ParseRaidReport(kHeader + Disk("S", "0", "ArrayMember") + kDiskEnd + c.tail, *inv);
        EXPECT_EQ(c.volume, inv->raidVolumeState) << c.tail;
        EXPECT_EQ(c.array, inv->raidArrayState) << c.tail;
    }
}

TEST(ParseRaidReport, MigrationTextAndArrayTotal)
{
    struct Case { std::string text; const char* migration; const char* total; };
    const Case cases[] = {
        {"RAID Volumes\r\n SerialNo:V\tSummary:Migration: 45%\r\n", " 45", "prev"},
        {"RAID Volumes\r\n SerialNo:V\tSummary:Migration:7%\r\nRAID Arrays\r\n TotalMB:476940\r\n", "7", "476940999999"},
        // Without the heading the search starts at the beginning of the text.
        {"Summary:Migration:12%\r\n", "12", "prev"},
        {"RAID Arrays\r\n Size TotalMB: = 1000 MB\r\n", "-1", "1000999999"},
        {"RAID Arrays\r\nTotal Arrays = 0\r\n", "-1", "0"},
        // Two arrays: the first one's total.
        {"RAID Arrays\r\n TotalMB:100\r\n TotalMB:200\r\n", "-1", "100999999"},
    };
    for (const Case& c : cases) {
        auto inv = NewInventory();
        std::strcpy(inv->arrayTotalMbText, "prev");
        ParseRaidReport(c.text, *inv);
        EXPECT_STREQ(c.migration, inv->migrationText) << c.text;
        EXPECT_STREQ(c.total, inv->arrayTotalMbText) << c.text;
    }
}

TEST(ParseRaidReport, SizesRowsFromTheArrayOrTheLastMatchingDisk)
{
    auto inv = NewInventory();
    AddDisk(*inv, "wd-aaa111", "500107862016", 0);
    AddDisk(*inv, "ST-BBB222", "320072933376", 1);
    AddDisk(*inv, "XXST-bbb222", "1000204886016", -1);
    ParseRaidReport(kHeader + Disk("WD-AAA111", "0", "ArrayMember") + Disk("st-bbb222", "1", "Non-RAID Disk") + kDiskEnd
                        + "RAID Arrays\r\n TotalMB:476940\r\nTotal Arrays = 1\r\n",
                    *inv);
    EXPECT_STREQ("476940999999", inv->raidDisks[0].size_text);
    EXPECT_EQ(0, inv->raidDisks[0].empty_flag);  // array member: not taken from a disk
    EXPECT_STREQ("1000204886016", inv->raidDisks[1].size_text);  // the last match wins
    EXPECT_EQ(-1, inv->raidDisks[1].empty_flag);
    // Upper-cased in place on both sides.
    EXPECT_STREQ("ST-BBB222", inv->raidDisks[1].serial_number);
    EXPECT_STREQ("WD-AAA111", inv->disks[0].serial_number);
    EXPECT_STREQ("XXST-BBB222", inv->disks[2].serial_number);
}

TEST(ParseRaidReport, ArrayMemberWithoutTotalIsSizedFromItsDisk)
{
    auto inv = NewInventory();
    AddDisk(*inv, "A1", "500", 1);
    ParseRaidReport(kHeader + Disk("A1", "0", "ArrayMember") + kDiskEnd + "RAID Arrays\r\nTotal Arrays = 1\r\n", *inv);
    EXPECT_STREQ("0", inv->arrayTotalMbText);
    EXPECT_STREQ("500", inv->raidDisks[0].size_text);
    EXPECT_EQ(1, inv->raidDisks[0].empty_flag);
}

TEST(ParseRaidReport, EmptySerialIsContainedInEveryDisk)
{
    auto inv = NewInventory();
    AddDisk(*inv, "A1", "500", 1);
    AddDisk(*inv, "B2", "700", 0);
    ParseRaidReport(kHeader + Disk("", "0", "Non-RAID Disk") + kDiskEnd, *inv);
    EXPECT_STREQ("700", inv->raidDisks[0].size_text);
}

TEST(ParseRaidReport, SecondSmallerParseLeavesRowsUnusedButKeepsBusIdAndEmptyFlag)
{
    auto inv = NewInventory();
    AddDisk(*inv, "A1", "500", 1);
    AddDisk(*inv, "B2", "700", -1);
    ParseRaidReport(kHeader + Disk("A1", "5", "Non-RAID") + Disk("B2", "7", "Non-RAID") + kDiskEnd
                        + "RAID Arrays\r\n TotalMB:9\r\n",
                    *inv);
    ASSERT_EQ(2, inv->raidDiskCount);
    ParseRaidReport(kHeader + Disk("A1", "6", "Non-RAID") + kDiskEnd, *inv);
    EXPECT_EQ(1, inv->raidDiskCount);
    EXPECT_EQ(-1, inv->raidDisks[1].entry_index);
    EXPECT_STREQ("", inv->raidDisks[1].serial_number);
    EXPECT_STREQ("", inv->raidDisks[1].size_text);
    EXPECT_STREQ("", inv->raidDisks[1].array_member);
    EXPECT_STREQ("7", inv->raidDisks[1].bus_id);
    EXPECT_EQ(-1, inv->raidDisks[1].empty_flag);
    EXPECT_STREQ("6", inv->raidDisks[0].bus_id);
    EXPECT_STREQ("9999999", inv->arrayTotalMbText);  // no "RAID Arrays": kept
}

TEST(ParseRaidReport, EmptyOrForeignReport)
{
    for (const std::string& text : {std::string(), std::string("Error: no Intel RAID controller found\r\n")}) {
        auto inv = NewInventory();
        inv->raidDiskCount = 4;
        inv->raidDisks[3].entry_index = 3;
        ParseRaidReport(text, *inv);
        EXPECT_EQ(0, inv->raidDiskCount);
        for (const RaidDiskRecord& row : inv->raidDisks)
            EXPECT_EQ(-1, row.entry_index);
        EXPECT_EQ(-1, inv->raidVolumeState);
        EXPECT_STREQ("-1", inv->migrationText);
    }
}

// Hostile reports: every copy bounded, every search from the current position, always ending.

TEST(ParseRaidReportHostile, TwentyEntriesFillSixRows)
{
    std::string text = kHeader;
    for (int i = 0; i < 20; ++i)
        text += Disk("SER" + std::to_string(i), std::to_string(i % 10), "ArrayMember");
    text += "Total Physical Disks = 20\r\n";
    auto inv = NewInventory();
    ParseRaidReport(text, *inv);
    ASSERT_EQ(kRaidDiskCapacity, inv->raidDiskCount);
    for (int r = 0; r < kRaidDiskCapacity; ++r) {
        EXPECT_EQ(r, inv->raidDisks[r].entry_index);
        EXPECT_EQ("SER" + std::to_string(r), inv->raidDisks[r].serial_number);
        EXPECT_EQ(std::to_string(r), inv->raidDisks[r].bus_id);
    }
}

TEST(ParseRaidReportHostile, LongValuesAreCutToTheirFields)
{
    const std::string longSerial(5000, 'Q');
    const std::string digits(5000, '7');
    auto inv = NewInventory();
    ParseRaidReport(kHeader + Disk(longSerial, "0", "ArrayMember") + kDiskEnd + "RAID Volumes\r\n Summary:Migration:"
                        + longSerial + "%\r\nRAID Arrays\r\n TotalMB:" + digits + "\r\n",
                    *inv);
    EXPECT_EQ(std::string(255, 'Q'), inv->raidDisks[0].serial_number);
    EXPECT_EQ(std::string(11, 'Q'), inv->migrationText);
    EXPECT_EQ(std::string(121, '7') + "999999", inv->arrayTotalMbText);
    EXPECT_EQ(inv->arrayTotalMbText, std::string(inv->raidDisks[0].size_text));
}

TEST(ParseRaidReportHostile, KeyAtTheVeryEndWithoutItsTerminator)
{
    struct Case { std::string tail; int32_t count; const char* serial; const char* busId; const char* member;
                  const char* migration; const char* total; };
    const std::string disk = "  SerialNo:D1\r\n";
    const Case cases[] = {
        {"  SerialNo:", 1, "", "", "", "-1", "prev"},
        {"  SerialNo:ABC", 1, "ABC", "", "", "-1", "prev"},
        {disk + "BusId:0x", 1, "D1", "", "", "-1", "prev"},
        {disk + "BusId:0x3", 1, "D1", "3", "", "-1", "prev"},
        {disk + "BusId:0x3 Summary:", 1, "D1", "3", "no", "-1", "prev"},
        {disk + "BusId:0x3 Summary:A", 1, "D1", "3", "no", "-1", "prev"},
        {disk + "Summary:Ar", 1, "D1", "", "yes", "-1", "prev"},
        {"Summary:Migration:", 0, "", "", "", "", "prev"},
        {"Summary:Migration: 99", 0, "", "", "", " 99", "prev"},
        {"RAID Arrays", 0, "", "", "", "-1", "0"},
        {"RAID Arrays TotalMB:", 0, "", "", "", "-1", "0"},
        {"RAID Arrays TotalMB:  ", 0, "", "", "", "-1", "0"},
        {"RAID Arrays TotalMB:12", 0, "", "", "", "-1", "12999999"},
        {"Total Volumes = ", 0, "", "", "", "-1", "prev"},
    };
    for (const Case& c : cases) {
        auto inv = NewInventory();
        std::strcpy(inv->arrayTotalMbText, "prev");
        ParseRaidReport(kHeader + c.tail, *inv);
        EXPECT_EQ(c.count, inv->raidDiskCount) << c.tail;
        EXPECT_STREQ(c.serial, inv->raidDisks[0].serial_number) << c.tail;
        EXPECT_STREQ(c.busId, inv->raidDisks[0].bus_id) << c.tail;
        EXPECT_STREQ(c.member, inv->raidDisks[0].array_member) << c.tail;
        EXPECT_STREQ(c.migration, inv->migrationText) << c.tail;
        EXPECT_STREQ(c.total, inv->arrayTotalMbText) << c.tail;
    }
}

TEST(ParseRaidReportHostile, TextEndsAtItsFirstNul)
{
    std::string text = kHeader + Disk("A1", "0", "ArrayMember") + kDiskEnd;
    text += std::string(1, '\0') + "RAID Volumes\r\nTotal Volumes = 1\r\nSummary:Migration:50%";
    text[text.find("A1") + 1] = '\0';  // a NUL inside the serial number
    auto inv = NewInventory();
    ParseRaidReport(text, *inv);
    EXPECT_EQ(1, inv->raidDiskCount);
    EXPECT_STREQ("A", inv->raidDisks[0].serial_number);
    EXPECT_EQ(-1, inv->raidVolumeState);
    EXPECT_STREQ("-1", inv->migrationText);
}

TEST(ParseRaidReportHostile, BareLineFeedsAndNoTerminatorsAnywhere)
{
    auto inv = NewInventory();
    ParseRaidReport("Header\nSerialNo:A1\nBusId:0x2\nSummary:ArrayMember\nSerialNo:B2\nTotal Physical Disks = 2\n", *inv);
    ASSERT_EQ(1, inv->raidDiskCount);  // the serial runs to the end of the text and swallows the rest
    EXPECT_EQ(std::string("A1\nBusId:0x2\nSummary:ArrayMember\nSerialNo:B2\nTotal Physical Disks = 2\n"),
              inv->raidDisks[0].serial_number);
    EXPECT_STREQ("", inv->raidDisks[0].bus_id);
}

TEST(ParseRaidReportHostile, FiftyMegabyteReport)
{
    std::string text = kHeader + Disk("A1", "0", "ArrayMember") + Disk("B2", "1", "ArrayMember") + kDiskEnd;
    const std::string filler = "Filler line of a very talkative RAID tool: SerialNo BusId Summary TotalMB\r\n";
    while (text.size() < 50u * 1024 * 1024)
        text += filler;
    text += "RAID Volumes\r\n SerialNo:V\tSummary:Normal\r\nTotal Volumes = 1\r\nRAID Arrays\r\n TotalMB:1234\r\nTotal Arrays = 1\r\n";
    auto inv = NewInventory();
    ParseRaidReport(text, *inv);
    EXPECT_EQ(2, inv->raidDiskCount);
    EXPECT_EQ(1, inv->raidVolumeState);
    EXPECT_STREQ("1234999999", inv->arrayTotalMbText);
}

}  // namespace
