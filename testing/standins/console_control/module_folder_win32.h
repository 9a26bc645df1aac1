#pragma once
// Within orb_console_control only: where the stand-ins are copied from.
#include <windows.h>

#include <algorithm>
#include <string>

namespace orbtest {

// The running program's folder, with a trailing backslash: the stand-ins are built beside it.
inline std::string ModuleFolder()
{
    char path[MAX_PATH + 1] = {};
    DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string module(path, std::min<DWORD>(length, MAX_PATH));
    return module.substr(0, module.find_last_of('\\') + 1);
}

}  // namespace orbtest
