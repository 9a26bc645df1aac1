// The key-script sender with a fake US key mapping: every event, scan code, flag and wait.
#include <gtest/gtest.h>

#include <cstring>
#include <map>

#include "automation/keyscript/key_script.h"
#include "input_recorder.h"
#include "key_script_cases.h"

namespace {

std::uint16_t FakeVkKeyScan(char c)
{
    if (c >= 'a' && c <= 'z')
        return static_cast<std::uint16_t>(c - 'a' + 'A');
    if ((c >= 'A' && c <= 'Z'))
        return static_cast<std::uint16_t>(0x100 | c);
    if ((c >= '0' && c <= '9') || c == ' ')
        return static_cast<std::uint8_t>(c);
    static const char shiftedDigits[] = ")!@#$%^&*(";
    if (const char* p = c ? std::strchr(shiftedDigits, c) : nullptr)
        return static_cast<std::uint16_t>(0x100 | ('0' + (p - shiftedDigits)));
    static const std::map<char, std::uint16_t> punctuation = {
        {'-', 0xBD}, {'_', 0x1BD}, {'=', 0xBB}, {'+', 0x1BB}, {'[', 0xDB}, {'{', 0x1DB},
        {']', 0xDD}, {'}', 0x1DD}, {'\\', 0xDC}, {'|', 0x1DC}, {';', 0xBA}, {':', 0x1BA},
        {'\'', 0xDE}, {'"', 0x1DE}, {',', 0xBC}, {'<', 0x1BC}, {'.', 0xBE}, {'>', 0x1BE},
        {'/', 0xBF}, {'?', 0x1BF}, {'`', 0xC0}, {'~', 0x1C0}};
    const auto found = punctuation.find(c);
    return found == punctuation.end() ? NoKey : found->second;
}

std::uint32_t FakeMapVirtualKey(std::uint32_t vk)
{
    using namespace us;
    static const Key keys[] = {Shift,   Ctrl,    Alt,      LWin,        Tab,         Enter,
                               Space,   A,       B,        C,           M,           R,
                               X,       Digit1,  OpenBracket, CloseBracket, Digit9, Digit0,
                               Equals,  Digit6,  Digit5,   Digit2,      Grave,       F1,
                               F10,     F16,     Left,     Up,          Right,       Down,
                               PageUp,  PageDown, End,     Home,        Insert,      Delete,
                               Esc,     Backspace};
    for (const Key& key : keys)
        if (key.vk == vk)
            return 0x100 | key.scan;  // the sender keeps the low byte only
    return 0;
}

std::uint32_t windowsVersion;
std::uint32_t FakeGetVersion()
{
    return windowsVersion;
}

class KeyScript : public ::testing::Test {
protected:
    void SetUp() override
    {
        KeyInput.vkKeyScan = FakeVkKeyScan;
        KeyInput.mapVirtualKey = FakeMapVirtualKey;
        KeyInput.getVersion = FakeGetVersion;
        windowsVersion = 0x1DB10106;  // Windows 7: NT family, 6.1 build 7601
        InputRecorder::Start();
    }
    void TearDown() override { InputRecorder::Stop(); }
};

}  // namespace

// Filled entirely by the test: the native tree has no Windows calls.
KeyInputCalls KeyInput = {};

TEST_F(KeyScript, SendsTheEventsOfEachScript)
{
    ExpectEveryScriptCase();
}

TEST_F(KeyScript, ParenthesisNamesTypeThroughTheLayout)
{
    using namespace us;
    KeyScriptSender sender;
    EXPECT_TRUE(sender.SendKeyScript("{LEFTPAREN}{rightparen}"));
    EXPECT_TRUE(SameEvents(Join({Holding(Shift, Press(Digit9)), Holding(Shift, Press(Digit0))}),
                           InputRecorder::Finish()));
}

