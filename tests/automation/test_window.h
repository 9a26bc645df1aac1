#pragma once
// Top-level windows of the test's own thread that record the input messages they receive.
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "testing/support/this_program_win32.h"

struct WindowMessage {
    UINT message;
    WPARAM wParam;
    bool extended;  // bit 24 of lParam
    bool operator==(const WindowMessage& o) const
    {
        return message == o.message && wParam == o.wParam && extended == o.extended;
    }
};
std::string Describe(const WindowMessage& m);

class TestWindow {
public:
    explicit TestWindow(const std::string& title, const char* className = DefaultClass);
    ~TestWindow();
    TestWindow(const TestWindow&) = delete;
    TestWindow& operator=(const TestWindow&) = delete;

    HWND handle() const { return window_; }
    std::vector<WindowMessage>& received() { return received_; }

    static const char DefaultClass[];  // "OrbKeyTargetWindow", double clicks enabled

private:
    static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    HWND window_ = nullptr;
    std::vector<WindowMessage> received_;
};

// Dispatches this thread's messages until done() holds or ten seconds have passed.
bool PumpUntil(const std::function<bool()>& done);


// Runs this program again with only the given tests and environment variable NAME=VALUE set;
// answers its exit code (0: the child's tests passed), or -1 when it could not be started.
int RunChildTests(const std::string& filter, const char* name, const std::string& value);
