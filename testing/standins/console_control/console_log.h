// Reading the console stand-ins' logs, and the lines of the expected tables tests compare them with.
//
// A log line is "kind<TAB>subject<TAB>name=value…" (see testing/standins/console_common). An
// event is compared through its description: kind, subject and its fields, without the ones that
// vary from run to run (ms, the tick count; scan, the scan code the keyboard layout chose).
#pragma once

#include <string>
#include <utility>
#include <vector>

namespace orbtest {

struct LogEvent {
    std::string kind;
    std::string subject;
    std::vector<std::pair<std::string, std::string>> fields;
    unsigned long tick = 0;  // ms field, GetTickCount of the stand-in

    // The value of a field, or "" when the event has none.
    std::string Field(const std::string& name) const;
    // kind, subject and the compared fields, tab-separated.
    std::string Describe() const;
};

// One line without its line end; a line without a tab gives an event of that kind only.
LogEvent ParseLogLine(const std::string& line);
// A whole log; blank lines are skipped, CR LF and LF both end a line.
std::vector<LogEvent> ParseLog(const std::string& text);

// The events of the given kinds (all kinds when empty), optionally of one subject only.
std::vector<LogEvent> Select(const std::vector<LogEvent>& events,
                             const std::vector<std::string>& kinds,
                             const std::string& subject = std::string());
std::vector<std::string> Describe(const std::vector<LogEvent>& events);

// The events since the last "start" line (the latest run of the program).
std::vector<LogEvent> LatestRun(const std::vector<LogEvent>& events);
// Names of the "entry" lines of the latest run that report visible=1 (or visible=0).
std::vector<std::string> EntriesAtStart(const std::vector<LogEvent>& events, bool visible);

// Expected-table builders, in the form Describe() gives.
std::string KeyDown(const std::string& window, unsigned vk, bool extended = false);
std::string SysKeyDown(const std::string& window, unsigned vk);
std::string KeyUp(const std::string& window, unsigned vk, bool extended = false);
std::string SysKeyUp(const std::string& window, unsigned vk);
std::string Char(const std::string& window, unsigned ch);
std::string SysChar(const std::string& window, unsigned ch);
std::string Click(const std::string& window, const std::string& button, int x, int y);
std::string Opened(const std::string& window);
std::string Closed(const std::string& window);
std::string Suppressed(const std::string& window);

}  // namespace orbtest
