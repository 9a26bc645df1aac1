#pragma once
// The libraries' diagnostic trace: one line per decision, each starting with the library's name
// ("orb2: ...", "OrbLib: ..."), for a debugger or a debug-output viewer on the user's PC. The
// lines are built here, in a fixed buffer and cut to fit, without Windows headers; sending them
// (OutputDebugStringA) and reading the clock (GetTickCount) are trace_win32.cpp's.
//
//   Trace("orb2", "smart probe: PhysicalDrive%d: model \"%s\"", slot, Shown(disk.model).text);
//
// Texts from outside the library (device strings, window titles, the report's values) go
// through Shown, which cuts them and writes unprintable bytes as \xNN, so that no outside text
// can make a line longer, split it or hide what follows it.
#include <cstddef>
#include <cstdint>
#include <type_traits>

constexpr std::size_t TraceLineSize = 512;  // a longer line is cut and ends in "..."
constexpr std::size_t TraceTextSize = 124;  // Shown's text: at most 120 characters

// Where a finished line goes: OutputDebugStringA in the Windows builds, nowhere natively (null).
// A test may point it elsewhere.
using TraceOutput = void (*)(const char* line);
extern TraceOutput traceOutput;

// Sends "<library>: <formatted text>" and a line feed to traceOutput; nothing is formatted when
// it is null.
void Trace(const char* library, const char* format, ...) __attribute__((format(printf, 2, 3)));

// The line Trace would send, without sending it; answers its length.
std::size_t FormatTraceLine(char (&line)[TraceLineSize], const char* library, const char* format, ...)
    __attribute__((format(printf, 3, 4)));

// An outside text made fit for a trace line: read no further than `sourceSize` bytes or its
// NUL, printable ASCII kept, every other byte and a double quote written as \xNN,
// cut after 120 characters with "...". A null source gives "(null)".
struct TraceText {
    char text[TraceTextSize];
};
TraceText Shown(const char* source, std::size_t sourceSize);

// A record's field: read no further than its size, whether or not it holds a NUL.
template <std::size_t N>
TraceText Shown(const char (&field)[N])
{
    return Shown(field, N);
}

// A NUL-terminated text (or null). A template that takes no array of known size, because a
// plain Shown(const char*) would win over the form above for a const record's field and read it
// past its size.
template <typename Text, typename std::enable_if<std::extent<Text>::value == 0 &&
                                                     std::is_convertible<Text, const char*>::value,
                                                 int>::type = 0>
TraceText Shown(const Text& source)
{
    return Shown(static_cast<const char*>(source), static_cast<std::size_t>(-1));
}

// Milliseconds of a steady clock (GetTickCount on Windows), for the durations a trace reports.
std::uint32_t TraceMilliseconds();
