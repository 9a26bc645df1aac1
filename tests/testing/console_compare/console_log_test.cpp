#include "testing/console_compare/same_events.h"

#include <gtest/gtest.h>

namespace orbtest {
namespace {

const char kLog[] =
    "start\tIAStorUI.exe\tpid=8\tms=100\r\n"
    "entry\tar-SA\tvisible=1\tms=100\r\n"
    "entry\tcs-CZ\tvisible=0\tms=101\r\n"
    "open\tIntel(R) Rapid Storage Technology\tms=150\r\n"
    "key\tIntel(R) Rapid Storage Technology\tmsg=WM_SYSKEYDOWN\tvk=0x43\text=0\tscan=0x2E\tms=300\r\n"
    "\r\n"
    "char\tIntel(R) Rapid Storage Technology\tmsg=WM_SYSCHAR\tch=0x63\tms=301\n"
    "start\tIAStorUI.exe\tpid=9\tms=900\r\n"
    "entry\tar-SA\tvisible=0\tms=900\r\n"
    "entry\tcs-CZ\tvisible=1\tms=900\r\n"
    "click\tADD Disk\tbutton=right\tx=285\ty=150\tms=950";

TEST(ConsoleLog, ParsesLinesIntoKindSubjectAndFields)
{
    std::vector<LogEvent> events = ParseLog(kLog);
    ASSERT_EQ(10u, events.size()) << "the blank line is skipped, the last line has no line end";
    EXPECT_EQ("key", events[4].kind);
    EXPECT_EQ("Intel(R) Rapid Storage Technology", events[4].subject);
    EXPECT_EQ("0x43", events[4].Field("vk"));
    EXPECT_EQ("", events[4].Field("nothing"));
    EXPECT_EQ(300u, events[4].tick);
    EXPECT_EQ("char\tIntel(R) Rapid Storage Technology\tmsg=WM_SYSCHAR\tch=0x63", events[5].Describe())
        << "LF alone ends a line too";
    EXPECT_EQ(950u, events[9].tick);
}

TEST(ConsoleLog, DescriptionLeavesOutTickAndScanCode)
{
    LogEvent key = ParseLogLine("key\tW\tmsg=WM_KEYDOWN\tvk=0x28\text=1\tscan=0x50\tms=77");
    EXPECT_EQ(KeyDown("W", 0x28, true), key.Describe());
    EXPECT_EQ(SysKeyDown("W", 0x43), ParseLogLine("key\tW\tmsg=WM_SYSKEYDOWN\tvk=0x43\text=0\tscan=0x2E").Describe());
    EXPECT_EQ(KeyUp("W", 0x09), ParseLogLine("keyup\tW\tmsg=WM_KEYUP\tvk=0x09\text=0\tscan=0x0F").Describe());
    EXPECT_EQ(Char("W", 0x20), ParseLogLine("char\tW\tmsg=WM_CHAR\tch=0x20\tms=1").Describe());
    EXPECT_EQ(Click("W", "left", -3, 12), ParseLogLine("click\tW\tbutton=left\tx=-3\ty=12\tms=1").Describe());
    EXPECT_EQ(Opened("ADD Disk"), ParseLogLine("open\tADD Disk\tms=5").Describe());
    EXPECT_EQ(Closed("ADD Disk"), ParseLogLine("close\tADD Disk").Describe());
    EXPECT_EQ("odd", ParseLogLine("odd").Describe().substr(0, 3));
}

TEST(ConsoleLog, SelectsByKindAndSubject)
{
    std::vector<LogEvent> events = ParseLog(kLog);
    EXPECT_EQ(2u, Select(events, {"key", "char"}).size());
    EXPECT_EQ(1u, Select(events, {"click"}, "ADD Disk").size());
    EXPECT_EQ(0u, Select(events, {"click"}, "ADD").size()) << "the subject must match whole";
    EXPECT_EQ(events.size(), Select(events, {}).size());
}

TEST(ConsoleLog, EntriesAtStartComeFromTheLatestRun)
{
    std::vector<LogEvent> events = ParseLog(kLog);
    EXPECT_EQ(4u, LatestRun(events).size());
    EXPECT_EQ(std::vector<std::string>{"cs-CZ"}, EntriesAtStart(events, true));
    EXPECT_EQ(std::vector<std::string>{"ar-SA"}, EntriesAtStart(events, false));
}

TEST(ConsoleLog, DifferenceNamesMissingAndUnexpectedEntriesInOrder)
{
    EXPECT_EQ("", DiffLines({"a", "b"}, {"a", "b"}));
    EXPECT_TRUE(SameEvents({"a"}, std::vector<std::string>{"a"}));

    std::string difference = DiffLines({"a", "b", "c", "d"}, {"a", "c", "x", "d", "y"});
    EXPECT_EQ("expected 4 events, received 5 (- missing, + unexpected):\n"
              "    a\n"
              "  - b\n"
              "    c\n"
              "  + x\n"
              "    d\n"
              "  + y\n",
              difference);
    EXPECT_EQ("expected 1 events, received 0 (- missing, + unexpected):\n  - a\n", DiffLines({"a"}, {}));

    ::testing::AssertionResult result = SameEvents({"a"}, std::vector<std::string>{"b"});
    EXPECT_FALSE(result);
    EXPECT_NE(std::string::npos, std::string(result.message()).find("  - a\n  + b\n"));
}

TEST(ConsoleLog, RepeatedEventsAreCountedNotMerged)
{
    // Three Tabs expected, two received: one is reported missing.
    std::string difference = DiffLines({"tab", "tab", "tab", "enter"}, {"tab", "tab", "enter"});
    EXPECT_NE(std::string::npos, difference.find("  - tab\n"));
    EXPECT_EQ(std::string::npos, difference.find("  + "));
}

}  // namespace
}  // namespace orbtest
