// Soak: many hides and restores of the consoles' localized resources, with files and folders
// held open at random as a running program holds them, leave the folders as they were.
//
// ORB_SOAK_SEED (default 20261208) and ORB_SOAK_CYCLES (default 1,000) override the run. Under
// Wine a cycle takes 60 to 90 ms, more than half of it in the renames themselves. The tree, the
// held handles and the model the folders are checked against are in console_soak_model.h.
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

#include "console_soak_model.h"

using namespace console_soak;

namespace {

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
