// The inventory scan: query 0 of KVFunc.
#include "inventory/scan/scan.h"

#include <cstdlib>
#include <string>

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

void RunInventoryScan()
{
    RunRaidReportTool();  // Graid.txt written by Intel's tool and loaded into the report buffer

    inventory.diskCount = 0;
    inventory.identityCount = 0;
    CollectDriveIdentities();

    TakeReportText();  // the new report, or the one an earlier scan loaded when none came

    ReconcileDisksWithIdentities(inventory);
    BuildDriveLetterTable();

    CollectReportSerialList(reportText, inventory);
    MarkUnlistedFixedDisks(reportText, inventory);
    NumberListedDisks(inventory);
    ParseRaidReport(reportText, inventory);
    RemoveRaidReportFiles();
}
