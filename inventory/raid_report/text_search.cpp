#include "inventory/raid_report/text_search.h"

#include <cstring>

namespace report_text {

void CopyCut(std::string_view text, size_t from, size_t to, char* field, size_t fieldSize)
{
    if (fieldSize == 0)
        return;
    if (to > text.size())
        to = text.size();
    size_t length = from < to ? to - from : 0;
    if (length > fieldSize - 1)
        length = fieldSize - 1;
    if (length > 0)
        std::memcpy(field, text.data() + from, length);
    field[length] = '\0';
}

std::string_view FieldText(const char* field, size_t fieldSize)
{
    const void* end = std::memchr(field, '\0', fieldSize);
    size_t length = end ? static_cast<size_t>(static_cast<const char*>(end) - field) : fieldSize;
    return std::string_view(field, length);
}

void CopyField(const char* source, size_t sourceSize, char* target, size_t targetSize)
{
    std::string_view value = FieldText(source, sourceSize);
    CopyCut(value, 0, value.size(), target, targetSize);
}

void UpperCaseInPlace(char* field, size_t fieldSize)
{
    for (size_t i = 0; i < fieldSize && field[i] != '\0'; ++i) {
        if (field[i] >= 'a' && field[i] <= 'z')
            field[i] = static_cast<char>(field[i] - 'a' + 'A');
    }
}

bool EqualIgnoringCase(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i) {
        char x = a[i], y = b[i];
        if (x >= 'a' && x <= 'z')
            x = static_cast<char>(x - 'a' + 'A');
        if (y >= 'a' && y <= 'z')
            y = static_cast<char>(y - 'a' + 'A');
        if (x != y)
            return false;
    }
    return true;
}

}  // namespace report_text
