#pragma once
// Patching a loaded module's import address table: its calls of a named import go to a
// replacement, and back again.
#include <windows.h>

#include <cstddef>
#include <string>
#include <vector>

namespace simulated_machine {

struct ImportReplacement {
    const char* name;  // the imported function's name
    void* function;    // what the module calls instead
    void** original;   // receives what the module called before
};

struct ImportPatch {
    void** slot;
    void* original;
};

// Patches every import of `module` whose name is one of `replacements`, appending each slot
// changed to `patches`. False (with `error`) when the module is no PE image, imports nothing or a
// slot cannot be written; what was patched until then stays in `patches`.
bool PatchImports(HMODULE module, const ImportReplacement* replacements, size_t count,
                  std::vector<ImportPatch>& patches, std::string* error);
// Puts every patched slot back, last first, and empties `patches`.
void RestoreImports(std::vector<ImportPatch>& patches);

}  // namespace simulated_machine
