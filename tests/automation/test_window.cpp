#include "test_window.h"

#include <cstdio>

const char TestWindow::DefaultClass[] = "OrbKeyTargetWindow";

namespace {

void RegisterClassOnce(const char* name)
{
    WNDCLASSA existing;
    if (GetClassInfoA(GetModuleHandleA(nullptr), name, &existing))
        return;
    WNDCLASSA windowClass = {};
    windowClass.style = CS_DBLCLKS;
    windowClass.lpfnWndProc = DefWindowProcA;  // replaced per window below
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.hCursor = LoadCursor(nullptr, IDC_ARROW);
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    windowClass.lpszClassName = name;
    RegisterClassA(&windowClass);
}

}  // namespace

std::string Describe(const WindowMessage& m)
{
    const char* name = "message";
    switch (m.message) {
    case WM_KEYDOWN: name = "WM_KEYDOWN"; break;
    case WM_KEYUP: name = "WM_KEYUP"; break;
    case WM_CHAR: name = "WM_CHAR"; break;
    case WM_SYSKEYDOWN: name = "WM_SYSKEYDOWN"; break;
    case WM_SYSKEYUP: name = "WM_SYSKEYUP"; break;
    case WM_SYSCHAR: name = "WM_SYSCHAR"; break;
    case WM_LBUTTONDOWN: name = "WM_LBUTTONDOWN"; break;
    case WM_LBUTTONUP: name = "WM_LBUTTONUP"; break;
    case WM_LBUTTONDBLCLK: name = "WM_LBUTTONDBLCLK"; break;
    }
    char text[100];
    std::snprintf(text, sizeof(text), "%s(0x%04X) 0x%02X%s", name, m.message,
                  static_cast<unsigned>(m.wParam), m.extended ? " extended" : "");
    return text;
}

TestWindow::TestWindow(const std::string& title, const char* className)
{
    RegisterClassOnce(className);
    window_ = CreateWindowExA(0, className, title.c_str(), WS_OVERLAPPEDWINDOW | WS_VISIBLE, 200,
                              150, 300, 200, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
    SetWindowLongPtrA(window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    SetWindowLongPtrA(window_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(Procedure));
    PumpUntil([] { return true; });
}

TestWindow::~TestWindow()
{
    if (window_)
        DestroyWindow(window_);
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE))
        DispatchMessageA(&message);
}

LRESULT CALLBACK TestWindow::Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    TestWindow* self = reinterpret_cast<TestWindow*>(GetWindowLongPtrA(window, GWLP_USERDATA));
    switch (message) {
    case WM_KEYDOWN:
    case WM_KEYUP:
    case WM_CHAR:
    case WM_SYSKEYDOWN:
    case WM_SYSKEYUP:
    case WM_SYSCHAR:
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP:
    case WM_LBUTTONDBLCLK:
        if (self)
            self->received_.push_back({message, wParam, ((lParam >> 24) & 1) != 0});
        return 0;  // no menu mode, no beep for the system keys
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

bool PumpUntil(const std::function<bool()>& done)
{
    const DWORD start = GetTickCount();
    for (;;) {
        MSG message;
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
        if (done())
            return true;
        if (GetTickCount() - start > 10000)
            return false;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
    }
}

int RunChildTests(const std::string& filter, const char* name, const std::string& value)
{
    std::string command = "\"" + ThisProgramPath() + "\" --gtest_filter=" + filter;
    SetEnvironmentVariableA(name, value.c_str());
    STARTUPINFOA startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process = {};
    std::vector<char> line(command.begin(), command.end());
    line.push_back(0);
    const BOOL started = CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr,
                                        nullptr, &startup, &process);
    SetEnvironmentVariableA(name, nullptr);
    if (!started)
        return -1;
    WaitForSingleObject(process.hProcess, 120000);
    DWORD code = 1;
    GetExitCodeProcess(process.hProcess, &code);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return static_cast<int>(code);
}
