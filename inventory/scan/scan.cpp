// The inventory scan: query 0 of KVFunc.
#include "inventory/scan/scan.h"

#include <cstdlib>
#include <string>

#include "inventory/probes/probes.h"
#include "inventory/probes/text_fields.h"
#include "inventory/query/tables.h"
#include "inventory/scan/reconcile.h"

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

void RunInventoryScan()
{
    // RAID report, step 1: run Intel's tool so that its report is loaded as reportText.
    // (RunRaidReportTool is wired in here.)

    inventory.diskCount = 0;
    inventory.identityCount = 0;
    CollectDriveIdentities();

    // RAID report, step 3: take the loaded report text as reportText.

    ReconcileDisksWithIdentities(inventory);
    BuildDriveLetterTable();

    // RAID report, steps 6 to 10, in this order: collect reportSerialList from reportText; when
    // the report says "Total Arrays = 0", mark unlisted fixed disks "no"; number the listed disks
    // (report_order); ParseRaidReport; RemoveRaidReportFiles.
}
