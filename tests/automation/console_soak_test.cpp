// Soak: many hides and restores of the consoles' localized resources, with files and folders
// held open at random as a running program holds them, leave the folders as they were.
//
// ORB_SOAK_SEED (default 20261208) and ORB_SOAK_CYCLES (default 1,000) override the run. Under
// Wine a cycle takes 60 to 90 ms, more than half of it in the renames themselves.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "automation/console/console_environment.h"
#include "automation/console/console_names.h"
#include "console_folders.h"

namespace {

const char RstRelative[] = "\\Intel(R) Rapid Storage Technology";
const char MsmRelative[] = "\\Intel Matrix Storage Manager";

// Where the renamed entries of the tree are: true for a hidden name.
struct HiddenState {
    bool culture[RstCultureCount] = {};                     // "<culture>_X"
    bool file[RstCultureCount][RstResourceFileCount] = {};  // "<file>" without its last letter
    bool language[MsmLanguageCount] = {};                   // "<code>_C"

    bool AllShown() const
    {
        for (int c = 0; c < RstCultureCount; ++c) {
            if (culture[c])
                return false;
            for (int f = 0; f < RstResourceFileCount; ++f)
                if (file[c][f])
                    return false;
        }
        for (int k = 0; k < MsmLanguageCount; ++k)
            if (language[k])
                return false;
        return true;
    }
};

// One entry of the built tree: inside culture folder `culture` (the folder itself when `tail`
// is empty), resource file `file` of it, inside language entry `language`, or elsewhere at
// `tail` (relative to the Intel folder).
struct TreeEntry {
    int culture = -1;
    int file = -1;
    int language = -1;
    std::string tail;
    bool folder = false;
    std::string content;
};

std::string ShownOrHidden(const std::string& name, bool hidden, const char* suffix)
{
    return hidden ? name + suffix : name;
}

// The entry's path relative to the Intel folder in the given state.
std::string CurrentPath(const TreeEntry& e, const HiddenState& s)
{
    if (e.culture >= 0) {
        std::string path = std::string(RstRelative) + "\\" +
                           ShownOrHidden(RstCultures[e.culture], s.culture[e.culture],
                                         HiddenCultureSuffix);
        if (e.file >= 0) {
            const std::string name = RstResourceFiles[e.file];
            return path + "\\" +
                   (s.file[e.culture][e.file] ? name.substr(0, name.size() - 1) : name);
        }
        return path + e.tail;
    }
    if (e.language >= 0)
        return std::string(MsmRelative) + "\\" +
               ShownOrHidden(MsmLanguages[e.language], s.language[e.language],
                             HiddenLanguageSuffix) +
               e.tail;
    return e.tail;
}

std::vector<std::string> Expected(const std::vector<TreeEntry>& tree, const HiddenState& s,
                                  SnapshotDetail detail)
{
    std::vector<std::string> lines;
    for (const TreeEntry& e : tree) {
        const std::string path = CurrentPath(e, s);
        if (e.folder) {
            lines.push_back(path + "/");
            continue;
        }
        std::string line = path + " (" + std::to_string(e.content.size()) + " bytes)";
        if (detail == SnapshotDetail::Contents)
            line += " = " + e.content;
        lines.push_back(line);
    }
    return lines;
}

// Every culture folder with its seven resource files, every language entry (folders and
// files), and entries that no rename may touch: a culture not in the list with the same
// resource files, resource names in a subfolder, names that start like a culture or a code.
// Every file's content is distinct, and so is its size: a listing of names and sizes tells
// any two files apart.
std::vector<TreeEntry> DescribeTree()
{
    std::vector<TreeEntry> tree;
    auto other = [&](const std::string& tail, bool folder) {
        TreeEntry e;
        e.tail = tail;
        e.folder = folder;
        tree.push_back(e);
    };
    const std::string rst = RstRelative, msm = MsmRelative;
    other(rst, true);
    other(rst + "\\IAStorUI.exe", false);
    other(rst + "\\IAStorDataMgr.dll", false);
    other(rst + "\\ar-SA.txt", false);
    other(rst + "\\en-US", true);
    for (const char* file : RstResourceFiles)
        other(rst + "\\en-US\\" + file, false);
    for (int c = 0; c < RstCultureCount; ++c) {
        TreeEntry folder;
        folder.culture = c;
        folder.folder = true;
        tree.push_back(folder);
        for (int f = 0; f < RstResourceFileCount; ++f) {
            TreeEntry file;
            file.culture = c;
            file.file = f;
            tree.push_back(file);
        }
        TreeEntry readme;
        readme.culture = c;
        readme.tail = "\\readme.txt";
        tree.push_back(readme);
        if (c % 8 == 0) {
            TreeEntry help = readme, inner = readme;
            help.tail = "\\Help";
            help.folder = true;
            inner.tail = "\\Help\\IAStorUI.resources.dll";
            tree.push_back(help);
            tree.push_back(inner);
        }
    }
    other(msm, true);
    other(msm + "\\Shell.exe", false);
    other(msm + "\\ENU", true);
    other(msm + "\\ENU\\strings.dll", false);
    other(msm + "\\DEU.txt", false);
    for (int k = 0; k < MsmLanguageCount; ++k) {
        TreeEntry entry;
        entry.language = k;
        entry.folder = k % 3 == 0;  // one folder to two files
        tree.push_back(entry);
        if (entry.folder) {
            TreeEntry inner = entry;
            inner.folder = false;
            inner.tail = "\\strings.dll";
            tree.push_back(inner);
        }
    }
    HiddenState shown;
    for (std::size_t i = 0; i < tree.size(); ++i) {
        if (tree[i].folder)
            continue;
        const std::string path = CurrentPath(tree[i], shown) + "|";
        tree[i].content =
            path + std::string(200 + i - path.size(), static_cast<char>('a' + i % 26));
    }
    return tree;
}

void BuildTree(const std::vector<TreeEntry>& tree)
{
    RemoveTree(IntelFolder());
    CreateDirectoryA(ProgramFiles().c_str(), nullptr);
    CreateDirectoryA(IntelFolder().c_str(), nullptr);
    const HiddenState shown;
    for (const TreeEntry& e : tree) {
        const std::string path = IntelFolder() + CurrentPath(e, shown);
        if (e.folder)
            ASSERT_TRUE(CreateDirectoryA(path.c_str(), nullptr)) << path;
        else
            WriteTestFile(path, e.content);
    }
}

// A handle held as a running program holds it: opened without FILE_SHARE_DELETE, so that the
// entry can't be renamed while it is open (a folder through FILE_FLAG_BACKUP_SEMANTICS).
struct Hold {
    enum Kind { CultureFolder, ResourceFile, CultureReadme, LanguageEntry, ConsoleFolder };
    Kind kind;
    int index;  // culture, language, or 0/1 for the two console folders
    int file;   // resource file of a ResourceFile hold
    std::string path;
    HANDLE handle;
};

class Holds {
public:
    ~Holds() { ReleaseAll(); }
    // Opens the entry at `path` (relative to the Intel folder); false when it can't be opened.
    bool Add(Hold::Kind kind, int index, int file, const std::string& path, bool folder)
    {
        HANDLE handle = CreateFileA((IntelFolder() + path).c_str(), GENERIC_READ,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                    folder ? FILE_FLAG_BACKUP_SEMANTICS : 0, nullptr);
        if (handle == INVALID_HANDLE_VALUE)
            return false;
        holds_.push_back({kind, index, file, path, handle});
        return true;
    }
    void Release(std::size_t i)
    {
        CloseHandle(holds_[i].handle);
        holds_.erase(holds_.begin() + static_cast<std::ptrdiff_t>(i));
    }
    void ReleaseAll()
    {
        while (!holds_.empty())
            Release(holds_.size() - 1);
    }
    const std::vector<Hold>& all() const { return holds_; }
    std::string Describe() const
    {
        std::string text;
        for (const Hold& h : holds_)
            text += "  held: " + h.path + "\n";
        return text;
    }

private:
    std::vector<Hold> holds_;
};

// What the held handles keep from being renamed, by the platform's rule for a folder whose
// file is open (Windows refuses to rename it; Wine renames it).
struct InUse {
    bool culture[RstCultureCount] = {};
    bool file[RstCultureCount][RstResourceFileCount] = {};
    bool language[MsmLanguageCount] = {};

