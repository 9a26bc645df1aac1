// Hiding and restoring the consoles' localized resources; detecting the running console.
#include <windows.h>
#include <shlobj.h>

#include <cstdarg>
#include <cstdio>
#include <cstring>

#include "automation/console/console_environment.h"
#include "automation/console/console_names.h"
#include "automation/export_bool.h"
#include "automation/keyscript/key_script_sender.h"
#include "common/bounded_text.h"
#include "common/trace.h"

char PinnedCulture[256];
char RstConsoleTitle[255];

namespace {

constexpr int WindowTitleSize = 260;
const char RstWindowTitleText[] = "Rapid Storage Technology";

bool ProgramFilesFolder(char (&folder)[MAX_PATH])
{
    folder[0] = 0;
    return SUCCEEDED(SHGetFolderPathA(nullptr, CSIDL_PROGRAM_FILES, nullptr, 0, folder));
}

// One MoveFileA; false when it fails or a path does not fit its buffer.
bool Rename(const char* from, const char* to)
{
    return from[0] && to[0] && MoveFileA(from, to) != FALSE;
}

// Why the last Rename failed, for the trace: "error 32, in use".
struct RenameFailure {
    char text[48];
};
RenameFailure Failure(const char* from, const char* to, DWORD error)
{
    RenameFailure failure;
    if (!from[0] || !to[0]) {
        bounded_text::CopyField(failure.text, "path too long");
        return failure;
    }
    const char* meaning = error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ? "not found"
                          : error == ERROR_SHARING_VIOLATION                              ? "in use"
                          : error == ERROR_ACCESS_DENIED                                  ? "denied or in use"
                          : error == ERROR_ALREADY_EXISTS || error == ERROR_FILE_EXISTS   ? "name taken"
                                                                                          : "failed";
    std::snprintf(failure.text, sizeof(failure.text), "error %lu, %s", error, meaning);
    return failure;
}

// A line of the trace built in parts, each part cut to what room is left.
struct TraceParts {
    char text[TraceLineSize] = {};
    std::size_t length = 0;
    void Add(const char* format, ...) __attribute__((format(printf, 2, 3)))
    {
        if (length + 1 >= sizeof(text))
            return;
        va_list arguments;
        va_start(arguments, format);
        const int written = std::vsnprintf(text + length, sizeof(text) - length, format, arguments);
        va_end(arguments);
        if (written > 0)
            length = length + written < sizeof(text) ? length + written : sizeof(text) - 1;
    }
};

// <Program Files>\Intel\Intel(R) Rapid Storage Technology\<culture><suffix>
bool CulturePath(char (&path)[ConsolePathSize], const char* programFiles, const char* culture,
                 const char* suffix)
{
    const char* parts[] = {programFiles, RstFolderText, culture, suffix};
    return JoinPath(path, parts, 4);
}

// <culture folder>\<file>, and the same without the file's last letter.
void ResourceFilePaths(char (&shown)[ConsolePathSize], char (&hidden)[ConsolePathSize],
                       const char* programFiles, const char* culture, const char* file)
{
    const char* parts[] = {programFiles, RstFolderText, culture, "\\", file};
    if (JoinPath(shown, parts, 5))
        CutLastCharacter(hidden, shown);
    else
        hidden[0] = 0;
}

bool ProgramFilesFolderFor(const char* operation, char (&folder)[MAX_PATH])
{
    if (ProgramFilesFolder(folder))
        return true;
    Trace("OrbLib", "%s: the Program Files folder is unknown: nothing renamed", operation);
    return false;
}

// Matrix Storage Manager: every language entry from "<code><fromSuffix>" to "<code><toSuffix>".
bool RenameLanguageEntries(const char* operation, const char* fromSuffix, const char* toSuffix)
{
    char programFiles[MAX_PATH];
    if (!ProgramFilesFolderFor(operation, programFiles))
        return false;
    int renamed = 0;
    for (const char* language : MsmLanguages) {
        char from[ConsolePathSize], to[ConsolePathSize];
        const char* fromParts[] = {programFiles, MsmFolderText, language, fromSuffix};
        const char* toParts[] = {programFiles, MsmFolderText, language, toSuffix};
        JoinPath(from, fromParts, 4);
        JoinPath(to, toParts, 4);
        if (Rename(from, to))
            ++renamed;
        else
            Trace("OrbLib", "%s: %s%s not renamed (%s)", operation, language, fromSuffix,
                  Failure(from, to, GetLastError()).text);
    }
    // The renames that went as planned in one line, each one that did not in a line of its own.
    Trace("OrbLib", "%s: %d of %d language entries renamed from <code>%s to <code>%s", operation, renamed,
          MsmLanguageCount, fromSuffix, toSuffix);
    return true;
}

}  // namespace

