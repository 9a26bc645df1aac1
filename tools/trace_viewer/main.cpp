// trace_viewer: runs a program as its debugger and prints every debug string the program emits
// (OutputDebugStringA: orb2's and OrbLib's trace), one line each, with the milliseconds since the
// program started. What support runs on a customer's PC, beside the main application:
//
//   trace_viewer "C:\Program Files\korvante\orb_ii\orb_ii.exe" quasp > trace.txt
//
// Only the program itself is debugged, not the programs it starts. Its own output, its exit code
// and its crashes are its own: every exception goes back to it unhandled, and trace_viewer exits
// with the program's exit code (or 126 when the program can't be started, 2 for a usage error).
#include <windows.h>

#include <cstdio>
#include <string>

#include "common/debug_output_win32.h"

namespace {

constexpr SIZE_T kLongestString = 4096;

// The command line's tail after trace_viewer's own name, as the program is to receive it.
const char* ProgramCommandLine()
{
    const char* line = GetCommandLineA();
    bool quoted = false;
    for (; *line != '\0'; ++line) {
        if (*line == '"')
            quoted = !quoted;
        else if (!quoted && (*line == ' ' || *line == '\t'))
            break;
    }
    while (*line == ' ' || *line == '\t')
        ++line;
    return line;
}

std::string ReadDebugString(HANDLE process, const OUTPUT_DEBUG_STRING_INFO& info)
{
    SIZE_T length = info.nDebugStringLength;
    if (info.fUnicode)
        length *= 2;
    if (length > kLongestString)
        length = kLongestString;
    std::string bytes(length, '\0');
    SIZE_T read = 0;
    if (length == 0 || !ReadProcessMemory(process, info.lpDebugStringData, &bytes[0], length, &read))
        return "(unreadable debug string)";
    bytes.resize(read);
    if (!info.fUnicode)
        return debug_output::DebugText(bytes.data(), bytes.size());
    std::string text;
    for (SIZE_T i = 0; i + 1 < bytes.size(); i += 2) {
        const unsigned code = static_cast<unsigned char>(bytes[i]) | static_cast<unsigned char>(bytes[i + 1]) << 8;
        if (code == 0)
            break;
        text += code < 0x80 ? static_cast<char>(code) : '?';
    }
    return debug_output::DebugText(text.data(), text.size());
}

}  // namespace

int main(int argc, char**)
{
    if (argc < 2) {
        std::fputs("usage: trace_viewer PROGRAM [ARGUMENTS...]\n", stderr);
        return 2;
    }
    std::string commandLine = ProgramCommandLine();
    STARTUPINFOA startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION started = {};
    if (!CreateProcessA(nullptr, &commandLine[0], nullptr, nullptr, TRUE, DEBUG_ONLY_THIS_PROCESS, nullptr, nullptr,
                        &startup, &started)) {
        std::fprintf(stderr, "trace_viewer: cannot start %s (error %lu)\n", commandLine.c_str(), GetLastError());
        return 126;
    }
    const DWORD start = GetTickCount();
    DWORD exitCode = 0;
    bool running = true;
    while (running) {
        DEBUG_EVENT event;
        if (!WaitForDebugEvent(&event, INFINITE)) {
            std::fprintf(stderr, "trace_viewer: lost the program (error %lu)\n", GetLastError());
            return 126;
        }
        DWORD answer = DBG_CONTINUE;
        switch (event.dwDebugEventCode) {
        case OUTPUT_DEBUG_STRING_EVENT:
            std::printf("%7lu ms  %s\n", GetTickCount() - start,
                        ReadDebugString(started.hProcess, event.u.DebugString).c_str());
            std::fflush(stdout);
            break;
        case EXCEPTION_DEBUG_EVENT:
            // The breakpoint Windows raises when the program starts is the debugger's; every
            // other exception is the program's to handle.
            if (event.u.Exception.ExceptionRecord.ExceptionCode != EXCEPTION_BREAKPOINT)
                answer = DBG_EXCEPTION_NOT_HANDLED;
            if (!event.u.Exception.dwFirstChance)
                std::fprintf(stderr, "trace_viewer: the program did not handle exception 0x%08lX\n",
                             event.u.Exception.ExceptionRecord.ExceptionCode);
            break;
        case CREATE_PROCESS_DEBUG_EVENT:
            if (event.u.CreateProcessInfo.hFile)
                CloseHandle(event.u.CreateProcessInfo.hFile);
            break;
        case LOAD_DLL_DEBUG_EVENT:
            if (event.u.LoadDll.hFile)
                CloseHandle(event.u.LoadDll.hFile);
            break;
        case EXIT_PROCESS_DEBUG_EVENT:
            exitCode = event.u.ExitProcess.dwExitCode;
            running = false;
            break;
        default:
            break;
        }
        ContinueDebugEvent(event.dwProcessId, event.dwThreadId, answer);
    }
    CloseHandle(started.hThread);
    CloseHandle(started.hProcess);
    return static_cast<int>(exitCode);
}