    InUse(const Holds& holds, bool folderWithOpenFileRenames)
    {
        for (const Hold& h : holds.all()) {
            switch (h.kind) {
            case Hold::CultureFolder:
                culture[h.index] = true;
                break;
            case Hold::ResourceFile:
                file[h.index][h.file] = true;
                culture[h.index] |= !folderWithOpenFileRenames;
                break;
            case Hold::CultureReadme:
                culture[h.index] |= !folderWithOpenFileRenames;
                break;
            case Hold::LanguageEntry:
                language[h.index] = true;
                break;
            case Hold::ConsoleFolder:
                break;  // renames inside a held folder are allowed
            }
        }
    }
};

// What HideRstResources, RestoreRstResources, ChangeDirName and RestoreDirName do to the state,
// given what is in use: the model that the folders are checked against.
void ModelHide(HiddenState& s, const InUse& u, std::string& pinned)
{
    for (int c = 0; c < RstCultureCount; ++c) {
        if (!s.culture[c] && !u.culture[c]) {
            s.culture[c] = true;
            continue;
        }
        pinned = RstCultures[c];  // in use, or missing under its name because still hidden
        if (s.culture[c])
            continue;
        for (int f = 0; f < RstResourceFileCount; ++f)
            s.file[c][f] = s.file[c][f] || !u.file[c][f];
    }
}
void ModelRestore(HiddenState& s, const InUse& u)
{
    for (int c = 0; c < RstCultureCount; ++c) {
        if (s.culture[c] && !u.culture[c])
            s.culture[c] = false;
        if (s.culture[c])
            continue;
        for (int f = 0; f < RstResourceFileCount; ++f)
            s.file[c][f] = s.file[c][f] && u.file[c][f];
    }
}
void ModelChangeDirName(HiddenState& s, const InUse& u)
{
    for (int k = 0; k < MsmLanguageCount; ++k)
        s.language[k] = s.language[k] || !u.language[k];
}
void ModelRestoreDirName(HiddenState& s, const InUse& u)
{
    for (int k = 0; k < MsmLanguageCount; ++k)
        s.language[k] = s.language[k] && u.language[k];
}

// Whether this platform renames a folder while a file inside it is open without delete
// sharing (Wine does; Windows does not).
bool FolderWithOpenFileRenames()
{
    const std::string folder = IntelFolder() + "\\probe", moved = folder + "_moved";
    CreateDirectoryA(IntelFolder().c_str(), nullptr);
    CreateDirectoryA(folder.c_str(), nullptr);
    WriteTestFile(folder + "\\file.dll", "probe");
    HANDLE file = CreateFileA((folder + "\\file.dll").c_str(), GENERIC_READ,
                              FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0,
                              nullptr);
    EXPECT_NE(INVALID_HANDLE_VALUE, file);
    const bool renamed = MoveFileA(folder.c_str(), moved.c_str()) != FALSE;
    CloseHandle(file);
    RemoveTree(renamed ? moved : folder);
    return renamed;
}

unsigned long EnvironmentNumber(const char* name, unsigned long fallback)
{
    const char* text = std::getenv(name);
    if (!text || !*text)
        return fallback;
    char* end = nullptr;
    const unsigned long value = std::strtoul(text, &end, 0);
    return *end == 0 ? value : fallback;
}

class ConsoleSoak : public ::testing::Test {
protected:
    void SetUp() override { PinnedCulture[0] = 0; }
    void TearDown() override { RemoveTree(IntelFolder()); }
};

using Clock = std::chrono::steady_clock;
double Milliseconds(Clock::duration d)
{
    return std::chrono::duration<double, std::milli>(d).count();
}

::testing::AssertionResult SameTree(std::vector<std::string> expected,
                                    std::vector<std::string> actual)
{
    std::sort(expected.begin(), expected.end());
    std::sort(actual.begin(), actual.end());
    if (expected == actual)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << SnapshotDifference(expected, actual);
}

// Whether the held entry keeps the restore from giving a hidden entry its name back: it is
// itself at a hidden name, or (where open files keep their folder) inside a hidden folder.
bool BlocksRestore(const Hold& h, const HiddenState& s, bool folderWithOpenFileRenames)
{
    switch (h.kind) {
    case Hold::CultureFolder:
        return s.culture[h.index];
    case Hold::CultureReadme:
        return s.culture[h.index] && !folderWithOpenFileRenames;
    case Hold::ResourceFile:
        return s.file[h.index][h.file] || (s.culture[h.index] && !folderWithOpenFileRenames);
    case Hold::LanguageEntry:
        return s.language[h.index];
    case Hold::ConsoleFolder:
        break;
    }
    return false;
}

}  // namespace

