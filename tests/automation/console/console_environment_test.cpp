// The consoles' environment on real folders in the prefix's Program Files.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "automation/console/console_environment.h"
#include "automation/console/console_names.h"
#include "automation/keyscript/key_script_sender.h"
#include "console_folders.h"
#include "testing/fixtures/held_culture.h"
#include "tests/automation/test_window.h"

namespace {

// What a folder of the Rapid Storage Technology console holds.
struct RstTree {
    bool culture[RstCultureCount];
    bool file[RstCultureCount][RstResourceFileCount];
    static RstTree Full()
    {
        RstTree tree;
        std::fill(&tree.culture[0], &tree.culture[0] + RstCultureCount, true);
        std::fill(&tree.file[0][0], &tree.file[0][0] + RstCultureCount * RstResourceFileCount, true);
        return tree;
    }
};

int CultureIndex(const char* name)
{
    for (int i = 0; i < RstCultureCount; ++i)
        if (std::strcmp(RstCultures[i], name) == 0)
            return i;
    return -1;
}

// Fresh folders: the console's own files, the cultures and their resource files, and other
// files that no rename may touch. Every file holds its own path as content.
void BuildRst(const RstTree& tree)
{
    RemoveTree(IntelFolder());
    CreateDirectoryA(ProgramFilesFolder().c_str(), nullptr);
    CreateDirectoryA(IntelFolder().c_str(), nullptr);
    CreateDirectoryA(RstFolder().c_str(), nullptr);
    WriteTestFile(RstFolder() + "\\IAStorUI.exe", "console");
    for (int c = 0; c < RstCultureCount; ++c) {
        if (!tree.culture[c])
            continue;
        const std::string folder = RstFolder() + "\\" + RstCultures[c];
        CreateDirectoryA(folder.c_str(), nullptr);
        WriteTestFile(folder + "\\readme.txt", folder);
        for (int f = 0; f < RstResourceFileCount; ++f)
            if (tree.file[c][f])
                WriteTestFile(folder + "\\" + RstResourceFiles[f], RstResourceFiles[f]);
    }
}

// A Rapid Storage Technology culture folder in use, with its resource file `heldFile` open
// (none for -1).
struct HeldRstCulture : HeldCulture {
    HeldRstCulture(const char* culture, int heldFile = 3)
        : HeldCulture(RstFolder() + "\\" + culture, heldFile >= 0 ? RstResourceFiles[heldFile] : nullptr)
    {
    }
};

std::string CulturePath(int c, const char* suffix = "")
{
    return RstFolder() + "\\" + RstCultures[c] + suffix;
}

class ConsoleEnvironment : public ::testing::Test {
protected:
    void SetUp() override { PinnedCulture[0] = 0; }
    void TearDown() override { RemoveTree(IntelFolder()); }
};

}  // namespace

TEST_F(ConsoleEnvironment, AllCulturesFree)
{
    BuildRst(RstTree::Full());
    const auto before = Snapshot();
    ASSERT_TRUE(HideRstResources());
    for (int c = 0; c < RstCultureCount; ++c) {
        EXPECT_FALSE(Exists(CulturePath(c))) << RstCultures[c];
        EXPECT_TRUE(Exists(CulturePath(c, "_X") + "\\IAStorUI.resources.dll")) << RstCultures[c];
    }
    EXPECT_STREQ("", PinnedCulture);
    ASSERT_TRUE(RestoreRstResources());
    EXPECT_EQ(before, Snapshot());
}

TEST_F(ConsoleEnvironment, CultureInUseHasItsFilesHidden)
{
    BuildRst(RstTree::Full());
    const auto before = Snapshot();
    const int german = CultureIndex("de-DE");
    {
        HeldRstCulture held("de-DE", 3);  // IAStorUI.resources.dll open
        ASSERT_TRUE(HideRstResources());
        EXPECT_STREQ("de-DE", PinnedCulture);
        EXPECT_TRUE(Exists(CulturePath(german)));
        for (int f = 0; f < RstResourceFileCount; ++f) {
            const std::string shown = CulturePath(german) + "\\" + RstResourceFiles[f];
            const std::string hidden = shown.substr(0, shown.size() - 1);
            EXPECT_EQ(f == 3, Exists(shown)) << shown;
            EXPECT_EQ(f != 3, Exists(hidden)) << hidden;
        }
        EXPECT_TRUE(Exists(CulturePath(german) + "\\readme.txt"));
        for (int c = 0; c < RstCultureCount; ++c) {
            if (c != german) {
                EXPECT_TRUE(Exists(CulturePath(c, "_X"))) << RstCultures[c];
            }
        }
        // The restore may run while the console still holds its files.
        ASSERT_TRUE(RestoreRstResources());
        EXPECT_EQ(before, Snapshot()) << Join(Snapshot());
    }
}

