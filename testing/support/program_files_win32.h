#pragma once
// Test helper: the prefix's Program Files folder, where the consoles and the main application go.
#include <windows.h>
#include <shlobj.h>

#include <string>

// "C:\Program Files" as SHGetFolderPathA(CSIDL_PROGRAM_FILES) answers; "" on failure.
inline std::string ProgramFilesFolder()
{
    char folder[MAX_PATH] = {};
    if (FAILED(SHGetFolderPathA(nullptr, CSIDL_PROGRAM_FILES, nullptr, 0, folder)))
        return std::string();
    return folder;
}
