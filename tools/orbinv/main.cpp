// orbinv: loads orb2.dll from its own folder exactly as the main application does
// (LoadLibraryA, GetProcAddress "KVFunc"), runs the inventory scan and prints what it answers.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "inventory/orb2.h"

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

int main()
{
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

    std::free(kvFunc(0, 0, nullptr));
    for (const Query& query : kSummaryQueries) {
        char* answer = kvFunc(query.type, 0, nullptr);
        std::printf("%-18s (query %2u): %s\n", query.label, query.type, answer ? answer : "(no answer)");
        std::free(answer);
    }
    FreeLibrary(orb2);
    return 0;
}
