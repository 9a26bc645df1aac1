#include "console_soak_model.h"

#include <gtest/gtest.h>

namespace console_soak {
namespace {

std::string ShownOrHidden(const std::string& name, bool hidden, const char* suffix)
{
    return hidden ? name + suffix : name;
}

}  // namespace

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
    CreateDirectoryA(ProgramFilesFolder().c_str(), nullptr);
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

}  // namespace console_soak
