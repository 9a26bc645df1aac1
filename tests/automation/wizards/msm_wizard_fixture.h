#pragma once
// OrbLib's Matrix Storage Manager steps end to end under Wine, against the Shell.exe stand-in:
// OrbLib.dll is loaded and called by name as the main application does, the steps run one after
// another with the messages handled between them, and the stand-in's log shows what arrived in
// which window.
//
// The fixture and the expected key tables shared by the programs that test the steps: the whole
// runs and their pacing (msm_wizard_test) and the failure paths (msm_wizard_failures_test).
#include <windows.h>

#include <gtest/gtest.h>

#include <initializer_list>
#include <string>
#include <vector>

#include "testing/console_compare/same_events.h"
#include "testing/standins/console_common/console_entries.h"
#include "testing/standins/console_control/console_control_win32.h"
#include "testing/standins/console_control/input_win32.h"

namespace orbtest {

const std::string kMain = standin::kMsmMainTitle;
const std::string kCreate = standin::kMsmCreateWizardTitle;
const std::string kModify = standin::kMsmModifyWizardTitle;

using Step = bool(__cdecl*)();
using CountStep = bool(__cdecl*)(int);

// OrbLib.dll loaded once for the whole program and never unloaded: its one key-script sender
// and current target live from one step to the next, as in the main application.
struct OrbLib {
    HMODULE module = nullptr;
    unsigned char(__cdecl* ShellRunIntel)() = nullptr;
    Step ShellRunIntelMSM = nullptr;
    CountStep SetSourceHDD = nullptr;
    CountStep SetMemberHDD = nullptr;
    Step SetMemberDown = nullptr;
    Step ShellRunIntelMSM_R = nullptr;
    Step ShellRunIntelMSM_R2 = nullptr;
    Step ShellRunIntelMSM_R3 = nullptr;
    CountStep SetSourceHDD_R = nullptr;
    CountStep SetMemberHDD_R = nullptr;
    Step SetMemberDown_R = nullptr;

    bool complete() const
    {
        return ShellRunIntel && ShellRunIntelMSM && SetSourceHDD && SetMemberHDD && SetMemberDown &&
               ShellRunIntelMSM_R && ShellRunIntelMSM_R2 && ShellRunIntelMSM_R3 && SetSourceHDD_R &&
               SetMemberHDD_R && SetMemberDown_R;
    }
};

const OrbLib& Lib();

// Runs one step as the main application does (its message loop runs between two steps) and
// measures its wall time.
extern DWORD lastStepStart;

template <typename F>
bool RunStep(F step, DWORD* elapsedMs = nullptr)
{
    PumpMessages();
    const DWORD start = GetTickCount();
    lastStepStart = start;
    const bool result = step();
    if (elapsedMs)
        *elapsedMs = GetTickCount() - start;
    PumpMessages();
    return result;
}

// The keys a script sends, as the stand-in logs their key-down messages.
std::vector<std::string> AltKey(const std::string& window, unsigned vk);
std::vector<std::string> Keys(const std::string& window, std::initializer_list<unsigned> vks);
std::vector<std::string> Repeat(const std::vector<std::string>& part, int times);
void Append(std::vector<std::string>* to, const std::vector<std::string>& part);

// "{DELAY=200}%v{DOWN}{DOWN}{DOWN}~" in the console's main window.
std::vector<std::string> ViewAdvancedMode();

// The latest run's events of the given kinds, without the sentinel keys that settled the log.
std::vector<LogEvent> Logged(const std::vector<std::string>& kinds);

bool AllHidden();
bool AllRestored();

class MsmWizard : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    ConsoleInstallation installation_{Console::Msm};
};

}  // namespace orbtest
