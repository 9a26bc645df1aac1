#include "msm_wizard_fixture.h"

#include <algorithm>

namespace orbtest {
namespace {

template <typename F>
void Bind(HMODULE module, const char* name, F* function)
{
    *function = reinterpret_cast<F>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}

}  // namespace

const OrbLib& Lib()
{
    static const OrbLib lib = [] {
        OrbLib l;
        l.module = LoadLibraryA("OrbLib.dll");
        if (!l.module)
            return l;
        Bind(l.module, "ShellRunIntel", &l.ShellRunIntel);
        Bind(l.module, "ShellRunIntelMSM", &l.ShellRunIntelMSM);
        Bind(l.module, "SetSourceHDD", &l.SetSourceHDD);
        Bind(l.module, "SetMemberHDD", &l.SetMemberHDD);
        Bind(l.module, "SetMemberDown", &l.SetMemberDown);
        Bind(l.module, "ShellRunIntelMSM_R", &l.ShellRunIntelMSM_R);
        Bind(l.module, "ShellRunIntelMSM_R2", &l.ShellRunIntelMSM_R2);
        Bind(l.module, "ShellRunIntelMSM_R3", &l.ShellRunIntelMSM_R3);
        Bind(l.module, "SetSourceHDD_R", &l.SetSourceHDD_R);
        Bind(l.module, "SetMemberHDD_R", &l.SetMemberHDD_R);
        Bind(l.module, "SetMemberDown_R", &l.SetMemberDown_R);
        return l;
    }();
    return lib;
}

DWORD lastStepStart = 0;

std::vector<std::string> AltKey(const std::string& window, unsigned vk)
{
    return {SysKeyDown(window, VK_MENU), SysKeyDown(window, vk)};
}
std::vector<std::string> Keys(const std::string& window, std::initializer_list<unsigned> vks)
{
    std::vector<std::string> keys;
    for (unsigned vk : vks) {
        if (vk == '}') {  // Shift plus the key that types it on the US layout
            keys.push_back(KeyDown(window, VK_SHIFT));
            keys.push_back(KeyDown(window, VK_OEM_6));
        } else {
            keys.push_back(KeyDown(window, vk, vk == VK_DOWN));
        }
    }
    return keys;
}
std::vector<std::string> Repeat(const std::vector<std::string>& part, int times)
{
    std::vector<std::string> all;
    for (int i = 0; i < times; ++i)
        all.insert(all.end(), part.begin(), part.end());
    return all;
}
void Append(std::vector<std::string>* to, const std::vector<std::string>& part)
{
    to->insert(to->end(), part.begin(), part.end());
}

// "{DELAY=200}%v{DOWN}{DOWN}{DOWN}~" in the console's main window.
std::vector<std::string> ViewAdvancedMode()
{
    std::vector<std::string> keys = AltKey(kMain, 'V');
    Append(&keys, Keys(kMain, {VK_DOWN, VK_DOWN, VK_DOWN, VK_RETURN}));
    return keys;
}

// The latest run's events of the given kinds, without the sentinel keys that settled the log.
std::vector<LogEvent> Logged(const std::vector<std::string>& kinds)
{
    std::vector<LogEvent> events = Select(LatestRun(ReadConsoleLog(Console::Msm)), kinds);
    events.erase(std::remove_if(events.begin(), events.end(),
                                [](const LogEvent& e) {
                                    return e.Describe() == KeyDown(e.subject, VK_F9) ||
                                           e.Describe() == KeyUp(e.subject, VK_F9);
                                }),
                 events.end());
    return events;
}

bool AllHidden() { return ListConsoleFolder(Console::Msm) == HiddenEntries(Console::Msm); }
bool AllRestored() { return ListConsoleFolder(Console::Msm) == InstalledEntries(Console::Msm); }

void MsmWizard::SetUp()
{
    ASSERT_TRUE(Lib().module) << "OrbLib.dll: error " << GetLastError();
    ASSERT_TRUE(Lib().complete());
    ASSERT_TRUE(installation_.ok()) << installation_.error();
    ClearConsoleLog(Console::Msm);
}

void MsmWizard::TearDown()
{
    ClearConsoleSwitches();
    StopConsole(Console::Msm);
    PumpMessages();
}

}  // namespace orbtest
