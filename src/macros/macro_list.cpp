#include "macros/macro_list.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

#include "platform/folders.h"
#include "platform/text_compare.h"
#include "profiles/json_values.h"

namespace vandrel::macros {

namespace {

constexpr std::string_view kListName = "macro";  // "macro.config"
constexpr const char* kInfoKey = "MacroInfo";
constexpr const char* kNameKey = "MacroName";
constexpr const char* kIdKey = "Guid";

bool IsIdCharacter(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' || c == '_' ||
           c == '{' || c == '}';
}

std::vector<MacroInfo> MacrosOf(const Json::Value& document) {
    namespace json = profiles::json;
    json::ElementCursor elements(json::Member(document, kInfoKey));
    std::vector<MacroInfo> macros;
    macros.reserve(elements.Size());
    for (Json::ArrayIndex i = 0; i < elements.Size(); ++i) {
        const Json::Value& element = elements.At(i);
        macros.push_back({json::TextOr(json::Member(element, kNameKey)), json::TextOr(json::Member(element, kIdKey))});
    }
    return macros;
}

bool IsBlank(std::string_view text) {
    return std::ranges::all_of(text, [](char c) { return c == ' ' || (c >= '\t' && c <= '\r'); });
}

}  // namespace

bool IsMacroId(std::string_view id) {
    return !id.empty() && id.size() <= 200 && std::ranges::all_of(id, IsIdCharacter);
}

std::string MacroListPath(std::string_view folder) { return platform::LightConfigPath(folder, kListName); }

std::string MacroFilePath(std::string_view folder, std::string_view id) {
    if (!IsMacroId(id)) return {};
    return platform::JoinPath(folder, std::string(id) + ".mac");
}

std::vector<MacroInfo> ReadMacroList(std::string_view folder) {
    return MacrosOf(profiles::CJsonFileStore().ReadJson(MacroListPath(folder)));
}

CMacroList::CMacroList(std::string folder, profiles::CJsonFileStore store)
    : folder_(std::move(folder)), store_(std::move(store)) {}

void CMacroList::Load() {
    document_ = store_.ReadDocument(MacroListPath(folder_));
    if (!document_.isObject()) document_ = Json::Value(Json::objectValue);
    macros_ = MacrosOf(document_);
}

std::vector<std::string> CMacroList::Names() const {
    std::vector<std::string> names;
    names.reserve(macros_.size());
    for (const MacroInfo& macro : macros_) names.push_back(macro.name);
    return names;
}

bool CMacroList::IsNameTaken(std::string_view name) const {
    return std::ranges::any_of(
        macros_, [name](const MacroInfo& macro) { return platform::EqualsIgnoringCase(macro.name, name); });
}

std::string CMacroList::NextFreeName() const {
    for (std::size_t n = 1;; ++n) {
        std::string name = "macro_" + std::to_string(n);
        if (!IsNameTaken(name)) return name;
    }
}

std::string CMacroList::Add() {
    if (macros_.size() >= kMaxMacros) return {};
    MacroInfo macro{NextFreeName(), profiles::CJsonFileStore::NewProfileId()};
    Json::Value& element =
        profiles::json::ObjectElement(profiles::json::ArrayMember(document_, kInfoKey), macros_.size());
    element[kNameKey] = macro.name;
    element[kIdKey] = macro.id;
    macros_.push_back(std::move(macro));
    Write();
    return macros_.back().name;
}

RenameResult CMacroList::Rename(std::size_t index, std::string_view name) {
    if (index >= macros_.size()) return RenameResult::NoSuchMacro;
    if (IsBlank(name)) return RenameResult::EmptyName;
    if (IsNameTaken(name)) return RenameResult::NameTaken;
    macros_[index].name = std::string(name);
    Json::Value& element = profiles::json::ObjectElement(profiles::json::ArrayMember(document_, kInfoKey), index);
    element[kNameKey] = macros_[index].name;
    Write();
    return RenameResult::Renamed;
}

bool CMacroList::Delete(std::size_t index) {
    if (index >= macros_.size()) return false;
    if (const std::string file = EventFilePath(index); !file.empty()) {
        std::error_code ignored;  // a file that is already gone is no failure
        std::filesystem::remove(file, ignored);
    }
    macros_.erase(macros_.begin() + static_cast<std::ptrdiff_t>(index));
    Json::Value& info = profiles::json::ArrayMember(document_, kInfoKey);
    Json::Value removed;
    info.removeIndex(static_cast<Json::ArrayIndex>(index), &removed);
    Write();
    return true;
}

std::string CMacroList::EventFilePath(std::size_t index) const {
    return index < macros_.size() ? MacroFilePath(folder_, macros_[index].id) : std::string();
}

std::vector<MacroEvent> CMacroList::Events(std::size_t index) const {
    const std::string path = EventFilePath(index);
    return path.empty() ? std::vector<MacroEvent>() : ReadMacroFile(path).events;
}

profiles::WriteStatus CMacroList::SaveEvents(std::size_t index, const std::vector<MacroEvent>& events) const {
    const std::string path = EventFilePath(index);
    if (path.empty()) return profiles::WriteStatus::Failed;
    return WriteMacroFile(path, {macros_[index].name, macros_[index].id, events}, store_);
}

std::string CMacroList::Import(const std::string& source) {
    if (source.empty()) return {};
    std::string name = Add();
    // A source that cannot be read leaves a macro without events, as a new one.
    if (!name.empty()) static_cast<void>(CopyMacroFile(source, EventFilePath(macros_.size() - 1), store_));
    return name;
}

profiles::WriteStatus CMacroList::Export(std::size_t index, const std::string& destination) const {
    const std::string path = EventFilePath(index);
    if (path.empty()) return profiles::WriteStatus::Failed;
    return CopyMacroFile(path, destination, store_);
}

void CMacroList::Write() const { static_cast<void>(store_.WriteJson(MacroListPath(folder_), document_)); }

}  // namespace vandrel::macros
