// Stand-in for Intel Rapid Storage Technology's console, IAStorUI.exe, for the tests of OrbLib's
// wizard steps. Not Intel's program: a plain window per console window, whose controls are
// simulated (a tab order, a focused control, check marks), so that every key and click the
// window receives can be logged and acted on as the console's dialogs would.
//
// Main window "Intel(R) Rapid Storage Technology", pages reached by their accelerators:
//   Alt+C  Create: volume type page   [0..4] links, [5] volume type list, [6] Next*, [7] Cancel
//          after Next, the disks page [0] name, [1] stripe size, [2] initialize,
//                                     [3..6] disk on port 0..3 (port 0 checked), [7] Next*, [8] Cancel
//          Next with two or more disks: "Confirm Volume Creation" when a checked port holds data
//          (switch data-disks), else the review page [0] Create Volume*, [1] Back, [2] Cancel
//   Alt+M  Manage page                [0] Rename … [4] Add disk … [5] Verify (links)
//          the "Add disk" link opens "ADD Disk"
// "ADD Disk": [0] volume, [1..3] disk on port 1..3, [4] show all disks, [5] Add Disk*, [6] Cancel
// "Confirm Volume Creation": [0] Yes*, [1] No; Yes creates the volume and opens
// "Volume Creation Complete": [0] OK*.
// (* = default button.) Tab and Shift+Tab move the focus in tab order, wrapping; Space toggles a
// check box, selects a radio button or presses a button; Enter presses the focused button or
// link, or else the default button. A page opens with the focus on its first control.
#include <windows.h>

#include <cstring>
#include <string>

#include "testing/standins/console_common/console_entries.h"
#include "testing/standins/console_common/standin_runtime_win32.h"

