#pragma once
// Bounded text helpers for the fixed-size fields of the inventory tables.
#include <cstddef>
#include <cstdint>

#include "common/bounded_text.h"

// Copies a text into a field, cut to fit; always terminated.
using bounded_text::CopyField;

// Signed 64-bit decimal, as "%I64d" prints it.
void FormatInt64(char* out, size_t size, int64_t value);

// Space, tab, line feed, vertical tab, form feed, carriage return.
inline bool IsBlank(unsigned char c)
{
    return c == ' ' || (c >= '\t' && c <= '\r');
}
