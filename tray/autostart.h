#pragma once
// The autostart entry OrbTray keeps under HKEY_LOCAL_MACHINE: which key, which value, which data.
// No Windows headers: the registry calls live in tray_window_win32.cpp.
#include <cstddef>
#include <cstdint>

constexpr char kRunKeyPath[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
constexpr char kRunOnceKeyPath[] = "Software\\Microsoft\\Windows\\CurrentVersion\\RunOnce";
constexpr char kAutostartValueName[] = "ORB_II";
// The installed tray program, below the Program Files folder.
constexpr char kInstalledTrayProgram[] = "\\korvante\\orb_ii\\orb2_tray.exe";

struct AutostartKeyChoice {
    const char* path;        // below HKEY_LOCAL_MACHINE
    bool createWhenMissing;  // Run is created; RunOnce is only used when it exists
};

// Windows NT 6.x (code 18) takes the value under RunOnce, every other code under Run.
AutostartKeyChoice ChooseAutostartKey(uint8_t windowsVersionCode);

// The value's data: the installed tray program's full path in double quotes, so that the
// log-on start never takes "C:\Program" for the program. False (and `command` empty) when the
// folder is empty, holds a quote, or the quoted path does not fit in `commandSize` bytes.
bool BuildAutostartCommand(const char* programFilesFolder, char* command, size_t commandSize);
