// Bounded text on any bytes: the first byte picks the field size (1-32 bytes) and where the input
// splits into two texts; every copy and join must stay inside its field and leave it
// terminated, and the comparisons must agree with each other.
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

#include "common/bounded_text.h"

namespace {

template <size_t N>
void Check(std::string_view a, std::string_view b)
{
    char field[N + 1];
    field[N] = '\x5A';  // a guard byte past the field
    auto& inner = reinterpret_cast<char(&)[N]>(field);
    bounded_text::CopyField(inner, a);
    if (!std::memchr(inner, 0, N) || field[N] != '\x5A' || std::strlen(inner) > a.size())
        __builtin_trap();
    const std::string aText(a), bText(b);
    bounded_text::CopyField(inner, aText.c_str());
    if (!std::memchr(inner, 0, N) || field[N] != '\x5A')
        __builtin_trap();
    const char* parts[] = {aText.c_str(), nullptr, bText.c_str()};
    if (bounded_text::JoinOrEmpty(inner, parts, 3)) {
        const size_t whole = std::strlen(aText.c_str()) + std::strlen(bText.c_str());
        if (std::strlen(inner) != whole || whole >= N)
            __builtin_trap();
    } else if (inner[0] != '\0') {
        __builtin_trap();
    }
    if (field[N] != '\x5A')
        __builtin_trap();
    bounded_text::UpperCaseInPlace(inner);
    if (field[N] != '\x5A')
        __builtin_trap();

    const bool equal = bounded_text::EqualIgnoringCase(a, b);
    if (equal != bounded_text::EqualIgnoringCase(b, a))
        __builtin_trap();
    if (equal && !bounded_text::StartsWithIgnoringCase(a, b))
        __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size == 0)
        return 0;
    const std::string_view rest(reinterpret_cast<const char*>(data) + 1, size - 1);
    const size_t split = rest.empty() ? 0 : data[0] % (rest.size() + 1);
    const std::string_view a = rest.substr(0, split), b = rest.substr(split);
    switch (data[0] % 4) {
    case 0: Check<1>(a, b); break;
    case 1: Check<4>(a, b); break;
    case 2: Check<13>(a, b); break;
    default: Check<32>(a, b); break;
    }
    return 0;
}
