#pragma once
// Bounded text helpers for the fixed-size fields of the inventory tables.
#include <cstddef>
#include <cstdint>

// Copies `source` into `field` (size bytes, terminator included), cut to fit; always terminated.
void CopyField(char* field, size_t size, const char* source);

template <size_t N>
void CopyField(char (&field)[N], const char* source)
{
    CopyField(field, N, source);
}

// Signed 64-bit decimal, as "%I64d" prints it.
void FormatInt64(char* out, size_t size, int64_t value);

// Space, tab, line feed, vertical tab, form feed, carriage return.
inline bool IsBlank(unsigned char c)
{
    return c == ' ' || (c >= '\t' && c <= '\r');
}
