#pragma once
// Bounded text helpers shared by the RAID report parser and the scan's report rules. The report
// is hostile input: every search and copy stays inside the text and inside the target field.
#include <cstddef>
#include <string_view>

namespace report_text {

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

// Copies text[from, to) into a field of `fieldSize` bytes, cutting what does not fit, and
// terminates it.
void CopyCut(std::string_view text, size_t from, size_t to, char* field, size_t fieldSize);

// The stored text of a fixed field: up to its NUL, never past the field's last byte.
std::string_view FieldText(const char* field, size_t fieldSize);

// Copies a NUL-terminated field into another, cut to the target's size.
void CopyField(const char* source, size_t sourceSize, char* target, size_t targetSize);

// Letters a to z become A to Z in place; every other byte stays.
void UpperCaseInPlace(char* field, size_t fieldSize);

// ASCII comparison ignoring case.
bool EqualIgnoringCase(std::string_view a, std::string_view b);

}  // namespace report_text

#define FIELD_TEXT(field) ::report_text::FieldText((field), sizeof(field))
