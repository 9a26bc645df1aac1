#include "inventory/raid_report/raid_report_win32.h"

#include <windows.h>

#include <cstdio>
#include <cstring>

#include "inventory/raid_report/report_buffer.h"

char moduleFolder[256];

namespace {

constexpr int kMaxRetries = 10;
constexpr DWORD kRetryPauseMs = 1000;
constexpr size_t kPathSize = 300;

// The module this code is linked into (orb2.dll, or a test program), found from an address
// inside it.
HMODULE OwnModule()
{
    HMODULE module = nullptr;
    GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                       reinterpret_cast<LPCSTR>(&ExtractBinaryResource), &module);
    return module;
}

void SetModuleFolder()
{
    char path[256] = {};
    const DWORD length = GetModuleFileNameA(OwnModule(), path, 255);
    path[length < 255 ? length : 255] = '\0';
    char* lastBackslash = std::strrchr(path, '\\');
    if (lastBackslash != nullptr)
        lastBackslash[1] = '\0';
    else
        path[0] = '\0';
    std::strcpy(moduleFolder, path);
}

// The Windows folder without a trailing backslash; false when it can't be read whole.
bool WindowsFolder(char (&folder)[256])
{
    const UINT length = GetWindowsDirectoryA(folder, 255);
    if (length == 0 || length >= 255) {
        folder[0] = '\0';
        return false;
    }
    return true;
}

bool InWindowsFolder(const char* windowsFolder, const char* name, char (&path)[kPathSize])
{
    const int written = std::snprintf(path, kPathSize, "%s\\%s", windowsFolder, name);
    return written > 0 && static_cast<size_t>(written) < kPathSize;
}

// Tries to open `path` for reading; while that fails and fewer than 10 retries were made,
// pauses 1000 ms and tries again.
void WaitUntilReadable(const char* path, int& retries)
{
    std::FILE* file = std::fopen(path, "r");
    while (file == nullptr && retries < kMaxRetries) {
        Sleep(kRetryPauseMs);
        ++retries;
        file = std::fopen(path, "r");
    }
    if (file != nullptr)
        std::fclose(file);
}

void WriteResourceAndWait(uint16_t id, const char* path, int& retries)
{
    SetFileAttributesA(path, FILE_ATTRIBUTE_NORMAL);
    ExtractBinaryResource(id, path);
    WaitUntilReadable(path, retries);
}

}  // namespace

bool ExtractBinaryResource(uint16_t id, const char* path)
{
    HMODULE module = OwnModule();
    HRSRC found = FindResourceA(module, MAKEINTRESOURCEA(id), "BINARY");
    if (found == nullptr)
        return false;
    HGLOBAL loaded = LoadResource(module, found);
    const void* bytes = loaded != nullptr ? LockResource(loaded) : nullptr;
    const DWORD size = SizeofResource(module, found);
    if (bytes == nullptr)
        return false;
    HFILE file = _lcreat(path, 0);  // 0: normal attributes
    if (file == HFILE_ERROR)
        return false;
    const long written = _hwrite(file, static_cast<LPCCH>(bytes), static_cast<long>(size));
    _lclose(file);
    if (written != static_cast<long>(size)) {
        // A partial tool must not be run: no file rather than a broken one.
        DeleteFileA(path);
        return false;
    }
    return true;
}

void RunRaidReportTool()
{
    SetModuleFolder();
    char windowsFolder[256];
    char toolPath[kPathSize], batchPath[kPathSize], reportPath[kPathSize];
    if (!WindowsFolder(windowsFolder) || !InWindowsFolder(windowsFolder, "Raidcfg32.exe", toolPath)
        || !InWindowsFolder(windowsFolder, "G.bat", batchPath) || !InWindowsFolder(windowsFolder, "Graid.txt", reportPath)) {
        SetCurrentDirectoryA(moduleFolder);
        return;
    }

    int toolRetries = 0;
    WriteResourceAndWait(kRaidToolResource, toolPath, toolRetries);
    // This counter is shared by the batch file's wait and the report's wait: together they pause
    // at most 10 times.
    int retries = 0;
    WriteResourceAndWait(kRaidBatchResource, batchPath, retries);

    // A report left behind by an earlier run must not pass for this run's report.
    DeleteFileA(reportPath);
    SetCurrentDirectoryA(windowsFolder);  // the batch file's names are relative to it
    char commandLine[kPathSize + 2];
    std::snprintf(commandLine, sizeof commandLine, std::strchr(batchPath, ' ') ? "\"%s\"" : "%s", batchPath);
    WinExec(commandLine, SW_HIDE);

    // LoadWholeFile refuses the report while the tool still writes it.
    while (!LoadWholeFile(reportPath) && retries < kMaxRetries) {
        Sleep(kRetryPauseMs);
        ++retries;
    }
    SetCurrentDirectoryA(moduleFolder);
}

void RemoveRaidReportFiles()
{
    char windowsFolder[256];
    if (!WindowsFolder(windowsFolder))
        return;
    char path[kPathSize];
    for (const char* name : {"Graid.txt", "G.bat", "Raidcfg32.exe"}) {
        if (InWindowsFolder(windowsFolder, name, path))
            DeleteFileA(path);
    }
}
