// Names of the consoles' folders and localized resources, and the bounded path joining.
#include "automation/console/console_names.h"

#include <cstring>

#include "common/bounded_text.h"

const char RstFolderText[] = "\\Intel\\Intel(R) Rapid Storage Technology\\";
const char MsmFolderText[] = "\\Intel\\Intel Matrix Storage Manager\\";

const char* const RstCultures[RstCultureCount] = {
    "ar-SA", "cs-CZ", "da-DK", "de-DE", "el-GR", "es-ES", "fi-FI", "fr-FR",
    "he-IL", "hu-HU", "it-IT", "ja-JP", "ko-KR", "nb-NO", "nl-NL", "pl-PL",
    "pt-BR", "pt-PT", "ru-RU", "sv-SE", "th-TH", "tr-TR", "zh-CN", "zh-TW",
};

const char* const RstResourceFiles[RstResourceFileCount] = {
    "IAStorDataMgr.resources.dll", "IAStorHelp.resources.dll",     "IAStorIcon.resources.dll",
    "IAStorUI.resources.dll",      "IAStorUIHelper.resources.dll", "IAStorUtil.resources.dll",
    "IntelVisualDesign.resources.dll",
};

const char* const MsmLanguages[MsmLanguageCount] = {
    "ARA", "CHS", "CHT", "CSY", "DAN", "DEU", "ELL", "ESP", "FIN", "FRA", "HEB", "HUN",
    "ITA", "JPN", "KOR", "NLD", "NOR", "PLK", "PTB", "PTG", "RUS", "SAV", "THA", "TRK",
};

const char HiddenCultureSuffix[] = "_X";
const char HiddenLanguageSuffix[] = "_C";

bool JoinPath(char (&target)[ConsolePathSize], const char* const* parts, int partCount)
{
    return bounded_text::JoinOrEmpty(target, parts, static_cast<std::size_t>(partCount < 0 ? 0 : partCount));
}

bool CutLastCharacter(char (&target)[ConsolePathSize], const char* source)
{
    const std::size_t length = std::strlen(source);
    if (length == 0 || length >= ConsolePathSize) {
        target[0] = 0;
        return false;
    }
    std::memcpy(target, source, length - 1);
    target[length - 1] = 0;
    return true;
}
