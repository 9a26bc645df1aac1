// Path joining for the renames: never a cut path.
#include <gtest/gtest.h>

#include <string>

#include "automation/console/console_names.h"

TEST(JoinPath, JoinsWhatFitsAndRefusesWhatDoesNot)
{
    char path[ConsolePathSize];
    const char* parts[] = {"C:\\Program Files", RstFolderText, "zh-TW", HiddenCultureSuffix};
    ASSERT_TRUE(JoinPath(path, parts, 4));
    EXPECT_STREQ("C:\\Program Files\\Intel\\Intel(R) Rapid Storage Technology\\zh-TW_X", path);

    const std::string exact(ConsolePathSize - 1, 'p'), over(ConsolePathSize, 'p');
    const char* fits[] = {exact.c_str()};
    EXPECT_TRUE(JoinPath(path, fits, 1));
    EXPECT_EQ(exact, path);
    const std::string half(ConsolePathSize / 2, 'h');
    for (const std::string* first : {&over, &half}) {
        const char* tooLong[] = {first->c_str(), half.c_str()};
        EXPECT_FALSE(JoinPath(path, tooLong, 2));
        EXPECT_STREQ("", path);
    }
}

TEST(CutLastCharacter, HidesAResourceFileName)
{
    char hidden[ConsolePathSize];
    ASSERT_TRUE(CutLastCharacter(hidden, "de-DE\\IAStorUI.resources.dll"));
    EXPECT_STREQ("de-DE\\IAStorUI.resources.dl", hidden);
    EXPECT_FALSE(CutLastCharacter(hidden, ""));
    EXPECT_STREQ("", hidden);

    // A name no path buffer holds is refused, although its cut would fit.
    const std::string longest(ConsolePathSize - 1, 'n'), over(ConsolePathSize, 'n');
    ASSERT_TRUE(CutLastCharacter(hidden, longest.c_str()));
    EXPECT_EQ(longest.substr(1), hidden);
    EXPECT_FALSE(CutLastCharacter(hidden, over.c_str()));
    EXPECT_STREQ("", hidden);
}
