// The console stand-ins at work, in the Wine prefix, for the tests and the main job's demo:
// installs a stand-in console where Intel's installer puts the real one, sets its switches,
// reads its log, waits for log lines and windows, and takes it all away again. No GoogleTest:
// comparing logs with expected tables is the tests' (testing/console_compare/same_events.h).
//
// A wizard-step test typically does:
//   orbtest::ConsoleInstallation rst(orbtest::Console::Rst);   // installs, removes at the end
//   ASSERT_TRUE(rst.ok()) << rst.error();
//   orbtest::ConsoleSwitches switches;  switches.neverOpen = {"ADD Disk"};
//   orbtest::SetConsoleSwitches(switches);                     // for the next console start
//   … call the steps …
//   auto events = orbtest::ReadConsoleLog(orbtest::Console::Rst);
//   EXPECT_TRUE(orbtest::SameEvents(expected, orbtest::Select(events, {"key", "open", "close"})));
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "testing/standins/console_control/console_log.h"
#include "testing/support/wait_for.h"

namespace orbtest {

enum class Console { Rst, Msm };

// Generous bound of every wait; the waits poll and end as soon as the condition holds.
inline constexpr DWORD kWaitLimitMs = 20000;

// Installing, stopping and removing (console_install_win32.cpp).

// The console's installation folder, with a trailing backslash.
std::string ConsoleFolder(Console console);
std::string ConsoleProgramPath(Console console);
// The stand-in's log file (beside the program; the switches never move it).
std::string ConsoleLogPath(Console console);

// Copies the stand-in (built beside the test program) into the console folder with its
// localized entries: for Rapid Storage Technology the 24 culture folders with their 7 resource
// files, for Matrix Storage Manager the 24 language entries (even positions folders holding one
// file, odd positions files). Entries named in omit (a culture, "de-DE\IAStorUI.resources.dll",
// or a language) are left out. Removes an earlier installation first. Empty text on success,
// else what failed.
std::string InstallConsole(Console console, const std::vector<std::string>& omit = {});
// Ends the stand-in's running copies and deletes the console folder (and "Intel" when empty).
bool RemoveConsole(Console console);
// Ends every running copy of the stand-in started from the console folder; true when none is
// left within the wait limit.
bool StopConsole(Console console);
// How many copies of the stand-in currently run from the console folder.
int RunningConsoleCount(Console console);

// Installs on construction, removes on destruction; also clears the switches both times.
class ConsoleInstallation {
public:
    explicit ConsoleInstallation(Console console, const std::vector<std::string>& omit = {});
    ~ConsoleInstallation();
    ConsoleInstallation(const ConsoleInstallation&) = delete;
    ConsoleInstallation& operator=(const ConsoleInstallation&) = delete;
    bool ok() const { return error_.empty(); }
    const std::string& error() const { return error_; }

private:
    Console console_;
    std::string error_;
};

// The entries of the console folder, relative to it, one level into folders, sorted.
std::vector<std::string> ListConsoleFolder(Console console);
// What ListConsoleFolder gives right after InstallConsole (program and log excluded)...
std::vector<std::string> InstalledEntries(Console console);
// ... and after OrbLib hid every entry (cultures with "_X", languages with "_C").
std::vector<std::string> HiddenEntries(Console console);

// Switches and starting (console_start_win32.cpp).

// The switches every stand-in started from now on by this process (or its children) reads from
// the environment. Empty values clear the switch.
struct ConsoleSwitches {
    int startDelayMs = 0;                                  // main window appears this much later
    std::vector<std::string> neverOpen;                    // exact titles that never open
    std::vector<std::pair<std::string, int>> openDelays;   // title, delay in ms
    std::vector<int> dataDisks;                            // RST: ports holding data
};
void SetConsoleSwitches(const ConsoleSwitches& switches);
void ClearConsoleSwitches();
// The same switches as command-line arguments, for a test that starts a stand-in itself.
std::string ConsoleSwitchArguments(const ConsoleSwitches& switches);

// Starts the installed stand-in with CreateProcess (show mode as given) and extra arguments.
bool StartConsole(Console console, const std::string& arguments = std::string(),
                  int showCommand = SW_SHOW);

// Logs and windows (console_waits_win32.cpp).

// The log, whole (empty when there is none yet), and deleting it.
std::vector<LogEvent> ReadConsoleLog(Console console);
void ClearConsoleLog(Console console);
// Polls the log until predicate holds for its events; the events last read go to *last.
bool WaitForLog(Console console, const std::function<bool(const std::vector<LogEvent>&)>& predicate,
                DWORD limitMs = kWaitLimitMs, std::vector<LogEvent>* last = nullptr);
// Polls until the log holds an event whose Describe() equals the given text.
bool WaitForLogEvent(Console console, const std::string& description, DWORD limitMs = kWaitLimitMs);

// Polls for a top-level window with exactly this title (visible or not); null after the limit.
HWND WaitForWindow(const std::string& title, DWORD limitMs = kWaitLimitMs);
bool WaitForWindowGone(const std::string& title, DWORD limitMs = kWaitLimitMs);

// The path decoy (path_decoy_win32.cpp).

// A decoy at the path an unquoted "C:\Program Files\…" command line would start first
// ("C:\Program.exe"): a copy of a stand-in that only logs "start" and "exit" to "C:\Program.log".
// Install returns "" on success, else what failed.
std::string InstallPathDecoy();
void RemovePathDecoy();
std::string PathDecoyLogPath();
// Whether the decoy was started since it was installed.
bool PathDecoyStarted();

// Wine settings (wine_version_win32.cpp).

// Per-program Windows version of the Wine prefix (HKCU\Software\Wine\AppDefaults\<program>,
// value "Version": "winxp", "win7"); an empty version removes the setting.
bool SetWineVersionFor(const std::string& program, const std::string& version);
// The file name of this test program, for SetWineVersionFor.
std::string ThisProgramName();

}  // namespace orbtest
