#pragma once
// The Intel consoles' folders and the names of their localized resources, in processing order.
#include <cstddef>

// Appended to the Program Files folder.
extern const char RstFolderText[];  // "\Intel\Intel(R) Rapid Storage Technology\"
extern const char MsmFolderText[];  // "\Intel\Intel Matrix Storage Manager\"

constexpr int RstCultureCount = 24;
constexpr int RstResourceFileCount = 7;
constexpr int MsmLanguageCount = 24;
extern const char* const RstCultures[RstCultureCount];
extern const char* const RstResourceFiles[RstResourceFileCount];
extern const char* const MsmLanguages[MsmLanguageCount];

extern const char HiddenCultureSuffix[];   // "_X"
extern const char HiddenLanguageSuffix[];  // "_C"

// Paths live in 256-byte buffers.
constexpr std::size_t ConsolePathSize = 256;

// target = the concatenation of the parts; false (and target empty) when it does not fit in
// ConsolePathSize bytes, so that no rename is ever made on a cut path.
bool JoinPath(char (&target)[ConsolePathSize], const char* const* parts, int partCount);

// target = source without its last character (a hidden resource file's name).
bool CutLastCharacter(char (&target)[ConsolePathSize], const char* source);

