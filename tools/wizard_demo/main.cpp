// wizard_demo: a create-volume run of OrbLib's Rapid Storage Technology steps against the
// stand-in console, called one step after another as the main application calls them. Prints
// each step's result, then OrbLib's trace (its debug strings) and what the console received,
// interleaved in time order, and saves a picture of the screen in the middle of the run.
//   wizard_demo [SCREENSHOT.bmp]
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "common/debug_output_win32.h"
#include "testing/standins/console_control/console_control_win32.h"
#include "testing/standins/console_control/input_win32.h"

namespace {

using Step = bool(__cdecl*)();

// The whole screen as a 24-bit bottom-up BMP file.
bool SaveScreen(const char* path)
{
    const int width = GetSystemMetrics(SM_CXSCREEN), height = GetSystemMetrics(SM_CYSCREEN);
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, width, height);
    HGDIOBJ old = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, width, height, screen, 0, 0, SRCCOPY);
    SelectObject(memory, old);

    BITMAPINFOHEADER info = {};
    info.biSize = sizeof(info);
    info.biWidth = width;
    info.biHeight = height;
    info.biPlanes = 1;
    info.biBitCount = 24;
    info.biCompression = BI_RGB;
    const DWORD stride = (DWORD(width) * 3 + 3) & ~3u;
    std::string pixels(size_t(stride) * height, '\0');
    GetDIBits(memory, bitmap, 0, height, &pixels[0], reinterpret_cast<BITMAPINFO*>(&info), DIB_RGB_COLORS);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);

    BITMAPFILEHEADER file = {};
    file.bfType = 0x4D42;  // "BM"
    file.bfOffBits = sizeof(file) + sizeof(info);
    file.bfSize = file.bfOffBits + DWORD(pixels.size());
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(&file), sizeof(file));
    out.write(reinterpret_cast<const char*>(&info), sizeof(info));
    out.write(pixels.data(), std::streamsize(pixels.size()));
    return bool(out);
}

}  // namespace

int main(int argc, char** argv)
{
    const char* screenshot = argc > 1 ? argv[1] : nullptr;
    orbtest::ConsoleInstallation console(orbtest::Console::Rst);
    if (!console.ok()) {
        std::fprintf(stderr, "wizard_demo: cannot install the stand-in console: %s\n", console.error().c_str());
        return 2;
    }
    debug_output::DebugStringCapture trace;  // OrbLib's trace, from its loading on
    if (!trace.Start())
        std::fprintf(stderr, "wizard_demo: cannot catch OrbLib's trace\n");
    HMODULE orbLib = LoadLibraryA("OrbLib.dll");
    if (orbLib == nullptr) {
        std::fprintf(stderr, "wizard_demo: cannot load OrbLib.dll (error %lu)\n", GetLastError());
        return 3;
    }
    auto step = [&](const char* name) {
        auto function = reinterpret_cast<Step>(GetProcAddress(orbLib, name));
        const bool result = function != nullptr && function();
        std::printf("%-32s -> %s\n", name, result ? "true" : "false");
        std::fflush(stdout);
        orbtest::PumpMessages();  // as the main application's message loop would between steps
        return result;
    };

    std::printf("== OrbLib create-volume run against the stand-in Intel(R) Rapid Storage Technology console\n");
    bool ok = step("ShellRunIntel95");                       // start, find, Alt+C ... Tab x3
    ok = ok && step("ShellRunIntel95_HDD_DOWN_SPACE");       // tick the second disk
    ok = ok && step("ShellRunIntel95_HDD_Count_End");        // Enter: Next
    if (ok && screenshot) {
        orbtest::WaitForLog(orbtest::Console::Rst, [](const std::vector<orbtest::LogEvent>& events) {
            for (const auto& e : events)
                if (e.kind == "action" && e.Field("page") == "Create: review")
                    return true;
            return false;
        });
        std::printf("%-32s -> %s\n", "(screenshot)", SaveScreen(screenshot) ? screenshot : "failed");
    }
    ok = ok && step("ShellRunIntel95_Down");                 // Enter on the console, close the run

    // Both sides carry GetTickCount's milliseconds: OrbLib's lines when they were caught, the
    // console's log lines in their ms field.
    struct Timed {
        unsigned long tick;
        int order;  // OrbLib's line first at the same millisecond: its decision came first
        std::string text;
    };
    std::vector<Timed> timeline;
    for (const debug_output::DebugLine& line : trace.Take())
        timeline.push_back({line.tick, 0, line.text});
    std::ifstream log(orbtest::ConsoleLogPath(orbtest::Console::Rst));
    std::string line;
    while (std::getline(log, line)) {
        if (line.rfind("entry", 0) == 0)
            continue;  // the localized entries seen at start: 192 lines, summarised below
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        timeline.push_back({orbtest::ParseLogLine(line).tick, 1, "  console: " + line});
    }
    std::stable_sort(timeline.begin(), timeline.end(), [](const Timed& a, const Timed& b) {
        return a.tick != b.tick ? a.tick < b.tick : a.order < b.order;
    });
    std::printf("\n== OrbLib's trace and what the console received (%s), in time order\n",
                orbtest::ConsoleLogPath(orbtest::Console::Rst).c_str());
    const unsigned long first = timeline.empty() ? 0 : timeline.front().tick;
    for (const Timed& entry : timeline)
        std::printf("%6lu ms  %s\n", entry.tick - first, entry.text.c_str());
    int visible = 0, total = 0;
    for (const auto& e : orbtest::ReadConsoleLog(orbtest::Console::Rst))
        if (e.kind == "entry") {
            ++total;
            visible += e.Field("visible") == "1";
        }
    std::printf("localized entries visible when the console started: %d of %d\n", visible, total);
    FreeLibrary(orbLib);
    return ok ? 0 : 1;
}
