// Exported steps that drive Intel Matrix Storage Manager's console (Shell.exe) through its
// "Create RAID Volume from Existing Hard Drive Wizard" and its "Modify RAID Volume Wizard".
// The wizard keeps the keyboard focus between two steps; the modify run also clicks fixed points
// of the target window.
#include <windows.h>

#include "automation/OrbLib.h"
#include "automation/console/console_environment.h"
#include "automation/wizards/click_points.h"
#include "automation/wizards/wizard_actions.h"
#include "common/trace.h"
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
    else
        Trace("OrbLib", "close: no window titled \"%s\"", kConsoleTitle);
}

// Hides the language resources and starts the console hidden; false when the Program Files
// folder can't be resolved (the hiding then has moved nothing either).
bool HideAndStartConsole()
{
    ChangeDirName();
    char path[256];
    if (!wizard::ConsolePath(kConsoleFolderAndFile, path)) {
        Trace("OrbLib", "the Program Files folder is unknown: the console is not started");
        return false;
    }
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
    wizard::StepTrace trace("ShellRunIntel");
    char path[256];
    if (!wizard::ConsolePath(kConsoleFolderAndFile, path))
        return trace.Answer(0);
    return trace.Answer(static_cast<unsigned char>(wizard::StartConsole(path, SW_SHOW) & 0xFF));
}

bool __cdecl ShellRunIntelMSM(void)
{
    wizard::StepTrace trace("ShellRunIntelMSM");
    if (!HideAndStartConsole())
        return trace.Answer(false);
    Sleep(2000);
    if (!wizard::LookOnce(kConsoleTitle))
        return trace.Answer(false);
    Sleep(2000);
    wizard::Send("{DELAY=200}%v{DOWN}{DOWN}{DOWN}~");
    wizard::Send("{DELAY=200}%a{DOWN}~");
    Sleep(2000);
    if (!wizard::LookOnce(kCreateWizardTitle))
        return trace.Answer(false);
    CloseConsoleMainWindow();
    wizard::Send("{DELAY=200}%n");
    wizard::Send("{DELAY=200}%n");
    Sleep(1000);
    return trace.Answer(true);
}

bool __cdecl SetSourceHDD(int count)
{
    wizard::StepTrace trace("SetSourceHDD");
    if (count <= 0)
        return trace.Answer(false);
    wizard::PlaceTarget();
    for (int i = 0; i < count; ++i)
        wizard::Send("{DELAY=200}{DOWN}");
    wizard::Send("{DELAY=200}{TAB}{TAB}~");
    wizard::Send("{DELAY=200}%n");
    Sleep(1000);
    return trace.Answer(true);
}

bool __cdecl SetMemberHDD(int count)
{
    wizard::StepTrace trace("SetMemberHDD");
    if (count <= 0)
        return trace.Answer(false);
    if (!wizard::LookOnce(kCreateWizardTitle))
        return trace.Answer(false);
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
    return trace.Answer(true);
}

bool __cdecl SetMemberDown(void)
{
    wizard::StepTrace trace("SetMemberDown");
    wizard::PlaceTarget();
    wizard::Send("%n");
    wizard::Send("%n");
    wizard::Send("~");
    RestoreDirName();
    return trace.Answer(true);
}

bool __cdecl ShellRunIntelMSM_R(void)
{
    wizard::StepTrace trace("ShellRunIntelMSM_R");
    if (!HideAndStartConsole())
        return trace.Answer(false);
    if (!wizard::LookOnce(kConsoleTitle))  // at once, without waiting
        return trace.Answer(false);
    Sleep(3000);
    wizard::Send("{DELAY=200}%v{DOWN}{DOWN}{DOWN}~");
    return trace.Answer(true);
}

bool __cdecl ShellRunIntelMSM_R2(void)
{
    wizard::StepTrace trace("ShellRunIntelMSM_R2");
    SetFocus(wizard::Target());
    WindowRectangle console;
    if (!wizard::TargetRectangle(&console))
        return trace.Answer(false);  // the console is gone: no point to click was ever computed
    SetTargetTopmost(console, HWND_TOPMOST);
    SetFocus(wizard::Target());
    wizard::Click(ConsoleContextMenuPoint(console), wizard::Button::Right, 2);
    Sleep(200);
    wizard::Send("{DELAY=200}{DOWN}~");
    SetTargetTopmost(console, HWND_NOTOPMOST);
    return trace.Answer(true);
}

bool __cdecl ShellRunIntelMSM_R3(void)
{
    wizard::StepTrace trace("ShellRunIntelMSM_R3");
    Sleep(1000);
    bool found = false;
    int looks = 0;
    for (int attempt = 0; attempt < 10 && !found; ++attempt) {
        ++looks;
        found = wizard::Find(kModifyWizardTitle);
        if (!found)
            Sleep(1000);
    }
    wizard::TraceLooks(kModifyWizardTitle, found ? looks : 0, 10);
    if (!found)
        return trace.Answer(false);
    CloseConsoleMainWindow();
    wizard::Send("{DELAY=200}~~");
    wizard::Send("{DELAY=200}{TAB}{TAB} %n");
    return trace.Answer(true);
}

bool __cdecl SetSourceHDD_R(int count)
{
    wizard::StepTrace trace("SetSourceHDD_R");
    if (count <= 0)
        return trace.Answer(false);
    WindowRectangle wizardRect;
    if (!wizard::TargetRectangle(&wizardRect))
        return trace.Answer(false);  // the wizard is gone: no point to click was ever computed
    wizard::PlaceTarget();
    const SourceDriveClicks clicks =
        SourceDriveClickPoints(wizardRect, count, ClickCorrectionForVersion(WindowsVersionCode));
    wizard::Click(clicks.driveRow, wizard::Button::Left, 2);
    Sleep(100);
    wizard::Click(clicks.firstButton, wizard::Button::Left, 1);
    Sleep(100);
    wizard::Click(clicks.secondButton, wizard::Button::Left, 1);
    return trace.Answer(true);
}

bool __cdecl SetMemberHDD_R(int count)
{
    wizard::StepTrace trace("SetMemberHDD_R");
    if (count <= 0)
        return trace.Answer(false);
    for (int i = 0; i < count; ++i)
        wizard::Send("{DELAY=200}{DOWN}");
    wizard::Send("{TAB}{TAB}");
    wizard::Send("~");
    wizard::Send("{TAB}{TAB}");
    return trace.Answer(true);
}

bool __cdecl SetMemberDown_R(void)
{
    wizard::StepTrace trace("SetMemberDown_R");
    wizard::Send("%n");
    wizard::Send("~");
    RestoreDirName();
    return trace.Answer(true);
}

}  // extern "C"
