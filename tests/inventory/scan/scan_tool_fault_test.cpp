// The RAID tool misbehaves during an inventory scan, through KVFunc only: its report comes late,
// half-written or never, and the Windows folder takes no file. The real chain runs (cmd, the batch
// file, the stand-in tool) and takes the product's pauses: about 45 s, of which 20 s are the
// unwritable folder's retries and 10 s the hung tool's. Each scan must answer as the same scan
// with the tool answered in this process, and leave nothing behind.

#include <windows.h>

#include <chrono>
#include <cstdio>
#include <string>

#include <gtest/gtest.h>

#include "testing/fixtures/machine_helpers.h"
#include "testing/fixtures/orb2_fixture.h"
#include "testing/simulated_machine/simulated_machine.h"
#include "tests/inventory/scan/process_usage.h"
#include "tests/inventory/scan/scan_fault_fixture.h"

namespace {

using simulated_machine::Machine;

// Two RAID states for the tool's own faults: the report of the first scan, and a different one
// that a later scan's tool writes (late, in part, or never).
const char* const kFirstState = R"({
  "disks": [ {"serial": "WD-WCAV12345678", "bus_id": 0, "summary": "Non-RAID Disk"},
             {"serial": "5VMKTZ9Q", "bus_id": 1, "summary": "Non-RAID Disk"} ]
})";
const char* const kLaterDisks = R"(
  "disks": [ {"serial": "5VMKTZ9Q", "bus_id": 4, "summary": "ArrayMember"},
             {"serial": "WD-WCAV12345678", "bus_id": 5, "summary": "ArrayMember"} ],
  "volumes": [ {"name": "ORB", "serial": "ORBVOL0", "state": "Normal"} ],
  "arrays": [ {"total_mb": 953869} ])";

std::string LaterState(const std::string& behaviour, int delayMs = 0)
{
    return std::string("{") + kLaterDisks + ", \"behaviour\": \"" + behaviour + "\", \"delay_ms\": " +
           std::to_string(delayMs) + "}";
}

class ScanToolFaultTest : public ScanFaultFixture {
protected:
    // What a scan after a scan of `first` answers when its tool's report is `later`'s, answered
    // in this process (no pause).
    AnswerList Expected(const Machine& first, const Machine& later)
    {
        simulation_.RunToolInProcess(true);
        Scan(first);
        const AnswerList answers = Scan(later);
        simulation_.RunToolInProcess(false);
        return answers;
    }
    // A scan of `first`, then of `later`, with the real tool chain; the seconds the later took.
    double RealScans(const Machine& first, const Machine& later, AnswerList& answers)
    {
        Scan(first);
        EXPECT_TRUE(WaitFor(ToolFilesGone, std::chrono::seconds(30)));
        handlesBefore_ = OpenHandleCount();
        simulation_.ClearLog();
        const auto start = std::chrono::steady_clock::now();
        answers = Scan(later);
        return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    }
    unsigned long handlesBefore_ = 0;
};

TEST_F(ScanToolFaultTest, LateReportIsLoadedWhenComplete)
{
    const Machine first = WithRaidState(DefaultMachine(), kFirstState);
    const Machine later = WithRaidState(DefaultMachine(), LaterState("normal"));
    const Machine slow = WithRaidState(DefaultMachine(), LaterState("slow", 3000));
    AttachMachine(first);
    const AnswerList expected = Expected(first, later);
    AnswerList answers;
    const double seconds = RealScans(first, slow, answers);
    std::printf("late report: the scan took %.1f s\n", seconds);
    EXPECT_GE(seconds, 2.5) << "the load did not wait for the tool's pause";
    EXPECT_TRUE(expected == answers) << Difference(expected, answers);
    EXPECT_EQ("1", Ask(ORB2_RAID_VOLUME_STATE)) << "the volumes section, written after the pause, was read";
    ExpectNothingLeft(handlesBefore_);
}

