#include "inventory/scan/report_rules.h"

#include <cstring>

#include "inventory/raid_report/text_search.h"

using namespace report_text;  // the report's bounded searches and copies

namespace {

constexpr std::string_view kSerialKey = "SerialNo:";

int32_t BoundedDiskCount(const Inventory& inv)
{
    if (inv.diskCount < 0)
        return 0;
    return inv.diskCount > kDiskCapacity ? kDiskCapacity : inv.diskCount;
}

int32_t BoundedSerialCount(const Inventory& inv)
{
    if (inv.reportSerialCount < 0)
        return 0;
    return inv.reportSerialCount > kReportSerialCapacity ? kReportSerialCapacity : inv.reportSerialCount;
}

// Upper-cases both texts in place, then: does the disk's serial number contain the entry?
bool DiskContainsSerial(DiskRecord& disk, char* entry)
{
    UpperCaseInPlace(disk.serial_number, sizeof disk.serial_number);
    UpperCaseInPlace(entry, kReportSerialSize);
    return FIELD_TEXT(disk.serial_number).find(report_text::FieldText(entry, kReportSerialSize)) != kNotFound;
}

}  // namespace

void CollectReportSerialList(std::string_view reportText, Inventory& inv)
{
    const std::string_view text = reportText.substr(0, reportText.find('\0'));
    inv.reportSerialCount = 0;
    size_t k = Find(text, kSerialKey, 0);
    while (k != kNotFound && inv.reportSerialCount < kReportSerialCapacity) {
        const size_t from = k + kSerialKey.size();
        const size_t c = FindOrEnd(text, '\r', from);
        CopyCut(text, from, c, inv.reportSerialList[inv.reportSerialCount]);
        ++inv.reportSerialCount;
        k = Find(text, kSerialKey, c);
    }
}

void MarkUnlistedFixedDisks(std::string_view reportText, Inventory& inv)
{
    const std::string_view text = reportText.substr(0, reportText.find('\0'));
    if (Find(text, "Total Arrays = 0", 0) == kNotFound)
        return;
    const int32_t serialCount = BoundedSerialCount(inv);
    for (int32_t d = 0; d < BoundedDiskCount(inv); ++d) {
        DiskRecord& disk = inv.disks[d];
        if (!report_text::EqualIgnoringCase(FIELD_TEXT(disk.media_type), "Fixed"))
            continue;
        bool listed = false;
        for (int32_t s = 0; s < serialCount; ++s) {
            if (DiskContainsSerial(disk, inv.reportSerialList[s]))
                listed = true;
        }
        if (!listed)
            std::strcpy(disk.status, "no");
    }
}

void NumberListedDisks(Inventory& inv)
{
    int32_t next = 0;
    const int32_t serialCount = BoundedSerialCount(inv);
    for (int32_t s = 0; s < serialCount; ++s) {
        for (int32_t d = 0; d < BoundedDiskCount(inv); ++d) {
            if (DiskContainsSerial(inv.disks[d], inv.reportSerialList[s])) {
                inv.disks[d].report_order = next++;
                break;
            }
        }
    }
}
