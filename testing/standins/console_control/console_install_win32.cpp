// Putting the stand-ins where Intel's installer puts the consoles, and taking them away again.
// QueryFullProcessImageNameA is a Windows Vista function; this library only runs under Wine.
#undef _WIN32_WINNT
#define _WIN32_WINNT 0x0600

#include "testing/standins/console_control/console_control_win32.h"

#include <tlhelp32.h>

#include <algorithm>

#include "testing/standins/console_common/console_entries.h"
#include "testing/support/this_program_win32.h"
#include "testing/support/folders_win32.h"
#include "testing/support/program_files_win32.h"

namespace orbtest {
namespace {

bool SameText(const std::string& a, const std::string& b)
{
    return a.size() == b.size() && CompareStringA(LOCALE_INVARIANT, NORM_IGNORECASE, a.data(),
                                                  static_cast<int>(a.size()), b.data(),
                                                  static_cast<int>(b.size())) == CSTR_EQUAL;
}

const char* ProgramName(Console console)
{
    return console == Console::Rst ? standin::kRstProgram : standin::kMsmProgram;
}

bool MakeFolders(const std::string& path)
{
    for (std::string::size_type slash = path.find('\\', 3); slash != std::string::npos;
         slash = path.find('\\', slash + 1)) {
        std::string part = path.substr(0, slash);
        if (!IsFolder(part) && !CreateDirectoryA(part.c_str(), nullptr))
            return false;
    }
    return IsFolder(path) || CreateDirectoryA(path.c_str(), nullptr);
}

bool WriteSmallFile(const std::string& path, const std::string& text)
{
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    DWORD written = 0;
    bool ok = WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr) &&
              written == text.size();
    CloseHandle(file);
    return ok;
}

bool Omitted(const std::vector<std::string>& omit, const std::string& entry)
{
    return std::any_of(omit.begin(), omit.end(), [&](const std::string& o) { return SameText(o, entry); });
}

std::string FolderWithoutSlash(Console console)
{
    std::string folder = ConsoleFolder(console);
    return folder.empty() ? folder : folder.substr(0, folder.size() - 1);
}

// Running copies of the console's program started from its folder, as open process handles
// (query, terminate, wait) that the caller closes. The image is checked through the same handle
// that is returned: a process id alone may be reused by another test's new process as soon as
// the console ends, and terminating it would kill that process while it starts.
std::vector<HANDLE> ConsoleProcesses(Console console)
{
    std::vector<HANDLE> found;
    std::string program = ConsoleProgramPath(console);
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE)
        return found;
    PROCESSENTRY32 entry = {};
    entry.dwSize = sizeof(entry);
    for (BOOL more = Process32First(snapshot, &entry); more; more = Process32Next(snapshot, &entry)) {
        if (!SameText(entry.szExeFile, ProgramName(console)))
            continue;
        HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION | PROCESS_TERMINATE | SYNCHRONIZE, FALSE,
                                     entry.th32ProcessID);
        if (!process)
            continue;
        char image[MAX_PATH + 1] = {};
        DWORD size = MAX_PATH;
        if (QueryFullProcessImageNameA(process, 0, image, &size) && SameText(image, program)
            && WaitForSingleObject(process, 0) == WAIT_TIMEOUT)
            found.push_back(process);
        else
            CloseHandle(process);
    }
    CloseHandle(snapshot);
    return found;
}

int CloseAll(const std::vector<HANDLE>& processes)
{
    for (HANDLE process : processes)
        CloseHandle(process);
    return static_cast<int>(processes.size());
}

}  // namespace

std::string ConsoleFolder(Console console)
{
    std::string programFiles = ProgramFilesFolder();
    if (programFiles.empty())
        return programFiles;
    return programFiles + "\\" + (console == Console::Rst ? standin::kRstFolder : standin::kMsmFolder) + "\\";
}

std::string ConsoleProgramPath(Console console) { return ConsoleFolder(console) + ProgramName(console); }

std::string ConsoleLogPath(Console console)
{
    std::string program = ProgramName(console);
    return ConsoleFolder(console) + program.substr(0, program.rfind('.')) + ".log";
}