TEST_F(ConsoleSoak, HideAndRestoreCyclesLeaveTheFoldersAsTheyWere)
{
    const unsigned long seed = EnvironmentNumber("ORB_SOAK_SEED", 20261208);
    const unsigned long cycles = EnvironmentNumber("ORB_SOAK_CYCLES", 1000);
    const bool folderRenames = FolderWithOpenFileRenames();
    std::printf("soak: seed %lu (ORB_SOAK_SEED), %lu cycles (ORB_SOAK_CYCLES); a folder whose "
                "file is open %s renamed on this platform\n",
                seed, cycles, folderRenames ? "is" : "is not");
    std::fflush(stdout);

    const std::vector<TreeEntry> tree = DescribeTree();
    BuildTree(tree);
    if (HasFatalFailure())
        return;
    const std::vector<std::string> original = Snapshot(SnapshotDetail::Contents);
    const std::vector<std::string> originalNames = Snapshot(SnapshotDetail::Names);
    HiddenState state;   // where the entries are now
    std::string pinned;  // what PinnedCulture holds now
    ASSERT_TRUE(SameTree(Expected(tree, state, SnapshotDetail::Contents), original))
        << "the tree as built";

    std::mt19937 random(seed);
    auto pick = [&](int n) { return static_cast<int>(random() % static_cast<unsigned>(n)); };
    auto chance = [&](int percent) { return pick(100) < percent; };

    // Holds an entry picked at random, wherever it is now.
    auto holdAny = [&](Holds& holds) {
        const int c = pick(RstCultureCount), f = pick(RstResourceFileCount);
        const int k = pick(MsmLanguageCount), kind = pick(100);
        TreeEntry e;
        if (kind < 35) {
            e.culture = c;
            return holds.Add(Hold::CultureFolder, c, -1, CurrentPath(e, state), true);
        }
        if (kind < 70) {
            e.culture = c;
            e.file = f;
            return holds.Add(Hold::ResourceFile, c, f, CurrentPath(e, state), false);
        }
        if (kind < 80) {
            e.culture = c;
            e.tail = "\\readme.txt";
            return holds.Add(Hold::CultureReadme, c, -1, CurrentPath(e, state), false);
        }
        if (kind < 95) {
            e.language = k;
            return holds.Add(Hold::LanguageEntry, k, -1, CurrentPath(e, state), k % 3 == 0);
        }
        const int console = pick(2);
        return holds.Add(Hold::ConsoleFolder, console, -1, console ? MsmRelative : RstRelative,
                         true);
    };
    // Holds an entry that is hidden now (or inside a hidden folder), if there is one.
    auto holdHidden = [&](Holds& holds) {
        struct Candidate {
            Hold::Kind kind;
            int index, file;
        };
        std::vector<Candidate> candidates;
        for (int c = 0; c < RstCultureCount; ++c) {
            if (state.culture[c])
                candidates.push_back({Hold::CultureFolder, c, -1});
            for (int f = 0; f < RstResourceFileCount; ++f)
                if (state.culture[c] || state.file[c][f])
                    candidates.push_back({Hold::ResourceFile, c, f});
        }
        for (int k = 0; k < MsmLanguageCount; ++k)
            if (state.language[k])
                candidates.push_back({Hold::LanguageEntry, k, -1});
        if (candidates.empty())
            return true;
        const Candidate chosen = candidates[static_cast<std::size_t>(pick(
            static_cast<int>(candidates.size())))];
        TreeEntry e;
        e.culture = chosen.kind == Hold::LanguageEntry ? -1 : chosen.index;
        e.language = chosen.kind == Hold::LanguageEntry ? chosen.index : -1;
        e.file = chosen.file;
        const bool folder = chosen.kind == Hold::CultureFolder ||
                            (chosen.kind == Hold::LanguageEntry && chosen.index % 3 == 0);
        return holds.Add(chosen.kind, chosen.index, chosen.file, CurrentPath(e, state), folder);
    };
    auto releaseSome = [&](Holds& holds) {
        switch (pick(3)) {
        case 0:
            break;  // all kept
        case 1:
            holds.ReleaseAll();
            break;
        default:
            for (std::size_t i = holds.all().size(); i-- > 0;)
                if (chance(50))
                    holds.Release(i);
        }
    };

    struct {
        unsigned long holds = 0, hides = 0, pinnedCultures = 0, restoresHeld = 0,
                      leftoverCycles = 0, leftoversBackAtEnd = 0, contentReads = 0;
        Clock::duration product{}, checks{}, contents{};
    } stats;
    const Clock::time_point start = Clock::now();
    auto timed = [&](Clock::duration& total, auto&& call) {
        const Clock::time_point before = Clock::now();
        call();
        total += Clock::now() - before;
    };

    for (unsigned long cycle = 0; cycle < cycles; ++cycle) {
        SCOPED_TRACE("seed " + std::to_string(seed) + ", cycle " + std::to_string(cycle));
        Holds holds;
        const bool leftovers = !state.AllShown();
        stats.leftoverCycles += leftovers;

        // Entries held open while the console's run starts: the hide can't rename them.
        for (int count = pick(6); count > 0; --count) {
            ASSERT_TRUE(holdAny(holds)) << holds.Describe();
        }
        stats.holds += holds.all().size();

        // One run's hide, or a run abandoned after its hide and the next run's hide.
        const int hides = chance(10) ? 2 : 1;
        for (int hide = 0; hide < hides; ++hide) {
            if (hide > 0)
                releaseSome(holds);
            const InUse inUse(holds, folderRenames);
            bool rst = false, msm = false;
            timed(stats.product, [&] {
                const bool msmFirst = chance(50);
                if (msmFirst)
                    msm = ChangeDirName();
                rst = HideRstResources();
                if (!msmFirst)
                    msm = ChangeDirName();
            });
            ASSERT_TRUE(rst);
            ASSERT_TRUE(msm);
            ModelHide(state, inUse, pinned);
            ModelChangeDirName(state, inUse);
            ++stats.hides;
            for (int c = 0; c < RstCultureCount; ++c)
                stats.pinnedCultures += !state.culture[c];
            ASSERT_EQ(pinned, PinnedCulture) << holds.Describe();
            timed(stats.checks, [&] {
                ASSERT_TRUE(SameTree(Expected(tree, state, SnapshotDetail::Names),
                                     Snapshot(SnapshotDetail::Names)))
                    << "after hide " << hide + 1 << "\n" << holds.Describe();
            });
            if (HasFatalFailure())
                return;
        }

        // Some entries released before the restore, others kept; sometimes hidden entries held
        // through the restore, which then can't give them their names back.
        releaseSome(holds);
        if (chance(20)) {
            for (int count = 1 + pick(3); count > 0; --count)
                ASSERT_TRUE(holdHidden(holds)) << holds.Describe();
        }
        bool blocked = false;
        for (const Hold& h : holds.all())
            blocked = blocked || BlocksRestore(h, state, folderRenames);
        stats.restoresHeld += blocked;

        const InUse inUse(holds, folderRenames);
        bool rst = false, msm = false;
        timed(stats.product, [&] {
            const bool msmFirst = chance(50);
            if (msmFirst)
                msm = RestoreDirName();
            rst = RestoreRstResources();
            if (!msmFirst)
                msm = RestoreDirName();
        });
        ASSERT_TRUE(rst);
        ASSERT_TRUE(msm);
        ModelRestore(state, inUse);
        ModelRestoreDirName(state, inUse);
        ASSERT_EQ(pinned, PinnedCulture) << "the restore leaves it";

        // Everything released (closing a handle renames nothing): exactly the original tree
        // whenever nothing hidden was held through the restore, the entries held hidden at their
        // hidden names otherwise. Names, kinds and sizes after every cycle; contents too after
        // every 25th and the last one.
        const std::string held = holds.Describe();
        holds.ReleaseAll();
        const bool readContents = cycle % 25 == 24 || cycle + 1 == cycles;
        const SnapshotDetail detail =
            readContents ? SnapshotDetail::Contents : SnapshotDetail::Names;
        timed(readContents ? stats.contents : stats.checks, [&] {
            const std::vector<std::string> after = Snapshot(detail);
            ASSERT_TRUE(SameTree(Expected(tree, state, detail), after))
                << "after the restore, with\n" << held;
            if (!blocked) {
                ASSERT_TRUE(state.AllShown());
                ASSERT_TRUE(SameTree(readContents ? original : originalNames, after))
                    << "nothing hidden was held through the restore";
            }
        });
        stats.contentReads += readContents;
        if (HasFatalFailure())
            return;
        stats.leftoversBackAtEnd += leftovers && state.AllShown();
    }

    // The end of the run: whatever an earlier restore could not rename back, one restore with
    // nothing held does.
    ASSERT_TRUE(RestoreRstResources());
    ASSERT_TRUE(RestoreDirName());
    ASSERT_TRUE(SameTree(original, Snapshot(SnapshotDetail::Contents))) << "at the end of the run";

    const double total = Milliseconds(Clock::now() - start);
    const double divisor = cycles ? static_cast<double>(cycles) : 1.0;
    const double perCycle = total / divisor;
    std::printf("soak: %lu cycles in %.0f ms, %.2f ms a cycle: %.2f ms hiding and restoring, "
                "%.2f ms listing names and sizes; %lu reads of every content in %.0f ms\n",
                cycles, total, perCycle, Milliseconds(stats.product) / divisor,
                Milliseconds(stats.checks) / divisor, stats.contentReads,
                Milliseconds(stats.contents));
    std::printf("soak: %lu handles held before hides, %lu hides, %lu culture folders hidden file "
                "by file, %lu restores with a hidden entry held, %lu cycles that began with "
                "entries still hidden (%lu of them ended with all back)\n",
                stats.holds, stats.hides, stats.pinnedCultures, stats.restoresHeld,
                stats.leftoverCycles, stats.leftoversBackAtEnd);
    std::fflush(stdout);
    RecordProperty("seed", std::to_string(seed));
    RecordProperty("cycles", std::to_string(cycles));
    RecordProperty("ms_per_cycle", std::to_string(perCycle));
}
