#include "tray/path_text.h"

#include <cstring>

bool ComposeText(char* out, size_t outSize, const char* const* parts, size_t partCount)
{
    if (out == nullptr || outSize == 0)
        return false;
    size_t used = 0;
    for (size_t i = 0; i < partCount; ++i) {
        const char* part = parts[i] != nullptr ? parts[i] : "";
        const size_t length = strnlen(part, outSize);
        if (length >= outSize - used) {
            out[0] = '\0';
            return false;
        }
        memcpy(out + used, part, length);
        used += length;
    }
    out[used] = '\0';
    return true;
}
