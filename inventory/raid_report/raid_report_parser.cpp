// Every key of the report is found by a plain, case-sensitive substring search anywhere in the
// text. The report comes in three sections: the physical disks (SerialNo:, BusId:0x, Summary:
// per disk, then "Total Physical Disks"), the "RAID Volumes" and the "RAID Arrays".
#include "inventory/raid_report/raid_report_parser.h"

#include <cstring>

#include "inventory/raid_report/text_search.h"

using namespace report_text;  // the report's bounded searches and copies

namespace {

constexpr std::string_view kSerialKey = "SerialNo:";
constexpr std::string_view kBusIdKey = "BusId:0x";
constexpr std::string_view kSummaryKey = "Summary:";
constexpr std::string_view kMigrationKey = "Summary:Migration:";
constexpr std::string_view kTotalMbKey = "TotalMB:";
constexpr size_t kFirstSerialOffset = 6;  // a "SerialNo:" in the first 6 bytes is not a disk
constexpr char kCarriageReturn = '\r';
constexpr std::string_view kTotalMbSuffix = "999999";

void ResetRaidDiskRows(Inventory& inv)
{
    for (RaidDiskRecord& row : inv.raidDisks) {
        row.entry_index = -1;
        row.serial_number[0] = '\0';
        row.size_text[0] = '\0';
        row.array_member[0] = '\0';
    }
}

// The disks before "Total Physical Disks". Each search goes on from where the last one ended,
// so an entry without "BusId:0x" or "Summary:" never sends the parse back, and the loop ends
// at the sixth row: further entries are dropped.
void ReadDiskEntries(std::string_view text, Inventory& inv)
{
    const size_t end = Find(text, "Total Physical Disks", 0);
    inv.raidDiskCount = 0;
    size_t k = Find(text, kSerialKey, kFirstSerialOffset);
    // Without "Total Physical Disks" only the first entry is read; with it, only entries that
    // lie before it.
    if (k == kNotFound || (end != kNotFound && k > end))
        return;
    do {
        RaidDiskRecord& row = inv.raidDisks[inv.raidDiskCount];
        row.entry_index = inv.raidDiskCount;
        const size_t c = FindOrEnd(text, kCarriageReturn, k + kSerialKey.size());
        CopyCut(text, k + kSerialKey.size(), c, row.serial_number);

        size_t p = c;
        const size_t b = Find(text, kBusIdKey, c);
        if (b != kNotFound) {
            p = b + kBusIdKey.size();
            row.bus_id[0] = p < text.size() ? text[p] : '\0';
            row.bus_id[1] = '\0';
        }
        size_t q = p;
        const size_t s = Find(text, kSummaryKey, p);
        if (s != kNotFound) {
            q = s + kSummaryKey.size();
            const bool member = text.substr(q, 2) == "Ar";
            std::strcpy(row.array_member, member ? "yes" : "no");
        }
        k = Find(text, kSerialKey, q);
        ++inv.raidDiskCount;
    } while (k != kNotFound && end != kNotFound && k <= end && inv.raidDiskCount < kRaidDiskCapacity);
}

// "Summary:Migration:" after "RAID Volumes" (or anywhere without that heading): its text up to
// the "%", as it stands, cut to the field.
void ReadMigration(std::string_view text, size_t volumes, Inventory& inv)
{
    std::strcpy(inv.migrationText, "-1");
    const size_t m = Find(text, kMigrationKey, volumes);
    if (m == kNotFound)
        return;
    const size_t from = m + kMigrationKey.size();
    CopyCut(text, from, FindOrEnd(text, '%', from), inv.migrationText);
}

// Only the complete texts "Total X = 1" and "Total X = 0" are read; 0 wins over 1.
int32_t ReadOneOrZero(std::string_view text, std::string_view one, std::string_view zero)
{
    int32_t state = -1;
    if (Find(text, one, 0) != kNotFound)
        state = 1;
    if (Find(text, zero, 0) != kNotFound)
        state = 0;
    return state;
}

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// The first array's "TotalMB:" digits with "999999" appended. Without a digit after "TotalMB:"
// the total is unknown: "0", so that members are sized from their disks.
void ReadArrayTotal(std::string_view text, Inventory& inv)
{
    const size_t a = Find(text, "RAID Arrays", 0);
    if (a == kNotFound)
        return;  // keeps the previous parse's value
    const size_t t = Find(text, kTotalMbKey, a);
    size_t from = t;
    while (from != kNotFound && from < text.size() && !IsDigit(text[from]))
        ++from;
    if (t == kNotFound || from >= text.size()) {
        std::strcpy(inv.arrayTotalMbText, "0");
        return;
    }
    size_t to = from;
    while (to < text.size() && IsDigit(text[to]))
        ++to;
    const size_t digitRoom = sizeof inv.arrayTotalMbText - 1 - kTotalMbSuffix.size();
    if (to - from > digitRoom)
        to = from + digitRoom;
    CopyCut(text, from, to, inv.arrayTotalMbText);
    std::strcat(inv.arrayTotalMbText, kTotalMbSuffix.data());
}

// An array member takes the array's total; any other row the size and empty_flag of the last
// disk whose serial number contains the row's.
void SizeRaidDiskRows(Inventory& inv)
{
    int32_t diskCount = inv.diskCount;
    if (diskCount < 0)
        diskCount = 0;
    if (diskCount > kDiskCapacity)
        diskCount = kDiskCapacity;
    for (RaidDiskRecord& row : inv.raidDisks) {
        if (row.entry_index == -1)
            continue;
        if (EqualIgnoringCase(FIELD_TEXT(row.array_member), "yes")
            && !EqualIgnoringCase(FIELD_TEXT(inv.arrayTotalMbText), "0")) {
            CopyField(row.size_text, FIELD_TEXT(inv.arrayTotalMbText));
            continue;
        }
        for (int32_t d = 0; d < diskCount; ++d) {
            DiskRecord& disk = inv.disks[d];
            UpperCaseInPlace(disk.serial_number, sizeof disk.serial_number);
            UpperCaseInPlace(row.serial_number, sizeof row.serial_number);
            if (FIELD_TEXT(disk.serial_number).find(FIELD_TEXT(row.serial_number)) != kNotFound) {
                CopyField(row.size_text, FIELD_TEXT(disk.disk_size));
                row.empty_flag = disk.empty_flag;
            }
        }
    }
}

}  // namespace

void ParseRaidReport(std::string_view reportText, Inventory& inv)
{
    const std::string_view text = reportText.substr(0, reportText.find('\0'));
    ResetRaidDiskRows(inv);
    ReadDiskEntries(text, inv);

    size_t volumes = Find(text, "RAID Volumes", 0);
    if (volumes == kNotFound)
        volumes = 0;
    ReadMigration(text, volumes, inv);
    inv.raidVolumeState = ReadOneOrZero(text, "Total Volumes = 1", "Total Volumes = 0");
    inv.raidArrayState = ReadOneOrZero(text, "Total Arrays = 1", "Total Arrays = 0");
    // One volume on one array that is not "Normal": neither state is trusted.
    if (inv.raidVolumeState == 1 && inv.raidArrayState == 1 && Find(text, "Summary:Normal", volumes) == kNotFound) {
        inv.raidVolumeState = -1;
        inv.raidArrayState = -1;
    }
    ReadArrayTotal(text, inv);
    SizeRaidDiskRows(inv);
}
