// Stand-in for Intel Matrix Storage Manager's console, Shell.exe, for the tests of OrbLib's
// wizard steps. Not Intel's program: plain windows whose menus are simulated inside the window,
// so that every key and click can be logged and acted on as the console would.
//
// Main window "Intel(R) Matrix Storage Console":
//   Alt+V  opens the View menu with its first item selected:
//            Basic Mode, Toolbar, Status Bar, Advanced Mode
//   Alt+A  opens the Actions menu with its first item selected:
//            Create RAID Volume, Create RAID Volume from Existing Hard Drive, Delete RAID Volume,
//            Rescan for Plug and Play Devices
//   Down/Up move the selection (wrapping), Enter chooses, Esc closes the menu.
//   A right click on the volume's row (window-relative x 200..369, y 142..157) opens the
//   volume's context menu with nothing selected: Modify Volume, Rename Volume, Delete Volume.
//   Advanced Mode enables "Create RAID Volume from Existing Hard Drive", which opens
//   "Create RAID Volume from Existing Hard Drive Wizard", and "Modify Volume", which opens
//   "Modify RAID Volume Wizard".
// The wizards log keys and clicks; Alt+N moves to the next page. The modify wizard's drive list
// has 12-pixel rows centred at window-relative y = 116 + 12 × row (row 1 first; x 40..199), its ">" button
// around (250, 195) and its Next button around (369, 370); on Windows NT 6.x its client area
// starts 8 pixels higher, so all three are 8 pixels higher there.
#include <windows.h>

#include <string>

#include "testing/standins/console_common/console_entries.h"
#include "testing/standins/console_common/standin_runtime_win32.h"

