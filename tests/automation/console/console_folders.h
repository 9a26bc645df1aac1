#pragma once
// Test helpers: the Intel consoles' folders in the prefix's Program Files, built and read back.
#include <string>
#include <vector>

#include "testing/support/folders_win32.h"        // RemoveTree
#include "testing/support/program_files_win32.h"  // ProgramFilesFolder

std::string IntelFolder();  // <Program Files>\Intel
std::string RstFolder();    // ...\Intel\Intel(R) Rapid Storage Technology
std::string MsmFolder();    // ...\Intel\Intel Matrix Storage Manager

bool Exists(const std::string& path);
void WriteTestFile(const std::string& path, const std::string& content);
std::string ReadTestFile(const std::string& path);  // the whole file, or "<unreadable>"

// One line per entry under the Intel folder, sorted: "<relative path>/" for a folder,
// "<relative path> (<size> bytes)" for a file, followed by " = <content>" when asked.
enum class SnapshotDetail { Names, Contents };
std::vector<std::string> Snapshot(SnapshotDetail detail = SnapshotDetail::Contents);

// The lines indented, one a line; and what differs between two snapshots.
std::string Join(const std::vector<std::string>& lines);
std::string SnapshotDifference(const std::vector<std::string>& expected,
                               const std::vector<std::string>& actual);
