// STAND-IN, not part of the product: plays the main application (orb_ii.exe) or the update
// program (RENEWX.EXE) for OrbTray's tests.
//
// Appends one line to "<own path without .exe>.standin.log": the command line after the program
// name, exactly as received (separating blanks included). Then it ends, or, when the environment
// variable ORB_STANDIN_STAY is set, stays until the named event "OrbStandinRelease" is signalled
// (at most two minutes), so that a test sees a start while an earlier copy still runs.
#include <windows.h>

#include <cstring>

static const char* ParametersOf(const char* commandLine)
{
    const char* p = commandLine;
    if (*p == '"') {
        ++p;
        while (*p != '\0' && *p != '"')
            ++p;
        if (*p == '"')
            ++p;
    } else {
        while (*p != '\0' && *p != ' ' && *p != '\t')
            ++p;
    }
    return p;
}

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    char log[MAX_PATH + 16] = {};
    const DWORD length = GetModuleFileNameA(nullptr, log, MAX_PATH);
    if (length == 0 || length >= MAX_PATH)
        return 1;
    char* dot = strrchr(log, '.');
    if (dot != nullptr && strchr(dot, '\\') == nullptr)
        *dot = '\0';
    strcat(log, ".standin.log");

    const char* parameters = ParametersOf(GetCommandLineA());
    HANDLE file = CreateFileA(log, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return 1;
    DWORD written = 0;
    char line[1024];
    const size_t size = strnlen(parameters, sizeof(line) - 3);
    memcpy(line, parameters, size);
    memcpy(line + size, "\r\n", 2);
    WriteFile(file, line, static_cast<DWORD>(size + 2), &written, nullptr);
    CloseHandle(file);

    char stay[8];
    if (GetEnvironmentVariableA("ORB_STANDIN_STAY", stay, sizeof(stay)) > 0) {
        HANDLE release = CreateEventA(nullptr, TRUE, FALSE, "OrbStandinRelease");
        if (release != nullptr) {
            WaitForSingleObject(release, 120000);
            CloseHandle(release);
        }
    }
    return 0;
}
