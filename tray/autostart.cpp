#include "tray/autostart.h"

#include <cstring>

#include "common/windows_version.h"
#include "tray/path_text.h"

AutostartKeyChoice ChooseAutostartKey(uint8_t windowsVersionCode)
{
    if (windowsVersionCode == kVersionWindowsNT6)
        return {kRunOnceKeyPath, false};
    return {kRunKeyPath, true};
}

bool BuildAutostartCommand(const char* programFilesFolder, char* command, size_t commandSize)
{
    if (command != nullptr && commandSize > 0)
        command[0] = '\0';
    if (programFilesFolder == nullptr || programFilesFolder[0] == '\0' ||
        strchr(programFilesFolder, '"') != nullptr)
        return false;
    const char* const parts[] = {"\"", programFilesFolder, kInstalledTrayProgram, "\""};
    return ComposeText(command, commandSize, parts, sizeof(parts) / sizeof(parts[0]));
}