TEST_F(KeyScript, NumLockByWindowsFamily)
{
    struct Row {
        const char* system;
        std::uint32_t version;
        InputEvents expected;
    };
    const Row rows[] = {
        {"Windows XP", 0x0A280105, {KeyEvent(0x90, 0x45, 1), KeyEvent(0x90, 0x45, 3)}},
        {"Windows 95 with Num Lock off", 0xC3B60004, {NumLockStateEvent(0x81)}},
        {"Windows 98", 0xC0000A04, {}},
        {"Windows Me", 0xC0005A04, {}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.system);
        windowsVersion = row.version;
        InputRecorder::keyState = 0;
        std::memset(InputRecorder::keyboardState, 0, 256);
        InputRecorder::keyboardState[0x90] = 0x80;  // bit 7 (down) must survive the toggle
        KeyScriptSender sender;
        InputRecorder::Start();
        sender.SendKeyScript("{NUMLOCK}");
        EXPECT_TRUE(SameEvents(row.expected, InputRecorder::Finish()));
    }
}

TEST_F(KeyScript, NumLockOnWindows95TurnsOffWhenOn)
{
    windowsVersion = 0xC3B60004;
    InputRecorder::keyState = 1;
    std::memset(InputRecorder::keyboardState, 0, 256);
    InputRecorder::keyboardState[0x90] = 0x01;
    KeyScriptSender sender;
    sender.defaultDelay = 30;
    InputRecorder::Start();
    sender.SendKeyScript("{NUMLOCK}");
    const InputEvents expected = {NumLockStateEvent(0x00)};
    InputEvents actual = InputRecorder::Finish();
    ASSERT_EQ(1u, actual.size());
    EXPECT_EQ(30u, actual[0].waitBefore) << "the toggle waits like a key";
    actual[0].waitBefore = 0;
    EXPECT_TRUE(SameEvents(expected, actual));
}

TEST_F(KeyScript, PressKeyOfNumLockSendsBothEventsWithoutTheReleaseFlag)
{
    KeyScriptSender sender;
    sender.PressKey(0x90, 1, false, false);
    EXPECT_TRUE(SameEvents({KeyEvent(0x90, 0x45, 1), KeyEvent(0x90, 0x45, 3)},
                           InputRecorder::Finish()));
}

TEST_F(KeyScript, TypeKeyHoldsItsShiftStateEvenForCountZero)
{
    KeyScriptSender sender;
    sender.TypeKey(0x0741, 0, true);  // Shift, Ctrl and Alt with A, pressed no times
    EXPECT_TRUE(SameEvents({KeyDown(0x10, 0x2A), KeyDown(0x11, 0x1D), KeyDown(0x12, 0x38),
                            ModifierUp(0x10, 0x2A), ModifierUp(0x11, 0x1D),
                            ModifierUp(0x12, 0x38)},
                           InputRecorder::Finish()));
}

TEST_F(KeyScript, PumpsAfterEachKeyEventOnlyWhenAsked)
{
    KeyScriptSender sender;
    sender.SendKeyScript("ab{NUMLOCK}", true);
    EXPECT_EQ(4, InputRecorder::pumps) << "after the four events of a and b, not after Num Lock";
    EXPECT_EQ(1, InputRecorder::keyEventsBeforePump) << "right after the first event";
    EXPECT_TRUE(sender.pumpMessages);

    InputRecorder::Start();
    sender.SendKeyScript("ab", false);
    EXPECT_EQ(0, InputRecorder::pumps);
    EXPECT_FALSE(sender.pumpMessages);
}

TEST_F(KeyScript, AScriptStartsWithNoLatchesAndSendsNoKeyUpsForThem)
{
    KeyScriptSender sender;
    sender.groupOpen = sender.shiftLatched = sender.altLatched = true;
    sender.ctrlLatched = sender.winLatched = true;
    EXPECT_TRUE(sender.SendKeyScript(""));
    EXPECT_TRUE(SameEvents({}, InputRecorder::Finish()));
    EXPECT_FALSE(sender.groupOpen || sender.shiftLatched || sender.altLatched ||
                 sender.ctrlLatched || sender.winLatched);
}

