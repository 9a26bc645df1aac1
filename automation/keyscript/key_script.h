#pragma once
// The key-script language and its sender, apart from Windows: the sender reads a script and
// sends every keyboard event, wait and beep through the table KeyInput, which the library fills
// with the Windows calls (key_input_win32.cpp) and which a test may replace.
#include <cstdint>

// Same declaration as <windows.h> makes with STRICT, so that both headers can meet.
struct HWND__;
typedef HWND__* HWND;

// keybd_event flags.
constexpr std::uint32_t KeyFlagExtended = 0x0001;  // KEYEVENTF_EXTENDEDKEY
constexpr std::uint32_t KeyFlagUp = 0x0002;        // KEYEVENTF_KEYUP

// A key word as VkKeyScanA answers it: low byte the virtual-key code, high byte the shift state
// (bit 0 Shift, bit 1 Ctrl, bit 2 Alt). 0xFFFF: no key.
constexpr std::uint16_t NoKey = 0xFFFF;

// The Windows calls the sender makes, one entry each.
struct KeyInputCalls {
    void (*keybdEvent)(std::uint8_t vk, std::uint8_t scan, std::uint32_t flags);  // extra info 0
    void (*sleep)(std::uint32_t milliseconds);
    void (*beep)(std::uint32_t frequency, std::uint32_t milliseconds);
    std::uint16_t (*vkKeyScan)(char character);           // VkKeyScanA
    std::uint32_t (*mapVirtualKey)(std::uint32_t vk);     // MapVirtualKeyA, mode 0
    std::uint32_t (*getVersion)();                        // GetVersion
    std::int16_t (*getKeyState)(int vk);                  // GetKeyState
    bool (*getKeyboardState)(std::uint8_t state[256]);    // GetKeyboardState
    bool (*setKeyboardState)(std::uint8_t state[256]);    // SetKeyboardState
    void (*pumpKeyboardMessages)();  // PeekMessageA(PM_REMOVE) of 0x0100..0x0108, translate, dispatch
    bool (*activateWindow)(const char* title);  // ActivateTargetWindow(title, null) of the sender
};
extern KeyInputCalls KeyInput;

// One entry of KeyNameTable: a virtual-key code sent with shift state 0, or (typed) a character
// that VkKeyScanA turns into a key word at send time.
struct KeyName {
    const char* name;
    std::uint8_t code;
    std::uint8_t typed;
};
constexpr int KeyNameCount = 71;
extern const KeyName KeyNameTable[KeyNameCount];

struct KeyLookup {
    int index;           // -1 when the name is not in the table
    std::uint16_t code;  // NoKey when the name is not in the table
    int probes;          // table entries compared
};
// Binary search over KeyNameTable, whole names, case-insensitive, in byte order of the
// upper-case names.
KeyLookup LookupKeyName(const char* name);

// Page Up/Down, End, Home, the four arrows, Insert, Delete: the low byte only.
bool IsExtendedKey(std::uint16_t keyWord);

// Decimal number as the tokens carry it: leading white space, optional sign, digits up to the
// first other character, no digits = 0. Saturates at the limits of 32 bits.
std::int32_t ReadDecimal(const char* text);

// The longest brace token that is processed.
constexpr int MaxTokenLength = 299;

class KeyScriptSender {
public:
    // Both delays 0; then onConstructed (the library passes LoadWindowPosition).
    explicit KeyScriptSender(void (*onConstructed)() = nullptr);

    // Interprets script from left to right; false when a brace token is longer than 299 characters.
    bool SendKeyScript(const char* script, bool pump = false);

    // Finds a top-level window by title and/or class (exact, then substring), makes it
    // targetWindow and places it. Windows only (window_activation_win32.cpp).
    bool ActivateTargetWindow(const char* title, const char* className);

    void SendKeyEvent(std::uint8_t vk, std::uint8_t scan, std::uint32_t flags);
    void PressKey(std::uint16_t keyWord, std::uint16_t count, bool release, bool wait);
    void ReleaseKey(std::uint8_t vk);
    void TypeKey(std::uint16_t keyWord, std::uint16_t count, bool release);
    void ReleaseLatchedModifiers();
    void WaitBeforeKey();

    // Fields in this order.
    bool pumpMessages = false;
    bool groupOpen = false;
    bool shiftLatched = false;
    bool altLatched = false;
    bool ctrlLatched = false;
    bool winLatched = false;
    std::int32_t defaultDelay;
    std::int32_t nextDelay;
    HWND targetWindow = nullptr;

private:
    bool SendBraceToken(const char* token);
    void LatchModifier(bool& latch, std::uint8_t vk);
};
