#include "macros/macro_deletion.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

#include "keys/key_catalogue.h"
#include "macros/macro_control.h"
#include "profiles/basic_profile_data.h"
#include "profiles/profile_list.h"

namespace vandrel::macros {

namespace {

bool RunsMacro(const profiles::KeyEntry& key) {
    return key.assignment.type == keys::type::kMacro || key.assignment.type == keys::type::kMacroRepeated;
}

bool FileExists(const std::string& path) {
    std::error_code ignored;
    return std::filesystem::is_regular_file(path, ignored);
}

// Renumbers the "KeyList" of one profile file, written when a key changed.
void RenumberProfileFile(const std::string& path, std::size_t deleted) {
    if (!FileExists(path)) return;  // no profile is made here
    profiles::CBasicProfiledata profile;
    profile.LoadOther(path);
    std::vector<profiles::KeyEntry> keys = profile.GetOtherKeyList();
    if (!RenumberAfterDelete(keys, deleted)) return;
    profile.SetOtherKeyList(keys);
    // A failed write is traced by the store; the other files still follow.
    static_cast<void>(profile.SaveOther(path));
}

}  // namespace

bool UsesMacro(std::span<const profiles::KeyEntry> keys, std::size_t macro) {
    return std::ranges::any_of(
        keys, [macro](const profiles::KeyEntry& key) { return RunsMacro(key) && key.assignment.code1 == macro; });
}

bool RenumberAfterDelete(std::span<profiles::KeyEntry> keys, std::size_t deleted) {
    bool changed = false;
    for (profiles::KeyEntry& key : keys) {
        if (!RunsMacro(key) || key.assignment.code1 < deleted) continue;
        if (key.assignment.code1 == deleted) key.assignment = key.defaultAssignment;
        else --key.assignment.code1;
        changed = true;
    }
    return changed;
}

MacroDeletion DeleteMacroEverywhere(CMacroControlUI& panel, std::span<const std::string> otherProfiles,
                                    std::vector<profiles::KeyEntry> deviceKeys, const AskFunction& ask) {
    const int selected = panel.SelectedMacro();
    if (selected < 0) return {};
    const auto deleted = static_cast<std::size_t>(selected);
    // Every question before any file changes.
    if (!ask || !ask(kAskDeleteMacro)) return {};
    if (UsesMacro(deviceKeys, deleted) && !ask(kAskDeleteUsedMacro)) return {};

    if (panel.DeleteMacro() != selected) return {};
    MacroDeletion result{selected, std::nullopt};
    // While "macro.config" still lists the macro, the keys' numbers still
    // match it: they stay as they are.
    if (!panel.ListMatchesFile()) return result;

    for (const std::string& path : otherProfiles) RenumberProfileFile(path, deleted);
    if (RenumberAfterDelete(deviceKeys, deleted)) result.deviceKeys = std::move(deviceKeys);
    return result;
}

std::vector<std::string> OtherProfileFiles(profiles::CProfileList& list, std::string_view currentProfileId) {
    std::vector<std::string> files;
    for (const profiles::ProfileEntry& entry : list.Profiles())
        if (entry.id != currentProfileId) files.push_back(list.FileOf(entry.id));
    return files;
}

}  // namespace vandrel::macros
