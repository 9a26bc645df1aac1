// scan_bench MACHINE_FILE [RUNS]: loads orb2.dll from this program's folder, runs query 0 RUNS
// times (default 5) on the described machine and prints each scan's wall time divided by
// 1,000 ms, the least a scan can take when the tool's report appears within its first second.
#include <windows.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "tools/simulated_machine/simulated_machine.h"

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

    double best = 1e300, total = 0;
    for (int run = 0; run < runs; ++run) {
        const auto start = std::chrono::steady_clock::now();
        std::free(kvFunc(0, 0, nullptr));
        const double ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
        std::printf("scan %d: %.1f ms = %.3f x 1000 ms\n", run + 1, ms, ms / 1000.0);
        best = ms < best ? ms : best;
        total += ms;
    }
    std::printf("query 0 on %s: best %.3f, mean %.3f (wall time / 1000 ms, %d scans)\n", argv[1], best / 1000.0,
                total / runs / 1000.0, runs);
    simulation.Detach();
    FreeLibrary(orb2);
    return 0;
}