namespace {

using standin::Log;

enum class Menu { None, View, Actions, Context };

const char* const kViewItems[] = {"Basic Mode", "Toolbar", "Status Bar", "Advanced Mode"};
const char* const kActionItems[] = {"Create RAID Volume", "Create RAID Volume from Existing Hard Drive",
                                    "Delete RAID Volume", "Rescan for Plug and Play Devices"};
const char* const kContextItems[] = {"Modify Volume", "Rename Volume", "Delete Volume"};
constexpr int kAdvancedModeItem = 3;
constexpr int kCreateFromExistingItem = 1;
constexpr int kModifyVolumeItem = 0;
constexpr RECT kVolumeRow = {200, 142, 370, 158};  // window-relative

struct Window {
    const char* title;
    HWND handle;
};

Window mainWindow = {standin::kMsmMainTitle, nullptr};
Window createWizard = {standin::kMsmCreateWizardTitle, nullptr};
Window modifyWizard = {standin::kMsmModifyWizardTitle, nullptr};

bool advancedMode = false;
Menu openMenu = Menu::None;
int menuSelection = -1;
int createPage = 1;
int modifyPage = 1;
int modifyVerticalShift = 0;   // 8 on Windows NT 6.x
int lastClickedRow = 0;
DWORD lastClickTime = 0;
int showMain = SW_SHOW;
const char kClassName[] = "OrbMsmStandinWindow";

const char* const* MenuItems(Menu menu, int* count)
{
    switch (menu) {
    case Menu::View: *count = 4; return kViewItems;
    case Menu::Actions: *count = 4; return kActionItems;
    case Menu::Context: *count = 3; return kContextItems;
    default: *count = 0; return nullptr;
    }
}

const char* MenuName(Menu menu)
{
    switch (menu) {
    case Menu::View: return "View";
    case Menu::Actions: return "Actions";
    case Menu::Context: return "Volume";
    default: return "none";
    }
}

void Action(const Window& window, std::initializer_list<std::string> fields)
{
    Log("action", window.title, fields);
}

void OpenMenu(Menu menu, int selection)
{
    openMenu = menu;
    menuSelection = selection;
    Action(mainWindow, {"what=menu", std::string("menu=") + MenuName(menu),
                        "selected=" + std::to_string(selection)});
}

void CloseMenu()
{
    if (openMenu != Menu::None)
        Action(mainWindow, {"what=menu-closed", std::string("menu=") + MenuName(openMenu)});
    openMenu = Menu::None;
    menuSelection = -1;
}

void OpenWizard(void* context)
{
    Window& wizard = *static_cast<Window*>(context);
    if (&wizard == &createWizard)
        createPage = 1;
    else
        modifyPage = 1;
    wizard.handle = standin::OpenDialogWindow(wizard.title, 160, 120, 520, 385, &wizard);
}

void RequestWizard(Window& wizard)
{
    standin::BringBackOrRequest(wizard.handle, wizard.title, OpenWizard, &wizard);
}

void ChooseMenuItem()
{
    int count = 0;
    const char* const* items = MenuItems(openMenu, &count);
    Menu menu = openMenu;
    int item = menuSelection;
    CloseMenu();
    if (!items || item < 0 || item >= count)
        return;
    Action(mainWindow, {"what=choose", std::string("item=") + items[item]});
    if (menu == Menu::View && item == 0) {
        advancedMode = false;
    } else if (menu == Menu::View && item == kAdvancedModeItem) {
        advancedMode = true;
    } else if ((menu == Menu::Actions && item == kCreateFromExistingItem) ||
               (menu == Menu::Context && item == kModifyVolumeItem)) {
        if (!advancedMode) {
            Action(mainWindow, {"what=rejected", std::string("item=") + items[item],
                                "reason=basic mode"});
            return;
        }
        RequestWizard(menu == Menu::Actions ? createWizard : modifyWizard);
    }
}

void MainKeyDown(WPARAM key)
{
    int count = 0;
    MenuItems(openMenu, &count);
    if (count == 0)
        return;
    switch (key) {
    case VK_DOWN: menuSelection = (menuSelection + 1) % count; break;
    case VK_UP: menuSelection = menuSelection <= 0 ? count - 1 : menuSelection - 1; break;
    case VK_RETURN: ChooseMenuItem(); return;
    case VK_ESCAPE: CloseMenu(); return;
    default: return;
    }
    Action(mainWindow, {"what=menu-select", std::string("menu=") + MenuName(openMenu),
                        "selected=" + std::to_string(menuSelection)});
}

void MainClick(UINT message, LPARAM lParam)
{
    if (message != WM_RBUTTONDOWN) {
        CloseMenu();
        return;
    }
    POINT point = standin::WindowRelativePoint(mainWindow.handle, lParam);
    if (PtInRect(&kVolumeRow, point))
        OpenMenu(Menu::Context, -1);  // opened by the mouse: nothing selected
    else
        CloseMenu();
}

bool Within(POINT point, int left, int top, int right, int bottom)
{
    return point.x >= left && point.x < right && point.y >= top && point.y < bottom;
}

void ModifyWizardClick(UINT message, LPARAM lParam)
{
    if (message != WM_LBUTTONDOWN)
        return;
    POINT point = standin::WindowRelativePoint(modifyWizard.handle, lParam);
    int y = point.y + modifyVerticalShift;  // in XP layout coordinates
    if (Within({point.x, y}, 40, 122, 200, 122 + 12 * 8)) {
        int row = (y - 122) / 12 + 1;  // row r spans 116 + 12r - 6 .. 116 + 12r + 5
        DWORD now = GetTickCount();
        if (row == lastClickedRow && now - lastClickTime <= GetDoubleClickTime())
            Action(modifyWizard, {"what=source", "row=" + std::to_string(row)});
        lastClickedRow = row;
        lastClickTime = now;
        return;
    }
    lastClickedRow = 0;
    if (Within({point.x, y}, 230, 185, 270, 205))
        Action(modifyWizard, {"what=press", "control=>"});
    else if (Within({point.x, y}, 330, 360, 410, 380))
        Action(modifyWizard, {"what=press", "control=Next"});
}

void WizardSysKey(Window& wizard, WPARAM key)
{
    if (key == VK_F4) {
        PostMessageA(wizard.handle, WM_CLOSE, 0, 0);
    } else if (key == 'N') {
        int& page = &wizard == &createWizard ? createPage : modifyPage;
        ++page;
        Action(wizard, {"what=page", "page=" + std::to_string(page)});
    }
}

LRESULT CALLBACK WindowProcedure(HWND handle, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_NCCREATE) {
        auto* create = reinterpret_cast<CREATESTRUCTA*>(lParam);
        SetWindowLongPtrA(handle, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    auto* window = reinterpret_cast<Window*>(GetWindowLongPtrA(handle, GWLP_USERDATA));
    if (!window)
        return DefWindowProcA(handle, message, wParam, lParam);
    standin::LogInput(handle, window->title, message, wParam, lParam);
    bool main = window == &mainWindow;
    switch (message) {
    case WM_SYSKEYDOWN:
        if (main && wParam == 'V')
            OpenMenu(Menu::View, 0);
        else if (main && wParam == 'A')
            OpenMenu(Menu::Actions, 0);
        else if (main && wParam == VK_F4)
            PostMessageA(handle, WM_CLOSE, 0, 0);
        else if (!main)
            WizardSysKey(*window, wParam);
        return 0;
    case WM_KEYDOWN:
        if (main)
            MainKeyDown(wParam);
        return 0;
    case WM_SYSKEYUP:
    case WM_SYSCHAR:
    case WM_CHAR:
    case WM_KEYUP:
        return 0;
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
        if (main)
            MainClick(message, lParam);
        else if (window == &modifyWizard)
            ModifyWizardClick(message, lParam);
        return 0;
    case WM_DESTROY:
        if (main)
            CloseMenu();
        standin::WindowClosed(handle, window->title);
        window->handle = nullptr;
        return 0;
    default:
        return DefWindowProcA(handle, message, wParam, lParam);
    }
}

void OpenMainWindow(void*)
{
    mainWindow.handle = standin::OpenMainWindow(mainWindow.title, &mainWindow, showMain);
}

void ReportLanguages()
{
    for (const char* language : standin::kMsmLanguages)
        standin::LogAnyEntryVisibility(language);
}

int VerticalShiftForThisWindows()
{
    OSVERSIONINFOA version = {};
    version.dwOSVersionInfoSize = sizeof(version);
    if (!GetVersionExA(&version))
        return 0;
    return version.dwPlatformId == VER_PLATFORM_WIN32_NT && version.dwMajorVersion == 6 ? 8 : 0;
}

}  // namespace

int WINAPI WinMain(HINSTANCE hInstance, HINSTANCE, LPSTR, int showCommand)
{
    if (!standin::RunningAs(standin::kMsmProgram))
        return standin::RunAsDecoy();
    showMain = showCommand;
    modifyVerticalShift = VerticalShiftForThisWindows();

    standin::StartStandin(standin::kMsmProgram);
    Log("action", standin::kMsmProgram, {"what=layout", "shift=" + std::to_string(modifyVerticalShift)});
    ReportLanguages();

    standin::RegisterWindowClass(hInstance, kClassName, WindowProcedure);
    return standin::RequestMainWindowAndRun(mainWindow.title, OpenMainWindow);
}
