#include "testing/simulated_machine/import_patch_win32.h"

#include <cstdint>
#include <cstring>

namespace simulated_machine {

bool PatchImports(HMODULE module, const ImportReplacement* replacements, size_t count,
                  std::vector<ImportPatch>& patches, std::string* error)
{
    auto* base = reinterpret_cast<uint8_t*>(module);
    auto* dos = reinterpret_cast<IMAGE_DOS_HEADER*>(base);
    if (dos->e_magic != IMAGE_DOS_SIGNATURE) {
        if (error)
            *error = "not a PE image";
        return false;
    }
    auto* nt = reinterpret_cast<IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
    const IMAGE_DATA_DIRECTORY& directory = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    if (directory.VirtualAddress == 0) {
        if (error)
            *error = "the module imports nothing";
        return false;
    }
    for (auto* import = reinterpret_cast<IMAGE_IMPORT_DESCRIPTOR*>(base + directory.VirtualAddress); import->Name;
         ++import) {
        if (import->OriginalFirstThunk == 0)
            continue;  // no name table: nothing to match by name
        auto* names = reinterpret_cast<IMAGE_THUNK_DATA*>(base + import->OriginalFirstThunk);
        auto* addresses = reinterpret_cast<IMAGE_THUNK_DATA*>(base + import->FirstThunk);
        for (; names->u1.AddressOfData; ++names, ++addresses) {
            if (IMAGE_SNAP_BY_ORDINAL(names->u1.Ordinal))
                continue;
            auto* byName = reinterpret_cast<IMAGE_IMPORT_BY_NAME*>(base + names->u1.AddressOfData);
            const char* name = reinterpret_cast<const char*>(byName->Name);
            for (size_t r = 0; r < count; ++r) {
                if (std::strcmp(name, replacements[r].name) != 0)
                    continue;
                void** slot = reinterpret_cast<void**>(&addresses->u1.Function);
                DWORD protection = 0;
                if (!VirtualProtect(slot, sizeof(void*), PAGE_READWRITE, &protection)) {
                    if (error)
                        *error = std::string("cannot unprotect the import of ") + name;
                    return false;
                }
                patches.push_back({slot, *slot});
                *replacements[r].original = *slot;
                *slot = replacements[r].function;
                VirtualProtect(slot, sizeof(void*), protection, &protection);
            }
        }
    }
    return true;
}

void RestoreImports(std::vector<ImportPatch>& patches)
{
    for (auto it = patches.rbegin(); it != patches.rend(); ++it) {
        DWORD protection = 0;
        if (VirtualProtect(it->slot, sizeof(void*), PAGE_READWRITE, &protection)) {
            *it->slot = it->original;
            VirtualProtect(it->slot, sizeof(void*), protection, &protection);
        }
    }
    patches.clear();
}

}  // namespace simulated_machine
