// The program's language: the list in "Language.config" (default data
// folder), the text file of each language in the skin's "lang/" folder, the
// display face that goes with it, and the choice remembered in the settings
// file ("settings.ini", section [VANDREL], LANGUAGE = the language's id).
#pragma once

#include <functional>
#include <string>

#include <QString>

#include "platform/settings_ini.h"
#include "ui/language_texts.h"

namespace vandrel::app {

class PrivateFonts;

inline constexpr std::string_view kSettingsFile = "settings.ini";
inline constexpr std::string_view kSettingsSection = "VANDREL";
inline constexpr std::string_view kLanguageKey = "LANGUAGE";
// Read when nothing is remembered: an id no language has.
inline constexpr int kNoLanguageId = 520;
inline constexpr int kEnglishId = 1033;
inline constexpr int kSimplifiedChineseId = 2052;

// The language a first run starts in, from the messages locale ("zh_CN"):
// Chinese of any territory is shown in Simplified Chinese, everything else in
// English.
int LanguageIdForLocale(std::string_view locale);

// Which private font a language is shown in, by language id; any other
// language uses the general face.
QString FaceForLanguage(int languageId, const PrivateFonts* fonts);

class LanguageSwitcher {
public:
    // Called after the texts changed, so open windows reload theirs.
    using Changed = std::function<void()>;

    LanguageSwitcher(platform::SettingsIni settings, const PrivateFonts* fonts);

    // Reads "Language.config" from the default data folder.
    void LoadCatalogue();
    const ui::LanguageCatalogue& Catalogue() const { return catalogue_; }

    // The remembered language's index. Before any choice is remembered, the
    // locale's language (LanguageIdForLocale); English for an unknown id or
    // a missing list.
    int RememberedIndex();

    // Applies language n: face, texts of every window, remembered choice.
    // The same index again does nothing; an index outside the list is English.
    void Apply(int index, const Changed& changed = {});
    int Current() const { return current_; }

private:
    platform::SettingsIni settings_;
    const PrivateFonts* fonts_;
    ui::LanguageCatalogue catalogue_;
    int current_ = -1;
    QString face_;
};

}  // namespace vandrel::app
