#pragma once
// Parser of the RAID Configuration Utility's information report ("raidcfg32.exe /I").
#include <string_view>

#include "inventory/query/tables.h"

// Fills the RaidDiskRecord rows, raidDiskCount and the four RAID summary values of `inv` from the
// report text (up to its first NUL), and sizes the rows from inv's DiskRecord table. Any text is
// accepted: the parse stays inside the text and the tables and always finishes, in time linear
// in the length of the text.
void ParseRaidReport(std::string_view reportText, Inventory& inv);
