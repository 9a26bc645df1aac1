// The key-script language: SendKeyScript and the key operations of KeyScriptSender.
#include "automation/keyscript/key_script.h"

#include <cstring>
#include <string_view>

#include "common/bounded_text.h"

namespace {

constexpr std::uint8_t VkShift = 0x10;
constexpr std::uint8_t VkControl = 0x11;
constexpr std::uint8_t VkAlt = 0x12;
constexpr std::uint8_t VkEnter = 0x0D;
constexpr std::uint8_t VkLeftWindows = 0x5B;
constexpr std::uint8_t VkNumLock = 0x90;
constexpr std::uint8_t NumLockScan = 0x45;

bool IsBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f';
}

// Case-insensitive: does text start with the upper-case keyword?
bool StartsWithKeyword(const char* text, const char* keyword)
{
    const std::string_view word(keyword);
    return bounded_text::StartsWithIgnoringCase(bounded_text::CText(text, word.size()), word);
}

// A repeat count: the low 16 bits of the number; a negative number presses nothing.
std::uint16_t RepeatCount(std::int32_t number)
{
    return number < 0 ? 0 : static_cast<std::uint16_t>(number & 0xFFFF);
}

}  // namespace

std::int32_t ReadDecimal(const char* text)
{
    while (IsBlank(*text))
        ++text;
    bool negative = false;
    if (*text == '+' || *text == '-')
        negative = *text++ == '-';
    std::int64_t value = 0;
    for (; *text >= '0' && *text <= '9'; ++text) {
        value = value * 10 + (*text - '0');
        if (value > 0x80000000LL)
            value = 0x80000000LL;  // saturate; further digits change nothing
    }
    if (negative)
        return static_cast<std::int32_t>(-value);
    return value > 0x7FFFFFFF ? 0x7FFFFFFF : static_cast<std::int32_t>(value);
}

KeyScriptSender::KeyScriptSender(void (*onConstructed)()) : defaultDelay(0), nextDelay(0)
{
    if (onConstructed)
        onConstructed();
}

void KeyScriptSender::SendKeyEvent(std::uint8_t vk, std::uint8_t scan, std::uint32_t flags)
{
    KeyInput.keybdEvent(vk, scan, flags);
    if (pumpMessages)
        KeyInput.pumpKeyboardMessages();
}

void KeyScriptSender::WaitBeforeKey()
{
    if (nextDelay == 0)
        nextDelay = defaultDelay;
    if (nextDelay > 0)  // a negative delay waits nothing
        KeyInput.sleep(static_cast<std::uint32_t>(nextDelay));
    nextDelay = 0;
}

void KeyScriptSender::PressKey(std::uint16_t keyWord, std::uint16_t count, bool release, bool wait)
{
    const std::uint8_t vk = static_cast<std::uint8_t>(keyWord & 0xFF);
    if (vk == VkNumLock) {
        const std::uint32_t version = KeyInput.getVersion();
        const bool ntFamily = (version & 0x80000000u) == 0;
        const std::uint32_t minor = (version >> 8) & 0xFF;
        for (unsigned i = 0; i < count; ++i) {
            if (wait)
                WaitBeforeKey();
            if (ntFamily) {
                // Down and up whatever the release flag says, without message pumping.
                KeyInput.keybdEvent(VkNumLock, NumLockScan, KeyFlagExtended);
                KeyInput.keybdEvent(VkNumLock, NumLockScan, KeyFlagExtended | KeyFlagUp);
            } else if (minor < 10) {
                // Windows 95: toggle the state, no key events.
                const bool on = (KeyInput.getKeyState(VkNumLock) & 1) != 0;
                std::uint8_t state[256] = {};
                KeyInput.getKeyboardState(state);
                if (on)
                    state[VkNumLock] &= static_cast<std::uint8_t>(~1u);
                else
                    state[VkNumLock] |= 1;
                KeyInput.setKeyboardState(state);
            }
            // Windows 98 and Me: nothing.
        }
        return;
    }
    const std::uint8_t scan = static_cast<std::uint8_t>(KeyInput.mapVirtualKey(vk) & 0xFF);
    const std::uint32_t downFlags = IsExtendedKey(vk) ? KeyFlagExtended : 0;
    for (unsigned i = 0; i < count; ++i) {
        if (wait)
            WaitBeforeKey();
        SendKeyEvent(vk, scan, downFlags);
        if (release)  // extended plus key-up, for every key
            SendKeyEvent(vk, scan, KeyFlagExtended | KeyFlagUp);
    }
}

void KeyScriptSender::ReleaseKey(std::uint8_t vk)
{
    const std::uint8_t scan = static_cast<std::uint8_t>(KeyInput.mapVirtualKey(vk) & 0xFF);
    SendKeyEvent(vk, scan, KeyFlagUp | (IsExtendedKey(vk) ? KeyFlagExtended : 0));
}

void KeyScriptSender::TypeKey(std::uint16_t keyWord, std::uint16_t count, bool release)
{
    const unsigned shiftState = keyWord >> 8;
    if (shiftState & 1)
        PressKey(VkShift, 1, false, false);
    if (shiftState & 2)
        PressKey(VkControl, 1, false, false);
    if (shiftState & 4)
        PressKey(VkAlt, 1, false, false);
    PressKey(keyWord, count, release, true);
    if (shiftState & 1)
        ReleaseKey(VkShift);
    if (shiftState & 2)
        ReleaseKey(VkControl);
    if (shiftState & 4)
        ReleaseKey(VkAlt);
}

