// Where the trace goes on Windows: the debugger of the process, or else any debug-output viewer
// (DebugView and the like). OutputDebugStringA returns at once when nobody listens. The caller's
// last-error value is kept: a trace line changes nothing its caller may read afterwards.
#include <windows.h>

#include "common/trace.h"

void SendTraceLine(const char* line)
{
    const DWORD error = GetLastError();
    OutputDebugStringA(line);
    SetLastError(error);
}

std::uint32_t TraceMilliseconds()
{
    return GetTickCount();
}
