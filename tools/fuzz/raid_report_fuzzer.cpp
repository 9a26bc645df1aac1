// The RAID tool's report as the scan and the parser read it: any bytes, any length.
#include <cstring>
#include <string_view>

#include "inventory/query/tables.h"
#include "inventory/raid_report/raid_report_parser.h"
#include "inventory/scan/report_rules.h"

namespace {

// Disks whose serial numbers the report's entries can match, refilled for every input.
void FillDisks(Inventory& inv)
{
    static const char* const serials[] = {"WD-WCAV1111", "9VP4ABCD", "", "S1", "ORBVOL0"};
    inv.diskCount = 5;
    for (int i = 0; i < inv.diskCount; ++i) {
        DiskRecord& d = inv.disks[i];
        std::strcpy(d.serial_number, serials[i]);
        std::strcpy(d.media_type, i == 3 ? "Removable" : "Fixed");
        std::strcpy(d.disk_size, "500107862016");
        std::strcpy(d.status, "ok");
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static Inventory inv;  // kept across inputs, as the library keeps it across scans
    FillDisks(inv);
    // The scan reads the report up to its first NUL, as the loaded file gives it.
    std::string_view text(reinterpret_cast<const char*>(data), size);
    text = text.substr(0, text.find('\0'));
    CollectReportSerialList(text, inv);
    MarkUnlistedFixedDisks(text, inv);
    NumberListedDisks(inv);
    ParseRaidReport(text, inv);

    // Every text field stays terminated inside its field.
    for (const RaidDiskRecord& r : inv.raidDisks) {
        if (!std::memchr(r.serial_number, 0, sizeof r.serial_number) ||
            !std::memchr(r.size_text, 0, sizeof r.size_text) ||
            !std::memchr(r.array_member, 0, sizeof r.array_member) ||
            !std::memchr(r.bus_id, 0, sizeof r.bus_id))
            __builtin_trap();
    }
    if (!std::memchr(inv.migrationText, 0, sizeof inv.migrationText) ||
        !std::memchr(inv.arrayTotalMbText, 0, sizeof inv.arrayTotalMbText))
        __builtin_trap();
    if (inv.raidDiskCount < 0 || inv.raidDiskCount > kRaidDiskCapacity)
        __builtin_trap();
    return 0;
}
