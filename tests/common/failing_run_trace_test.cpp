// Failing runs of orb2.dll and OrbLib.dll, loaded as the main application loads them, and what
// their trace (caught in this process) must name for a support engineer to see what failed. Each
// case names the few facts that tell the failure apart, not the wording of every line.
#include <windows.h>

#include <chrono>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "common/debug_output_win32.h"
#include "testing/simulated_machine/simulated_machine.h"
#include "testing/standins/console_common/console_entries.h"
#include "testing/standins/console_control/console_control_win32.h"
#include "testing/support/wait_for.h"
#include "testing/fixtures/held_culture.h"
#include "testing/fixtures/orb2_fixture.h"
#include "testing/fixtures/machine_helpers.h"

namespace {

using orbtest::Console;
using simulated_machine::Machine;

class FailingRunTrace : public Orb2Fixture {
protected:
    void SetUp() override
    {
        Orb2Fixture::SetUp();
        ASSERT_TRUE(rst_.ok()) << rst_.error();
        ASSERT_TRUE(msm_.ok()) << msm_.error();
        ASSERT_TRUE(capture_.Start());
    }
    void TearDown() override
    {
        capture_.Stop();
        orbtest::ClearConsoleSwitches();
        Orb2Fixture::TearDown();
    }

    // One export of a freshly loaded OrbLib.dll (its process-wide state starts empty), with the
    // consoles' switches set; the consoles it started are ended afterwards.
    bool RunStep(const char* step, const std::vector<std::string>& neverOpen)
    {
        orbtest::ConsoleSwitches switches;
        switches.neverOpen = neverOpen;
        orbtest::SetConsoleSwitches(switches);
        HMODULE orbLib = LoadLibraryA("OrbLib.dll");
        EXPECT_NE(nullptr, orbLib) << "error " << GetLastError();
        auto function = orbLib ? reinterpret_cast<bool(__cdecl*)()>(GetProcAddress(orbLib, step)) : nullptr;
        EXPECT_NE(nullptr, function) << step;
        const bool result = function != nullptr && function();
        orbtest::StopConsole(Console::Rst);
        orbtest::StopConsole(Console::Msm);
        if (orbLib)
            FreeLibrary(orbLib);
        return result;
    }

    orbtest::ConsoleInstallation rst_{Console::Rst};
    orbtest::ConsoleInstallation msm_{Console::Msm};
    debug_output::DebugStringCapture capture_;
};

TEST_F(FailingRunTrace, TheTraceNamesWhatFailed)
{
    const Machine defaultMachine = DefaultMachine();
    AttachMachine(defaultMachine);
    const std::string rstMain = standin::kRstMainTitle, msmMain = standin::kMsmMainTitle;

    const struct {
        const char* name;
        std::function<void()> run;
        std::vector<std::string> named;  // each in some line of the run's trace
    } cases[] = {
        {"the Rapid Storage Technology console never opens its window",
         [&] { EXPECT_FALSE(RunStep("ShellRunIntel95", {rstMain})); },
         {"ShellRunIntel95: start", "detect: none of", "\"Rapid Storage Technology\" in its title",
          "find console: no console title was ever detected", "ShellRunIntel95: false"}},
        {"the Matrix Storage Manager console never opens its window",
         [&] { EXPECT_FALSE(RunStep("ShellRunIntelMSM", {msmMain})); },
         {"look for \"" + msmMain + "\": not found in 1 look", "ShellRunIntelMSM: false"}},
        {"the console opens but \"ADD Disk\" never does",
         [&] { EXPECT_FALSE(RunStep("ShellRunIntel95_RAID", {standin::kRstAddDiskTitle})); },
         {"sent \"{DELAY=200}%m{TAB}{TAB}{TAB}{TAB}~\": 7 keys, to the foreground window", "(the target)",
          "look for \"ADD Disk\": not found in 2 looks", "ShellRunIntel95_RAID: false"}},
        {"a culture folder is held open",
         [&] {
             HeldCulture held(orbtest::ConsoleFolder(Console::Rst) + "de-DE", "IAStorUI.resources.dll");
             EXPECT_FALSE(RunStep("ShellRunIntel95", {rstMain}));
         },
         {"hide: de-DE not renamed (error ", "IAStorUI.resources.dll not renamed (error ", "6 of 7 renamed",
          "hide: 23 of 24 culture folders renamed", "restore: de-DE_X not renamed back (error 2, not found); 6 of 7 files"}},
        {"the drive in slot 0 refuses to open for reading and writing",
         [&] {
             Machine refusing = defaultMachine;
             refusing.drives[0].opensReadWrite = false;
             simulation_.RunToolInProcess(true);
             simulation_.SetMachine(refusing);
             Ask(ORB2_RUN_SCAN);
             simulation_.SetMachine(defaultMachine);
         },
         {"smart probe: PhysicalDrive0 not opened (error ", "storage probe: PhysicalDrive0: identity row 0",
          "disk 0 (IDENTIFY of PhysicalDrive1)"}},
        {"the RAID tool hangs and never writes its report",
         [&] {
             simulation_.RunToolInProcess(true);  // a first report, loaded at once
             Ask(ORB2_RUN_SCAN);
             simulation_.RunToolInProcess(false);
             // Eleven seconds: longer than the ten pauses of the load.
             simulation_.SetMachine(WithRaidState(defaultMachine, R"({"behaviour": "hang", "delay_ms": 11000})"));
             Ask(ORB2_RUN_SCAN);
             // The tool still holds Graid.txt; once it has ended, a scan removes the files.
             EXPECT_TRUE(WaitFor(ReportFileReleased, std::chrono::seconds(60)));
             simulation_.SetMachine(defaultMachine);
             simulation_.RunToolInProcess(true);
             Ask(ORB2_RUN_SCAN);
         },
         {"G.bat started hidden", "Graid.txt load attempt 1 failed", "Graid.txt load attempt 11 failed",
          "Graid.txt not loaded after 11 attempts and 10 pauses", "the earlier report is kept"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        capture_.Take();
        c.run();
        std::string trace;
        std::vector<std::string> lines;
        for (const debug_output::DebugLine& line : capture_.Take()) {
            trace += "  " + line.text + "\n";
            lines.push_back(line.text);
            EXPECT_TRUE(line.text.rfind("orb2: ", 0) == 0 || line.text.rfind("OrbLib: ", 0) == 0)
                << "a line that names no library: " << line.text;
        }
        std::printf("== %s\n%s", c.name, trace.c_str());
        for (const std::string& fact : c.named) {
            bool found = false;
            for (const std::string& line : lines)
                found = found || line.find(fact) != std::string::npos;
            EXPECT_TRUE(found) << "the trace does not name: " << fact << "\n" << trace;
        }
    }
    EXPECT_TRUE(ToolFilesGone());
}

}  // namespace
