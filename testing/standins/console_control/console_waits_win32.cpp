// Polling the stand-ins' logs and windows.
#include "testing/standins/console_control/console_control_win32.h"

#include <algorithm>

#include "testing/support/file_text_win32.h"

namespace orbtest {
namespace {

constexpr std::chrono::milliseconds kPoll(20);

}  // namespace

std::vector<LogEvent> ReadConsoleLog(Console console)
{
    return ParseLog(ReadWholeFile(ConsoleLogPath(console)));
}

void ClearConsoleLog(Console console) { DeleteFileA(ConsoleLogPath(console).c_str()); }

bool WaitForLog(Console console, const std::function<bool(const std::vector<LogEvent>&)>& predicate,
                DWORD limitMs, std::vector<LogEvent>* last)
{
    return WaitFor(
        [&] {
            std::vector<LogEvent> events = ReadConsoleLog(console);
            bool holds = predicate(events);
            if (last)
                *last = std::move(events);
            return holds;
        },
        std::chrono::milliseconds(limitMs), kPoll);
}

bool WaitForLogEvent(Console console, const std::string& description, DWORD limitMs)
{
    return WaitForLog(
        console,
        [&](const std::vector<LogEvent>& events) {
            return std::any_of(events.begin(), events.end(),
                               [&](const LogEvent& e) { return e.Describe() == description; });
        },
        limitMs);
}

HWND WaitForWindow(const std::string& title, DWORD limitMs)
{
    HWND window = nullptr;
    WaitFor([&] { return (window = FindWindowA(nullptr, title.c_str())) != nullptr; },
            std::chrono::milliseconds(limitMs), kPoll);
    return window;
}

bool WaitForWindowGone(const std::string& title, DWORD limitMs)
{
    return WaitFor([&] { return FindWindowA(nullptr, title.c_str()) == nullptr; },
                   std::chrono::milliseconds(limitMs), kPoll);
}

}  // namespace orbtest
