// The localized entries that Intel's two RAID consoles keep beside their programs, as the
// stand-ins report them and testing/standins/console_control installs them. Kept apart from
// OrbLib's own lists on purpose: the tests check OrbLib's renames against these.
#pragma once

#include <cstddef>

namespace standin {

// Rapid Storage Technology: one culture folder per language beside IAStorUI.exe.
inline constexpr const char* kRstCultures[] = {
    "ar-SA", "cs-CZ", "da-DK", "de-DE", "el-GR", "es-ES", "fi-FI", "fr-FR",
    "he-IL", "hu-HU", "it-IT", "ja-JP", "ko-KR", "nb-NO", "nl-NL", "pl-PL",
    "pt-BR", "pt-PT", "ru-RU", "sv-SE", "th-TH", "tr-TR", "zh-CN", "zh-TW"};
inline constexpr std::size_t kRstCultureCount = sizeof(kRstCultures) / sizeof(kRstCultures[0]);
static_assert(kRstCultureCount == 24);

// The satellite assemblies inside every culture folder.
inline constexpr const char* kRstResourceFiles[] = {
    "IAStorDataMgr.resources.dll", "IAStorHelp.resources.dll", "IAStorIcon.resources.dll",
    "IAStorUI.resources.dll",      "IAStorUIHelper.resources.dll", "IAStorUtil.resources.dll",
    "IntelVisualDesign.resources.dll"};
inline constexpr std::size_t kRstResourceFileCount =
    sizeof(kRstResourceFiles) / sizeof(kRstResourceFiles[0]);
static_assert(kRstResourceFileCount == 7);

// Matrix Storage Manager: one entry per language beside Shell.exe, some folders, some files.
inline constexpr const char* kMsmLanguages[] = {
    "ARA", "CHS", "CHT", "CSY", "DAN", "DEU", "ELL", "ESP", "FIN", "FRA", "HEB", "HUN",
    "ITA", "JPN", "KOR", "NLD", "NOR", "PLK", "PTB", "PTG", "RUS", "SAV", "THA", "TRK"};
inline constexpr std::size_t kMsmLanguageCount = sizeof(kMsmLanguages) / sizeof(kMsmLanguages[0]);
static_assert(kMsmLanguageCount == 24);

// Which language entries are folders in the installed layout (the others are plain files): the
// even positions of the list, so both kinds appear and alternate.
inline constexpr bool MsmLanguageIsFolder(std::size_t index) { return index % 2 == 0; }

// Titles of the consoles' windows that the wizard steps look for.
inline constexpr const char kRstMainTitle[] = "Intel(R) Rapid Storage Technology";
inline constexpr const char kRstAddDiskTitle[] = "ADD Disk";
inline constexpr const char kRstConfirmTitle[] = "Confirm Volume Creation";
inline constexpr const char kRstCompleteTitle[] = "Volume Creation Complete";
inline constexpr const char kMsmMainTitle[] = "Intel(R) Matrix Storage Console";
inline constexpr const char kMsmCreateWizardTitle[] =
    "Create RAID Volume from Existing Hard Drive Wizard";
inline constexpr const char kMsmModifyWizardTitle[] = "Modify RAID Volume Wizard";

// Installation folders below Program Files, and the programs in them.
inline constexpr const char kRstFolder[] = "Intel\\Intel(R) Rapid Storage Technology";
inline constexpr const char kRstProgram[] = "IAStorUI.exe";
inline constexpr const char kMsmFolder[] = "Intel\\Intel Matrix Storage Manager";
inline constexpr const char kMsmProgram[] = "Shell.exe";

}  // namespace standin
