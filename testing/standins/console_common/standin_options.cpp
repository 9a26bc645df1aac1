#include "testing/standins/console_common/standin_options.h"

#include <cstring>

namespace standin {
namespace {

std::vector<std::string> SplitOn(const std::string& text, char separator)
{
    std::vector<std::string> parts;
    std::string part;
    for (char c : text) {
        if (c == separator) {
            if (!part.empty())
                parts.push_back(part);
            part.clear();
        } else {
            part += c;
        }
    }
    if (!part.empty())
        parts.push_back(part);
    return parts;
}

void SetNeverOpen(StandinOptions& options, const std::string& value)
{
    options.neverOpen = SplitOn(value, '|');
}

void SetOpenDelays(StandinOptions& options, const std::string& value)
{
    options.openDelays.clear();
    for (const std::string& item : SplitOn(value, '|')) {
        // The title may itself contain '=': the delay follows the last one.
        std::string::size_type equals = item.rfind('=');
        if (equals == std::string::npos || equals == 0)
            continue;
        int delay = ParseDelay(item.substr(equals + 1));
        if (delay >= 0)
            options.openDelays.emplace_back(item.substr(0, equals), delay);
    }
}

void SetDataDisks(StandinOptions& options, const std::string& value)
{
    options.dataDisks.clear();
    for (const std::string& item : SplitOn(value, ',')) {
        int port = ParseDelay(item);
        if (port >= 0 && port <= kMaxPort)
            options.dataDisks.push_back(port);
    }
}

bool Apply(StandinOptions& options, const std::string& name, const std::string& value)
{
    if (name == "log") {
        options.logPath = value;
    } else if (name == "start-delay") {
        int delay = ParseDelay(value);
        options.startDelayMs = delay < 0 ? 0 : delay;
    } else if (name == "never-open") {
        SetNeverOpen(options, value);
    } else if (name == "open-delay") {
        SetOpenDelays(options, value);
    } else if (name == "data-disks") {
        SetDataDisks(options, value);
    } else {
        return false;
    }
    return true;
}

}  // namespace

void ApplyEnvironmentValue(StandinOptions& options, const char* name, const char* value)
{
    if (!name || !value)
        return;
    static const char* const kSwitchNames[] = {"log", "start-delay", "never-open", "open-delay",
                                               "data-disks"};
    static_assert(sizeof(kSwitchNames) / sizeof(kSwitchNames[0]) ==
                  sizeof(kEnvironmentNames) / sizeof(kEnvironmentNames[0]));
    for (std::size_t i = 0; i < sizeof(kSwitchNames) / sizeof(kSwitchNames[0]); ++i) {
        if (std::strcmp(name, kEnvironmentNames[i]) == 0)
            Apply(options, kSwitchNames[i], value);
    }
}

bool ApplySwitch(StandinOptions& options, const std::string& argument)
{
    if (argument.size() < 2 || (argument[0] != '/' && argument[0] != '-'))
        return false;
    std::string::size_type equals = argument.find('=');
    if (equals == std::string::npos)
        return false;
    return Apply(options, argument.substr(1, equals - 1), argument.substr(equals + 1));
}

std::vector<std::string> SplitCommandLine(const std::string& commandLine)
{
    std::vector<std::string> arguments;
    std::string current;
    bool inQuotes = false;
    bool any = false;
    for (std::size_t i = 0; i < commandLine.size(); ++i) {
        char c = commandLine[i];
        if (c == '\\' && i + 1 < commandLine.size() && commandLine[i + 1] == '"') {
            current += '"';
            ++i;
            any = true;
        } else if (c == '"') {
            inQuotes = !inQuotes;
            any = true;
        } else if ((c == ' ' || c == '\t') && !inQuotes) {
            if (any)
                arguments.push_back(current);
            current.clear();
            any = false;
        } else {
            current += c;
            any = true;
        }
    }
    if (any)
        arguments.push_back(current);
    return arguments;
}

int ParseDelay(const std::string& text)
{
    if (text.empty() || text.size() > 9)
        return -1;
    long value = 0;
    for (char c : text) {
        if (c < '0' || c > '9')
            return -1;
        value = value * 10 + (c - '0');
    }
    return value > kMaxDelayMs ? kMaxDelayMs : static_cast<int>(value);
}

bool NeverOpens(const StandinOptions& options, const std::string& title)
{
    for (const std::string& never : options.neverOpen) {
        if (never == title)
            return true;
    }
    return false;
}

int OpenDelayFor(const StandinOptions& options, const std::string& title)
{
    for (const auto& [delayedTitle, delay] : options.openDelays) {
        if (delayedTitle == title)
            return delay;
    }
    return 0;
}

bool PortHoldsData(const StandinOptions& options, int port)
{
    for (int dataPort : options.dataDisks) {
        if (dataPort == port)
            return true;
    }
    return false;
}

}  // namespace standin
