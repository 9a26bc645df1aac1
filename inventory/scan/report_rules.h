#pragma once
// The scan's rules that tie the DiskRecord table to the serial numbers of the RAID report.
// Run in this order, after the reconciliation and before ParseRaidReport.
#include <string_view>

#include "inventory/query/tables.h"

// reportSerialList = the text after every "SerialNo:" of the report (disks, then volumes) up to
// its carriage return or the end of the text, in report order. Holds 6 entries of up to 127
// characters: further entries are dropped, longer values cut. Sets reportSerialCount.
void CollectReportSerialList(std::string_view reportText, Inventory& inv);

// When the report contains "Total Arrays = 0": every "Fixed" disk whose serial number contains
// none of the listed serial numbers gets status "no".
void MarkUnlistedFixedDisks(std::string_view reportText, Inventory& inv);

// report_order: each listed serial number, in list order, numbers the first disk whose serial
// number contains it; a serial number that matches no disk uses no number.
void NumberListedDisks(Inventory& inv);
