// Reconciling DiskRecord rows with the storage view's identity rows.
#include "inventory/scan/reconcile.h"

#include <cstring>

#include <gtest/gtest.h>

#include "inventory/query/tables.h"

namespace {

class ReconcileTest : public ::testing::Test {
protected:
    void SetUp() override { std::memset(&inventory, 0, sizeof(inventory)); }
    DiskRecord& Disk(const char* media, const char* serial, const char* model, const char* size)
    {
        DiskRecord& d = inventory.disks[inventory.diskCount++];
        std::strcpy(d.media_type, media);
        std::strcpy(d.serial_number, serial);
        std::strcpy(d.model, model);
        std::strcpy(d.firmware_revision, "FW");
        std::strcpy(d.disk_size, size);
        std::strcpy(d.status, "ok");
        d.empty_flag = 7;  // an earlier scan's value
        return d;
    }
    IdentityRecord& Identity(const char* vendor, const char* product, const char* serial, const char* size, int flag)
    {
        IdentityRecord& e = inventory.identities[inventory.identityCount++];
        std::strcpy(e.vendor_id, vendor);
        std::strcpy(e.product_id, product);
        std::strcpy(e.product_revision, "REV");
        std::strcpy(e.serial_number, serial);
        std::strcpy(e.disk_size, size);
        e.empty_flag = flag;
        return e;
    }
};

TEST_F(ReconcileTest, FixedDiskOfSizeZeroTakesOverTheLastIntelRow)
{
    DiskRecord& d = Disk("Fixed", "VOLSERIAL", "Volume0", "0");
    d.drive_number = 3;
    Identity("intel", "Raid 0 Volume", "VOL1", "1000", 1);
    Identity("ATA", "ST3500418AS", "OTHER", "500", 0);
    Identity("INTEL", "Raid 1 Volume", "vol2", "2000", 0);
    ReconcileDisksWithIdentities(inventory);
    EXPECT_STREQ("Raid 1 Volume", d.model);
    EXPECT_STREQ("REV", d.firmware_revision);
    EXPECT_STREQ("VOL2", d.serial_number);  // taken over, then upper-cased by the matching
    EXPECT_STREQ("2000", d.disk_size);
    EXPECT_EQ(0, d.empty_flag);
    EXPECT_EQ(3, d.drive_number);
    EXPECT_STREQ("Fixed", d.media_type);
    EXPECT_STREQ("ok", d.status);
}

TEST_F(ReconcileTest, FixedDiskWithASizeKeepsItsIdentityAndLearnsBlanknessBySubstring)
{
    DiskRecord& d = Disk("Fixed", "ab12cd34", "ST", "500");
    Identity("Intel", "Raid 0 Volume", "VOL", "1000", 0);
    Identity("ATA", "ST", "B12C", "500", 1);
    ReconcileDisksWithIdentities(inventory);
    EXPECT_STREQ("AB12CD34", d.serial_number);
    EXPECT_STREQ("ST", d.model);
    EXPECT_EQ(1, d.empty_flag);
}

TEST_F(ReconcileTest, RemovableAndUnknownDisksTakeOverIntelRowsWhateverTheirSerial)
{
    DiskRecord& removable = Disk("Removable", "XYZ", "M", "100");
    DiskRecord& unknown = Disk("Unknown", "QQQ", "M", "100");
    Identity("Intel", "Raid Volume", "volserial", "4000", -1);
    ReconcileDisksWithIdentities(inventory);
    for (DiskRecord* d : {&removable, &unknown}) {
        EXPECT_STREQ("Raid Volume", d->model);
        EXPECT_STREQ("volserial", d->serial_number);  // Intel rows are not upper-cased
        EXPECT_STREQ("4000", d->disk_size);
        EXPECT_EQ(-1, d->empty_flag);
    }
}

TEST_F(ReconcileTest, RemovableDiskNeedsEqualSerialAndModel)
{
    struct Case {
        const char* serial;
        const char* product;
        int expectedFlag;
    } cases[] = {
        {"usb123", "flash disk", 1},   // equal ignoring case
        {"USB12", "FLASH DISK", 7},    // contained is not equal
        {"USB123", "FLASH", 7},
        {"USB1234", "FLASH DISK", 7},
    };
    for (const Case& c : cases) {
        SetUp();
        DiskRecord& d = Disk("Removable", "Usb123", "Flash Disk", "100");
        Identity("Generic", c.product, c.serial, "100", 1);
        ReconcileDisksWithIdentities(inventory);
        EXPECT_EQ(c.expectedFlag, d.empty_flag) << c.serial << " / " << c.product;
        EXPECT_STREQ("USB123", d.serial_number);
        EXPECT_STREQ("FLASH DISK", d.model);
    }
}

TEST_F(ReconcileTest, LaterMatchesWinAndOtherMediaAreLeftAlone)
{
    DiskRecord& fixed = Disk("Fixed", "SERIAL1234", "M", "100");
    DiskRecord& other = Disk("Tape", "serial1234", "m", "0");
    Identity("ATA", "M", "1234", "100", 0);
    Identity("ATA", "M", "serial", "100", 1);
    Identity("Intel", "V", "X", "9", -1);
    ReconcileDisksWithIdentities(inventory);
    EXPECT_EQ(1, fixed.empty_flag);
    EXPECT_STREQ("serial1234", other.serial_number);
    EXPECT_EQ(7, other.empty_flag);
}

TEST_F(ReconcileTest, NoIdentityRowsChangeNothing)
{
    DiskRecord& d = Disk("Fixed", "abc", "m", "0");
    // An earlier scan's row past the count: Intel, and its serial within the disk's.
    Identity("Intel", "Raid 0 Volume", "b", "1000", 1);
    inventory.identityCount = 0;
    ReconcileDisksWithIdentities(inventory);
    EXPECT_EQ(7, d.empty_flag);
    EXPECT_STREQ("abc", d.serial_number);
    EXPECT_STREQ("m", d.model);
}

TEST(TextRules, BoundedComparisons)
{
    char unterminated[4] = {'A', 'B', 'C', 'D'};
    EXPECT_TRUE(FieldContains(unterminated, 4, "BCD", 4));
    EXPECT_FALSE(FieldContains(unterminated, 4, "CDE", 4));
    EXPECT_TRUE(FieldContains("ABC", 4, "", 1));
    EXPECT_TRUE(FieldsEqualIgnoringCase(unterminated, 4, "abcd", 5));
    EXPECT_FALSE(FieldsEqualIgnoringCase("abc", 4, "abcd", 5));
    char text[] = "a1z\xe9q";
    UpperCaseField(text);
    EXPECT_STREQ("A1Z\xe9Q", text);
}

}  // namespace