std::string InstallConsole(Console console, const std::vector<std::string>& omit)
{
    std::string folder = ConsoleFolder(console);
    if (folder.empty())
        return "the Program Files folder can't be resolved";
    RemoveConsole(console);
    if (!MakeFolders(FolderWithoutSlash(console)))
        return "can't create " + folder;
    std::string source = ThisProgramFolder() + ProgramName(console);
    if (!CopyFileA(source.c_str(), ConsoleProgramPath(console).c_str(), FALSE))
        return "can't copy " + source + ": error " + std::to_string(GetLastError());

    if (console == Console::Rst) {
        for (const char* culture : standin::kRstCultures) {
            if (Omitted(omit, culture))
                continue;
            if (!CreateDirectoryA((folder + culture).c_str(), nullptr))
                return std::string("can't create the culture folder ") + culture;
            for (const char* file : standin::kRstResourceFiles) {
                std::string entry = std::string(culture) + "\\" + file;
                if (!Omitted(omit, entry) && !WriteSmallFile(folder + entry, "stand-in resource " + entry))
                    return "can't write " + entry;
            }
        }
    } else {
        for (std::size_t i = 0; i < standin::kMsmLanguageCount; ++i) {
            std::string language = standin::kMsmLanguages[i];
            if (Omitted(omit, language))
                continue;
            bool ok = standin::MsmLanguageIsFolder(i)
                          ? CreateDirectoryA((folder + language).c_str(), nullptr) &&
                                WriteSmallFile(folder + language + "\\Shell.rll", "stand-in " + language)
                          : WriteSmallFile(folder + language, "stand-in language " + language);
            if (!ok)
                return "can't create the language entry " + language;
        }
    }
    return std::string();
}

bool StopConsole(Console console)
{
    for (HANDLE process : ConsoleProcesses(console)) {
        TerminateProcess(process, 1);
        WaitForSingleObject(process, kWaitLimitMs);
        CloseHandle(process);
    }
    return CloseAll(ConsoleProcesses(console)) == 0;
}

int RunningConsoleCount(Console console) { return CloseAll(ConsoleProcesses(console)); }

bool RemoveConsole(Console console)
{
    std::string folder = FolderWithoutSlash(console);
    if (folder.empty())
        return false;
    StopConsole(console);
    bool removed = !IsFolder(folder) || RemoveTree(folder);
    std::string intel = folder.substr(0, folder.find_last_of('\\'));
    RemoveDirectoryA(intel.c_str());  // only when empty: the other console may be installed
    return removed;
}

ConsoleInstallation::ConsoleInstallation(Console console, const std::vector<std::string>& omit)
    : console_(console)
{
    ClearConsoleSwitches();
    error_ = InstallConsole(console, omit);
}

ConsoleInstallation::~ConsoleInstallation()
{
    ClearConsoleSwitches();
    RemoveConsole(console_);
}

std::vector<std::string> ListConsoleFolder(Console console)
{
    std::vector<std::string> entries;
    std::string folder = ConsoleFolder(console);
    std::string program = ProgramName(console);
    std::string log = program.substr(0, program.rfind('.')) + ".log";
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((folder + "*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return entries;
    do {
        std::string name = found.cFileName;
        if (name == "." || name == ".." || SameText(name, program) || SameText(name, log))
            continue;
        entries.push_back(name);
        if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
            continue;
        WIN32_FIND_DATAA inner;
        HANDLE innerSearch = FindFirstFileA((folder + name + "\\*").c_str(), &inner);
        if (innerSearch == INVALID_HANDLE_VALUE)
            continue;
        do {
            std::string innerName = inner.cFileName;
            if (innerName != "." && innerName != "..")
                entries.push_back(name + "\\" + innerName);
        } while (FindNextFileA(innerSearch, &inner));
        FindClose(innerSearch);
    } while (FindNextFileA(search, &found));
    FindClose(search);
    std::sort(entries.begin(), entries.end());
    return entries;
}

namespace {

std::vector<std::string> Entries(Console console, bool hidden)
{
    std::vector<std::string> entries;
    if (console == Console::Rst) {
        for (const char* culture : standin::kRstCultures) {
            std::string folder = std::string(culture) + (hidden ? "_X" : "");
            entries.push_back(folder);
            for (const char* file : standin::kRstResourceFiles)
                entries.push_back(folder + "\\" + file);
        }
    } else {
        for (std::size_t i = 0; i < standin::kMsmLanguageCount; ++i) {
            std::string entry = std::string(standin::kMsmLanguages[i]) + (hidden ? "_C" : "");
            entries.push_back(entry);
            if (standin::MsmLanguageIsFolder(i))
                entries.push_back(entry + "\\Shell.rll");
        }
    }
    std::sort(entries.begin(), entries.end());
    return entries;
}

}  // namespace

std::vector<std::string> InstalledEntries(Console console) { return Entries(console, false); }
std::vector<std::string> HiddenEntries(Console console) { return Entries(console, true); }

}  // namespace orbtest
