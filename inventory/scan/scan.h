#pragma once
// The inventory scan that query 0 runs.

// Rebuilds the inventory: identities of every physical drive (storage view and ATA view),
// their reconciliation, and the drive-letter table. Answers nothing; failures leave the tables
// as far as the scan got.
void RunInventoryScan();

// Drive-letter table: "A" first, then every other letter in use, each with its device type and
// disk number (7 and n, or -1 and -1).
void BuildDriveLetterTable();
