// The Matrix Storage Manager wizard's whole runs: the create run, and the modify run (the one
// that clicks) for each Windows version; on request, each step's pacing.
//
// The Windows version OrbLib sees is fixed when its process starts, so the modify run runs in a
// child process of this program, started once with the prefix's version for this program set to
// Windows XP and once to Windows 7.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "msm_wizard_fixture.h"
#include "testing/support/this_program_win32.h"

namespace orbtest {
namespace {

// The child process's switch: the vertical correction it expects ("0" or "8").
const char kChildVariable[] = "ORB_MSM_CHILD_DY";

std::vector<std::string> Actions(const std::string& window)
{
    std::vector<std::string> found;
    for (const LogEvent& event : Logged({"action"})) {
        const std::string text = event.Describe();
        if (event.subject == window)
            found.push_back(text.substr(text.find("what=")));
    }
    return found;
}

std::vector<std::string> AllLanguages()
{
    std::vector<std::string> all(std::begin(standin::kMsmLanguages), std::end(standin::kMsmLanguages));
    std::sort(all.begin(), all.end());
    return all;
}
std::vector<std::string> Sorted(std::vector<std::string> names)
{
    std::sort(names.begin(), names.end());
    return names;
}

// The waits the steps are specified with: fixed sleeps plus 200 ms before every key except the
// "~" Enter, which never waits (every key runs at the 200 ms delay once a "{DELAY=200}" script
// has been sent, also in the scripts without it).
constexpr DWORD kKeyDelay = 200;

struct Pacing {
    const char* step;
    DWORD wallMs;
    DWORD specifiedMs;
    DWORD startTick;
};

void PrintPacing(const std::vector<Pacing>& rows)
{
    std::printf("%-22s %8s %10s %7s\n", "step", "wall ms", "waits ms", "ratio");
    for (const Pacing& row : rows)
        std::printf("%-22s %8lu %10lu %7.3f\n", row.step, static_cast<unsigned long>(row.wallMs),
                    static_cast<unsigned long>(row.specifiedMs),
                    row.specifiedMs ? double(row.wallMs) / double(row.specifiedMs) : 0.0);
    std::fflush(stdout);
}

// The whole create run: ShellRunIntelMSM, SetSourceHDD(source), SetMemberHDD(member),
// SetMemberDown. Returns the pacing of its steps.
std::vector<Pacing> CreateRun(int source, int member)
{
    const OrbLib& lib = Lib();
    std::vector<Pacing> pacing;
    DWORD ms = 0;

    EXPECT_TRUE(RunStep(lib.ShellRunIntelMSM, &ms));
    pacing.push_back({"ShellRunIntelMSM", ms, 2000 + 2000 + 2000 + 1000 + (4 + 2 + 1 + 1) * kKeyDelay, lastStepStart});
    EXPECT_NE(nullptr, FindWindowA(nullptr, kCreate.c_str()));
    EXPECT_EQ(nullptr, FindWindowA(nullptr, kMain.c_str())) << "the console's main window is closed";
    EXPECT_TRUE(AllHidden());

    EXPECT_TRUE(RunStep([&] { return lib.SetSourceHDD(source); }, &ms));
    pacing.push_back({"SetSourceHDD", ms, 1000 + DWORD(source + 2 + 1) * kKeyDelay, lastStepStart});
    EXPECT_TRUE(AllHidden());

    EXPECT_TRUE(RunStep([&] { return lib.SetMemberHDD(member); }, &ms));
    pacing.push_back({"SetMemberHDD", ms, DWORD(member) * (200 + kKeyDelay) + 6 * kKeyDelay, lastStepStart});
    EXPECT_TRUE(AllHidden());

    EXPECT_TRUE(RunStep(lib.SetMemberDown, &ms));
    pacing.push_back({"SetMemberDown", ms, 2 * kKeyDelay, lastStepStart});
    EXPECT_TRUE(AllRestored());

    EXPECT_TRUE(SettleConsole(Console::Msm, kCreate));
    return pacing;
}

// The whole modify run: ShellRunIntelMSM_R, ShellRunIntelMSM_R2, ShellRunIntelMSM_R3,
// SetSourceHDD_R(source), SetMemberHDD_R(member), SetMemberDown_R.
std::vector<Pacing> ModifyRun(int source, int member)
{
    const OrbLib& lib = Lib();
    std::vector<Pacing> pacing;
    DWORD ms = 0;

    EXPECT_TRUE(RunStep(lib.ShellRunIntelMSM_R, &ms));
    pacing.push_back({"ShellRunIntelMSM_R", ms, 3000 + 4 * kKeyDelay, lastStepStart});
    EXPECT_TRUE(AllHidden());

    EXPECT_TRUE(RunStep(lib.ShellRunIntelMSM_R2, &ms));
    pacing.push_back({"ShellRunIntelMSM_R2", ms, 200 + 1 * kKeyDelay, lastStepStart});
    HWND main = FindWindowA(nullptr, kMain.c_str());
    EXPECT_TRUE(main == nullptr || (GetWindowLongA(main, GWL_EXSTYLE) & WS_EX_TOPMOST) == 0)
        << "the console is no longer topmost";
    EXPECT_TRUE(AllHidden());

    EXPECT_TRUE(RunStep(lib.ShellRunIntelMSM_R3, &ms));
    // Found at the first attempt when the wizard opened within the first second.
    pacing.push_back({"ShellRunIntelMSM_R3", ms, 1000 + 4 * kKeyDelay, lastStepStart});
    EXPECT_EQ(nullptr, FindWindowA(nullptr, kMain.c_str())) << "the console's main window is closed";
    EXPECT_TRUE(AllHidden());

    EXPECT_TRUE(RunStep([&] { return lib.SetSourceHDD_R(source); }, &ms));
    pacing.push_back({"SetSourceHDD_R", ms, 100 + 100, lastStepStart});
    EXPECT_TRUE(AllHidden());

    EXPECT_TRUE(RunStep([&] { return lib.SetMemberHDD_R(member); }, &ms));
    pacing.push_back({"SetMemberHDD_R", ms, DWORD(member + 4) * kKeyDelay, lastStepStart});
    EXPECT_TRUE(AllHidden());

    EXPECT_TRUE(RunStep(lib.SetMemberDown_R, &ms));
    pacing.push_back({"SetMemberDown_R", ms, 1 * kKeyDelay, lastStepStart});
    EXPECT_TRUE(AllRestored());

    EXPECT_TRUE(SettleConsole(Console::Msm, kModify));
    return pacing;
}

TEST_F(MsmWizard, CreateRunSendsItsKeysToTheConsoleAndThenTheWizard)
{
    // The console's window comes up a second after it started waiting for input (WinExec waits
    // for that much): ShellRunIntelMSM waits 2000 ms before its search and finds it.
    ConsoleSwitches switches;
    switches.openDelays = {{kMain, 1000}};
    SetConsoleSwitches(switches);
    const int source = 2, member = 3;
    CreateRun(source, member);

    std::vector<std::string> expected = {Opened(kMain)};
    Append(&expected, ViewAdvancedMode());                                      // ShellRunIntelMSM
    Append(&expected, AltKey(kMain, 'A'));
    Append(&expected, Keys(kMain, {VK_DOWN, VK_RETURN}));
    expected.push_back(Opened(kCreate));
    expected.push_back(Closed(kMain));
    Append(&expected, Repeat(AltKey(kCreate, 'N'), 2));
    Append(&expected, Repeat(Keys(kCreate, {VK_DOWN}), source));               // SetSourceHDD
    Append(&expected, Keys(kCreate, {VK_TAB, VK_TAB, VK_RETURN}));
    Append(&expected, AltKey(kCreate, 'N'));
    Append(&expected, Repeat(Keys(kCreate, {VK_DOWN}), member));               // SetMemberHDD
    Append(&expected, Keys(kCreate, {VK_TAB, VK_TAB, ' ', '}', VK_TAB, VK_TAB}));
    Append(&expected, Repeat(AltKey(kCreate, 'N'), 2));                       // SetMemberDown
    Append(&expected, Keys(kCreate, {VK_RETURN}));
    EXPECT_TRUE(SameEvents(expected, Logged({"open", "close", "key", "click"})));

    EXPECT_EQ((std::vector<std::string>{"what=page\tpage=2", "what=page\tpage=3", "what=page\tpage=4",
                                        "what=page\tpage=5", "what=page\tpage=6"}),
              Actions(kCreate));
    const std::vector<LogEvent> all = ReadConsoleLog(Console::Msm);
    EXPECT_EQ(AllLanguages(), Sorted(EntriesAtStart(all, false))) << "hidden before the console started";
    EXPECT_TRUE(EntriesAtStart(all, true).empty());
}

// Runs the modify run in this process and checks its log; the child process's test.
void CheckModifyRun(int dy)
{
    const int source = 3, member = 2;
    ModifyRun(source, member);

    std::vector<std::string> expected = {Opened(kMain)};
    Append(&expected, ViewAdvancedMode());                                      // ShellRunIntelMSM_R
    Append(&expected, Repeat({Click(kMain, "right", 285, 150)}, 2));            // ShellRunIntelMSM_R2
    Append(&expected, Keys(kMain, {VK_DOWN, VK_RETURN}));
    expected.push_back(Opened(kModify));
    expected.push_back(Closed(kMain));                                          // ShellRunIntelMSM_R3
    Append(&expected, Keys(kModify, {VK_RETURN, VK_RETURN, VK_TAB, VK_TAB, ' '}));
    Append(&expected, AltKey(kModify, 'N'));
    const int row = 116 + 12 * source - dy;                                     // SetSourceHDD_R
    Append(&expected, {Click(kModify, "left", 108, row), Click(kModify, "left", 108, row),
                       Click(kModify, "left", 250, 195 - dy), Click(kModify, "left", 369, 370 - dy)});
    Append(&expected, Repeat(Keys(kModify, {VK_DOWN}), member));                // SetMemberHDD_R
    Append(&expected, Keys(kModify, {VK_TAB, VK_TAB, VK_RETURN, VK_TAB, VK_TAB}));
    Append(&expected, AltKey(kModify, 'N'));                                    // SetMemberDown_R
    Append(&expected, Keys(kModify, {VK_RETURN}));
    EXPECT_TRUE(SameEvents(expected, Logged({"open", "close", "key", "click"})));

    // The stand-in lays the wizard out for its own Windows version, set to the same one: the
    // clicks land on the source row, ">" and Next.
    EXPECT_EQ((std::vector<std::string>{"what=page\tpage=2", "what=source\trow=" + std::to_string(source),
                                        "what=press\tcontrol=>", "what=press\tcontrol=Next",
                                        "what=page\tpage=3"}),
              Actions(kModify));
    const std::vector<LogEvent> all = ReadConsoleLog(Console::Msm);
    EXPECT_EQ(AllLanguages(), Sorted(EntriesAtStart(all, false)));
}

TEST_F(MsmWizard, ModifyRunChild)
{
    const char* dy = std::getenv(kChildVariable);
    if (!dy)
        GTEST_SKIP() << "child: runs in the child process that ModifyRunClicksForEachWindowsVersion starts";
    OSVERSIONINFOA version = {};
    version.dwOSVersionInfoSize = sizeof(version);
    ASSERT_TRUE(GetVersionExA(&version));
    const int expectedDy = std::atoi(dy);
    ASSERT_EQ(expectedDy == 8 ? 6u : 5u, version.dwMajorVersion) << "the prefix's version for this program";
    CheckModifyRun(expectedDy);
}

// Starts this program again with only ModifyRunChild, the prefix's version for it (and the
// stand-in) set as given; true when the child's test passed.
bool RunModifyChild(const char* wineVersion, int dy)
{
    if (!SetWineVersionFor(ThisProgramName(), wineVersion) ||
        !SetWineVersionFor(standin::kMsmProgram, wineVersion))
        return false;
    const std::string program = ThisProgramPath();
    std::string commandLine = "\"" + program + "\" --gtest_filter=MsmWizard.ModifyRunChild";
    SetEnvironmentVariableA(kChildVariable, std::to_string(dy).c_str());
    STARTUPINFOA startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process = {};
    const bool started = CreateProcessA(program.c_str(), &commandLine[0], nullptr, nullptr, TRUE, 0, nullptr,
                                        nullptr, &startup, &process) != FALSE;
    SetEnvironmentVariableA(kChildVariable, nullptr);
    DWORD exitCode = 1;
    if (started) {
        if (WaitForSingleObject(process.hProcess, 180000) == WAIT_OBJECT_0)
            GetExitCodeProcess(process.hProcess, &exitCode);
        else
            TerminateProcess(process.hProcess, 1);
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
    }
    SetWineVersionFor(ThisProgramName(), "");
    SetWineVersionFor(standin::kMsmProgram, "");
    return started && exitCode == 0;
}

TEST_F(MsmWizard, ModifyRunClicksForEachWindowsVersion)
{
    if (std::getenv(kChildVariable))
        GTEST_SKIP() << "child: the parent's test, not run again in its child";
    StopConsole(Console::Msm);  // the child installs its own copy
    EXPECT_TRUE(RunModifyChild("winxp", 0)) << "Windows XP: the child's failures are printed above";
    EXPECT_TRUE(RunModifyChild("win7", 8)) << "Windows 7: y lower by 8";
}

// When the stand-in saw the modify run's windows open and close, and its first key after each
// step began, in ms after that step's start (GetTickCount is one clock for both processes).
void PrintTimeline(const std::vector<Pacing>& steps)
{
    const std::vector<LogEvent> events = Logged({"start", "open", "close", "key", "click"});
    std::size_t next = 0;
    for (std::size_t i = 0; i < steps.size(); ++i) {
        const DWORD end = i + 1 < steps.size() ? steps[i + 1].startTick : 0xFFFFFFFFu;
        bool firstInput = true;
        for (; next < events.size() && events[next].tick < end; ++next) {
            const LogEvent& e = events[next];
            const bool input = e.kind == "key" || e.kind == "click";
            if (input && !firstInput)
                continue;
            firstInput = firstInput && !input;
            std::printf("  %-20s +%5ld ms  %s %s\n", steps[i].step,
                        long(e.tick) - long(steps[i].startTick), e.kind.c_str(), e.subject.c_str());
        }
    }
    std::fflush(stdout);
}

// Not a check: prints each step's wall time over the waits it is specified with, for a create
// run and a modify run (run on its own: ctest -R msm_wizard_pacing -V).
class MsmPacing : public MsmWizard {};

TEST_F(MsmPacing, PrintsWallTimeOverSpecifiedWaits)
{
    OSVERSIONINFOA version = {};
    version.dwOSVersionInfoSize = sizeof(version);
    GetVersionExA(&version);
    std::vector<Pacing> rows = CreateRun(2, 2);
    StopConsole(Console::Msm);
    ClearConsoleLog(Console::Msm);
    const std::vector<Pacing> modify = ModifyRun(2, 2);
    rows.insert(rows.end(), modify.begin(), modify.end());
    std::printf("pacing, Windows %lu.%lu as this program sees it, source 2, member 2:\n",
                version.dwMajorVersion, version.dwMinorVersion);
    PrintPacing(rows);
    PrintTimeline(modify);
}

}  // namespace
}  // namespace orbtest