namespace {

using standin::Log;

enum class Kind { Link, Radio, Check, Button, Edit, Combo };

struct Control {
    Kind kind;
    const char* name;
};

struct Page {
    const char* name;
    const Control* controls;
    int count;
    int defaultButton;  // index, or -1
};

// The console's navigation links come first in the tab order (inert on this page), then the
// volume type list, where Space selects the highlighted type.
constexpr Control kCreateTypeControls[] = {
    {Kind::Link, "Status"},
    {Kind::Link, "Create"},
    {Kind::Link, "Manage"},
    {Kind::Link, "Preferences"},
    {Kind::Link, "Help"},
    {Kind::Radio, "Optimized disk performance (RAID 0)"},
    {Kind::Button, "Next"},
    {Kind::Button, "Cancel"}};
constexpr int kVolumeTypeList = 5;
constexpr int kFirstPort = 3;  // disks page: ports 0..3 at [3..6]
constexpr Control kCreateDisksControls[] = {
    {Kind::Edit, "Name"},
    {Kind::Combo, "Data stripe size"},
    {Kind::Check, "Initialize volume"},
    {Kind::Check, "Disk on port 0"},
    {Kind::Check, "Disk on port 1"},
    {Kind::Check, "Disk on port 2"},
    {Kind::Check, "Disk on port 3"},
    {Kind::Button, "Next"},
    {Kind::Button, "Cancel"}};
constexpr Control kCreateReviewControls[] = {
    {Kind::Button, "Create Volume"}, {Kind::Button, "Back"}, {Kind::Button, "Cancel"}};
constexpr Control kManageControls[] = {
    {Kind::Link, "Rename"},        {Kind::Link, "Change type"}, {Kind::Link, "Increase size"},
    {Kind::Link, "Delete volume"}, {Kind::Link, "Add disk"},    {Kind::Link, "Verify"}};
constexpr int kAddDiskLink = 4;
constexpr int kFirstAddPort = 1;  // "ADD Disk": ports 1..3 at [1..3]
constexpr Control kAddDiskControls[] = {
    {Kind::Combo, "Volume"},         {Kind::Check, "Disk on port 1"}, {Kind::Check, "Disk on port 2"},
    {Kind::Check, "Disk on port 3"}, {Kind::Check, "Show all disks"}, {Kind::Button, "Add Disk"},
    {Kind::Button, "Cancel"}};
constexpr Control kConfirmControls[] = {{Kind::Button, "Yes"}, {Kind::Button, "No"}};
constexpr Control kCompleteControls[] = {{Kind::Button, "OK"}};

constexpr int kMaxControls = 16;

#define PAGE(name, controls, defaultButton) \
    Page { name, controls, static_cast<int>(sizeof(controls) / sizeof(controls[0])), defaultButton }
const Page kStatusPage = {"Status", nullptr, 0, -1};
const Page kCreateTypePage = PAGE("Create: volume type", kCreateTypeControls, 6);
const Page kCreateDisksPage = PAGE("Create: disks", kCreateDisksControls, 7);
const Page kCreateReviewPage = PAGE("Create: review", kCreateReviewControls, 0);
const Page kManagePage = PAGE("Manage", kManageControls, -1);
const Page kAddDiskPage = PAGE("ADD Disk", kAddDiskControls, 5);
const Page kConfirmPage = PAGE("Confirm", kConfirmControls, 0);
const Page kCompletePage = PAGE("Complete", kCompleteControls, 0);
#undef PAGE

struct ConsoleWindow;
using PressHandler = void (*)(ConsoleWindow& window, int control);

struct ConsoleWindow {
    const char* title;
    HWND handle;
    const Page* page;
    int focus;
    bool checked[kMaxControls];
    PressHandler press;
};

ConsoleWindow mainWindow = {standin::kRstMainTitle, nullptr, &kStatusPage, 0, {}, nullptr};
ConsoleWindow addDiskWindow = {standin::kRstAddDiskTitle, nullptr, &kAddDiskPage, 0, {}, nullptr};
ConsoleWindow confirmWindow = {standin::kRstConfirmTitle, nullptr, &kConfirmPage, 0, {}, nullptr};
ConsoleWindow completeWindow = {standin::kRstCompleteTitle, nullptr, &kCompletePage, 0, {}, nullptr};
// The disks chosen on the disks page, kept for the volume the confirmation creates.
bool chosenPorts[4];
int showMain = SW_SHOW;
const char kClassName[] = "OrbRstStandinWindow";

void Action(const ConsoleWindow& window, std::initializer_list<std::string> fields)
{
    Log("action", window.title, fields);
}

void ShowPage(ConsoleWindow& window, const Page& page)
{
    window.page = &page;
    window.focus = 0;
    std::memset(window.checked, 0, sizeof(window.checked));
    if (&page == &kCreateDisksPage)
        window.checked[kFirstPort] = true;  // the system disk is the volume's source
    Action(window, {"what=page", std::string("page=") + page.name});
    if (window.handle)
        InvalidateRect(window.handle, nullptr, TRUE);
}

void OpenDialog(void* context)
{
    ConsoleWindow& window = *static_cast<ConsoleWindow*>(context);
    window.focus = 0;
    std::memset(window.checked, 0, sizeof(window.checked));
    window.handle = standin::OpenDialogWindow(window.title, 140, 140, 420, 300, &window);
}

void RequestDialog(ConsoleWindow& window)
{
    standin::BringBackOrRequest(window.handle, window.title, OpenDialog, &window);
}

std::string ChosenPortList()
{
    std::string ports;
    for (int port = 0; port < 4; ++port) {
        if (chosenPorts[port])
            ports += (ports.empty() ? "" : ",") + std::to_string(port);
    }
    return ports;
}

void CreateVolume(ConsoleWindow& from)
{
    Action(from, {"what=create-volume", "ports=" + ChosenPortList()});
    ShowPage(mainWindow, kStatusPage);
    RequestDialog(completeWindow);
}

void PressMain(ConsoleWindow& window, int control)
{
    const Page* page = window.page;
    if (page == &kCreateTypePage) {
        if (control == 6) {  // Next: needs a volume type
            if (!window.checked[kVolumeTypeList]) {
                Action(window, {"what=rejected", "control=Next", "reason=no volume type"});
                return;
            }
            ShowPage(window, kCreateDisksPage);
        } else if (control == 7) {
            ShowPage(window, kStatusPage);
        }
    } else if (page == &kCreateDisksPage) {
        if (control == 7) {  // Next: needs the source and at least one more disk
            int count = 0;
            bool data = false;
            for (int port = 0; port < 4; ++port) {
                chosenPorts[port] = window.checked[kFirstPort + port];
                count += chosenPorts[port] ? 1 : 0;
                data = data || (chosenPorts[port] && port != 0 &&
                                standin::PortHoldsData(standin::Options(), port));
            }
            if (count < 2) {
                Action(window, {"what=rejected", "control=Next", "reason=fewer than two disks"});
                return;
            }
            Action(window, {"what=disks", "ports=" + ChosenPortList()});
            if (data)
                RequestDialog(confirmWindow);
            else
                ShowPage(window, kCreateReviewPage);
        } else if (control == 8) {
            ShowPage(window, kStatusPage);
        }
    } else if (page == &kCreateReviewPage) {
        if (control == 0)
            CreateVolume(window);
        else if (control == 1)
            ShowPage(window, kCreateDisksPage);
        else
            ShowPage(window, kStatusPage);
    } else if (page == &kManagePage) {
        if (control == kAddDiskLink)
            RequestDialog(addDiskWindow);
    }
}

void PressAddDisk(ConsoleWindow& window, int control)
{
    if (control == 5) {  // Add Disk: needs a checked disk
        std::string ports;
        for (int i = 0; i < 3; ++i) {
            if (window.checked[kFirstAddPort + i])
                ports += (ports.empty() ? "" : ",") + std::to_string(i + 1);
        }
        if (ports.empty()) {
            Action(window, {"what=rejected", "control=Add Disk", "reason=no disk"});
            return;
        }
        Action(window, {"what=add-disk", "ports=" + ports});
        DestroyWindow(window.handle);
    } else if (control == 6) {
        DestroyWindow(window.handle);
    }
}

void PressConfirm(ConsoleWindow& window, int control)
{
    DestroyWindow(window.handle);
    if (control == 0)
        CreateVolume(window);
}

void PressComplete(ConsoleWindow& window, int) { DestroyWindow(window.handle); }

void Press(ConsoleWindow& window, int control)
{
    Action(window, {"what=press", std::string("control=") + window.page->controls[control].name});
    window.press(window, control);
}

void MoveFocus(ConsoleWindow& window, bool backwards)
{
    int count = window.page->count;
    if (count == 0)
        return;
    window.focus = (window.focus + (backwards ? count - 1 : 1)) % count;
    Action(window, {"what=focus", std::string("control=") + window.page->controls[window.focus].name});
}

void Space(ConsoleWindow& window)
{
    if (window.page->count == 0)
        return;
    const Control& control = window.page->controls[window.focus];
    switch (control.kind) {
    case Kind::Check:
        window.checked[window.focus] = !window.checked[window.focus];
        Action(window, {"what=check", std::string("control=") + control.name,
                        window.checked[window.focus] ? "state=1" : "state=0"});
        break;
    case Kind::Radio:
        for (int i = 0; i < window.page->count; ++i) {
            if (window.page->controls[i].kind == Kind::Radio)
                window.checked[i] = false;
        }
        window.checked[window.focus] = true;
        Action(window, {"what=select", std::string("control=") + control.name});
        break;
    case Kind::Button:
        Press(window, window.focus);
        break;
    default:
        break;
    }
}

void Enter(ConsoleWindow& window)
{
    if (window.page->count == 0)
        return;
    Kind kind = window.page->controls[window.focus].kind;
    if (kind == Kind::Button || kind == Kind::Link)
        Press(window, window.focus);
    else if (window.page->defaultButton >= 0)
        Press(window, window.page->defaultButton);
}

void KeyDown(ConsoleWindow& window, WPARAM key)
{
    switch (key) {
    case VK_TAB: MoveFocus(window, (GetKeyState(VK_SHIFT) & 0x8000) != 0); break;
    case VK_SPACE: Space(window); break;
    case VK_RETURN: Enter(window); break;
    default: break;
    }
    if (window.handle && IsWindow(window.handle))
        InvalidateRect(window.handle, nullptr, TRUE);
}

// Alt+letter: the main window's page accelerators; Alt+F4 closes any window.
void SysKeyDown(ConsoleWindow& window, WPARAM key)
{
    if (key == VK_F4) {
        PostMessageA(window.handle, WM_CLOSE, 0, 0);
    } else if (&window == &mainWindow && key == 'C') {
        ShowPage(window, kCreateTypePage);
    } else if (&window == &mainWindow && key == 'M') {
        ShowPage(window, kManagePage);
    } else if (&window == &mainWindow && key == 'S') {
        ShowPage(window, kStatusPage);
    }
}

void Paint(ConsoleWindow& window)
{
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(window.handle, &paint);
    std::string heading = std::string("Page: ") + window.page->name;
    TextOutA(dc, 8, 8, heading.c_str(), static_cast<int>(heading.size()));
    for (int i = 0; i < window.page->count; ++i) {
        std::string line = std::string(i == window.focus ? "> " : "  ") +
                           (window.checked[i] ? "[x] " : "[ ] ") + window.page->controls[i].name;
        TextOutA(dc, 8, 28 + 18 * i, line.c_str(), static_cast<int>(line.size()));
    }
    EndPaint(window.handle, &paint);
}

LRESULT CALLBACK WindowProcedure(HWND handle, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_NCCREATE) {
        auto* create = reinterpret_cast<CREATESTRUCTA*>(lParam);
        SetWindowLongPtrA(handle, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    auto* window = reinterpret_cast<ConsoleWindow*>(GetWindowLongPtrA(handle, GWLP_USERDATA));
    if (!window)
        return DefWindowProcA(handle, message, wParam, lParam);
    standin::LogInput(handle, window->title, message, wParam, lParam);
    switch (message) {
    case WM_KEYDOWN:
        KeyDown(*window, wParam);
        return 0;
    case WM_SYSKEYDOWN:
        SysKeyDown(*window, wParam);
        return 0;
    // Alt and Alt+letter are the window's own: no menu mode, no beep.
    case WM_SYSKEYUP:
    case WM_SYSCHAR:
    case WM_CHAR:
    case WM_KEYUP:
        return 0;
    case WM_PAINT:
        Paint(*window);
        return 0;
    case WM_DESTROY:
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

void ReportCultures()
{
    for (const char* culture : standin::kRstCultures) {
        standin::LogEntryVisibility(culture, true);
        for (const char* file : standin::kRstResourceFiles)
            standin::LogEntryVisibility(std::string(culture) + "\\" + file, false);
    }
}

}  // namespace

int WINAPI WinMain(HINSTANCE hInstance, HINSTANCE, LPSTR, int showCommand)
{
    if (!standin::RunningAs(standin::kRstProgram))
        return standin::RunAsDecoy();
    showMain = showCommand;
    mainWindow.press = PressMain;
    addDiskWindow.press = PressAddDisk;
    confirmWindow.press = PressConfirm;
    completeWindow.press = PressComplete;

    standin::StartStandin(standin::kRstProgram);
    ReportCultures();

    standin::RegisterWindowClass(hInstance, kClassName, WindowProcedure);
    return standin::RequestMainWindowAndRun(mainWindow.title, OpenMainWindow);
}
