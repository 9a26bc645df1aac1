// The key-script sender with the real VkKeyScanA and MapVirtualKeyA of Wine's US layout and
// the real GetVersion; the sending calls are recorded.
#include <windows.h>

#include <gtest/gtest.h>

#include "automation/keyscript/key_script_sender.h"
#include "input_recorder.h"
#include "key_script_cases.h"

namespace {

class KeyScriptOnUsLayout : public ::testing::Test {
protected:
    void SetUp() override { InputRecorder::Start(); }
    void TearDown() override { InputRecorder::Stop(); }
};

}  // namespace

TEST_F(KeyScriptOnUsLayout, SendsTheEventsOfEachScript)
{
    ASSERT_EQ(0u, GetVersion() & 0x80000000u) << "Wine reports the NT family";
    ExpectEveryScriptCase();
}

// The process-wide sender keeps its delay from one script to the next.
TEST_F(KeyScriptOnUsLayout, TheLibrarySenderKeepsItsDelay)
{
    const std::int32_t saved = keyScriptSender.defaultDelay;
    ASSERT_TRUE(keyScriptSender.SendKeyScript("{DELAY=200}"));
    ASSERT_TRUE(keyScriptSender.SendKeyScript("{TAB}"));
    EXPECT_TRUE(SameEvents(Press(us::Tab, 200), InputRecorder::Finish()));
    keyScriptSender.defaultDelay = saved;
}

// A character the layout has no key for is skipped, and the latch stays for the next key.
TEST_F(KeyScriptOnUsLayout, CharacterWithoutAKeyIsSkipped)
{
    const char noKey = '\xA4';  // the currency sign: no key on the US layout
    ASSERT_EQ(0xFFFF, static_cast<std::uint16_t>(VkKeyScanA(noKey)));
    KeyScriptSender sender;
    const std::string script = std::string("+") + noKey + "a";
    EXPECT_TRUE(sender.SendKeyScript(script.c_str()));
    EXPECT_TRUE(SameEvents(Holding(us::Shift, Press(us::A)), InputRecorder::Finish()));
}

// A typed entry whose character has no key in the layout sends nothing and keeps the latch.
TEST_F(KeyScriptOnUsLayout, TypedNameWithoutAKeySendsNothing)
{
    if (static_cast<std::uint16_t>(VkKeyScanA('(')) != 0xFFFF)
        GTEST_SKIP() << "host: this keyboard layout has a key for '('";
    KeyScriptSender sender;
    EXPECT_TRUE(sender.SendKeyScript("+{LEFTPAREN}{RIGHTPAREN}a"));
    EXPECT_TRUE(SameEvents(Holding(us::Shift, Press(us::A)), InputRecorder::Finish()));
}
