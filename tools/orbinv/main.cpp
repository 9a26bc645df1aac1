// orbinv: loads orb2.dll from its own folder exactly as the main application does
// (LoadLibraryA, GetProcAddress "KVFunc"), runs the inventory scan and prints what it answers.
// "orbinv --machine FILE" runs the unchanged orb2.dll against a simulated machine described in
// FILE (tools/simulated_machine/machines/default.json is a realistic one).
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "inventory/orb2.h"
#include "tools/simulated_machine/simulated_machine.h"

namespace {

using KVFuncType = char*(__cdecl*)(unsigned int, int, const char*);

struct Query {
    unsigned int type;
    const char* label;
};

const Query kSummaryQueries[] = {
    {1, "physical disks"},
    {11, "RAID disks"},
    {17, "RAID volume state"},
};

bool ModuleFolderPath(const char* fileName, char* path, size_t size)
{
    DWORD length = GetModuleFileNameA(nullptr, path, static_cast<DWORD>(size));
    if (length == 0 || length >= size)
        return false;
    char* slash = std::strrchr(path, '\\');
    size_t folder = slash ? static_cast<size_t>(slash - path + 1) : 0;
    if (folder + std::strlen(fileName) + 1 > size)
        return false;
    std::strcpy(path + folder, fileName);
    return true;
}

}  // namespace

void PrintDisks(KVFuncType kvFunc)
{
    char* count = kvFunc(1, 0, nullptr);
    int disks = count ? std::atoi(count) : 0;
    std::free(count);
    const Query kDiskQueries[] = {{2, "drive"}, {3, "model"}, {4, "serial"}, {5, "firmware"}, {6, "media"},
                                  {7, "bytes"}, {8, "status"}, {22, "empty flag"}};
    for (int i = 0; i < disks && i < 50; ++i) {
        std::printf("disk %d:", i);
        for (const Query& query : kDiskQueries) {
            char* answer = kvFunc(query.type, i, nullptr);
            std::printf(" %s=\"%s\"", query.label, answer ? answer : "");
            std::free(answer);
        }
        std::printf("\n");
    }
}

int main(int argc, char** argv)
{
    const char* machineFile = nullptr;
    if (argc == 3 && std::strcmp(argv[1], "--machine") == 0) {
        machineFile = argv[2];
    } else if (argc != 1) {
        std::fprintf(stderr, "usage: orbinv [--machine FILE]\n");
        return 2;
    }
    char path[MAX_PATH];
    if (!ModuleFolderPath("orb2.dll", path, sizeof(path))) {
        std::fprintf(stderr, "orbinv: the program's folder path is too long\n");
        return 2;
    }
    HMODULE orb2 = LoadLibraryA(path);
    if (orb2 == nullptr) {
        std::fprintf(stderr, "orbinv: cannot load %s (error %lu)\n", path, GetLastError());
        return 2;
    }
    auto kvFunc = reinterpret_cast<KVFuncType>(GetProcAddress(orb2, "KVFunc"));
    if (kvFunc == nullptr) {
        std::fprintf(stderr, "orbinv: %s has no export KVFunc\n", path);
        FreeLibrary(orb2);
        return 3;
    }

    simulated_machine::Simulation simulation;
    if (machineFile != nullptr) {
        simulated_machine::Machine machine;
        std::string error;
        if (!simulated_machine::LoadMachineFile(machineFile, machine, error) ||
            !simulation.Attach(orb2, machine, &error)) {
            std::fprintf(stderr, "orbinv: %s\n", error.c_str());
            FreeLibrary(orb2);
            return 2;
        }
    }

    std::free(kvFunc(0, 0, nullptr));
    for (const Query& query : kSummaryQueries) {
        char* answer = kvFunc(query.type, 0, nullptr);
        std::printf("%-18s (query %2u): %s\n", query.label, query.type, answer ? answer : "(no answer)");
        std::free(answer);
    }
    PrintDisks(kvFunc);
    char* system = kvFunc(9, 0, "C");
    std::printf("letter C (query  9): physical drive %s\n", system ? system : "");
    std::free(system);
    simulation.Detach();
    FreeLibrary(orb2);
    return 0;
}
