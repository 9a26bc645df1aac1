#pragma once
// The inventory scan that query 0 runs.

// Rebuilds the inventory: Intel's RAID tool writes its report, every physical drive is
// identified twice (storage view and ATA view), the two views and the report's serial numbers
// are reconciled, the drive letters are mapped, the report is parsed into the RAID tables and
// the tool's files are removed. Answers nothing; failures leave the tables as far as the scan got.
void RunInventoryScan();

// Drive-letter table: "A" first, then every other letter in use, each with its device type and
// disk number (7 and n, or -1 and -1).
void BuildDriveLetterTable();