TEST_F(ConsoleEnvironment, TwoCulturesInUseAreBothRestored)
{
    BuildRst(RstTree::Full());
    const auto before = Snapshot();
    {
        HeldRstCulture german("de-DE", 0), french("fr-FR", 6);
        ASSERT_TRUE(HideRstResources());
        EXPECT_STREQ("fr-FR", PinnedCulture) << "the last failed rename in list order";
        EXPECT_TRUE(Exists(RstFolder() + "\\de-DE\\IAStorUI.resources.dl"));
        EXPECT_TRUE(Exists(RstFolder() + "\\fr-FR\\IAStorUI.resources.dl"));
    }
    ASSERT_TRUE(RestoreRstResources());
    EXPECT_EQ(before, Snapshot()) << Join(Snapshot());
}

TEST_F(ConsoleEnvironment, MissingCultureCountsAsAFailedRename)
{
    RstTree tree = RstTree::Full();
    tree.culture[CultureIndex("ar-SA")] = false;
    tree.culture[CultureIndex("zh-TW")] = false;
    BuildRst(tree);
    const auto before = Snapshot();
    ASSERT_TRUE(HideRstResources());
    EXPECT_STREQ("zh-TW", PinnedCulture);
    EXPECT_FALSE(Exists(CulturePath(CultureIndex("zh-TW"), "_X")));
    ASSERT_TRUE(RestoreRstResources());
    EXPECT_EQ(before, Snapshot());
}

// The hide and the restore in separate loads of the library (each a process of its own), as
// after a crash: the restore knows nothing of what the hide recorded.
TEST_F(ConsoleEnvironment, RestoreAfterAFreshLoad)
{
    BuildRst(RstTree::Full());
    const auto before = Snapshot();
    {
        HeldRstCulture german("de-DE"), italian("it-IT");
        ASSERT_EQ(0, RunChildTests("ConsoleChild.*", "ORB_CONSOLE_CHILD", "hide"));
    }
    EXPECT_TRUE(Exists(RstFolder() + "\\de-DE\\IAStorHelp.resources.dl"));
    // A second run hides again, now renaming de-DE and it-IT whole, hidden files and all.
    ASSERT_EQ(0, RunChildTests("ConsoleChild.*", "ORB_CONSOLE_CHILD", "hide"));
    EXPECT_TRUE(Exists(RstFolder() + "\\de-DE_X\\IAStorHelp.resources.dl"));
    ASSERT_EQ(0, RunChildTests("ConsoleChild.*", "ORB_CONSOLE_CHILD", "restore"));
    EXPECT_EQ(before, Snapshot()) << Join(Snapshot());
    EXPECT_STREQ("", PinnedCulture) << "this process did nothing";
}

TEST(ConsoleChild, Run)
{
    const char* what = std::getenv("ORB_CONSOLE_CHILD");
    if (!what)
        GTEST_SKIP() << "child: runs in the children started by RestoreAfterAFreshLoad";
    EXPECT_STREQ("", PinnedCulture) << "a fresh load";
    if (std::strcmp(what, "hide") == 0)
        EXPECT_TRUE(HideRstResources());
    else
        EXPECT_TRUE(RestoreRstResources());
}

TEST_F(ConsoleEnvironment, LanguageEntriesOfMatrixStorageManager)
{
    BuildRst(RstTree::Full());
    CreateDirectoryA(MsmFolder().c_str(), nullptr);
    WriteTestFile(MsmFolder() + "\\Shell.exe", "console");
    // Folders, files, and absent entries.
    for (int k = 0; k < MsmLanguageCount; ++k) {
        const std::string entry = MsmFolder() + "\\" + MsmLanguages[k];
        if (k % 3 == 0) {
            CreateDirectoryA(entry.c_str(), nullptr);
            WriteTestFile(entry + "\\strings.dll", entry);
        } else if (k % 3 == 1) {
            WriteTestFile(entry, entry);
        }
    }
    const auto before = Snapshot();

    // Through the export, as the main application may call it.
    HMODULE library = LoadLibraryA("OrbLib.dll");
    ASSERT_NE(nullptr, library);
    auto change = reinterpret_cast<bool(__cdecl*)()>(GetProcAddress(library, "ChangeDirName"));
    ASSERT_NE(nullptr, change);
    EXPECT_TRUE(change());
    FreeLibrary(library);
    for (int k = 0; k < MsmLanguageCount; ++k) {
        const std::string entry = MsmFolder() + "\\" + MsmLanguages[k];
        EXPECT_FALSE(Exists(entry)) << entry;
        EXPECT_EQ(k % 3 != 2, Exists(entry + "_C")) << entry;
    }
    EXPECT_TRUE(RestoreDirName());
    EXPECT_EQ(before, Snapshot()) << Join(Snapshot());
}

