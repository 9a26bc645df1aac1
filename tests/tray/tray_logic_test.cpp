#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "common/windows_version.h"
#include "tray/autostart.h"
#include "tray/launch_targets.h"
#include "tray/path_text.h"

namespace {

// Code 18 (NT 6.x) alone takes RunOnce, which is never created; every other code, the unlisted
// 0 included, takes Run, created when missing.
TEST(ChooseAutostartKey, RunOnceOnlyForNt6)
{
    struct Case {
        uint8_t code;
        const char* path;
        bool create;
    };
    const Case cases[] = {
        {0, kRunKeyPath, true},
        {kVersionWin32s, kRunKeyPath, true},
        {kVersionWindows98SE, kRunKeyPath, true},
        {kVersionWindows2000, kRunKeyPath, true},
        {kVersionWindowsXP, kRunKeyPath, true},
        {17, kRunKeyPath, true},
        {kVersionWindowsNT6, kRunOnceKeyPath, false},
        {19, kRunKeyPath, true},
    };
    for (const Case& c : cases) {
        const AutostartKeyChoice choice = ChooseAutostartKey(c.code);
        EXPECT_STREQ(c.path, choice.path) << "code " << int(c.code);
        EXPECT_EQ(c.create, choice.createWhenMissing) << "code " << int(c.code);
    }
    EXPECT_STREQ("Software\\Microsoft\\Windows\\CurrentVersion\\Run", kRunKeyPath);
    EXPECT_STREQ("Software\\Microsoft\\Windows\\CurrentVersion\\RunOnce", kRunOnceKeyPath);
}

// The command line Windows runs at log-on: the whole path in quotes, so that a folder with a
// blank never makes "C:\Program" the program.
TEST(BuildAutostartCommand, QuotesThePathWithItsBlanks)
{
    char command[300];
    ASSERT_TRUE(BuildAutostartCommand("C:\\Program Files", command, sizeof(command)));
    EXPECT_STREQ("\"C:\\Program Files\\korvante\\orb_ii\\orb2_tray.exe\"", command);
}

TEST(BuildAutostartCommand, RefusesWhatWouldNameAnotherProgram)
{
    const std::string longFolder = "C:\\" + std::string(290, 'x');
    struct Case {
        const char* folder;
        size_t size;
    };
    const Case cases[] = {
        {nullptr, 300},
        {"", 300},
        {"C:\\Pro\"gram Files", 300},  // a quote would end the quoted path early
        {longFolder.c_str(), 300},     // a cut path would start another file
        {"C:\\Program Files", 48},     // one byte short of the 49-byte command
        {"C:\\Program Files", 0},      // no room even for the terminator: nothing written
    };
    for (const Case& c : cases) {
        char command[300];
        memset(command, 'z', sizeof(command));
        EXPECT_FALSE(BuildAutostartCommand(c.folder, command, c.size)) << c.size;
        EXPECT_EQ(c.size > 0 ? '\0' : 'z', command[0]) << c.size;
    }
    EXPECT_FALSE(BuildAutostartCommand("C:\\Program Files", nullptr, 300));
    char command[49];
    EXPECT_TRUE(BuildAutostartCommand("C:\\Program Files", command, sizeof(command)));
}

TEST(BuildMainApplicationPath, FolderThenProgram)
{
    char path[260];
    ASSERT_TRUE(BuildMainApplicationPath("C:\\Program Files", path, sizeof(path)));
    EXPECT_STREQ("C:\\Program Files\\korvante\\orb_ii\\orb_ii.exe", path);

    memset(path, 'z', sizeof(path));
    EXPECT_FALSE(BuildMainApplicationPath("", path, sizeof(path)));
    EXPECT_STREQ("", path);
    const std::string longFolder(250, 'x');
    EXPECT_FALSE(BuildMainApplicationPath(longFolder.c_str(), path, sizeof(path)));
    EXPECT_STREQ("", path);
    memset(path, 'z', sizeof(path));
    EXPECT_FALSE(BuildMainApplicationPath("C:\\Program Files", path, 0));
    EXPECT_EQ('z', path[0]) << "nothing written to a buffer of no size";
    EXPECT_FALSE(BuildMainApplicationPath("C:\\Program Files", nullptr, sizeof(path)));
}

TEST(ComposeText, StaysInsideTheBuffer)
{
    char out[8];
    const char* const parts[] = {"abc", "def"};
    EXPECT_TRUE(ComposeText(out, 7, parts, 2));
    EXPECT_STREQ("abcdef", out);
    memset(out, 'z', sizeof(out));
    EXPECT_FALSE(ComposeText(out, 6, parts, 2));
    EXPECT_STREQ("", out);
    EXPECT_EQ('z', out[6]) << "nothing written past the given size";
    EXPECT_EQ('z', out[7]);
    EXPECT_FALSE(ComposeText(out, 0, parts, 2));
}

}  // namespace
