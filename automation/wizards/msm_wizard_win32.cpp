// Exported steps that drive Intel Matrix Storage Manager's console (Shell.exe) through its
// "Create RAID Volume from Existing Hard Drive Wizard" and its "Modify RAID Volume Wizard".
// The wizard keeps the keyboard focus between two steps; the modify run also clicks fixed points
// of the target window.
#include <windows.h>

#include "automation/OrbLib.h"
#include "automation/console/console_environment.h"
#include "automation/wizards/click_points.h"
#include "automation/wizards/wizard_actions.h"
#include "common/windows_version_win32.h"

namespace {

const char kConsoleFolderAndFile[] = "\\Intel\\Intel Matrix Storage Manager\\Shell.exe";

const char kConsoleTitle[] = "Intel(R) Matrix Storage Console";
const char kCreateWizardTitle[] = "Create RAID Volume from Existing Hard Drive Wizard";
const char kModifyWizardTitle[] = "Modify RAID Volume Wizard";

// Closes the console's main window, found by its exact title; the current target stays.
void CloseConsoleMainWindow()
{
    if (HWND console = FindWindowA(nullptr, kConsoleTitle))
        wizard::Close(console);
}

// Hides the language resources and starts the console hidden; false when the Program Files
// folder can't be resolved (the hiding then has moved nothing either).
bool HideAndStartConsole()
{
    ChangeDirName();
    char path[256];
    if (!wizard::ConsolePath(kConsoleFolderAndFile, path))
        return false;
    wizard::StartConsole(path, SW_HIDE);  // shown by the find, at the placed position
    return true;
}

// Sets the current target's topmost state where it stands.
void SetTargetTopmost(const WindowRectangle& r, HWND insertAfter)
{
    SetWindowPos(wizard::Target(), insertAfter, r.left, r.top, r.right - r.left, r.bottom - r.top,
                 SWP_SHOWWINDOW);
}

}  // namespace

extern "C" {

unsigned char __cdecl ShellRunIntel(void)
{
    char path[256];
    if (!wizard::ConsolePath(kConsoleFolderAndFile, path))
        return 0;
    return static_cast<unsigned char>(wizard::StartConsole(path, SW_SHOW) & 0xFF);
}

bool __cdecl ShellRunIntelMSM(void)
{
    if (!HideAndStartConsole())
        return false;
    Sleep(2000);
    if (!wizard::Find(kConsoleTitle))
        return false;
    Sleep(2000);
    wizard::Send("{DELAY=200}%v{DOWN}{DOWN}{DOWN}~");
    wizard::Send("{DELAY=200}%a{DOWN}~");
    Sleep(2000);
    if (!wizard::Find(kCreateWizardTitle))
        return false;
    CloseConsoleMainWindow();
    wizard::Send("{DELAY=200}%n");
    wizard::Send("{DELAY=200}%n");
    Sleep(1000);
    return true;
}

bool __cdecl SetSourceHDD(int count)
{
    if (count <= 0)
        return false;
    wizard::PlaceTarget();
    for (int i = 0; i < count; ++i)
        wizard::Send("{DELAY=200}{DOWN}");
    wizard::Send("{DELAY=200}{TAB}{TAB}~");
    wizard::Send("{DELAY=200}%n");
    Sleep(1000);
    return true;
}

bool __cdecl SetMemberHDD(int count)
{
    if (count <= 0)
        return false;
    if (!wizard::Find(kCreateWizardTitle))
        return false;
    SetFocus(wizard::Target());
    for (int i = 0; i < count; ++i) {
        Sleep(200);
        wizard::Send("{DELAY=200}{DOWN}");
    }
    wizard::Send("{DELAY=200}{TAB}");
    wizard::Send("{DELAY=200}{TAB}");
    wizard::Send("{DELAY=200} }");
    wizard::Send("{DELAY=200}{TAB}");
    wizard::Send("{DELAY=200}{TAB}");
    return true;
}

bool __cdecl SetMemberDown(void)
{
    wizard::PlaceTarget();
    wizard::Send("%n");
    wizard::Send("%n");
    wizard::Send("~");
    RestoreDirName();
    return true;
}

bool __cdecl ShellRunIntelMSM_R(void)
{
    if (!HideAndStartConsole())
        return false;
    if (!wizard::Find(kConsoleTitle))  // at once, without waiting
        return false;
    Sleep(3000);
    wizard::Send("{DELAY=200}%v{DOWN}{DOWN}{DOWN}~");
    return true;
}

bool __cdecl ShellRunIntelMSM_R2(void)
{
    SetFocus(wizard::Target());
    WindowRectangle console;
    if (!wizard::TargetRectangle(&console))
        return false;  // the console is gone: no point to click was ever computed
    SetTargetTopmost(console, HWND_TOPMOST);
    SetFocus(wizard::Target());
    wizard::Click(ConsoleContextMenuPoint(console), wizard::Button::Right, 2);
    Sleep(200);
    wizard::Send("{DELAY=200}{DOWN}~");
    SetTargetTopmost(console, HWND_NOTOPMOST);
    return true;
}

bool __cdecl ShellRunIntelMSM_R3(void)
{
    Sleep(1000);
    bool found = false;
    for (int attempt = 0; attempt < 10 && !found; ++attempt) {
        found = wizard::Find(kModifyWizardTitle);
        if (!found)
            Sleep(1000);
    }
    if (!found)
        return false;
    CloseConsoleMainWindow();
    wizard::Send("{DELAY=200}~~");
    wizard::Send("{DELAY=200}{TAB}{TAB} %n");
    return true;
}

bool __cdecl SetSourceHDD_R(int count)
{
    if (count <= 0)
        return false;
    WindowRectangle wizardRect;
    if (!wizard::TargetRectangle(&wizardRect))
        return false;  // the wizard is gone: no point to click was ever computed
    wizard::PlaceTarget();
    const SourceDriveClicks clicks =
        SourceDriveClickPoints(wizardRect, count, ClickCorrectionForVersion(WindowsVersionCode));
    wizard::Click(clicks.driveRow, wizard::Button::Left, 2);
    Sleep(100);
    wizard::Click(clicks.firstButton, wizard::Button::Left, 1);
    Sleep(100);
    wizard::Click(clicks.secondButton, wizard::Button::Left, 1);
    return true;
}

bool __cdecl SetMemberHDD_R(int count)
{
    if (count <= 0)
        return false;
    for (int i = 0; i < count; ++i)
        wizard::Send("{DELAY=200}{DOWN}");
    wizard::Send("{TAB}{TAB}");
    wizard::Send("~");
    wizard::Send("{TAB}{TAB}");
    return true;
}

bool __cdecl SetMemberDown_R(void)
{
    wizard::Send("%n");
    wizard::Send("~");
    RestoreDirName();
    return true;
}

}  // extern "C"
