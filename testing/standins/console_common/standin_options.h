// Switches of the console stand-ins, from the environment and the command line.
//
// The product starts the consoles with a fixed command line, so a test sets the environment
// before the start; the command line (same names) is for running a stand-in by hand and wins.
//
//   ORB_STANDIN_LOG=path          /log=path          log file (default: <exe folder>\<exe name>.log)
//   ORB_STANDIN_START_DELAY=ms    /start-delay=ms    the main window appears ms after the start
//   ORB_STANDIN_NEVER_OPEN=t|t    /never-open=t|t    windows with these exact titles never open
//   ORB_STANDIN_OPEN_DELAY=t=ms|… /open-delay=t=ms|… these windows open ms after their trigger
//   ORB_STANDIN_DATA_DISKS=1,2    /data-disks=1,2    ports whose data a new volume would destroy
#pragma once

#include <string>
#include <utility>
#include <vector>

namespace standin {

inline constexpr int kMaxDelayMs = 600000;
inline constexpr int kMaxPort = 31;

struct StandinOptions {
    std::string logPath;
    int startDelayMs = 0;
    std::vector<std::string> neverOpen;
    std::vector<std::pair<std::string, int>> openDelays;
    std::vector<int> dataDisks;
};

// Environment variable names, in the order ApplyEnvironment reads them.
inline constexpr const char* kEnvironmentNames[] = {
    "ORB_STANDIN_LOG", "ORB_STANDIN_START_DELAY", "ORB_STANDIN_NEVER_OPEN",
    "ORB_STANDIN_OPEN_DELAY", "ORB_STANDIN_DATA_DISKS"};

// Applies one environment value (name from kEnvironmentNames; value may be null = unset).
void ApplyEnvironmentValue(StandinOptions& options, const char* name, const char* value);

// Applies one command-line argument of the form /name=value; false when it is not a switch
// of ours (the stand-ins ignore it).
bool ApplySwitch(StandinOptions& options, const std::string& argument);

// Splits a command line as the C runtime does for the common cases: blanks separate arguments,
// double quotes group, a backslash before a quote escapes it.
std::vector<std::string> SplitCommandLine(const std::string& commandLine);

// A delay in milliseconds: decimal digits only, clamped to [0, kMaxDelayMs]; -1 when malformed.
int ParseDelay(const std::string& text);

bool NeverOpens(const StandinOptions& options, const std::string& title);
// The delay before the window with this exact title opens (0 when none is set).
int OpenDelayFor(const StandinOptions& options, const std::string& title);
bool PortHoldsData(const StandinOptions& options, int port);

}  // namespace standin
