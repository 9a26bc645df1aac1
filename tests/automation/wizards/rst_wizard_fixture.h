#pragma once
// The Rapid Storage Technology wizard steps end to end under Wine: OrbLib.dll is loaded as the
// main application loads it (LoadLibrary, exports by name, a fresh copy per test so that its
// process-wide state starts empty) and drives the IAStorUI.exe stand-in installed in the prefix's
// Program Files. The stand-in's log shows which window received which key, which windows opened
// and closed, and which localized resources were visible when the console started.
//
// The fixture and the expected key tables shared by the programs that test the steps: the whole
// runs and their pacing (rst_wizard_test), the first steps' failures
// (rst_wizard_first_steps_test) and the closing steps' (rst_wizard_closing_steps_test).
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "testing/console_compare/same_events.h"
#include "testing/standins/console_common/console_entries.h"
#include "testing/standins/console_control/console_control_win32.h"
#include "testing/standins/console_control/input_win32.h"

namespace orbtest {

const std::string kMain = standin::kRstMainTitle;
const std::string kAddDisk = standin::kRstAddDiskTitle;
const std::string kConfirm = standin::kRstConfirmTitle;
const std::string kComplete = standin::kRstCompleteTitle;

using Step = bool(__cdecl*)();
using CountStep = bool(__cdecl*)(int);
using IntStep = int(__cdecl*)();

// The exports of one loaded copy of OrbLib.dll.
struct RstSteps {
    Step ShellRunIntel_IM95 = nullptr;
    Step ShellRunIntel95 = nullptr;
    CountStep ShellRunIntel95_HDD_S = nullptr;
    CountStep ShellRunIntel95_HDD_UP = nullptr;
    Step ShellRunIntel95_HDD_DOWN = nullptr;
    Step ShellRunIntel95_HDD_DOWN_SPACE = nullptr;
    Step ShellRunIntel95_RAID_HDD_Count = nullptr;
    Step ShellRunIntel95_HDD_Count_End = nullptr;
    Step ShellRunIntel95_ConfirmVol = nullptr;
    Step ShellRunIntel95_Down = nullptr;
    Step ShellRunIntel95_RAID = nullptr;
    IntStep ShellRunIntel95_RAID_HDD_Count_End = nullptr;
};

// Key-down messages as the console window logs them (key-ups and characters are left out of
// the tables: the key-up of an Enter that opens a window lands in the new window).
void AltKey(std::vector<std::string>& to, const std::string& w, char letter);
void Tabs(std::vector<std::string>& to, const std::string& w, int count);
void ShiftTab(std::vector<std::string>& to, const std::string& w);
void Space(std::vector<std::string>& to, const std::string& w);
void Enter(std::vector<std::string>& to, const std::string& w);

// "%c{TAB}{TAB}{TAB}{TAB}{TAB} ~" then "{TAB}{TAB}{TAB}": the console's disks page, focus on port 0.
std::vector<std::string> CreateRunOpening();

// "%m{TAB}{TAB}{TAB}{TAB}~": the Enter on the "Add disk" link opens "ADD Disk".
std::vector<std::string> AddDiskRunOpening(bool opens);

// Wine's X11 driver setting "Managed" for one program of the prefix; true removes the setting.
bool SetX11Managed(const std::string& program, bool managed);

class RstWizard : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    template <typename F>
    void Bind(F& function, const char* name)
    {
        function = reinterpret_cast<F>(GetProcAddress(library_, name));
        ASSERT_NE(nullptr, function) << name;
    }

    // Between two steps the main application's message loop runs.
    template <typename F, typename... A>
    auto Run(F step, A... arguments)
    {
        auto result = step(arguments...);
        PumpMessages();
        return result;
    }

    // The latest console run's events of the given kinds.
    std::vector<LogEvent> Events(const std::vector<std::string>& kinds);
    std::vector<LogEvent> Keys() { return Events({"open", "close", "key"}); }

    // Waits until the stand-in wrote its exit line (its last window closed).
    bool ConsoleExited();

    std::vector<std::string> Actions(const std::string& what);

    // Every culture folder and resource file was hidden when the console started.
    void ExpectStartedWithResourcesHidden();
    void ExpectResourcesRestored();
    void ExpectResourcesHidden();

    // The create-volume run up to its closing step: the type page, then ports 0 and 1 on the
    // disks page, then Enter (Next).
    void CreateRunUpToItsEnd();

    ConsoleInstallation installation_{Console::Rst};
    HMODULE library_ = nullptr;
    RstSteps steps_;
};

}  // namespace orbtest
