#include "testing/standins/console_common/standin_options.h"

#include <gtest/gtest.h>

namespace standin {
namespace {

TEST(StandinOptions, SwitchesFromTheCommandLine)
{
    StandinOptions options;
    std::vector<std::string> arguments = SplitCommandLine(
        "\"C:\\Program Files\\Intel\\Intel(R) Rapid Storage Technology\\IAStorUI.exe\" "
        "/start-delay=2500 \"/never-open=ADD Disk|Volume Creation Complete\" "
        "\"/open-delay=ADD Disk=1500|a=b=20\" /data-disks=1,3,99,x /other");
    ASSERT_EQ(6u, arguments.size());
    EXPECT_EQ("C:\\Program Files\\Intel\\Intel(R) Rapid Storage Technology\\IAStorUI.exe", arguments[0]);
    for (std::size_t i = 1; i < arguments.size(); ++i)
        ApplySwitch(options, arguments[i]);

    EXPECT_EQ(2500, options.startDelayMs);
    EXPECT_TRUE(NeverOpens(options, "ADD Disk"));
    EXPECT_TRUE(NeverOpens(options, "Volume Creation Complete"));
    EXPECT_FALSE(NeverOpens(options, "ADD")) << "titles match whole";
    EXPECT_EQ(1500, OpenDelayFor(options, "ADD Disk"));
    EXPECT_EQ(20, OpenDelayFor(options, "a=b")) << "the delay follows the last '='";
    EXPECT_EQ(0, OpenDelayFor(options, "Confirm Volume Creation"));
    EXPECT_EQ((std::vector<int>{1, 3}), options.dataDisks) << "ports beyond 31 and non-numbers are dropped";
    EXPECT_FALSE(ApplySwitch(options, "/other"));
    EXPECT_FALSE(ApplySwitch(options, "plain=1"));
}

TEST(StandinOptions, EnvironmentValuesAndCommandLineOverride)
{
    StandinOptions options;
    ApplyEnvironmentValue(options, "ORB_STANDIN_LOG", "C:\\log.txt");
    ApplyEnvironmentValue(options, "ORB_STANDIN_START_DELAY", "300");
    ApplyEnvironmentValue(options, "ORB_STANDIN_NEVER_OPEN", nullptr);
    ApplyEnvironmentValue(options, "UNRELATED", "1");
    EXPECT_EQ("C:\\log.txt", options.logPath);
    EXPECT_EQ(300, options.startDelayMs);
    EXPECT_TRUE(options.neverOpen.empty());
    ApplySwitch(options, "/start-delay=0");
    EXPECT_EQ(0, options.startDelayMs);
}

TEST(StandinOptions, DelaysAreDecimalAndBounded)
{
    struct Case {
        const char* text;
        int delay;
    } cases[] = {{"0", 0},       {"1500", 1500},     {"600000", kMaxDelayMs}, {"999999999", kMaxDelayMs},
                 {"", -1},       {"-5", -1},         {"12ms", -1},            {"1234567890", -1}};
    for (const Case& c : cases)
        EXPECT_EQ(c.delay, ParseDelay(c.text)) << c.text;

    StandinOptions options;
    ApplySwitch(options, "/start-delay=-5");
    EXPECT_EQ(0, options.startDelayMs) << "a malformed delay means none";
}

}  // namespace
}  // namespace standin
