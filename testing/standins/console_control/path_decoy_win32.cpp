// The decoy an unquoted "C:\Program Files\…" command line would start instead of its program.
#include "testing/standins/console_control/console_control_win32.h"

#include "testing/standins/console_common/console_entries.h"
#include "testing/support/program_files_win32.h"
#include "testing/support/this_program_win32.h"

namespace orbtest {
namespace {

// "C:\Program" for "C:\Program Files": the program files path up to its first blank.
std::string PathDecoyBase()
{
    std::string programFiles = ProgramFilesFolder();
    std::string::size_type blank = programFiles.find(' ');
    return blank == std::string::npos ? std::string() : programFiles.substr(0, blank);
}

}  // namespace

std::string InstallPathDecoy()
{
    std::string base = PathDecoyBase();
    if (base.empty())
        return "the Program Files folder has no blank";
    RemovePathDecoy();
    std::string source = ThisProgramFolder() + standin::kRstProgram;
    if (!CopyFileA(source.c_str(), (base + ".exe").c_str(), FALSE))
        return "can't copy " + source + " to " + base + ".exe: error " + std::to_string(GetLastError());
    return std::string();
}

void RemovePathDecoy()
{
    std::string base = PathDecoyBase();
    if (base.empty())
        return;
    DeleteFileA((base + ".exe").c_str());
    DeleteFileA((base + ".log").c_str());
}

std::string PathDecoyLogPath()
{
    std::string base = PathDecoyBase();
    return base.empty() ? base : base + ".log";
}

bool PathDecoyStarted()
{
    std::string log = PathDecoyLogPath();
    return !log.empty() && GetFileAttributesA(log.c_str()) != INVALID_FILE_ATTRIBUTES;
}

}  // namespace orbtest
