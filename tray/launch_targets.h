#pragma once
// The programs OrbTray starts, with their fixed parameter strings. No Windows headers.
#include <cstddef>

constexpr char kOpenVerb[] = "open";
constexpr char kMainApplication[] = "\\korvante\\orb_ii\\orb_ii.exe";  // below Program Files
constexpr char kLaunchToken[] = "quasp";  // the main application's whole parameter string
// The update program has no folder: the shell's search finds it (the tray program's own folder
// first, where the installation puts it).
constexpr char kUpdateProgram[] = "RENEWX.EXE";
constexpr char kUpdateParameters[] = " /orb";  // leading blank included

// Program Files folder followed by the main application's path; false (and `path` empty) when
// the folder is empty or the whole path does not fit in `pathSize` bytes.
bool BuildMainApplicationPath(const char* programFilesFolder, char* path, size_t pathSize);
