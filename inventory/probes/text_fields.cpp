#include "inventory/probes/text_fields.h"

#include <cinttypes>
#include <cstdio>
#include <cstring>

void CopyField(char* field, size_t size, const char* source)
{
    if (size == 0)
        return;
    size_t length = source ? strnlen(source, size - 1) : 0;
    std::memmove(field, source ? source : "", length);
    field[length] = '\0';
}

void FormatInt64(char* out, size_t size, int64_t value)
{
    std::snprintf(out, size, "%" PRId64, value);
}
