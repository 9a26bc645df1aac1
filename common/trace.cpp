#include "common/trace.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>

#include "common/bounded_text.h"

#if defined(_WIN32)
void SendTraceLine(const char* line);  // trace_win32.cpp
TraceOutput traceOutput = SendTraceLine;
#else
#include <chrono>
TraceOutput traceOutput = nullptr;

std::uint32_t TraceMilliseconds()
{
    const auto now = std::chrono::steady_clock::now().time_since_epoch();
    return static_cast<std::uint32_t>(std::chrono::duration_cast<std::chrono::milliseconds>(now).count());
}
#endif

namespace {

constexpr char CutMark[] = "...";

std::size_t FormatLine(char (&line)[TraceLineSize], const char* library, const char* format, va_list arguments)
{
    // Room is kept for the line feed and the terminator.
    constexpr std::size_t textEnd = TraceLineSize - 2;
    int written = std::snprintf(line, textEnd, "%s: ", library ? library : "");
    std::size_t length = written < 0 ? 0 : (static_cast<std::size_t>(written) < textEnd ? written : textEnd - 1);
    written = std::vsnprintf(line + length, textEnd - length, format, arguments);
    if (written < 0) {
        line[length] = 0;
    } else if (length + static_cast<std::size_t>(written) >= textEnd) {
        length = textEnd - 1;
        std::memcpy(line + length - (sizeof(CutMark) - 1), CutMark, sizeof(CutMark) - 1);
    } else {
        length += static_cast<std::size_t>(written);
    }
    line[length++] = '\n';
    line[length] = 0;
    return length;
}

}  // namespace

void Trace(const char* library, const char* format, ...)
{
    if (traceOutput == nullptr)
        return;
    char line[TraceLineSize];
    va_list arguments;
    va_start(arguments, format);
    FormatLine(line, library, format, arguments);
    va_end(arguments);
    traceOutput(line);
}

std::size_t FormatTraceLine(char (&line)[TraceLineSize], const char* library, const char* format, ...)
{
    va_list arguments;
    va_start(arguments, format);
    const std::size_t length = FormatLine(line, library, format, arguments);
    va_end(arguments);
    return length;
}

TraceText Shown(const char* source, std::size_t sourceSize)
{
    constexpr std::size_t shownLimit = TraceTextSize - sizeof(CutMark);  // 120 characters
    TraceText shown;
    if (source == nullptr) {
        bounded_text::CopyField(shown.text, "(null)");
        return shown;
    }
    std::size_t length = 0;
    for (std::size_t i = 0; i < sourceSize && source[i] != 0; ++i) {
        const unsigned char c = static_cast<unsigned char>(source[i]);
        const bool plain = c >= 0x20 && c < 0x7F && c != '"';
        const std::size_t needed = plain ? 1 : 4;
        if (length + needed > shownLimit) {
            std::memcpy(shown.text + length, CutMark, sizeof(CutMark));
            return shown;
        }
        if (plain)
            shown.text[length++] = static_cast<char>(c);
        else
            length += static_cast<std::size_t>(std::snprintf(shown.text + length, 5, "\\x%02X", c));
    }
    shown.text[length] = 0;
    return shown;
}
