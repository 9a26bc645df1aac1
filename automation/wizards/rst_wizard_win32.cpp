// Exported steps that drive Intel Rapid Storage Technology's console (IAStorUI.exe) through its
// create-volume run and its add-disk run. Every decision rests on whether a window with a given
// title exists; between two steps the console keeps the keyboard focus.
#include <windows.h>

#include "automation/OrbLib.h"
#include "automation/console/console_environment.h"
#include "automation/wizards/wizard_actions.h"
#include "common/trace.h"

namespace {

const char kConsoleFolderAndFile[] = "\\Intel\\Intel(R) Rapid Storage Technology\\IAStorUI.exe";

const char kAddDiskTitle[] = "ADD Disk";
const char kConfirmTitle[] = "Confirm Volume Creation";
const char kCompleteTitle[] = "Volume Creation Complete";

// Finds the console window again by the title its detection recorded. Without a recorded title
// there is nothing to look for: an empty title would match any untitled window, and the keys or
// the WM_CLOSE would go there.
bool FindConsole()
{
    if (RstConsoleTitle[0] == '\0') {
        Trace("OrbLib", "find console: no console title was ever detected: nothing searched");
        return false;
    }
    return wizard::Find(RstConsoleTitle);
}

// Opens the console with its resources hidden and types the script that opens the run's page.
// False (resources restored) when the console window was not found.
bool StartRunInConsole(const char* openingScript)
{
    char path[256];
    if (!wizard::ConsolePath(kConsoleFolderAndFile, path)) {
        Trace("OrbLib", "the Program Files folder is unknown: the console is not started");
        return false;
    }
    HideRstResources();
    wizard::StartConsole(path, SW_SHOW);
    Sleep(2000);
    DetectRstConsole();
    if (!FindConsole()) {
        RestoreRstResources();
        return false;
    }
    wizard::Send(openingScript);
    return true;
}

bool SendTimes(const char* script, int count)
{
    bool result = false;
    for (int i = 0; i < count; ++i)
        result = wizard::Send(script);
    return result;
}

}  // namespace

extern "C" {

bool __cdecl ShellRunIntel_IM95(void)
{
    wizard::StepTrace trace("ShellRunIntel_IM95");
    char path[256];
    if (!wizard::ConsolePath(kConsoleFolderAndFile, path))
        return trace.Answer(false);
    wizard::StartConsole(path, SW_SHOW);
    return trace.Answer(true);
}

bool __cdecl ShellRunIntel95(void)
{
    wizard::StepTrace trace("ShellRunIntel95");
    if (!StartRunInConsole("{DELAY=200}%c{TAB}{TAB}{TAB}{TAB}{TAB} ~"))
        return trace.Answer(false);
    Sleep(1000);
    wizard::Send("{DELAY=200}{TAB}{TAB}{TAB}");
    return trace.Answer(true);
}

bool __cdecl ShellRunIntel95_HDD_S(int count)
{
    wizard::StepTrace trace("ShellRunIntel95_HDD_S");
    SendTimes("{DELAY=200}{TAB}", count);
    return trace.Answer(wizard::Send("{DELAY=200} "));
}

bool __cdecl ShellRunIntel95_HDD_UP(int count)
{
    wizard::StepTrace trace("ShellRunIntel95_HDD_UP");
    // Nothing sent answers false.
    return trace.Answer(SendTimes("{DELAY=200}+{TAB}", count));
}

bool __cdecl ShellRunIntel95_HDD_DOWN(void)
{
    wizard::StepTrace trace("ShellRunIntel95_HDD_DOWN");
    return trace.Answer(wizard::Send("{DELAY=200}{TAB}"));
}

// Also exported as ShellRunIntel95_RAID_HDD_Count.
bool __cdecl ShellRunIntel95_HDD_DOWN_SPACE(void)
{
    wizard::StepTrace trace("ShellRunIntel95_HDD_DOWN_SPACE");
    return trace.Answer(wizard::Send("{DELAY=200}{TAB} "));
}

bool __cdecl ShellRunIntel95_HDD_Count_End(void)
{
    wizard::StepTrace trace("ShellRunIntel95_HDD_Count_End");
    return trace.Answer(wizard::Send("{DELAY=200}~"));
}

bool __cdecl ShellRunIntel95_ConfirmVol(void)
{
    wizard::StepTrace trace("ShellRunIntel95_ConfirmVol");
    if (!wizard::FindAfterPauses(kConfirmTitle, 2))
        return trace.Answer(false);
    wizard::Send("{DELAY=200}~");
    if (!wizard::FindAfterPauses(kCompleteTitle, 3))
        return trace.Answer(true);

    wizard::Close(wizard::Target());
    if (FindConsole())
        wizard::Close(wizard::Target());
    return trace.Answer(true);  // the resources stay hidden
}

bool __cdecl ShellRunIntel95_Down(void)
{
    wizard::StepTrace trace("ShellRunIntel95_Down");
    if (!FindConsole()) {
        RestoreRstResources();
        return trace.Answer(false);
    }
    wizard::Send("{DELAY=200}~");
    if (!wizard::FindAfterPauses(kCompleteTitle, 2)) {
        RestoreRstResources();
        return trace.Answer(true);
    }

    wizard::Close(wizard::Target());
    const bool consoleFound = FindConsole();
    RestoreRstResources();
    if (consoleFound)
        wizard::Close(wizard::Target());
    return trace.Answer(true);
}

bool __cdecl ShellRunIntel95_RAID(void)
{
    wizard::StepTrace trace("ShellRunIntel95_RAID");
    if (!StartRunInConsole("{DELAY=200}%m{TAB}{TAB}{TAB}{TAB}~"))
        return trace.Answer(false);
    if (wizard::FindAfterPauses(kAddDiskTitle, 2))
        return trace.Answer(true);
    RestoreRstResources();
    return trace.Answer(false);
}

int __cdecl ShellRunIntel95_RAID_HDD_Count_End(void)
{
    wizard::StepTrace trace("ShellRunIntel95_RAID_HDD_Count_End");
    const bool sent = wizard::Send("{DELAY=200}{TAB}{TAB}~");
    Sleep(100);
    wizard::Close(wizard::Target());
    const bool consoleFound = FindConsole();
    RestoreRstResources();
    if (consoleFound)
        wizard::Close(wizard::Target());
    return trace.Answer(sent ? 1 : 0);
}

}  // extern "C"
