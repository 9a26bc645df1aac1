// KeyNameTable and its lookup.
#include "automation/keyscript/key_script.h"

namespace {

constexpr std::uint8_t Vk = 0;     // the code is a virtual-key code, shift state 0
constexpr std::uint8_t Typed = 1;  // the code is a character for VkKeyScanA

// Upper-case byte of a name character; the table's names are upper case already.
constexpr unsigned char UpperByte(char c)
{
    return (c >= 'a' && c <= 'z') ? static_cast<unsigned char>(c - 'a' + 'A')
                                  : static_cast<unsigned char>(c);
}

// <0, 0, >0 as a comes before, equals or follows b, case-insensitively in byte order.
constexpr int CompareNames(const char* a, const char* b)
{
    for (;; ++a, ++b) {
        const unsigned char x = UpperByte(*a), y = UpperByte(*b);
        if (x != y)
            return x < y ? -1 : 1;
        if (x == 0)
            return 0;
    }
}

}  // namespace

constexpr KeyName KeyNameTable[KeyNameCount] = {
    {"ADD", 0x6B, Vk},        {"APPS", 0x5D, Vk},       {"AT", '@', Typed},
    {"BACKSPACE", 0x08, Vk},  {"BKSP", 0x08, Vk},       {"BREAK", 0x03, Vk},
    {"BS", 0x08, Vk},         {"CAPSLOCK", 0x14, Vk},   {"CARET", '^', Typed},
    {"CLEAR", 0x0C, Vk},      {"DECIMAL", 0x6E, Vk},    {"DEL", 0x2E, Vk},
    {"DELETE", 0x2E, Vk},     {"DIVIDE", 0x6F, Vk},     {"DOWN", 0x28, Vk},
    {"END", 0x23, Vk},        {"ENTER", 0x0D, Vk},      {"ESC", 0x1B, Vk},
    {"ESCAPE", 0x1B, Vk},     {"F1", 0x70, Vk},         {"F10", 0x79, Vk},
    {"F11", 0x7A, Vk},        {"F12", 0x7B, Vk},        {"F13", 0x7C, Vk},
    {"F14", 0x7D, Vk},        {"F15", 0x7E, Vk},        {"F16", 0x7F, Vk},
    {"F2", 0x71, Vk},         {"F3", 0x72, Vk},         {"F4", 0x73, Vk},
    {"F5", 0x74, Vk},         {"F6", 0x75, Vk},         {"F7", 0x76, Vk},
    {"F8", 0x77, Vk},         {"F9", 0x78, Vk},         {"HELP", 0x2F, Vk},
    {"HOME", 0x24, Vk},       {"INS", 0x2D, Vk},        {"LEFT", 0x25, Vk},
    {"LEFTBRACE", '{', Typed}, {"LEFTPAREN", '(', Typed}, {"LWIN", 0x5B, Vk},
    {"MULTIPLY", 0x6A, Vk},   {"NUMLOCK", 0x90, Vk},    {"NUMPAD0", 0x60, Vk},
    {"NUMPAD1", 0x61, Vk},    {"NUMPAD2", 0x62, Vk},    {"NUMPAD3", 0x63, Vk},
    {"NUMPAD4", 0x64, Vk},    {"NUMPAD5", 0x65, Vk},    {"NUMPAD6", 0x66, Vk},
    {"NUMPAD7", 0x67, Vk},    {"NUMPAD8", 0x68, Vk},    {"NUMPAD9", 0x69, Vk},
    {"PERCENT", '%', Typed},  {"PGDN", 0x22, Vk},       {"PGUP", 0x21, Vk},
    {"PLUS", '+', Typed},     {"PRTSC", 0x2A, Vk},      {"RIGHT", 0x27, Vk},
    {"RIGHTBRACE", '}', Typed}, {"RIGHTPAREN", ')', Typed}, {"RWIN", 0x5C, Vk},
    {"SCROLL", 0x91, Vk},     {"SEPARATOR", 0x6C, Vk},  {"SNAPSHOT", 0x2C, Vk},
    {"SUBTRACT", 0x6D, Vk},   {"TAB", 0x09, Vk},        {"TILDE", '~', Typed},
    {"UP", 0x26, Vk},         {"WIN", 0x5B, Vk},
};

namespace {
// The binary search depends on the names' ascending byte order.
constexpr bool TableIsSorted()
{
    for (int i = 1; i < KeyNameCount; ++i)
        if (CompareNames(KeyNameTable[i - 1].name, KeyNameTable[i].name) >= 0)
            return false;
    return true;
}
static_assert(sizeof(KeyNameTable) / sizeof(KeyNameTable[0]) == 71, "71 key names");
static_assert(TableIsSorted(), "KeyNameTable in ascending byte order, no name twice");
}  // namespace

KeyLookup LookupKeyName(const char* name)
{
    KeyLookup result = {-1, NoKey, 0};
    int low = 0, high = KeyNameCount - 1;
    while (low <= high) {
        const int middle = low + (high - low) / 2;
        ++result.probes;
        const int order = CompareNames(name, KeyNameTable[middle].name);
        if (order == 0) {
            result.index = middle;
            result.code = KeyNameTable[middle].code;
            return result;
        }
        if (order < 0)
            high = middle - 1;
        else
            low = middle + 1;
    }
    return result;
}

bool IsExtendedKey(std::uint16_t keyWord)
{
    switch (keyWord & 0xFF) {
    case 0x21:  // Page Up
    case 0x22:  // Page Down
    case 0x23:  // End
    case 0x24:  // Home
    case 0x25:  // Left
    case 0x26:  // Up
    case 0x27:  // Right
    case 0x28:  // Down
    case 0x2D:  // Insert
    case 0x2E:  // Delete
        return true;
    default:
        return false;
    }
}
