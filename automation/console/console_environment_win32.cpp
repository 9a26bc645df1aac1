// Hiding and restoring the consoles' localized resources; detecting the running console.
#include <windows.h>
#include <shlobj.h>

#include <cstring>

#include "automation/console/console_environment.h"
#include "automation/console/console_names.h"
#include "automation/keyscript/key_script_sender.h"

char PinnedCulture[256];
char RstConsoleTitle[255];

namespace {

constexpr int CsidlProgramFiles = 38;  // CSIDL_PROGRAM_FILES
constexpr int WindowTitleSize = 260;
const char RstWindowTitleText[] = "Rapid Storage Technology";

bool ProgramFilesFolder(char (&folder)[MAX_PATH])
{
    folder[0] = 0;
    return SUCCEEDED(SHGetFolderPathA(nullptr, CsidlProgramFiles, nullptr, 0, folder));
}

// One MoveFileA; false when it fails or a path does not fit its buffer.
bool Rename(const char* from, const char* to)
{
    return from[0] && to[0] && MoveFileA(from, to) != FALSE;
}

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

void CopyText(char* target, std::size_t size, const char* source)
{
    const std::size_t length = strnlen(source, size - 1);
    std::memcpy(target, source, length);
    target[length] = 0;
}

// Matrix Storage Manager: every language entry from "<code><fromSuffix>" to "<code><toSuffix>".
bool RenameLanguageEntries(const char* fromSuffix, const char* toSuffix)
{
    char programFiles[MAX_PATH];
    if (!ProgramFilesFolder(programFiles))
        return false;
    for (const char* language : MsmLanguages) {
        char from[ConsolePathSize], to[ConsolePathSize];
        const char* fromParts[] = {programFiles, MsmFolderText, language, fromSuffix};
        const char* toParts[] = {programFiles, MsmFolderText, language, toSuffix};
        if (JoinPath(from, fromParts, 4) && JoinPath(to, toParts, 4))
            Rename(from, to);
    }
    return true;
}

}  // namespace

bool HideRstResources()
{
    char programFiles[MAX_PATH];
    if (!ProgramFilesFolder(programFiles))
        return false;
    for (const char* culture : RstCultures) {
        char folder[ConsolePathSize], hiddenFolder[ConsolePathSize];
        CulturePath(folder, programFiles, culture, "");
        CulturePath(hiddenFolder, programFiles, culture, HiddenCultureSuffix);
        if (Rename(folder, hiddenFolder))
            continue;
        // In use or missing: hide its resource files one by one instead.
        CopyText(PinnedCulture, sizeof(PinnedCulture), culture);
        for (const char* file : RstResourceFiles) {
            char shown[ConsolePathSize], hidden[ConsolePathSize];
            ResourceFilePaths(shown, hidden, programFiles, culture, file);
            Rename(shown, hidden);
        }
    }
    return true;
}

bool RestoreRstResources()
{
    char programFiles[MAX_PATH];
    if (!ProgramFilesFolder(programFiles))
        return false;
    for (const char* culture : RstCultures) {
        char folder[ConsolePathSize], hiddenFolder[ConsolePathSize];
        CulturePath(folder, programFiles, culture, "");
        CulturePath(hiddenFolder, programFiles, culture, HiddenCultureSuffix);
        Rename(hiddenFolder, folder);
        // PinnedCulture records only the last folder hidden file by file, and nothing of a run
        // abandoned by an earlier load: every culture's hidden files are renamed back. A file
        // that was not hidden has no hidden name, and a rename never replaces an existing name.
        for (const char* file : RstResourceFiles) {
            char shown[ConsolePathSize], hidden[ConsolePathSize];
            ResourceFilePaths(shown, hidden, programFiles, culture, file);
            Rename(hidden, shown);
        }
    }
    return true;
}

extern "C" bool __cdecl ChangeDirName()
{
    return RenameLanguageEntries("", HiddenLanguageSuffix);
}

bool RestoreDirName()
{
    return RenameLanguageEntries(HiddenLanguageSuffix, "");
}

void DetectRstConsole()
{
    // From the system folder by its full path: never a PSAPI.DLL planted beside the program.
    char path[MAX_PATH + 16];
    const UINT length = GetSystemDirectoryA(path, MAX_PATH);
    if (length == 0 || length >= MAX_PATH)
        return;
    std::strcpy(path + length, "\\PSAPI.DLL");
    HMODULE psapi = LoadLibraryA(path);
    if (!psapi)
        return;
    // Neither is called: their presence is the condition for the detection.
    GetProcAddress(psapi, "EnumProcessModules");
    if (GetProcAddress(psapi, "GetModuleBaseNameA")) {
        EnumDesktopWindows(nullptr, CollectVisibleWindow, 0);
        for (HWND window : VisibleWindowList) {
            char title[WindowTitleSize] = {};
            if (GetWindowTextA(window, title, WindowTitleSize) <= 0)
                title[0] = 0;
            if (std::strstr(title, RstWindowTitleText))
                CopyText(RstConsoleTitle, sizeof(RstConsoleTitle), title);
        }
    }
    FreeLibrary(psapi);
}
