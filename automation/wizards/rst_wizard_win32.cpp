// Exported steps that drive Intel Rapid Storage Technology's console (IAStorUI.exe) through its
// create-volume run and its add-disk run. Every decision rests on whether a window with a given
// title exists; between two steps the console keeps the keyboard focus.
#include <windows.h>

#include "automation/OrbLib.h"
#include "automation/console/console_environment.h"
#include "automation/wizards/wizard_actions.h"

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
    return RstConsoleTitle[0] != '\0' && wizard::Find(RstConsoleTitle);
}

// Opens the console with its resources hidden and types the script that opens the run's page.
// False (resources restored) when the console window was not found.
bool StartRunInConsole(const char* openingScript)
{
    char path[256];
    if (!wizard::ConsolePath(kConsoleFolderAndFile, path))
        return false;
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
    char path[256];
    if (!wizard::ConsolePath(kConsoleFolderAndFile, path))
        return false;
    wizard::StartConsole(path, SW_SHOW);
    return true;
}

bool __cdecl ShellRunIntel95(void)
{
    if (!StartRunInConsole("{DELAY=200}%c{TAB}{TAB}{TAB}{TAB}{TAB} ~"))
        return false;
    Sleep(1000);
    wizard::Send("{DELAY=200}{TAB}{TAB}{TAB}");
    return true;
}

bool __cdecl ShellRunIntel95_HDD_S(int count)
{
    SendTimes("{DELAY=200}{TAB}", count);
    return wizard::Send("{DELAY=200} ");
}

bool __cdecl ShellRunIntel95_HDD_UP(int count)
{
    // Nothing sent answers false.
    return SendTimes("{DELAY=200}+{TAB}", count);
}

bool __cdecl ShellRunIntel95_HDD_DOWN(void)
{
    return wizard::Send("{DELAY=200}{TAB}");
}

// Also exported as ShellRunIntel95_RAID_HDD_Count.
bool __cdecl ShellRunIntel95_HDD_DOWN_SPACE(void)
{
    return wizard::Send("{DELAY=200}{TAB} ");
}

bool __cdecl ShellRunIntel95_HDD_Count_End(void)
{
    return wizard::Send("{DELAY=200}~");
}

bool __cdecl ShellRunIntel95_ConfirmVol(void)
{
    if (!wizard::FindAfterPauses(kConfirmTitle, 2))
        return false;
    wizard::Send("{DELAY=200}~");
    if (!wizard::FindAfterPauses(kCompleteTitle, 3))
        return true;

    wizard::Close(wizard::Target());
    if (FindConsole())
        wizard::Close(wizard::Target());
    return true;  // the resources stay hidden
}

bool __cdecl ShellRunIntel95_Down(void)
{
    if (!FindConsole()) {
        RestoreRstResources();
        return false;
    }
    wizard::Send("{DELAY=200}~");
    if (!wizard::FindAfterPauses(kCompleteTitle, 2)) {
        RestoreRstResources();
        return true;
    }

    wizard::Close(wizard::Target());
    const bool consoleFound = FindConsole();
    RestoreRstResources();
    if (consoleFound)
        wizard::Close(wizard::Target());
    return true;
}

bool __cdecl ShellRunIntel95_RAID(void)
{
    if (!StartRunInConsole("{DELAY=200}%m{TAB}{TAB}{TAB}{TAB}~"))
        return false;
    if (wizard::FindAfterPauses(kAddDiskTitle, 2))
        return true;
    RestoreRstResources();
    return false;
}

int __cdecl ShellRunIntel95_RAID_HDD_Count_End(void)
{
    const bool sent = wizard::Send("{DELAY=200}{TAB}{TAB}~");
    Sleep(100);
    wizard::Close(wizard::Target());
    const bool consoleFound = FindConsole();
    RestoreRstResources();
    if (consoleFound)
        wizard::Close(wizard::Target());
    return sent ? 1 : 0;
}

}  // extern "C"