bool HideRstResources()
{
    char programFiles[MAX_PATH];
    if (!ProgramFilesFolderFor("hide", programFiles))
        return false;
    int foldersHidden = 0;
    for (const char* culture : RstCultures) {
        char folder[ConsolePathSize], hiddenFolder[ConsolePathSize];
        CulturePath(folder, programFiles, culture, "");
        CulturePath(hiddenFolder, programFiles, culture, HiddenCultureSuffix);
        if (Rename(folder, hiddenFolder)) {
            ++foldersHidden;
            continue;
        }
        TraceParts line;
        line.Add("hide: %s not renamed (%s); its files hidden one by one:", culture,
                 Failure(folder, hiddenFolder, GetLastError()).text);
        int renamed = 0;
        // In use or missing: hide its resource files one by one instead.
        bounded_text::CopyField(PinnedCulture, culture);
        for (const char* file : RstResourceFiles) {
            char shown[ConsolePathSize], hidden[ConsolePathSize];
            ResourceFilePaths(shown, hidden, programFiles, culture, file);
            if (Rename(shown, hidden))
                ++renamed;
            else
                line.Add(" %s not renamed (%s);", file, Failure(shown, hidden, GetLastError()).text);
        }
        line.Add(" %d of %d renamed", renamed, RstResourceFileCount);
        Trace("OrbLib", "%s", line.text);
    }
    // The folders renamed as planned in one line; each one that was not has had a line of its own.
    Trace("OrbLib", "hide: %d of %d culture folders renamed to <culture>%s", foldersHidden, RstCultureCount,
          HiddenCultureSuffix);
    return true;
}

bool RestoreRstResources()
{
    char programFiles[MAX_PATH];
    if (!ProgramFilesFolderFor("restore", programFiles))
        return false;
    int restored = 0;
    for (const char* culture : RstCultures) {
        char folder[ConsolePathSize], hiddenFolder[ConsolePathSize];
        CulturePath(folder, programFiles, culture, "");
        CulturePath(hiddenFolder, programFiles, culture, HiddenCultureSuffix);
        TraceParts line;
        const bool folderBack = Rename(hiddenFolder, folder);
        bool unusual = !folderBack;  // worth a line of its own
        if (folderBack) {
            ++restored;
            line.Add("restore: %s%s renamed back;", culture, HiddenCultureSuffix);
        } else {
            line.Add("restore: %s%s not renamed back (%s);", culture, HiddenCultureSuffix,
                     Failure(hiddenFolder, folder, GetLastError()).text);
        }
        // PinnedCulture records only the last folder hidden file by file, and nothing of a run
        // abandoned by an earlier load: every culture's hidden files are renamed back. A file
        // that was not hidden has no hidden name, and a rename never replaces an existing name.
        int renamed = 0;
        for (const char* file : RstResourceFiles) {
            char shown[ConsolePathSize], hidden[ConsolePathSize];
            ResourceFilePaths(shown, hidden, programFiles, culture, file);
            if (Rename(hidden, shown)) {
                ++renamed;
                continue;
            }
            const DWORD error = GetLastError();
            if (error != ERROR_FILE_NOT_FOUND && error != ERROR_PATH_NOT_FOUND) {
                line.Add(" %s not renamed back (%s);", file, Failure(hidden, shown, error).text);
                unusual = true;
            }
        }
        if (renamed > 0) {
            line.Add(" %d of %d files renamed back", renamed, RstResourceFileCount);
            unusual = true;
        }
        if (line.length > 0 && line.text[line.length - 1] == ';')
            line.text[--line.length] = 0;
        if (unusual)
            Trace("OrbLib", "%s", line.text);
    }
    // The folders given back as planned in one line; every other culture has had a line of its own.
    Trace("OrbLib", "restore: %d of %d culture folders renamed back from <culture>%s", restored, RstCultureCount,
          HiddenCultureSuffix);
    return true;
}

extern "C" bool __cdecl ChangeDirName()
{
    return ExportBool(RenameLanguageEntries("hide", "", HiddenLanguageSuffix));
}

bool RestoreDirName()
{
    return RenameLanguageEntries("restore", HiddenLanguageSuffix, "");
}

void DetectRstConsole()
{
    // From the system folder by its full path: never a PSAPI.DLL planted beside the program.
    char path[MAX_PATH + 16];
    const UINT length = GetSystemDirectoryA(path, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) {
        Trace("OrbLib", "detect: the system folder is unknown: no detection");
        return;
    }
    std::strcpy(path + length, "\\PSAPI.DLL");
    HMODULE psapi = LoadLibraryA(path);
    if (!psapi) {
        Trace("OrbLib", "detect: %s not loaded (error %lu): no detection", Shown(path).text, GetLastError());
        return;
    }
    // Neither is called: their presence is the condition for the detection.
    GetProcAddress(psapi, "EnumProcessModules");
    if (GetProcAddress(psapi, "GetModuleBaseNameA")) {
        EnumDesktopWindows(nullptr, CollectVisibleWindow, 0);
        int matches = 0;
        for (HWND window : VisibleWindowList) {
            char title[WindowTitleSize] = {};
            if (GetWindowTextA(window, title, WindowTitleSize) <= 0)
                title[0] = 0;
            if (std::strstr(title, RstWindowTitleText)) {
                bounded_text::CopyField(RstConsoleTitle, title);
                ++matches;
            }
        }
        if (matches > 0)
            Trace("OrbLib", "detect: %d of %lu listed visible windows have \"%s\" in their title; console title \"%s\"",
                  matches, static_cast<unsigned long>(VisibleWindowList.size()), RstWindowTitleText,
                  Shown(RstConsoleTitle).text);
        else
            Trace("OrbLib", "detect: none of %lu listed visible windows has \"%s\" in its title; the console title "
                  "stays \"%s\"", static_cast<unsigned long>(VisibleWindowList.size()), RstWindowTitleText,
                  Shown(RstConsoleTitle).text);
    } else {
        Trace("OrbLib", "detect: %s has no GetModuleBaseNameA: no detection", Shown(path).text);
    }
    FreeLibrary(psapi);
}
