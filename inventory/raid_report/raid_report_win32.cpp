#include "inventory/raid_report/raid_report_win32.h"

#include <windows.h>

#include <cstdio>
#include <cstring>

#include "common/trace.h"
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
// pauses 1000 ms and tries again. Answers whether it was opened.
bool WaitUntilReadable(const char* path, int& retries)
{
    std::FILE* file = std::fopen(path, "r");
    while (file == nullptr && retries < kMaxRetries) {
        Sleep(kRetryPauseMs);
        ++retries;
        file = std::fopen(path, "r");
    }
    if (file == nullptr)
        return false;
    std::fclose(file);
    return true;
}

void WriteResourceAndWait(uint16_t id, const char* path, int& retries)
{
    SetFileAttributesA(path, FILE_ATTRIBUTE_NORMAL);
    const bool written = ExtractBinaryResource(id, path);
    const DWORD writeError = GetLastError();
    const int retriesBefore = retries;
    const bool readable = WaitUntilReadable(path, retries);
    char result[40];
    if (written)
        std::snprintf(result, sizeof result, "written");
    else
        std::snprintf(result, sizeof result, "not written (error %lu)", writeError);
    Trace("orb2", "tool: resource %u %s to %s; %s after %d pauses", id, result, Shown(path).text,
          readable ? "readable" : "still not readable", retries - retriesBefore);
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
    const uint32_t start = TraceMilliseconds();
    SetModuleFolder();
    char windowsFolder[256];
    char toolPath[kPathSize], batchPath[kPathSize], reportPath[kPathSize];
    if (!WindowsFolder(windowsFolder) || !InWindowsFolder(windowsFolder, "Raidcfg32.exe", toolPath)
        || !InWindowsFolder(windowsFolder, "G.bat", batchPath) || !InWindowsFolder(windowsFolder, "Graid.txt", reportPath)) {
        Trace("orb2", "tool: the Windows folder \"%s\" is unreadable or too long: the tool is not run",
              Shown(windowsFolder).text);
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
    const UINT started = WinExec(commandLine, SW_HIDE);
    Trace("orb2", "tool: %s started hidden: WinExec answered %u%s", Shown(commandLine).text, started,
          started > 31 ? "" : " (not started)");

    // LoadWholeFile refuses the report while the tool still writes it.
    const int pausesBefore = retries;
    int attempts = 1;
    bool loaded = LoadWholeFile(reportPath);
    while (!loaded) {
        Trace("orb2", "tool: Graid.txt load attempt %d failed (error %lu)", attempts, GetLastError());
        if (retries >= kMaxRetries)
            break;
        Sleep(kRetryPauseMs);
        ++retries;
        ++attempts;
        loaded = LoadWholeFile(reportPath);
    }
    if (loaded)
        Trace("orb2", "tool: Graid.txt loaded at attempt %d after %d pauses, at %lu ms: %lu bytes", attempts,
              retries - pausesBefore, static_cast<unsigned long>(TraceMilliseconds() - start),
              static_cast<unsigned long>(reportBufferSize - 1));
    else if (reportBuffer != nullptr)
        Trace("orb2", "tool: Graid.txt not loaded after %d attempts and %d pauses, at %lu ms: the earlier report "
              "is kept (%lu bytes)", attempts, retries - pausesBefore,
              static_cast<unsigned long>(TraceMilliseconds() - start), static_cast<unsigned long>(reportBufferSize - 1));
    else
        Trace("orb2", "tool: Graid.txt not loaded after %d attempts and %d pauses, at %lu ms: no earlier report, "
              "the scan goes on with an empty one", attempts, retries - pausesBefore,
              static_cast<unsigned long>(TraceMilliseconds() - start));
    SetCurrentDirectoryA(moduleFolder);
}

void RemoveRaidReportFiles()
{
    char windowsFolder[256];
    if (!WindowsFolder(windowsFolder))
        return;
    char path[kPathSize];
    char results[3][48] = {};
    int i = 0;
    for (const char* name : {"Graid.txt", "G.bat", "Raidcfg32.exe"}) {
        if (InWindowsFolder(windowsFolder, name, path) && DeleteFileA(path))
            std::snprintf(results[i], sizeof results[i], "%s deleted", name);
        else
            std::snprintf(results[i], sizeof results[i], "%s not deleted (error %lu)", name, GetLastError());
        ++i;
    }
    Trace("orb2", "tool: files removed: %s, %s, %s", results[0], results[1], results[2]);
}
