// Bounded text on any bytes: the first byte picks the field size (1-32 bytes) and where the input
// splits into two texts; every copy and join must stay inside its field and leave it
// terminated (a copy from inside the field too), every read must stop at its bound or its NUL,
// and the comparisons must agree with each other and with the case folding.
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
    const std::string before(bounded_text::FieldText(inner));
    bounded_text::UpperCaseInPlace(inner);
    if (field[N] != '\x5A' || !bounded_text::EqualIgnoringCase(bounded_text::FieldText(inner), before))
        __builtin_trap();
    // A text read from inside the field itself, copied back over it.
    const std::string_view stored = bounded_text::FieldText(inner);
    const std::string_view tail = stored.substr(stored.empty() ? 0 : 1);
    const std::string shifted(tail);
    bounded_text::CopyInto(inner, N, tail);
    if (field[N] != '\x5A' || bounded_text::FieldText(inner) != shifted)
        __builtin_trap();

    // Reads of unterminated bytes stop at their bound or at the first NUL.
    const std::string_view raw = bounded_text::FieldText(a.data(), a.size());
    if (raw != a.substr(0, a.find('\0')))
        __builtin_trap();
    const std::string_view limited = bounded_text::CText(aText.c_str(), N);
    if (limited != std::string_view(aText.c_str()).substr(0, N))
        __builtin_trap();
    if (!bounded_text::CText(nullptr, N).empty())
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