void KeyScriptSender::ReleaseLatchedModifiers()
{
    if (groupOpen)
        return;
    // Shift, Ctrl, Alt, Windows: not the order of the latch fields.
    if (shiftLatched)
        ReleaseKey(VkShift);
    if (ctrlLatched)
        ReleaseKey(VkControl);
    if (altLatched)
        ReleaseKey(VkAlt);
    if (winLatched)
        ReleaseKey(VkLeftWindows);
    shiftLatched = ctrlLatched = altLatched = winLatched = false;
}

void KeyScriptSender::LatchModifier(bool& latch, std::uint8_t vk)
{
    latch = true;
    PressKey(vk, 1, false, false);
}

// token: at most MaxTokenLength characters, terminated.
bool KeyScriptSender::SendBraceToken(const char* token)
{
    const std::size_t length = std::strlen(token);
    if (StartsWithKeyword(token, "VKEY")) {
        const std::uint16_t keyWord = static_cast<std::uint16_t>(ReadDecimal(token + 4) & 0xFFFF);
        if (keyWord != NoKey) {
            TypeKey(keyWord, 1, true);
            ReleaseLatchedModifiers();
        }
        return true;
    }
    if (StartsWithKeyword(token, "BEEP")) {
        // Frequency from the sixth character on; the first blank at or after it starts the duration.
        if (length > 5) {
            const char* blank = std::strchr(token + 5, ' ');
            if (blank) {
                const std::int32_t frequency = ReadDecimal(token + 5);
                const std::int32_t duration = ReadDecimal(blank + 1);
                if (frequency >= 0 && duration >= 0)  // a negative argument skips the beep
                    KeyInput.beep(static_cast<std::uint32_t>(frequency),
                                  static_cast<std::uint32_t>(duration));
            }
        }
        return true;
    }
    if (StartsWithKeyword(token, "APPACTIVATE")) {
        // The keyword, one separator character, then the title.
        KeyInput.activateWindow(length > 12 ? token + 12 : "");
        return true;
    }
    if (StartsWithKeyword(token, "DELAY")) {
        if (token[5] == '=')
            defaultDelay = ReadDecimal(token + 6);
        else
            nextDelay = ReadDecimal(token + 5);
        return true;
    }

    // A key name, then an optional repeat count after the first blank.
    char name[MaxTokenLength + 1];
    std::size_t nameLength = 0;
    while (token[nameLength] && token[nameLength] != ' ')
        ++nameLength;
    std::memcpy(name, token, nameLength);
    name[nameLength] = 0;
    const KeyLookup entry = LookupKeyName(name);
    if (entry.index < 0)
        return true;
    const std::uint16_t count =
        token[nameLength] ? RepeatCount(ReadDecimal(token + nameLength)) : 1;
    std::uint16_t keyWord = entry.code;
    if (KeyNameTable[entry.index].typed) {
        keyWord = KeyInput.vkKeyScan(static_cast<char>(entry.code));
        if (keyWord == NoKey)
            return true;
    }
    TypeKey(keyWord, count, true);
    ReleaseLatchedModifiers();
    return true;
}

bool KeyScriptSender::SendKeyScript(const char* script, bool pump)
{
    pumpMessages = pump;
    groupOpen = shiftLatched = altLatched = ctrlLatched = winLatched = false;

    for (const char* p = script; *p; ++p) {
        switch (*p) {
        case '+':
            LatchModifier(shiftLatched, VkShift);
            break;
        case '^':
            LatchModifier(ctrlLatched, VkControl);
            break;
        case '%':
            LatchModifier(altLatched, VkAlt);
            break;
        case '@':
            LatchModifier(winLatched, VkLeftWindows);
            break;
        case '(':
            groupOpen = true;
            break;
        case ')':
            groupOpen = false;
            ReleaseLatchedModifiers();
            break;
        case '~':
            PressKey(VkEnter, 1, true, false);
            ReleaseLatchedModifiers();
            break;
        case '{': {
            const char* start = p + 1;
            const char* close = std::strchr(start, '}');
            const std::size_t length = close ? static_cast<std::size_t>(close - start)
                                             : std::strlen(start);
            if (length > MaxTokenLength) {
                // Never leave a modifier held down system-wide.
                groupOpen = false;
                ReleaseLatchedModifiers();
                return false;
            }
            char token[MaxTokenLength + 1];
            std::memcpy(token, start, length);
            token[length] = 0;
            SendBraceToken(token);
            if (!close) {
                p = start + length - 1;  // the token took the rest of the script
                break;
            }
            p = close;
            break;
        }
        default: {
            const std::uint16_t keyWord = KeyInput.vkKeyScan(*p);
            if (keyWord == NoKey)
                break;
            TypeKey(keyWord, 1, true);
            ReleaseLatchedModifiers();
            break;
        }
        }
    }
    groupOpen = false;
    ReleaseLatchedModifiers();
    return true;
}
