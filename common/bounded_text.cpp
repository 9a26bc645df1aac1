#include "common/bounded_text.h"

#include <cstring>

namespace bounded_text {

std::string_view FieldText(const char* field, size_t size)
{
    const void* end = std::memchr(field, '\0', size);
    const size_t length = end ? static_cast<size_t>(static_cast<const char*>(end) - field) : size;
    return std::string_view(field, length);
}

std::string_view CText(const char* text, size_t limit)
{
    return text ? std::string_view(text, strnlen(text, limit)) : std::string_view();
}

void CopyInto(char* field, size_t size, std::string_view text)
{
    if (size == 0)
        return;
    const size_t length = text.size() < size - 1 ? text.size() : size - 1;
    if (length > 0)
        std::memmove(field, text.data(), length);
    field[length] = '\0';
}

char UpperAscii(char c)
{
    return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}

void UpperCaseInPlace(char* field, size_t size)
{
    for (size_t i = 0; i < size && field[i] != '\0'; ++i)
        field[i] = UpperAscii(field[i]);
}

bool StartsWithIgnoringCase(std::string_view text, std::string_view prefix)
{
    if (prefix.size() > text.size())
        return false;
    for (size_t i = 0; i < prefix.size(); ++i) {
        if (UpperAscii(text[i]) != UpperAscii(prefix[i]))
            return false;
    }
    return true;
}

bool EqualIgnoringCase(std::string_view a, std::string_view b)
{
    return a.size() == b.size() && StartsWithIgnoringCase(a, b);
}

bool JoinOrEmpty(char* out, size_t size, const char* const* parts, size_t count)
{
    if (out == nullptr || size == 0)
        return false;
    size_t used = 0;
    for (size_t i = 0; i < count; ++i) {
        const std::string_view part = CText(parts[i], size);
        if (part.size() >= size - used) {
            out[0] = '\0';
            return false;
        }
        if (!part.empty())
            std::memcpy(out + used, part.data(), part.size());
        used += part.size();
    }
    out[used] = '\0';
    return true;
}

}  // namespace bounded_text