TEST_F(ScanToolFaultTest, ReportOfACrashedToolIsParsedAsFarAsWritten)
{
    const Machine first = WithRaidState(DefaultMachine(), kFirstState);
    const Machine crashed = WithRaidState(DefaultMachine(), LaterState("crash"));
    AttachMachine(first);
    const AnswerList expected = Expected(first, crashed);
    AnswerList answers;
    RealScans(first, crashed, answers);
    EXPECT_TRUE(expected == answers) << Difference(expected, answers);
    // The physical-disk section alone: both disks as array members, no volume or array.
    EXPECT_EQ("2", Ask(ORB2_RAID_DISK_COUNT));
    EXPECT_EQ("yes", Ask(ORB2_RAID_DISK_ARRAY_MEMBER, 0));
    EXPECT_EQ("4", Ask(ORB2_RAID_DISK_BUS_ID, 0));
    EXPECT_EQ("-1", Ask(ORB2_RAID_VOLUME_STATE));
    EXPECT_EQ("-1", Ask(ORB2_RAID_VOLUME_STATE_AGAIN));
    EXPECT_EQ("0", Ask(ORB2_ARRAY_TOTAL_MB)) << "the first report's \"RAID Arrays\" heading, with no array";
    ExpectNothingLeft(handlesBefore_);
}

TEST_F(ScanToolFaultTest, ReportThatNeverComesLeavesTheEarlierOne)
{
    const Machine first = WithRaidState(DefaultMachine(), kFirstState);
    // Twelve seconds: longer than the ten pauses of the load.
    const Machine hanging = WithRaidState(DefaultMachine(), LaterState("hang", 12000));
    AttachMachine(first);
    const AnswerList expected = Expected(first, first);
    AnswerList answers;
    const double seconds = RealScans(first, hanging, answers);
    std::printf("report never written: the scan took %.1f s\n", seconds);
    EXPECT_GE(seconds, 9.5) << "fewer than the ten pauses";
    EXPECT_TRUE(expected == answers) << Difference(expected, answers);
    EXPECT_EQ(0, simulation_.Log().handlesOpen);

    // The tool still runs and holds Graid.txt; once it has ended, the next scan removes the files.
    ASSERT_TRUE(WaitFor(ReportFileReleased, std::chrono::seconds(60)));
    simulation_.RunToolInProcess(true);
    Scan(first);
    ExpectNothingLeft(handlesBefore_);
}

TEST_F(ScanToolFaultTest, UnwritableWindowsFolderKeepsTheEarlierReport)
{
    const Machine first = WithRaidState(DefaultMachine(), kFirstState);
    const Machine later = WithRaidState(DefaultMachine(), LaterState("normal"));
    AttachMachine(first);
    const AnswerList expected = Expected(first, first);
    // A Windows folder that does not exist: no file can be created in it (see SetWindowsFolder).
    const std::string folder = "C:\\orb-missing-windows-folder";
    ASSERT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(folder.c_str()));
    Scan(first);
    handlesBefore_ = OpenHandleCount();
    simulation_.ClearLog();
    simulation_.SetWindowsFolder(folder);
    const auto start = std::chrono::steady_clock::now();
    const AnswerList answers = Scan(later);
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    simulation_.SetWindowsFolder("");
    std::printf("unwritable Windows folder: the scan took %.1f s\n", seconds);
    // Ten pauses for the tool's file, ten for the batch file, none left for the report.
    EXPECT_GE(seconds, 19.5);
    EXPECT_LT(seconds, 40.0);
    ASSERT_EQ(1u, simulation_.Log().winExecs.size());
    EXPECT_EQ(folder + "\\G.bat", simulation_.Log().winExecs[0]);
    EXPECT_TRUE(expected == answers) << Difference(expected, answers);
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(folder.c_str()));
    ExpectNothingLeft(handlesBefore_);
}

}  // namespace
