#include "testing/standins/console_control/console_log.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>

namespace orbtest {
namespace {

bool Compared(const std::string& field) { return field != "ms" && field != "scan"; }

std::vector<std::string> SplitTabs(const std::string& line)
{
    std::vector<std::string> parts;
    std::string::size_type start = 0;
    for (;;) {
        std::string::size_type tab = line.find('\t', start);
        parts.push_back(line.substr(start, tab == std::string::npos ? std::string::npos : tab - start));
        if (tab == std::string::npos)
            return parts;
        start = tab + 1;
    }
}

std::string Hex(unsigned value)
{
    char text[16];
    std::snprintf(text, sizeof(text), "0x%02X", value);
    return text;
}

std::string Line(std::initializer_list<std::string> parts)
{
    std::string line;
    for (const std::string& part : parts)
        line += (line.empty() ? "" : "\t") + part;
    return line;
}

std::string KeyLine(const char* kind, const std::string& window, const char* message, unsigned vk,
                    bool extended)
{
    return Line({kind, window, std::string("msg=") + message, "vk=" + Hex(vk),
                 extended ? "ext=1" : "ext=0"});
}

}  // namespace

std::string LogEvent::Field(const std::string& name) const
{
    for (const auto& [fieldName, value] : fields) {
        if (fieldName == name)
            return value;
    }
    return std::string();
}

std::string LogEvent::Describe() const
{
    std::string text = kind + "\t" + subject;
    for (const auto& [name, value] : fields) {
        if (Compared(name))
            text += "\t" + name + "=" + value;
    }
    return text;
}

LogEvent ParseLogLine(const std::string& line)
{
    std::vector<std::string> parts = SplitTabs(line);
    LogEvent event;
    event.kind = parts[0];
    if (parts.size() > 1)
        event.subject = parts[1];
    for (std::size_t i = 2; i < parts.size(); ++i) {
        std::string::size_type equals = parts[i].find('=');
        std::string name = parts[i].substr(0, equals);
        std::string value = equals == std::string::npos ? std::string() : parts[i].substr(equals + 1);
        if (name == "ms") {
            event.tick = std::strtoul(value.c_str(), nullptr, 10);
        }
        event.fields.emplace_back(name, value);
    }
    return event;
}

std::vector<LogEvent> ParseLog(const std::string& text)
{
    std::vector<LogEvent> events;
    std::string::size_type start = 0;
    while (start < text.size()) {
        std::string::size_type end = text.find('\n', start);
        std::string line = text.substr(start, end == std::string::npos ? std::string::npos : end - start);
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (!line.empty())
            events.push_back(ParseLogLine(line));
        if (end == std::string::npos)
            break;
        start = end + 1;
    }
    return events;
}

std::vector<LogEvent> Select(const std::vector<LogEvent>& events,
                             const std::vector<std::string>& kinds, const std::string& subject)
{
    std::vector<LogEvent> selected;
    for (const LogEvent& event : events) {
        bool kindMatches = kinds.empty() ||
                           std::find(kinds.begin(), kinds.end(), event.kind) != kinds.end();
        if (kindMatches && (subject.empty() || event.subject == subject))
            selected.push_back(event);
    }
    return selected;
}

std::vector<std::string> Describe(const std::vector<LogEvent>& events)
{
    std::vector<std::string> descriptions;
    for (const LogEvent& event : events)
        descriptions.push_back(event.Describe());
    return descriptions;
}

std::vector<LogEvent> LatestRun(const std::vector<LogEvent>& events)
{
    std::size_t first = 0;
    for (std::size_t i = 0; i < events.size(); ++i) {
        if (events[i].kind == "start")
            first = i;
    }
    return std::vector<LogEvent>(events.begin() + static_cast<std::ptrdiff_t>(first), events.end());
}

std::vector<std::string> EntriesAtStart(const std::vector<LogEvent>& events, bool visible)
{
    std::vector<std::string> names;
    for (const LogEvent& event : Select(LatestRun(events), {"entry"})) {
        if ((event.Field("visible") == "1") == visible)
            names.push_back(event.subject);
    }
    return names;
}

std::string KeyDown(const std::string& window, unsigned vk, bool extended)
{
    return KeyLine("key", window, "WM_KEYDOWN", vk, extended);
}
std::string SysKeyDown(const std::string& window, unsigned vk)
{
    return KeyLine("key", window, "WM_SYSKEYDOWN", vk, false);
}
std::string KeyUp(const std::string& window, unsigned vk, bool extended)
{
    return KeyLine("keyup", window, "WM_KEYUP", vk, extended);
}
std::string SysKeyUp(const std::string& window, unsigned vk)
{
    return KeyLine("keyup", window, "WM_SYSKEYUP", vk, false);
}
std::string Char(const std::string& window, unsigned ch)
{
    return Line({"char", window, "msg=WM_CHAR", "ch=" + Hex(ch)});
}
std::string SysChar(const std::string& window, unsigned ch)
{
    return Line({"char", window, "msg=WM_SYSCHAR", "ch=" + Hex(ch)});
}
std::string Click(const std::string& window, const std::string& button, int x, int y)
{
    return Line({"click", window, "button=" + button, "x=" + std::to_string(x),
                 "y=" + std::to_string(y)});
}
std::string Opened(const std::string& window) { return Line({"open", window}); }
std::string Closed(const std::string& window) { return Line({"close", window}); }
std::string Suppressed(const std::string& window) { return Line({"suppressed", window}); }

}  // namespace orbtest
