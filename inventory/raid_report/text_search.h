#pragma once
// Bounded text helpers shared by the RAID report parser and the scan's report rules. The report
// is hostile input: every search and copy stays inside the text and inside the target field.
#include <cstddef>
#include <string_view>

#include "common/bounded_text.h"

namespace report_text {

using bounded_text::CopyField;
using bounded_text::EqualIgnoringCase;
using bounded_text::FieldText;
using bounded_text::UpperCaseInPlace;

constexpr size_t kNotFound = std::string_view::npos;

// Position of the first `key` starting at or after `from`, or kNotFound (also when `from` lies
// past the end of the text).
inline size_t Find(std::string_view text, std::string_view key, size_t from)
{
    if (from > text.size())
        return kNotFound;
    return text.find(key, from);
}

// Position of the first `stop` at or after `from`, or the end of the text when there is none.
inline size_t FindOrEnd(std::string_view text, char stop, size_t from)
{
    if (from >= text.size())
        return text.size();
    size_t at = text.find(stop, from);
    return at == kNotFound ? text.size() : at;
}

// text[from, to), clamped to the text: empty when from is not before to.
inline std::string_view Span(std::string_view text, size_t from, size_t to)
{
    if (to > text.size())
        to = text.size();
    return from < to ? text.substr(from, to - from) : std::string_view();
}

// Copies text[from, to) into the field, cutting what does not fit, and terminates it.
template <size_t N>
void CopyCut(std::string_view text, size_t from, size_t to, char (&field)[N])
{
    CopyField(field, Span(text, from, to));
}

}  // namespace report_text

#define FIELD_TEXT(field) ::report_text::FieldText((field), sizeof(field))
