// The trace's lines: bounded whatever they are given, outside texts made harmless, and the runs
// of slots a probe could not open.
#include "common/trace.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "inventory/probes/slot_trace.h"

namespace {

std::vector<std::string> sent;

class TraceLines : public ::testing::Test {
protected:
    void SetUp() override
    {
        sent.clear();
        saved_ = traceOutput;
        traceOutput = [](const char* line) { sent.push_back(line); };
    }
    void TearDown() override { traceOutput = saved_; }
    TraceOutput saved_ = nullptr;
};

TEST_F(TraceLines, EachLineStartsWithItsLibraryAndEndsInOneLineFeed)
{
    Trace("orb2", "scan: %s at %d ms", "end", 1034);
    Trace("OrbLib", "%s", std::string(2000, 'k').c_str());
    ASSERT_EQ(2u, sent.size());
    EXPECT_EQ("orb2: scan: end at 1034 ms\n", sent[0]);
    EXPECT_EQ(TraceLineSize - 2, sent[1].size()) << "cut to the buffer, the line feed kept";
    EXPECT_EQ("OrbLib: kkk", sent[1].substr(0, 11));
    EXPECT_EQ("...\n", sent[1].substr(sent[1].size() - 4));
}

TEST_F(TraceLines, NothingIsSentWithoutAnOutput)
{
    traceOutput = nullptr;
    Trace("orb2", "scan: start");
    EXPECT_TRUE(sent.empty());
}

TEST_F(TraceLines, OutsideTextsAreCutAndCannotBreakALine)
{
    const struct {
        const char* name;
        std::string text;
        std::size_t fieldSize;
        std::string shown;
    } cases[] = {
        {"plain", "WDC WD5000AAKS", 128, "WDC WD5000AAKS"},
        {"line ends, tab, quote", "a\r\nb\t\"c\"", 128, "a\\x0D\\x0Ab\\x09\\x22c\\x22"},
        {"code page bytes", "\xC4\xFF", 128, "\\xC4\\xFF"},
        {"path", "C:\\windows\\G.bat", 128, "C:\\windows\\G.bat"},
        {"field without its NUL", "ABCDEFGH", 4, "ABCD"},
        {"long", std::string(300, 'x'), 512, std::string(120, 'x') + "..."},
        {"long, escaped", std::string(300, '\x01'), 512, [] {
             std::string s;
             for (int i = 0; i < 30; ++i)
                 s += "\\x01";
             return s + "...";
         }()},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<char> field(c.text.begin(), c.text.end());
        field.push_back('\0');
        const TraceText shown = Shown(field.data(), c.fieldSize);
        EXPECT_EQ(c.shown, shown.text);
        EXPECT_LT(std::strlen(shown.text), TraceTextSize);
    }
    EXPECT_STREQ("(null)", Shown(nullptr).text);

    // A record's field filled to its size, more of the record after it: read no further, whether
    // the record is const or not.
    struct Record {
        char model[8];
        char firmware[8];
    };
    const Record record = {{'S', 'T', '3', '5', '0', '0', 'A', 'S'}, "CC38"};
    Record copy = record;
    EXPECT_STREQ("ST3500AS", Shown(record.model).text);
    EXPECT_STREQ("ST3500AS", Shown(copy.model).text);
}

TEST_F(TraceLines, UnopenedSlotsMakeOneLinePerRunOfOneError)
{
    {
        UnopenedSlots slots("smart probe");
        slots.Add(0, 5);
        slots.Flush();  // slot 1 opened
        slots.Add(2, 2);
        slots.Add(3, 2);
        slots.Add(4, 21);
        for (int n = 5; n < 50; ++n)
            slots.Add(n, 2);
    }
    const std::vector<std::string> expected = {
        "orb2: smart probe: PhysicalDrive0 not opened (error 5)\n",
        "orb2: smart probe: PhysicalDrive2-3 not opened (error 2)\n",
        "orb2: smart probe: PhysicalDrive4 not opened (error 21)\n",
        "orb2: smart probe: PhysicalDrive5-49 not opened (error 2)\n",
    };
    EXPECT_EQ(expected, sent);
}

}  // namespace
