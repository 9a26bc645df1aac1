#include "testing/standins/console_common/standin_runtime_win32.h"

#include <cstdio>
#include <cstdlib>
#include <vector>

namespace standin {
namespace {

StandinOptions options;
std::string programName;
std::string programFolder;
int openWindows = 0;
HINSTANCE windowInstance;
const char* windowClassName = "";

struct PendingOpen {
    UINT_PTR timer;
    std::string title;
    CreateWindowFunction create;
    void* context;
};
std::vector<PendingOpen> pendingOpens;

std::string Clean(const std::string& text)
{
    std::string clean = text;
    for (char& c : clean) {
        if (c == '\t' || c == '\r' || c == '\n')
            c = ' ';
    }
    return clean;
}

void QuitWhenIdle()
{
    if (openWindows <= 0 && pendingOpens.empty())
        PostQuitMessage(0);
}

void CALLBACK OpenAfterDelay(HWND, UINT, UINT_PTR timer, DWORD)
{
    KillTimer(nullptr, timer);
    for (std::size_t i = 0; i < pendingOpens.size(); ++i) {
        if (pendingOpens[i].timer == timer) {
            PendingOpen open = pendingOpens[i];
            pendingOpens.erase(pendingOpens.begin() + static_cast<std::ptrdiff_t>(i));
            open.create(open.context);
            break;
        }
    }
    QuitWhenIdle();
}

const char* KeyMessageName(UINT message)
{
    switch (message) {
    case WM_KEYDOWN: return "WM_KEYDOWN";
    case WM_KEYUP: return "WM_KEYUP";
    case WM_SYSKEYDOWN: return "WM_SYSKEYDOWN";
    case WM_SYSKEYUP: return "WM_SYSKEYUP";
    case WM_CHAR: return "WM_CHAR";
    case WM_SYSCHAR: return "WM_SYSCHAR";
    default: return nullptr;
    }
}

}  // namespace

std::string Hex(unsigned value)
{
    char text[16];
    std::snprintf(text, sizeof(text), "0x%02X", value);
    return text;
}

void StartStandin(const char* name)
{
    programName = name;
    char path[MAX_PATH + 1] = {};
    DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string module(path, length < MAX_PATH ? length : MAX_PATH);
    std::string::size_type slash = module.find_last_of('\\');
    programFolder = slash == std::string::npos ? std::string() : module.substr(0, slash + 1);

    for (const char* variable : kEnvironmentNames) {
        char value[1024];
        DWORD got = GetEnvironmentVariableA(variable, value, sizeof(value));
        if (got > 0 && got < sizeof(value))
            ApplyEnvironmentValue(options, variable, value);
    }
    std::vector<std::string> arguments = SplitCommandLine(GetCommandLineA());
    for (std::size_t i = 1; i < arguments.size(); ++i)
        ApplySwitch(options, arguments[i]);

    if (options.logPath.empty()) {
        std::string base = module.substr(slash == std::string::npos ? 0 : slash + 1);
        std::string::size_type dot = base.rfind('.');
        options.logPath = programFolder + base.substr(0, dot) + ".log";
    }
    Log("start", programName, {"pid=" + std::to_string(GetCurrentProcessId())});
}

const StandinOptions& Options() { return options; }

namespace {

std::string ModuleFileName()
{
    char path[MAX_PATH + 1] = {};
    DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string module(path, length < MAX_PATH ? length : MAX_PATH);
    std::string::size_type slash = module.find_last_of('\\');
    return slash == std::string::npos ? module : module.substr(slash + 1);
}

}  // namespace

bool RunningAs(const char* name)
{
    return lstrcmpiA(ModuleFileName().c_str(), name) == 0;
}

int RunAsDecoy()
{
    StartStandin(ModuleFileName().c_str());
    Log("exit", programName, {});
    return 0;
}
std::string ProgramFolder() { return programFolder; }

void Log(const char* kind, const std::string& subject, std::initializer_list<std::string> fields)
{
    std::string line = Clean(kind) + "\t" + Clean(subject);
    for (const std::string& field : fields)
        line += "\t" + Clean(field);
    line += "\tms=" + std::to_string(GetTickCount()) + "\r\n";

    // Opened and closed per line, shared, so that a test reads while the stand-in runs and
    // a second copy of the program appends to the same file.
    HANDLE file = CreateFileA(options.logPath.c_str(), FILE_APPEND_DATA,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return;
    DWORD written = 0;
    WriteFile(file, line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
    CloseHandle(file);
}

void LogEntryVisibility(const std::string& relativePath, bool folder)
{
    DWORD attributes = GetFileAttributesA((programFolder + relativePath).c_str());
    bool visible = attributes != INVALID_FILE_ATTRIBUTES &&
                   ((attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) == folder;
    Log("entry", relativePath, {visible ? "visible=1" : "visible=0"});
}

void LogAnyEntryVisibility(const std::string& relativePath)
{
    DWORD attributes = GetFileAttributesA((programFolder + relativePath).c_str());
    Log("entry", relativePath, {attributes != INVALID_FILE_ATTRIBUTES ? "visible=1" : "visible=0"});
}

void RequestOpen(const char* title, CreateWindowFunction create, void* context)
{
    if (NeverOpens(options, title)) {
        Log("suppressed", title, {});
        return;
    }
    int delay = OpenDelayFor(options, title);
    if (delay <= 0) {
        create(context);
        return;
    }
    UINT_PTR timer = SetTimer(nullptr, 0, static_cast<UINT>(delay), OpenAfterDelay);
    if (timer == 0) {
        create(context);
        return;
    }
    pendingOpens.push_back({timer, title, create, context});
    Log("pending", title, {"delay=" + std::to_string(delay)});
}

void WindowOpened(HWND window, const char* title)
{
    ++openWindows;
    Log("open", title, {});
}

void WindowClosed(HWND window, const char* title)
{
    --openWindows;
    Log("close", title, {});
    QuitWhenIdle();
}

POINT WindowRelativePoint(HWND window, LPARAM lParam)
{
    POINT point = {static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
    ClientToScreen(window, &point);
    RECT rect = {};
    GetWindowRect(window, &rect);
    point.x -= rect.left;
    point.y -= rect.top;
    return point;
}

bool LogInput(HWND window, const char* title, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (const char* name = KeyMessageName(message)) {
        if (message == WM_CHAR || message == WM_SYSCHAR) {
            Log("char", title, {std::string("msg=") + name, "ch=" + Hex(static_cast<unsigned>(wParam & 0xFFFF))});
        } else {
            bool up = message == WM_KEYUP || message == WM_SYSKEYUP;
            // lParam bits 16-23: scan code; bit 24: extended key.
            Log(up ? "keyup" : "key", title,
                {std::string("msg=") + name, "vk=" + Hex(static_cast<unsigned>(wParam & 0xFF)),
                 (lParam & (1 << 24)) ? "ext=1" : "ext=0",
                 "scan=" + Hex(static_cast<unsigned>((lParam >> 16) & 0xFF))});
        }
        return true;
    }
    const char* button = nullptr;
    switch (message) {
    case WM_LBUTTONDOWN: case WM_LBUTTONDBLCLK: button = "left"; break;
    case WM_RBUTTONDOWN: case WM_RBUTTONDBLCLK: button = "right"; break;
    case WM_MBUTTONDOWN: case WM_MBUTTONDBLCLK: button = "middle"; break;
    default: return false;
    }
    POINT point = WindowRelativePoint(window, lParam);
    Log("click", title, {std::string("button=") + button, "x=" + std::to_string(point.x),
                         "y=" + std::to_string(point.y)});
    return true;
}

void RegisterWindowClass(HINSTANCE instance, const char* className, WNDPROC procedure)
{
    windowInstance = instance;
    windowClassName = className;
    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = procedure;
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursor(nullptr, IDC_ARROW);
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    windowClass.lpszClassName = className;
    RegisterClassA(&windowClass);
}

namespace {

HWND CreateStandinWindow(const char* title, int x, int y, int width, int height, void* record)
{
    return CreateWindowExA(0, windowClassName, title, WS_OVERLAPPEDWINDOW, x, y, width, height, nullptr, nullptr,
                           windowInstance, record);
}

}  // namespace

HWND OpenMainWindow(const char* title, void* record, int showCommand)
{
    HWND window = CreateStandinWindow(title, 40, 40, 640, 480, record);
    if (!window)
        return nullptr;
    WindowOpened(window, title);
    ShowWindow(window, showCommand);
    UpdateWindow(window);
    return window;
}

HWND OpenDialogWindow(const char* title, int x, int y, int width, int height, void* record)
{
    HWND window = CreateStandinWindow(title, x, y, width, height, record);
    if (!window)
        return nullptr;
    WindowOpened(window, title);
    ShowWindow(window, SW_SHOW);
    SetForegroundWindow(window);
    SetFocus(window);
    return window;
}

void BringBackOrRequest(HWND open, const char* title, CreateWindowFunction create, void* context)
{
    if (open)
        SetForegroundWindow(open);
    else
        RequestOpen(title, create, context);
}

int RequestMainWindowAndRun(const char* title, CreateWindowFunction create)
{
    if (options.startDelayMs > 0)
        Sleep(static_cast<DWORD>(options.startDelayMs));
    RequestOpen(title, create, nullptr);
    return RunStandin();
}

int RunStandin()
{
    QuitWhenIdle();
    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    Log("exit", programName, {});
    return 0;
}

}  // namespace standin
