#pragma once
// The soak's model of the consoles' folders (tests/automation/console_soak_test.cpp): the tree it
// builds under the Intel folder, where each renamed entry is, the handles it holds open as a
// running program holds them, and what the hides and restores do to the tree given those.
#include <windows.h>

#include <cstddef>
#include <string>
#include <vector>

#include "automation/console/console_environment.h"
#include "automation/console/console_names.h"
#include "console_folders.h"

namespace console_soak {

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

// The entry's path relative to the Intel folder in the given state.
std::string CurrentPath(const TreeEntry& e, const HiddenState& s);

// The lines Snapshot(detail) gives for the tree in the given state.
std::vector<std::string> Expected(const std::vector<TreeEntry>& tree, const HiddenState& s,
                                  SnapshotDetail detail);

// Every culture folder with its seven resource files, every language entry (folders and
// files), and entries that no rename may touch: a culture not in the list with the same
// resource files, resource names in a subfolder, names that start like a culture or a code.
// Every file's content is distinct, and so is its size: a listing of names and sizes tells
// any two files apart.
std::vector<TreeEntry> DescribeTree();

// Builds the tree, every entry at its shown name, in place of whatever is under the Intel folder.
void BuildTree(const std::vector<TreeEntry>& tree);

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
void ModelHide(HiddenState& s, const InUse& u, std::string& pinned);
void ModelRestore(HiddenState& s, const InUse& u);
void ModelChangeDirName(HiddenState& s, const InUse& u);
void ModelRestoreDirName(HiddenState& s, const InUse& u);

// Whether this platform renames a folder while a file inside it is open without delete
// sharing (Wine does; Windows does not).
bool FolderWithOpenFileRenames();

// Whether the held entry keeps the restore from giving a hidden entry its name back: it is
// itself at a hidden name, or (where open files keep their folder) inside a hidden folder.
bool BlocksRestore(const Hold& h, const HiddenState& s, bool folderWithOpenFileRenames);

}  // namespace console_soak
