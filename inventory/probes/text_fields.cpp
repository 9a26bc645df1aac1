#include "inventory/probes/text_fields.h"

#include <cinttypes>
#include <cstdio>
#include <cstring>

void FormatInt64(char* out, size_t size, int64_t value)
{
    std::snprintf(out, size, "%" PRId64, value);
}