// Many trees, with cultures and files missing, cultures in use during one or two hides:
// after the restore the tree is what it was.
TEST_F(ConsoleEnvironment, RandomTreesComeBackIdentical)
{
    const unsigned seed = 20261208;
    std::mt19937 random(seed);
    auto chance = [&](int percent) { return static_cast<int>(random() % 100) < percent; };
    for (int round = 0; round < 25; ++round) {
        SCOPED_TRACE("seed " + std::to_string(seed) + ", round " + std::to_string(round));
        RstTree tree;
        for (int c = 0; c < RstCultureCount; ++c) {
            tree.culture[c] = chance(85);
            for (int f = 0; f < RstResourceFileCount; ++f)
                tree.file[c][f] = chance(85);
        }
        BuildRst(tree);
        CreateDirectoryA(MsmFolder().c_str(), nullptr);
        std::vector<bool> language(MsmLanguageCount);
        for (int k = 0; k < MsmLanguageCount; ++k) {
            const std::string entry = MsmFolder() + "\\" + MsmLanguages[k];
            if (chance(40)) {
                CreateDirectoryA(entry.c_str(), nullptr);
                WriteTestFile(entry + "\\x.dll", entry);
            } else if (chance(50)) {
                WriteTestFile(entry, entry);
            }
        }
        const auto before = Snapshot();

        const int hides = 1 + static_cast<int>(random() % 2);
        for (int hide = 0; hide < hides; ++hide) {
            std::vector<std::unique_ptr<HeldRstCulture>> held;
            std::vector<bool> isHeld(RstCultureCount, false);
            const int holds = static_cast<int>(random() % 4);
            for (int h = 0; h < holds; ++h) {
                const int c = static_cast<int>(random() % RstCultureCount);
                if (!Exists(CulturePath(c)) || isHeld[c])
                    continue;
                int f = static_cast<int>(random() % RstResourceFileCount);
                if (!Exists(CulturePath(c) + "\\" + RstResourceFiles[f]))
                    f = -1;
                held.emplace_back(new HeldRstCulture(RstCultures[c], f));
                isHeld[c] = true;
            }
            ASSERT_TRUE(HideRstResources());
            // Nothing of a culture stays visible to the console but what is held open.
            for (int c = 0; c < RstCultureCount; ++c) {
                for (int f = 0; f < RstResourceFileCount; ++f) {
                    if (Exists(CulturePath(c) + "\\" + RstResourceFiles[f])) {
                        EXPECT_TRUE(isHeld[c]) << RstCultures[c] << "\\" << RstResourceFiles[f];
                    }
                }
            }
        }
        ASSERT_TRUE(ChangeDirName());
        ASSERT_TRUE(RestoreRstResources());
        ASSERT_TRUE(RestoreDirName());
        const auto after = Snapshot();
        ASSERT_EQ(before, after) << "before:\n" << Join(before) << "after:\n" << Join(after);
    }
}

// The running console's title, from the visible top-level windows.
TEST_F(ConsoleEnvironment, DetectsTheConsoleTitle)
{
    RstConsoleTitle[0] = 0;
    DetectRstConsole();
    EXPECT_STREQ("", RstConsoleTitle) << "no console window";
    {
        TestWindow first("Intel(R) Rapid Storage Technology");
        TestWindow second("Rapid Storage Technology - second");  // above the first in Z order
        TestWindow other("rapid storage technology");            // case-sensitive
        const std::size_t count = VisibleWindowList.size();
        DetectRstConsole();
        const std::size_t found = VisibleWindowList.size() - count;
        EXPECT_GE(found, 3u);
        EXPECT_STREQ("Intel(R) Rapid Storage Technology", RstConsoleTitle)
            << "the later one in the list, which EnumDesktopWindows gives top first";
        DetectRstConsole();
        EXPECT_EQ(count + 2 * found, VisibleWindowList.size()) << "appended again, never emptied";
        std::vector<HWND> ours;
        for (HWND window : VisibleWindowList)
            if (window == first.handle())
                ours.push_back(window);
        EXPECT_EQ(2u, ours.size());
    }
    DetectRstConsole();
    EXPECT_STREQ("Intel(R) Rapid Storage Technology", RstConsoleTitle)
        << "kept when no window matches (the list still holds the closed windows' handles)";
}

TEST_F(ConsoleEnvironment, LongConsoleTitleIsCutTo254Characters)
{
    const std::string title = "Intel(R) Rapid Storage Technology " + std::string(266, 'x');
    ASSERT_EQ(300u, title.size());
    TestWindow console(title);
    DetectRstConsole();
    EXPECT_EQ(title.substr(0, 254), RstConsoleTitle);
}

// A PSAPI.DLL planted beside the program is never loaded: the system folder's is.
TEST_F(ConsoleEnvironment, PsapiComesFromTheSystemFolder)
{
    std::string planted = ThisProgramPath();
    planted = planted.substr(0, planted.find_last_of('\\') + 1) + "PSAPI.DLL";
    WriteTestFile(planted, "not a library");
    HMODULE byName = LoadLibraryA("PSAPI.DLL");  // what loading by the bare name would find
    if (byName) {
        FreeLibrary(byName);
        DeleteFileA(planted.c_str());
        GTEST_SKIP() << "host: the bare name does not find the planted file first here: nothing to show";
    }
    RstConsoleTitle[0] = 0;
    {
        TestWindow console("Intel(R) Rapid Storage Technology planted");
        DetectRstConsole();
    }
    DeleteFileA(planted.c_str());
    EXPECT_STREQ("Intel(R) Rapid Storage Technology planted", RstConsoleTitle);
}
