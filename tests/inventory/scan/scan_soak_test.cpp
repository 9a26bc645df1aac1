// Many scans in one process, as a main application that stays open for days makes them: the
// answers stay the same, the process's private memory and handle count do not grow, and no file
// of the tool's run is left in the Windows folder.
//
// ORB_SOAK_SCANS sets the number of scans (default 1,000). The tool's run is answered inside
// this process (the batch file's report is written at once, so scans make no pause); with
// ORB_SOAK_REAL_TOOL=1 cmd and the stand-in raidcfg32.exe run for every scan instead, which
// takes at least a second per scan.
#include <windows.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "testing/simulated_machine/simulated_machine.h"
#include "testing/fixtures/orb2_fixture.h"
#include "tests/inventory/scan/process_usage.h"

namespace {

int EnvironmentNumber(const char* name, int fallback)
{
    const char* value = std::getenv(name);
    return value && *value ? std::atoi(value) : fallback;
}

class ScanSoakTest : public Orb2Fixture {};

TEST_F(ScanSoakTest, ScansKeepTheirAnswersMemoryAndHandles)
{
    const int scans = EnvironmentNumber("ORB_SOAK_SCANS", 1000);
    const bool realTool = EnvironmentNumber("ORB_SOAK_REAL_TOOL", 0) != 0;
    simulated_machine::Machine machine;
    std::string error;
    ASSERT_TRUE(simulated_machine::LoadMachineFile(ORB_DEFAULT_MACHINE, machine, error)) << error;
    AttachMachine(machine);
    simulation_.RunToolInProcess(!realTool);

    // Warm-up: the heap, the C runtime's file tables and the answers' strings take their size.
    ASSERT_EQ("", Ask(ORB2_RUN_SCAN));
    const std::vector<std::string> expected = Answers();
    ASSERT_EQ("1/0=2", expected[0]) << "the default machine has two disks";
    ASSERT_EQ("11/0=2", expected[1]) << "and the RAID tool lists both";
    std::vector<std::string> answers;
    for (int i = 0; i < 10; ++i) {
        Ask(ORB2_RUN_SCAN);
        answers = Answers();
        simulation_.ClearLog();
    }
    ASSERT_EQ(expected, answers);

    const size_t memoryBefore = PrivateBytes();
    const unsigned long handlesBefore = OpenHandleCount();
    const auto start = std::chrono::steady_clock::now();
    int changed = 0, filesLeft = 0, simulatedHandlesLeft = 0;
    for (int scan = 0; scan < scans; ++scan) {
        Ask(ORB2_RUN_SCAN);
        answers = Answers();
        changed += answers != expected;
        filesLeft += !ToolFilesGone();
        simulatedHandlesLeft += simulation_.Log().handlesOpen != 0;
        simulation_.ClearLog();
    }
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    const size_t memoryAfter = PrivateBytes();
    const unsigned long handlesAfter = OpenHandleCount();

    const long long growth = static_cast<long long>(memoryAfter) - static_cast<long long>(memoryBefore);
    std::printf("%d scans (%s) in %.1f s, %.2f ms per scan; private memory %zu -> %zu bytes (%+lld); "
                "handles %lu -> %lu\n",
                scans, realTool ? "real tool chain" : "tool answered in process", seconds, seconds * 1000 / scans,
                memoryBefore, memoryAfter, growth, handlesBefore, handlesAfter);
    EXPECT_EQ(0, changed) << "scans whose answers differ from the first scan's";
    EXPECT_EQ(0, filesLeft) << "scans that left a file of the tool's run in the Windows folder";
    EXPECT_EQ(0, simulatedHandlesLeft) << "scans that left a drive or volume handle open";
    EXPECT_LE(growth, 8 * 1024) << "private memory grew";
    EXPECT_EQ(handlesBefore, handlesAfter);
}

}  // namespace
