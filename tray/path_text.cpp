#include "tray/path_text.h"

#include "common/bounded_text.h"

bool ComposeText(char* out, size_t outSize, const char* const* parts, size_t partCount)
{
    return bounded_text::JoinOrEmpty(out, outSize, parts, partCount);
}
