#pragma once
// Running the RAID Configuration Utility: the tool and its batch file are written from orb2's own
// "BINARY" resources into the Windows folder, run there, and the report Graid.txt is loaded.
#include <cstdint>

// Full path of the module holding this code, cut after its last backslash (the backslash stays).
extern char moduleFolder[256];

// Resource numbers of type "BINARY".
constexpr uint16_t kRaidToolResource = 1004;    // raidcfg32.exe
constexpr uint16_t kRaidBatchResource = 1005;   // "raidcfg32.exe /I >Graid.txt" CR LF

// Writes the tool and G.bat, starts G.bat hidden and loads Graid.txt into the report buffer,
// pausing 1000 ms between attempts (at most 10 pauses for the tool's file, 10 for the batch file
// and the report together). Leaves the current directory at moduleFolder.
void RunRaidReportTool();

// Writes resource `id` of type "BINARY" of this module to `path`. False, and no file, when the
// resource is missing or the file can't be written whole.
bool ExtractBinaryResource(uint16_t id, const char* path);

// Deletes Graid.txt, G.bat and Raidcfg32.exe from the Windows folder, in this order.
void RemoveRaidReportFiles();
