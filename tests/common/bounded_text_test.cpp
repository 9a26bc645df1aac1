// Bounded text: copies cut to their field, case folded for ASCII letters only, joins that fit or
// leave nothing.
#include "common/bounded_text.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace bounded_text {
namespace {

TEST(BoundedText, CopyCutsToTheFieldAndTerminates)
{
    char field[4];
    const struct {
        const char* source;
        const char* stored;
    } cases[] = {{"", ""}, {"ab", "ab"}, {"abc", "abc"}, {"abcd", "abc"}, {nullptr, ""}};
    for (const auto& c : cases) {
        std::memset(field, 'x', sizeof field);
        CopyField(field, c.source);
        EXPECT_STREQ(c.stored, field) << (c.source ? c.source : "null");
    }
    CopyField(field, std::string_view("a\0b", 3));  // a view is copied as it is, NUL included
    EXPECT_EQ('b', field[2]);
    char self[8] = "abcdef";
    CopyField(self, self + 2);  // overlapping
    EXPECT_STREQ("cdef", self);
    const char unterminated[3] = {'x', 'y', 'z'};
    EXPECT_EQ("xyz", FieldText(unterminated));
    EXPECT_EQ("xy", CText(unterminated, 2));
}

TEST(BoundedText, CaseIsFoldedForAsciiLettersOnly)
{
    EXPECT_TRUE(EqualIgnoringCase("Intel", "INTEL"));
    EXPECT_FALSE(EqualIgnoringCase("Intel", "Intel "));
    EXPECT_FALSE(EqualIgnoringCase("\xE9", "\xC9"));  // Latin-1 letters are other bytes
    EXPECT_TRUE(StartsWithIgnoringCase("\\\\.\\physicaldrive3", "\\\\.\\PhysicalDrive"));
    EXPECT_FALSE(StartsWithIgnoringCase("PHY", "PhysicalDrive"));
    char field[6] = "a-z{";
    UpperCaseInPlace(field);
    EXPECT_STREQ("A-Z{", field);
}

TEST(BoundedText, JoinFitsWholeOrLeavesNothing)
{
    const char* parts[] = {"C:\\Program Files", nullptr, "\\x.exe"};
    char path[23];
    EXPECT_TRUE(JoinOrEmpty(path, parts, 3));
    EXPECT_STREQ("C:\\Program Files\\x.exe", path);
    char small[22];
    EXPECT_FALSE(JoinOrEmpty(small, parts, 3));
    EXPECT_STREQ("", small);
    EXPECT_FALSE(JoinOrEmpty(nullptr, 0, parts, 3));
}

}  // namespace
}  // namespace bounded_text
