#pragma once
// Bounded text for the fixed-size fields of the three deliverables: a copy into a field always
// fits and is always terminated, every read stops at the field's end, and case is folded for
// ASCII letters only (a-z, A-Z), whatever the code page. No <windows.h>: tested natively.
#include <cstddef>
#include <string_view>

namespace bounded_text {

// The stored text of a fixed field: up to its NUL, never past its last byte.
std::string_view FieldText(const char* field, size_t size);
template <size_t N>
std::string_view FieldText(const char (&field)[N])
{
    return FieldText(field, N);
}

// A C string read no further than `limit` characters; a null pointer is the empty text.
std::string_view CText(const char* text, size_t limit);

// Copies `text` into a field of `size` bytes, cut to size - 1 characters, and terminates it.
// `text` may lie inside the field. A field of 0 bytes is left alone.
void CopyInto(char* field, size_t size, std::string_view text);

// The field is taken by reference, so that its size cannot be passed wrong.
template <size_t N>
void CopyField(char (&field)[N], std::string_view text)
{
    CopyInto(field, N, text);
}
// From a C string (null: the empty text), read no further than the field holds.
template <size_t N>
void CopyField(char (&field)[N], const char* text)
{
    CopyInto(field, N, CText(text, N - 1));
}

char UpperAscii(char c);
// Letters a-z become A-Z in place, up to the terminator or the field's end.
void UpperCaseInPlace(char* field, size_t size);
template <size_t N>
void UpperCaseInPlace(char (&field)[N])
{
    UpperCaseInPlace(field, N);
}

bool EqualIgnoringCase(std::string_view a, std::string_view b);
bool StartsWithIgnoringCase(std::string_view text, std::string_view prefix);

// Writes the concatenation of `parts` (a null part is empty) into `out` (`size` bytes). When
// the whole does not fit, `out` becomes the empty text and the answer is false: a cut path or
// command line would name another file.
bool JoinOrEmpty(char* out, size_t size, const char* const* parts, size_t count);
template <size_t N>
bool JoinOrEmpty(char (&out)[N], const char* const* parts, size_t count)
{
    return JoinOrEmpty(out, N, parts, count);
}

}  // namespace bounded_text
