// The languages the program offers and the texts of the chosen one.
//
// "Language.config" (in the default data folder) lists the languages:
//   {"Language": [{"Language_name": "English", "Language_file": "English.json",
//                  "Language_ID": 1033}, ...]}
// The position in the array is the language index used everywhere; by
// convention index 0 is English, the fall-back whenever a remembered choice
// no longer matches any entry.
//
// A language text file is a JSON object of text id -> text, e.g.
//   {"message_text_5": "A profile with this name already exists."}
#pragma once

#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

namespace vandrel::ui {

// The index every unknown or missing language falls back to (English).
inline constexpr int kFallbackLanguageIndex = 0;

struct LanguageEntry {
    std::string name;  // "Language_name"
    std::string file;  // "Language_file"
    int id = 0;        // "Language_ID", the number remembered in the settings
};

class LanguageCatalogue {
public:
    // Reads the list; a missing or malformed file gives an empty catalogue.
    // Entries that are not objects or whose members have the wrong type are
    // skipped. Returns false when the file gave no usable list.
    bool Load(const std::string& path);

    const std::vector<LanguageEntry>& Entries() const { return entries_; }

    // Position of the first entry with this id, or the fall-back index when
    // there is none.
    int IndexOfId(int id) const;

    // Position of the first entry with this name, or the fall-back index.
    int IndexOfName(const std::string& name) const;

    // The entry at a position, or nothing when out of range.
    std::optional<LanguageEntry> At(int index) const;

private:
    std::vector<LanguageEntry> entries_;
};

class LanguageTexts {
public:
    // Replaces the table with the texts of one file. A missing or malformed
    // file leaves the table empty and returns false. Members whose value is
    // not a string are skipped.
    bool Load(const std::string& path);

    // The text of an id, or the id itself when the table has none, so a
    // missing text shows where it belongs instead of failing.
    std::string Text(const std::string& id) const;

    bool Empty() const { return texts_.empty(); }

private:
    std::unordered_map<std::string, std::string> texts_;
};

}  // namespace vandrel::ui
