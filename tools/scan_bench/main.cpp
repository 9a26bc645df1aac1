// scan_bench MACHINE_FILE [RUNS]: loads orb2.dll from this program's folder, runs query 0 RUNS
// times (default 5) on the described machine and prints each scan's wall time divided by
// 1,000 ms, the least a scan can take when the tool's report appears within its first second.
// Then the cost of orb2's trace: RUNS more pairs of scans, one with a debug-output viewer
// listening (a thread of this program serves the channel DebugView serves) and one without, in
// turns, and the ratio of their mean wall times.
#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "common/debug_output_win32.h"
#include "testing/simulated_machine/simulated_machine.h"

namespace {

using KVFuncType = char*(__cdecl*)(unsigned int, int, const char*);

std::string BesideThisProgram(const char* name)
{
    char path[MAX_PATH] = {};
    DWORD length = GetModuleFileNameA(nullptr, path, sizeof path);
    if (length == 0 || length >= sizeof path)
        return name;
    char* slash = std::strrchr(path, '\\');
    if (slash != nullptr)
        slash[1] = '\0';
    return std::string(path) + name;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc < 2 || argc > 3) {
        std::fprintf(stderr, "usage: scan_bench MACHINE_FILE [RUNS]\n");
        return 2;
    }
    const int runs = argc == 3 ? std::atoi(argv[2]) : 5;
    if (runs < 1 || runs > 1000) {
        std::fprintf(stderr, "scan_bench: RUNS is 1 to 1000\n");
        return 2;
    }
    simulated_machine::Machine machine;
    std::string error;
    if (!simulated_machine::LoadMachineFile(argv[1], machine, error)) {
        std::fprintf(stderr, "scan_bench: %s: %s\n", argv[1], error.c_str());
        return 2;
    }
    const std::string dll = BesideThisProgram("orb2.dll");
    HMODULE orb2 = LoadLibraryA(dll.c_str());
    if (orb2 == nullptr) {
        std::fprintf(stderr, "scan_bench: cannot load %s (error %lu)\n", dll.c_str(), GetLastError());
        return 3;
    }
    auto kvFunc = reinterpret_cast<KVFuncType>(GetProcAddress(orb2, "KVFunc"));
    simulated_machine::Simulation simulation;
    if (kvFunc == nullptr || !simulation.Attach(orb2, machine, &error)) {
        std::fprintf(stderr, "scan_bench: %s\n", kvFunc == nullptr ? "orb2.dll has no export KVFunc" : error.c_str());
        FreeLibrary(orb2);
        return 3;
    }

    auto scan = [&] {
        const auto start = std::chrono::steady_clock::now();
        std::free(kvFunc(0, 0, nullptr));
        return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    };
    double best = 1e300, total = 0;
    for (int run = 0; run < runs; ++run) {
        const double ms = scan();
        std::printf("scan %d: %.1f ms = %.3f x 1000 ms\n", run + 1, ms, ms / 1000.0);
        best = ms < best ? ms : best;
        total += ms;
    }
    std::printf("query 0 on %s: best %.3f, mean %.3f (wall time / 1000 ms, %d scans)\n", argv[1], best / 1000.0,
                total / runs / 1000.0, runs);

    double quiet = 0, heard = 0;
    std::vector<double> ratios;
    std::size_t lines = 0;
    for (int run = 0; run < runs; ++run) {
        const double without = scan();
        debug_output::DebugOutputListener listener;
        if (!listener.Start()) {
            std::fprintf(stderr, "scan_bench: another debug-output viewer runs: no trace cost measured\n");
            break;
        }
        const double with = scan();
        listener.Stop();
        lines = listener.Take().size();
        std::printf("pair %d: %.1f ms without a listener, %.1f ms with one (%zu trace lines)\n", run + 1, without,
                    with, lines);
        quiet += without;
        heard += with;
        ratios.push_back(with / without);
    }
    if (!ratios.empty()) {
        std::sort(ratios.begin(), ratios.end());
        const size_t n = ratios.size();
        const double median = n % 2 ? ratios[n / 2] : (ratios[n / 2 - 1] + ratios[n / 2]) / 2;
        std::printf("trace cost of query 0: mean %.1f ms with a listener / %.1f ms without = %.4f; median of the "
                    "pairs' ratios %.4f (%zu pairs, %zu lines a scan)\n", heard / n, quiet / n, heard / quiet, median,
                    n, lines);
    }
    simulation.Detach();
    FreeLibrary(orb2);
    return 0;
}
