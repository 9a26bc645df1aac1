// The inventory scan: query 0 of KVFunc.
#include "inventory/scan/scan.h"

#include <cstdlib>
#include <string>

#include "common/trace.h"
#include "inventory/probes/probes.h"
#include "inventory/probes/text_fields.h"
#include "inventory/query/tables.h"
#include "inventory/raid_report/raid_report_parser.h"
#include "inventory/raid_report/raid_report_win32.h"
#include "inventory/raid_report/report_buffer.h"
#include "inventory/scan/reconcile.h"
#include "inventory/scan/report_rules.h"

void BuildDriveLetterTable()
{
    int n = std::atoi(EnumerateDriveLetters().c_str());
    inventory.driveLetterCount = 0;
    for (int k = 0; k < n && inventory.driveLetterCount < kDriveLetterCapacity; ++k) {
        std::string letter = DriveLetterForOrdinal(k);
        if (letter == "no")
            continue;
        DriveLetterEntry& row = inventory.driveLetters[inventory.driveLetterCount];
        CopyField(row.letter, letter.c_str());
        GetDriveLetterDiskNumber(letter.c_str(), &row.device_type, &row.disk_number);
        ++inventory.driveLetterCount;
    }
}

namespace {

// What the scan settled for each disk: the values queries 2 to 10 and 22 answer.
void TraceDisks()
{
    const int disks = inventory.diskCount < kDiskCapacity ? inventory.diskCount : kDiskCapacity;
    for (int d = 0; d < disks; ++d) {
        const DiskRecord& disk = inventory.disks[d];
        Trace("orb2", "disk %d (IDENTIFY of PhysicalDrive%d): %s, model \"%s\", serial \"%s\", size %s, status %s, report order %d, "
              "empty flag %d", d, disk.drive_number, Shown(disk.media_type).text, Shown(disk.model).text,
              Shown(disk.serial_number).text, Shown(disk.disk_size).text, Shown(disk.status).text, disk.report_order,
              disk.empty_flag);
    }
}

void TraceReport()
{
    Trace("orb2", "report: %d serial numbers listed, %d RAID disks, volume state %d, array state %d, array MB \"%s\", "
          "migration \"%s\"%s", inventory.reportSerialCount, inventory.raidDiskCount, inventory.raidVolumeState,
          inventory.raidArrayState, Shown(inventory.arrayTotalMbText).text, Shown(inventory.migrationText).text,
          reportText.find("Total Arrays = 0") != std::string::npos ? "; \"Total Arrays = 0\": unlisted fixed disks "
                                                                      "marked \"no\"" : "");
}

}  // namespace

void RunInventoryScan()
{
    const uint32_t start = TraceMilliseconds();
    Trace("orb2", "scan: start");
    RunRaidReportTool();  // Graid.txt written by Intel's tool and loaded into the report buffer

    inventory.diskCount = 0;
    inventory.identityCount = 0;
    CollectDriveIdentities();
    Trace("orb2", "scan: probes done at %lu ms: %d identity rows, %d disks",
          static_cast<unsigned long>(TraceMilliseconds() - start), inventory.identityCount, inventory.diskCount);

    TakeReportText();  // the new report, or the one an earlier scan loaded when none came

    ReconcileDisksWithIdentities(inventory);
    BuildDriveLetterTable();

    CollectReportSerialList(reportText, inventory);
    MarkUnlistedFixedDisks(reportText, inventory);
    NumberListedDisks(inventory);
    ParseRaidReport(reportText, inventory);
    TraceDisks();
    TraceReport();
    RemoveRaidReportFiles();
    Trace("orb2", "scan: end at %lu ms", static_cast<unsigned long>(TraceMilliseconds() - start));
}
