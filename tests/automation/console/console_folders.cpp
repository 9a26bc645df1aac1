// Test helpers: the Intel consoles' folders in the prefix's Program Files.
#include "console_folders.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>

#include "testing/support/program_files_win32.h"

std::string IntelFolder()
{
    return ProgramFilesFolder() + "\\Intel";
}
std::string RstFolder()
{
    return ProgramFilesFolder() + "\\Intel\\Intel(R) Rapid Storage Technology";
}
std::string MsmFolder()
{
    return ProgramFilesFolder() + "\\Intel\\Intel Matrix Storage Manager";
}

bool Exists(const std::string& path)
{
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

void WriteTestFile(const std::string& path, const std::string& content)
{
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, file) << path;
    DWORD written = 0;
    WriteFile(file, content.data(), static_cast<DWORD>(content.size()), &written, nullptr);
    CloseHandle(file);
    EXPECT_EQ(content.size(), written) << path;
}

std::string ReadTestFile(const std::string& path)
{
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return "<unreadable>";
    std::string content;
    char buffer[4096];
    DWORD read = 0;
    while (ReadFile(file, buffer, sizeof(buffer), &read, nullptr) && read > 0)
        content.append(buffer, read);
    CloseHandle(file);
    return content;
}

namespace {

void Collect(const std::string& root, const std::string& relative, SnapshotDetail detail,
             std::vector<std::string>& out)
{
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((root + relative + "\\*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return;
    do {
        const std::string name = found.cFileName;
        if (name == "." || name == "..")
            continue;
        const std::string path = relative + "\\" + name;
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            out.push_back(path + "/");
            Collect(root, path, detail, out);
            continue;
        }
        const unsigned long long size =
            (static_cast<unsigned long long>(found.nFileSizeHigh) << 32) | found.nFileSizeLow;
        std::string line = path + " (" + std::to_string(size) + " bytes)";
        if (detail == SnapshotDetail::Contents)
            line += " = " + ReadTestFile(root + path);
        out.push_back(line);
    } while (FindNextFileA(search, &found));
    FindClose(search);
}

}  // namespace

std::vector<std::string> Snapshot(SnapshotDetail detail)
{
    std::vector<std::string> entries;
    Collect(IntelFolder(), "", detail, entries);
    std::sort(entries.begin(), entries.end());
    return entries;
}

std::string Join(const std::vector<std::string>& lines)
{
    std::string text;
    for (const std::string& line : lines)
        text += "  " + line + "\n";
    return text;
}

std::string SnapshotDifference(const std::vector<std::string>& expected,
                               const std::vector<std::string>& actual)
{
    std::vector<std::string> a = expected, b = actual, missing, unexpected;
    std::sort(a.begin(), a.end());
    std::sort(b.begin(), b.end());
    std::set_difference(a.begin(), a.end(), b.begin(), b.end(), std::back_inserter(missing));
    std::set_difference(b.begin(), b.end(), a.begin(), a.end(), std::back_inserter(unexpected));
    return "missing:\n" + Join(missing) + "unexpected:\n" + Join(unexpected);
}
