// The scan's report rules: the serial list, the "Total Arrays = 0" status rule, report_order.
#include "inventory/scan/report_rules.h"

#include <cstring>
#include <memory>
#include <string>

#include <gtest/gtest.h>

namespace {

std::unique_ptr<Inventory> NewInventory() { return std::make_unique<Inventory>(); }

DiskRecord& AddDisk(Inventory& inv, const char* serial, const char* mediaType)
{
    DiskRecord& d = inv.disks[inv.diskCount++];
    std::strcpy(d.serial_number, serial);
    std::strcpy(d.media_type, mediaType);
    std::strcpy(d.status, "ok");
    return d;
}

std::string Serials(const Inventory& inv)
{
    std::string all;
    for (int i = 0; i < inv.reportSerialCount; ++i)
        all += std::string(inv.reportSerialList[i]) + "|";
    return all;
}

TEST(CollectReportSerialList, TakesEverySerialOfTheReportInOrder)
{
    struct Case { std::string text; std::string serials; };
    const Case cases[] = {
        {"SerialNo:A1\r\n BusId:0x0\r\nTotal Physical Disks = 1\r\nRAID Volumes\r\n SerialNo:VOL\tSummary:Normal\r\n",
         "A1|VOL\tSummary:Normal|"},
        {"SerialNo: lead\r\n", " lead|"},             // offsets 0 to 5 count here
        {"x SerialNo:\r\nSerialNo:B", "|B|"},           // the last one runs to the end of the text
        {"SerialNo:A\nSerialNo:B\n", "A\nSerialNo:B\n|"},  // bare line feeds: one value
        {"no serials\r\n", ""},
        {"", ""},
        {std::string("SerialNo:A\r\n\0SerialNo:B\r\n", 25), "A|"},
    };
    for (const Case& c : cases) {
        auto inv = NewInventory();
        CollectReportSerialList(c.text, *inv);
        EXPECT_EQ(c.serials, Serials(*inv)) << c.text;
    }
}

TEST(CollectReportSerialList, SixEntriesOf127CharactersAtMost)
{
    std::string text;
    for (int i = 0; i < 20; ++i)
        text += "SerialNo:S" + std::to_string(i) + "\r\n";
    auto inv = NewInventory();
    std::strcpy(inv->reportSerialList[5], "stale");
    CollectReportSerialList("SerialNo:" + std::string(5000, 'L') + "\r\n" + text, *inv);
    EXPECT_EQ(kReportSerialCapacity, inv->reportSerialCount);
    EXPECT_EQ(std::string(127, 'L'), inv->reportSerialList[0]);
    EXPECT_STREQ("S4", inv->reportSerialList[5]);
    // A smaller second report leaves the entries beyond its count as they were.
    CollectReportSerialList("SerialNo:ONLY\r\n", *inv);
    EXPECT_EQ(1, inv->reportSerialCount);
    EXPECT_STREQ("ONLY", inv->reportSerialList[0]);
    EXPECT_STREQ("S0", inv->reportSerialList[1]);
}

TEST(MarkUnlistedFixedDisks, OnlyFixedDisksContainingNoListedSerial)
{
    auto inv = NewInventory();
    AddDisk(*inv, "wd-listed-1", "Fixed");
    AddDisk(*inv, "OTHER", "Fixed");
    AddDisk(*inv, "USBSTICK", "Removable");
    AddDisk(*inv, "ODD", "Unknown");
    const std::string text = "Header\r\nSerialNo:LISTED\r\nTotal Physical Disks = 1\r\nTotal Arrays = 0\r\n";
    CollectReportSerialList(text, *inv);
    MarkUnlistedFixedDisks(text, *inv);
    EXPECT_STREQ("ok", inv->disks[0].status);
    EXPECT_STREQ("WD-LISTED-1", inv->disks[0].serial_number);  // upper-cased in place
    EXPECT_STREQ("no", inv->disks[1].status);
    EXPECT_STREQ("ok", inv->disks[2].status);
    EXPECT_STREQ("ok", inv->disks[3].status);
}

TEST(MarkUnlistedFixedDisks, NoSerialMarksEveryFixedDisk)
{
    auto inv = NewInventory();
    AddDisk(*inv, "A", "Fixed");
    AddDisk(*inv, "B", "fixed");
    AddDisk(*inv, "C", "Removable");
    AddDisk(*inv, "D", "Fixed");
    CollectReportSerialList("SerialNo:A\r\nTotal Arrays = 0", *inv);
    // A second scan with fewer disks and no serial: the first scan's rows past both counts are
    // neither read nor written.
    inv->diskCount = 3;
    CollectReportSerialList("Total Arrays = 0", *inv);
    MarkUnlistedFixedDisks("Total Arrays = 0", *inv);
    EXPECT_STREQ("no", inv->disks[0].status);
    EXPECT_STREQ("no", inv->disks[1].status);
    EXPECT_STREQ("ok", inv->disks[2].status);
    EXPECT_STREQ("ok", inv->disks[3].status);
}

TEST(MarkUnlistedFixedDisks, NothingWithoutTotalArraysZero)
{
    for (const char* text : {"", "Total Arrays = 1", "Total Arrays =0", "Total Arrays = 01"}) {
        auto inv = NewInventory();
        AddDisk(*inv, "A", "Fixed");
        CollectReportSerialList(text, *inv);
        MarkUnlistedFixedDisks(text, *inv);
        EXPECT_STREQ(std::string(text) == "Total Arrays = 01" ? "no" : "ok", inv->disks[0].status) << text;
    }
}

TEST(MarkUnlistedFixedDisks, SerialLineWithATabMatchesNoDisk)
{
    auto inv = NewInventory();
    AddDisk(*inv, "VOL", "Fixed");
    const std::string text = "RAID Volumes\r\n SerialNo:VOL\tSummary:Normal\r\nTotal Arrays = 0\r\n";
    CollectReportSerialList(text, *inv);
    MarkUnlistedFixedDisks(text, *inv);
    NumberListedDisks(*inv);
    EXPECT_STREQ("no", inv->disks[0].status);
    EXPECT_EQ(0, inv->disks[0].report_order);
}

TEST(NumberListedDisks, NumbersDisksInReportOrder)
{
    auto inv = NewInventory();
    AddDisk(*inv, "xx-s3-yy", "Fixed").report_order = 7;
    AddDisk(*inv, "NONE", "Fixed").report_order = 5;
    AddDisk(*inv, "S1", "Fixed").report_order = 9;
    CollectReportSerialList("Head: SerialNo:s1\r\nSerialNo:S2\r\nSerialNo:S3\r\n", *inv);
    NumberListedDisks(*inv);
    EXPECT_EQ(0, inv->disks[2].report_order);
    EXPECT_EQ(1, inv->disks[0].report_order);
    EXPECT_EQ(5, inv->disks[1].report_order);  // matches nothing: keeps its earlier value
    EXPECT_STREQ("XX-S3-YY", inv->disks[0].serial_number);
    EXPECT_STREQ("S1", inv->reportSerialList[0]);
}

TEST(NumberListedDisks, FirstMatchingDiskOnlyAndTheLaterEntryWins)
{
    auto inv = NewInventory();
    AddDisk(*inv, "ABCD", "Fixed");
    AddDisk(*inv, "ABCD", "Fixed").report_order = 3;
    CollectReportSerialList("Head: SerialNo:AB\r\nSerialNo:CD\r\n", *inv);
    NumberListedDisks(*inv);
    EXPECT_EQ(1, inv->disks[0].report_order);
    EXPECT_EQ(3, inv->disks[1].report_order);
}

}  // namespace
