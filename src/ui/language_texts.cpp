#include "ui/language_texts.h"

#include <json/json.h>

#include "profiles/json_file_store.h"

namespace vandrel::ui {
namespace {

// One "Language" element, or nothing when it is not an object with a string
// name, a string file and an integer id that fits an int.
std::optional<LanguageEntry> EntryFrom(const Json::Value& element) {
    if (!element.isObject()) return std::nullopt;
    const Json::Value& name = element["Language_name"];
    const Json::Value& file = element["Language_file"];
    const Json::Value& id = element["Language_ID"];
    if (!name.isString() || !file.isString() || !id.isIntegral() || !id.isInt()) return std::nullopt;
    return LanguageEntry{name.asString(), file.asString(), id.asInt()};
}

}  // namespace

bool LanguageCatalogue::Load(const std::string& path) {
    entries_.clear();
    const Json::Value root = profiles::CJsonFileStore().ReadJson(path);
    if (!root.isObject()) return false;
    const Json::Value& list = root["Language"];
    if (!list.isArray()) return false;
    for (const Json::Value& element : list) {
        if (auto entry = EntryFrom(element)) entries_.push_back(std::move(*entry));
    }
    return !entries_.empty();
}

int LanguageCatalogue::IndexOfId(int id) const {
    for (std::size_t i = 0; i < entries_.size(); ++i) {
        if (entries_[i].id == id) return static_cast<int>(i);
    }
    return kFallbackLanguageIndex;
}

int LanguageCatalogue::IndexOfName(const std::string& name) const {
    for (std::size_t i = 0; i < entries_.size(); ++i) {
        if (entries_[i].name == name) return static_cast<int>(i);
    }
    return kFallbackLanguageIndex;
}

std::optional<LanguageEntry> LanguageCatalogue::At(int index) const {
    if (index < 0 || static_cast<std::size_t>(index) >= entries_.size()) return std::nullopt;
    return entries_[static_cast<std::size_t>(index)];
}

bool LanguageTexts::Load(const std::string& path) {
    texts_.clear();
    const Json::Value root = profiles::CJsonFileStore().ReadJson(path);
    if (!root.isObject()) return false;
    for (const std::string& id : root.getMemberNames()) {
        const Json::Value& text = root[id];
        if (text.isString()) texts_.emplace(id, text.asString());
    }
    return true;
}

std::string LanguageTexts::Text(const std::string& id) const {
    const auto found = texts_.find(id);
    return found != texts_.end() ? found->second : id;
}

}  // namespace vandrel::ui
