// raid_report_bench: time of ParseRaidReport (and of the scan's serial list) per megabyte of
// report, on reports of 1, 8 and 64 MB. Linear parsing shows the same time per MB at each size.
//
//   build/native/tools/raid_report_bench/raid_report_bench [repetitions]
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

#include "inventory/raid_report/raid_report_parser.h"
#include "inventory/scan/report_rules.h"

namespace {

// A report of about `megabytes` MB: six disks, then filler lines that carry near-misses of the
// keys (so every search has to look at the whole text), then volumes and arrays at the end.
std::string MakeReport(size_t megabytes)
{
    std::string text = "Intel(R) RAID Configuration Utility\r\n\r\nPhysical Disks:\r\n";
    for (int i = 0; i < 6; ++i)
        text += "    SerialNo:DISK" + std::to_string(i) + "\r\n    BusId:0x" + std::to_string(i)
              + "\r\n    Summary:ArrayMember\r\n";
    text += "Total Physical Disks = 6\r\n";
    const std::string filler = "    Serial No: BusId 0x Summary Total Arrays TotalMB RAID Volume Migration % 1234\r\n";
    const size_t target = megabytes * 1024 * 1024;
    text.reserve(target + 512);
    while (text.size() < target)
        text += filler;
    text += "RAID Volumes:\r\nVolume 0: SerialNo:VOL\tSummary:Normal\r\nTotal Volumes = 1\r\n"
            "RAID Arrays:\r\nArray 0: TotalMB:476940\r\nTotal Arrays = 1\r\n";
    return text;
}

}  // namespace

int main(int argc, char** argv)
{
    const int repetitions = argc > 1 ? std::atoi(argv[1]) : 5;
    auto inv = std::make_unique<Inventory>();
    std::printf("%8s %14s %14s\n", "size MB", "parse ms/MB", "serials ms/MB");
    for (size_t megabytes : {1, 8, 64}) {
        const std::string report = MakeReport(megabytes);
        const double mb = static_cast<double>(report.size()) / (1024.0 * 1024.0);
        double bestParse = 1e300, bestSerials = 1e300;
        for (int r = 0; r < repetitions; ++r) {
            auto start = std::chrono::steady_clock::now();
            ParseRaidReport(report, *inv);
            auto middle = std::chrono::steady_clock::now();
            CollectReportSerialList(report, *inv);
            MarkUnlistedFixedDisks(report, *inv);
            auto end = std::chrono::steady_clock::now();
            bestParse = std::min(bestParse, std::chrono::duration<double, std::milli>(middle - start).count());
            bestSerials = std::min(bestSerials, std::chrono::duration<double, std::milli>(end - middle).count());
        }
        if (inv->raidDiskCount != 6 || inv->raidVolumeState != 1) {
            std::fprintf(stderr, "unexpected parse result\n");
            return 1;
        }
        std::printf("%8.1f %14.3f %14.3f\n", mb, bestParse / mb, bestSerials / mb);
    }
    return 0;
}
