#include "rst_wizard_fixture.h"

namespace orbtest {

void AltKey(std::vector<std::string>& to, const std::string& w, char letter)
{
    to.push_back(SysKeyDown(w, VK_MENU));
    to.push_back(SysKeyDown(w, static_cast<unsigned>(letter)));
}
void Tabs(std::vector<std::string>& to, const std::string& w, int count)
{
    for (int i = 0; i < count; ++i)
        to.push_back(KeyDown(w, VK_TAB));
}
void ShiftTab(std::vector<std::string>& to, const std::string& w)
{
    to.push_back(KeyDown(w, VK_SHIFT));
    to.push_back(KeyDown(w, VK_TAB));
}
void Space(std::vector<std::string>& to, const std::string& w) { to.push_back(KeyDown(w, VK_SPACE)); }
void Enter(std::vector<std::string>& to, const std::string& w) { to.push_back(KeyDown(w, VK_RETURN)); }

// "%c{TAB}{TAB}{TAB}{TAB}{TAB} ~" then "{TAB}{TAB}{TAB}": the console's disks page, focus on port 0.
std::vector<std::string> CreateRunOpening()
{
    std::vector<std::string> keys = {Opened(kMain)};
    AltKey(keys, kMain, 'C');
    Tabs(keys, kMain, 5);
    Space(keys, kMain);
    Enter(keys, kMain);
    Tabs(keys, kMain, 3);
    return keys;
}

// "%m{TAB}{TAB}{TAB}{TAB}~": the Enter on the "Add disk" link opens "ADD Disk".
std::vector<std::string> AddDiskRunOpening(bool opens)
{
    std::vector<std::string> keys = {Opened(kMain)};
    AltKey(keys, kMain, 'M');
    Tabs(keys, kMain, 4);
    Enter(keys, kMain);
    if (opens)
        keys.push_back(Opened(kAddDisk));
    return keys;
}

// Wine's X11 driver setting "Managed" for one program of the prefix; true removes the setting.
bool SetX11Managed(const std::string& program, bool managed)
{
    std::string app = "Software\\Wine\\AppDefaults\\" + program;
    if (managed) {
        RegDeleteKeyA(HKEY_CURRENT_USER, (app + "\\X11 Driver").c_str());
        return RegDeleteKeyA(HKEY_CURRENT_USER, app.c_str()) != ERROR_ACCESS_DENIED;
    }
    HKEY key = nullptr;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, (app + "\\X11 Driver").c_str(), 0, nullptr, 0, KEY_SET_VALUE,
                        nullptr, &key, nullptr) != ERROR_SUCCESS)
        return false;
    bool ok = RegSetValueExA(key, "Managed", 0, REG_SZ, reinterpret_cast<const BYTE*>("N"), 2) == ERROR_SUCCESS;
    RegCloseKey(key);
    return ok;
}

void RstWizard::SetUp()
{
    ASSERT_TRUE(installation_.ok()) << installation_.error();
    ClearConsoleLog(Console::Rst);
    library_ = LoadLibraryA("OrbLib.dll");
    ASSERT_NE(nullptr, library_) << "error " << GetLastError();
    Bind(steps_.ShellRunIntel_IM95, "ShellRunIntel_IM95");
    Bind(steps_.ShellRunIntel95, "ShellRunIntel95");
    Bind(steps_.ShellRunIntel95_HDD_S, "ShellRunIntel95_HDD_S");
    Bind(steps_.ShellRunIntel95_HDD_UP, "ShellRunIntel95_HDD_UP");
    Bind(steps_.ShellRunIntel95_HDD_DOWN, "ShellRunIntel95_HDD_DOWN");
    Bind(steps_.ShellRunIntel95_HDD_DOWN_SPACE, "ShellRunIntel95_HDD_DOWN_SPACE");
    Bind(steps_.ShellRunIntel95_RAID_HDD_Count, "ShellRunIntel95_RAID_HDD_Count");
    Bind(steps_.ShellRunIntel95_HDD_Count_End, "ShellRunIntel95_HDD_Count_End");
    Bind(steps_.ShellRunIntel95_ConfirmVol, "ShellRunIntel95_ConfirmVol");
    Bind(steps_.ShellRunIntel95_Down, "ShellRunIntel95_Down");
    Bind(steps_.ShellRunIntel95_RAID, "ShellRunIntel95_RAID");
    Bind(steps_.ShellRunIntel95_RAID_HDD_Count_End, "ShellRunIntel95_RAID_HDD_Count_End");
}

void RstWizard::TearDown()
{
    StopConsole(Console::Rst);
    ClearConsoleSwitches();
    RemovePathDecoy();
    SetX11Managed(standin::kRstProgram, true);  // the pacing run's setting
    if (library_)
        FreeLibrary(library_);
}

std::vector<LogEvent> RstWizard::Events(const std::vector<std::string>& kinds)
{
    return Select(LatestRun(ReadConsoleLog(Console::Rst)), kinds);
}

bool RstWizard::ConsoleExited()
{
    return WaitForLogEvent(Console::Rst, std::string("exit\t") + standin::kRstProgram);
}

std::vector<std::string> RstWizard::Actions(const std::string& what)
{
    std::vector<std::string> found;
    for (const LogEvent& event : Events({"action"})) {
        if (event.Field("what") == what)
            found.push_back(event.subject + ": " + event.Field("ports"));
    }
    return found;
}

void RstWizard::ExpectStartedWithResourcesHidden()
{
    std::vector<LogEvent> run = LatestRun(ReadConsoleLog(Console::Rst));
    EXPECT_TRUE(EntriesAtStart(run, true).empty()) << DiffLines({}, EntriesAtStart(run, true));
    EXPECT_EQ(24u * 8u, EntriesAtStart(run, false).size());
}

void RstWizard::ExpectResourcesRestored()
{
    EXPECT_EQ(InstalledEntries(Console::Rst), ListConsoleFolder(Console::Rst));
}

void RstWizard::ExpectResourcesHidden()
{
    EXPECT_EQ(HiddenEntries(Console::Rst), ListConsoleFolder(Console::Rst));
}

void RstWizard::CreateRunUpToItsEnd()
{
    ASSERT_TRUE(Run(steps_.ShellRunIntel95));
    ExpectResourcesHidden();
    EXPECT_TRUE(Run(steps_.ShellRunIntel95_HDD_DOWN_SPACE));
    EXPECT_TRUE(Run(steps_.ShellRunIntel95_HDD_Count_End));
}

}  // namespace orbtest