TEST_F(KeyScript, DelaysPersistAndAreNotResetByAScript)
{
    KeyScriptSender sender;
    EXPECT_EQ(0, sender.defaultDelay);
    EXPECT_EQ(0, sender.nextDelay);
    sender.SendKeyScript("{DELAY=200}{DELAY 75}");
    EXPECT_EQ(200, sender.defaultDelay);
    EXPECT_EQ(75, sender.nextDelay);
    sender.SendKeyScript("{delay=7}");
    EXPECT_EQ(7, sender.defaultDelay);
    EXPECT_EQ(75, sender.nextDelay);
}

TEST(KeyScriptSenderConstruction, RunsItsHookAfterZeroingTheDelays)
{
    static int calls;
    calls = 0;
    KeyScriptSender sender([] { ++calls; });
    EXPECT_EQ(1, calls);
    EXPECT_EQ(nullptr, sender.targetWindow);
}

TEST(KeyNameTable, EveryNameIsFoundWithinSevenProbes)
{
    for (int i = 0; i < KeyNameCount; ++i) {
        const KeyName& entry = KeyNameTable[i];
        std::string lower = entry.name;
        for (char& c : lower)
            c = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
        for (const std::string& name : {std::string(entry.name), lower}) {
            const KeyLookup found = LookupKeyName(name.c_str());
            EXPECT_EQ(i, found.index) << name;
            EXPECT_EQ(entry.code, found.code) << name;
            EXPECT_LE(found.probes, 7) << name;
        }
    }
}

TEST(KeyNameTable, CodesOfTheNumberedFamilies)
{
    for (int n = 1; n <= 16; ++n)
        EXPECT_EQ(0x6F + n, LookupKeyName(("F" + std::to_string(n)).c_str()).code) << n;
    for (int n = 0; n <= 9; ++n)
        EXPECT_EQ(0x60 + n, LookupKeyName(("numpad" + std::to_string(n)).c_str()).code) << n;
    EXPECT_EQ(0x2A, LookupKeyName("PRTSC").code) << "the Print key, not Print Screen";
    EXPECT_EQ(0x2C, LookupKeyName("SNAPSHOT").code);
}

TEST(KeyNameTable, NamesNotInTheTable)
{
    for (const char* name : {"", "A", "F", "F0", "F17", "TABS", "TA", "ZZZ", "DELETEX", "~",
                             "NUMPAD10", "TAB 3", "\xC4"}) {
        const KeyLookup found = LookupKeyName(name);
        EXPECT_EQ(-1, found.index) << name;
        EXPECT_EQ(NoKey, found.code) << name;
        EXPECT_LE(found.probes, 7) << name;
    }
}

TEST(IsExtendedKey, ExactlyTheTenKeysByTheLowByte)
{
    int extended = 0;
    for (unsigned vk = 0; vk < 256; ++vk)
        extended += IsExtendedKey(static_cast<std::uint16_t>(0x700 | vk));
    EXPECT_EQ(10, extended);
    for (unsigned vk : {0x5Bu, 0x5Cu, 0x5Du, 0x6Fu, 0x90u, 0x2Cu, 0x0Du})
        EXPECT_FALSE(IsExtendedKey(static_cast<std::uint16_t>(vk))) << vk;
}

TEST(ReadDecimal, ReadsLikeTheTokensWantIt)
{
    const struct {
        const char* text;
        std::int32_t value;
    } rows[] = {
        {"", 0},           {"  42", 42},       {"\t-17x", -17},         {"+8", 8},
        {"12 34", 12},     {"abc", 0},         {"-", 0},                {"0x20", 0},
        {"2147483647", 2147483647},            {"99999999999999999999", 2147483647},
        {"-2147483648", -2147483647 - 1},      {"-99999999999999999999", -2147483647 - 1},
    };
    for (const auto& row : rows)
        EXPECT_EQ(row.value, ReadDecimal(row.text)) << '"' << row.text << '"';
}
