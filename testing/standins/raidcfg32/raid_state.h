#pragma once
// Stand-in for Intel's RAID Configuration Utility: the RAID state it reports and the report text
// it writes for "/I". Pure: no Windows calls.
#include <string>
#include <vector>

struct StandInDisk {
    std::string serial;
    std::string busId = "0";       // written after "BusId:0x" as it stands (hexadecimal digits)
    std::string summary = "Non-RAID Disk";
    std::string model;             // optional "Model:" line
};

struct StandInVolume {
    std::string name = "Volume_0000";
    std::string serial;
    std::string state = "Normal";  // written as "Summary:<state>" ...
    int migrationPercent = -1;     // ... unless 0 or more: "Summary:Migration: <n>%"
};

struct StandInArray {
    std::string name = "Array_0000";
    unsigned long long totalMb = 0;
};

enum class Behaviour {
    Normal,   // write the report at once, exit 0
    Slow,     // write the physical-disk section, pause delayMs, write the rest
    Silent,   // write nothing, exit 0
    Fail,     // write an error text to standard error only, exit with exitCode
    Hang,     // write nothing, keep running for delayMs, exit 0
    Crash,    // write the physical-disk section, then end with exitCode as a crashed tool would
};

struct RaidState {
    std::vector<StandInDisk> disks;
    std::vector<StandInVolume> volumes;
    std::vector<StandInArray> arrays;
    Behaviour behaviour = Behaviour::Normal;
    int delayMs = 3000;             // the pause of "slow" and "hang"
    int exitCode = 1;
    bool hasReportText = false;
    std::string reportText;        // written verbatim instead of the generated report
};

// Reads the state file's JSON text; false with a message in `error` when it is not valid.
bool ReadRaidState(const std::string& json, RaidState& state, std::string& error);

// The "/I" report, lines ending in CR LF, split where a slow tool pauses: the physical-disk
// section first, then the volumes and arrays.
struct RaidReport {
    std::string disks;
    std::string rest;
};
RaidReport WriteRaidReport(const RaidState& state);
