#pragma once
// Test helper: the running program, for tests that start themselves again and for whatever finds
// the build's other programs beside it.
#include <windows.h>

#include <string>

// The running program's full path.
inline std::string ThisProgramPath()
{
    char path[MAX_PATH + 1] = {};
    const DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
    return std::string(path, length < MAX_PATH ? length : MAX_PATH);
}

// Its folder, with a trailing backslash.
inline std::string ThisProgramFolder()
{
    const std::string path = ThisProgramPath();
    return path.substr(0, path.find_last_of('\\') + 1);
}
