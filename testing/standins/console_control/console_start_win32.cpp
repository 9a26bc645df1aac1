// The stand-ins' switches, and starting an installed stand-in.
#include "testing/standins/console_control/console_control_win32.h"

namespace orbtest {
namespace {

void SetOrClear(const char* name, const std::string& value)
{
    SetEnvironmentVariableA(name, value.empty() ? nullptr : value.c_str());
}

std::string Joined(const std::vector<std::string>& items, const char* separator)
{
    std::string text;
    for (const std::string& item : items)
        text += (text.empty() ? "" : separator) + item;
    return text;
}

struct SwitchTexts {
    std::string startDelay, neverOpen, openDelay, dataDisks;
};

SwitchTexts Texts(const ConsoleSwitches& switches)
{
    SwitchTexts texts;
    if (switches.startDelayMs > 0)
        texts.startDelay = std::to_string(switches.startDelayMs);
    texts.neverOpen = Joined(switches.neverOpen, "|");
    std::vector<std::string> delays, disks;
    for (const auto& [title, delay] : switches.openDelays)
        delays.push_back(title + "=" + std::to_string(delay));
    for (int port : switches.dataDisks)
        disks.push_back(std::to_string(port));
    texts.openDelay = Joined(delays, "|");
    texts.dataDisks = Joined(disks, ",");
    return texts;
}

}  // namespace

void SetConsoleSwitches(const ConsoleSwitches& switches)
{
    SwitchTexts texts = Texts(switches);
    SetEnvironmentVariableA("ORB_STANDIN_LOG", nullptr);
    SetOrClear("ORB_STANDIN_START_DELAY", texts.startDelay);
    SetOrClear("ORB_STANDIN_NEVER_OPEN", texts.neverOpen);
    SetOrClear("ORB_STANDIN_OPEN_DELAY", texts.openDelay);
    SetOrClear("ORB_STANDIN_DATA_DISKS", texts.dataDisks);
}

void ClearConsoleSwitches() { SetConsoleSwitches(ConsoleSwitches()); }

std::string ConsoleSwitchArguments(const ConsoleSwitches& switches)
{
    SwitchTexts texts = Texts(switches);
    std::string arguments;
    auto add = [&](const char* name, const std::string& value) {
        if (!value.empty())
            arguments += std::string(arguments.empty() ? "" : " ") + "\"/" + name + "=" + value + "\"";
    };
    add("start-delay", texts.startDelay);
    add("never-open", texts.neverOpen);
    add("open-delay", texts.openDelay);
    add("data-disks", texts.dataDisks);
    return arguments;
}

bool StartConsole(Console console, const std::string& arguments, int showCommand)
{
    std::string commandLine = "\"" + ConsoleProgramPath(console) + "\"";
    if (!arguments.empty())
        commandLine += " " + arguments;
    std::vector<char> buffer(commandLine.begin(), commandLine.end());
    buffer.push_back('\0');
    STARTUPINFOA startup = {};
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = static_cast<WORD>(showCommand);
    PROCESS_INFORMATION process = {};
    if (!CreateProcessA(nullptr, buffer.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        ConsoleFolder(console).c_str(), &startup, &process))
        return false;
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return true;
}

}  // namespace orbtest
