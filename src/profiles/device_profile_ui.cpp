#include "profiles/device_profile_ui.h"

#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>

#include "platform/folders.h"
#include "platform/trace.h"
#include "profiles/json_values.h"
#include "profiles/profile_names.h"
#include "profiles/utf_text.h"

namespace vandrel::profiles {

using namespace list_file;

namespace {

constexpr const char* kCombo = "device_profile_combo";
constexpr const char* kNameEdit = "device_profile_name_edit";
constexpr const char* kMenu = "profile_menu_layout";

// Page tabs in the order SelectTab numbers them, from 1.
constexpr std::array<const char*, 8> kTabs = {"deng_Op_tab",   "key_Op_tab",       "macro_Op_tab",
                                              "system_Op_tab", "cursor_Op_tab",    "6533_voice_Op_tab",
                                              "magic_Op_tab",  "Virtual7.1_Op_tab"};

struct KindTabs {
    int kind;
    std::vector<const char*> hidden;
    std::vector<const char*> shown;
};

const std::vector<KindTabs>& TabsByKind() {
    static const std::vector<KindTabs> table = {
        {kKindKeyboard, {"cursor_Op_tab"}, {}},
        {kKindMouse, {}, {}},
        {kKindMousePad, {"cursor_Op_tab", "macro_Op_tab", "system_Op_tab", "key_Op_tab"}, {}},
        {kKindOtherHeadset, {"cursor_Op_tab", "macro_Op_tab", "key_Op_tab"}, {}},
        {kKindHub, {"cursor_Op_tab", "macro_Op_tab", "system_Op_tab", "key_Op_tab"}, {}},
        {kKindHeadset,
         {"cursor_Op_tab", "macro_Op_tab", "system_Op_tab", "key_Op_tab"},
         {"6533_voice_Op_tab", "magic_Op_tab", "Virtual7.1_Op_tab"}},
    };
    return table;
}

// The headset keys that survive a reset: the user's own equaliser.
constexpr std::array<const char*, 2> kKeptOnHeadsetReset = {"CustomEQNameInfo", "CustomEQHzValueInfo"};

}  // namespace

CDeviceProfileUI::CDeviceProfileUI(platform::IPageView& view, CJsonFileStore store)
    : view_(view), ownList_(std::make_unique<CProfileList>(std::move(store))), list_(*ownList_) {}

CDeviceProfileUI::CDeviceProfileUI(platform::IPageView& view, CProfileList& list) : view_(view), list_(list) {}

void CDeviceProfileUI::SetPaths(std::string userFolder, std::string templatePath) {
    list_.SetPaths(std::move(userFolder), std::move(templatePath));
}

void CDeviceProfileUI::InitProfiles() {
    if (!Ready()) return;
    const Json::Value list = list_.Ensure();
    ShowEntries(NamesOf(list), -1);
    SelectProfileEntry(SelectedEntry(list));
    ApplyKindTabs();
}

void CDeviceProfileUI::SelectProfileEntry(int index) {
    if (!Ready()) return;
    const std::optional<ProfileEntry> selected = list_.Select(index);
    if (!selected) return;
    view_.SetCurrentIndex(kCombo, index);
    ShowName(selected->name);
    currentId_ = selected->id;
}

int CDeviceProfileUI::CurrentIndex() const { return HasCombo() ? view_.CurrentIndex(kCombo) : -1; }

int CDeviceProfileUI::ProfileCount() {
    countList_ = list_.Read();
    return static_cast<int>(Entries(countList_).size());
}

std::string CDeviceProfileUI::ProfilePath(int index) const {
    const Json::Value& entry = EntryAt(countList_, index);
    return entry.isObject() ? list_.FileOf(EntryId(entry)) : std::string();
}

bool CDeviceProfileUI::AddProfile() {
    if (!Ready()) return false;
    const AddedProfile added = list_.AddFromTemplate();
    if (added.id.empty()) return false;
    ShowEntries(NamesOf(list_.Read()), CurrentIndex());
    return added.fileWritten;
}

bool CDeviceProfileUI::DeleteProfile() {
    if (!Ready()) return false;
    const int selected = CurrentIndex();
    Json::Value list = list_.Read();
    const int count = static_cast<int>(Entries(list).size());
    if (selected < 0 || selected >= count || count < 2) return false;
    const int next = selected > 0 ? selected - 1 : 0;

    Json::Value removed;
    list["profilelist"].removeIndex(static_cast<Json::ArrayIndex>(selected), &removed);
    list["profileselect"] = next;
    if (!list_.Write(list)) return false;
    bool done = true;
    if (removed.isObject()) {
        const std::string file = list_.FileOf(EntryId(removed));
        if (::unlink(file.c_str()) != 0 && errno != ENOENT) {
            platform::Trace("profile list: cannot delete " + file);
            done = false;
        }
    }

    ShowEntries(NamesOf(list), next);
    SelectProfileEntry(next);
    return done;
}

bool CDeviceProfileUI::CopyProfile() {
    if (!Ready()) return false;
    const int selected = CurrentIndex();
    const Json::Value list = list_.Read();
    const std::vector<std::u16string> names = NamesOf(list);
    if (selected < 0 || selected >= static_cast<int>(names.size())) return false;
    const std::string sourceId = EntryId(EntryAt(list, selected));

    const std::u16string name = CopyName(names[static_cast<std::size_t>(selected)], names);
    const std::string id = AppendProfile(name, false);
    if (id.empty()) return false;
    Json::Value document = sourceId.empty() ? Json::Value() : list_.Store().ReadDocument(list_.FileOf(sourceId));
    json::AsObject(document)["profilename"] = ToUtf8(name);
    document["profileUUID"] = id;
    return list_.Store().WriteJson(list_.FileOf(id), document) == WriteStatus::Ok;
}

bool CDeviceProfileUI::ImportProfile(const std::string& path) {
    if (!Ready()) return false;
    Json::Value document = list_.Store().ReadJson(path);
    if (!document.isObject() || !document["profilename"].isString() || !document["profileUUID"].isString()) {
        return false;
    }

    const std::vector<std::u16string> names = NamesOf(list_.Read());
    const std::u16string title = FromUtf8(CJsonFileStore::FileTitle(path));
    const std::u16string name = IsBlank(title) ? NextProfileName(names) : ImportName(title, names);
    const std::string id = AppendProfile(name, false);
    if (id.empty()) return false;
    document["profilename"] = ToUtf8(name);
    document["profileUUID"] = id;
    const bool written = list_.Store().WriteJson(list_.FileOf(id), document) == WriteStatus::Ok;

    // A profile file without an identifier is never valid; clear one away.
    ::unlink(platform::JoinPath(list_.UserFolder(), ".Json").c_str());
    return written;
}

bool CDeviceProfileUI::ExportProfile(const std::string& path) {
    if (!Ready()) return false;
    const Json::Value list = list_.Read();
    const Json::Value& entry = EntryAt(list, CurrentIndex());
    if (!entry.isObject()) return false;
    const Json::Value document = list_.Store().ReadJson(list_.FileOf(EntryId(entry)));
    if (document.isNull()) return false;
    return list_.Store().WriteJson(path, document) == WriteStatus::Ok;
}

bool CDeviceProfileUI::ResetProfile() {
    if (!Ready()) return false;
    const Json::Value list = list_.Read();
    const Json::Value& entry = EntryAt(list, CurrentIndex());
    if (!entry.isObject()) return false;
    const std::string id = EntryId(entry);

    Json::Value document = list_.Template();
    document["profilename"] = json::TextOr(entry["profilename"]);
    document["profileUUID"] = id;
    if (kind_ == kKindHeadset) {
        const Json::Value current = list_.Store().ReadDocument(list_.FileOf(id));
        const Json::Value& section = json::Element(json::Member(current, "Device"), 0);
        for (const char* key : kKeptOnHeadsetReset) {
            const Json::Value& kept = json::Member(section, key);
            if (!kept.isNull()) json::ObjectElement(json::ArrayMember(document, "Device"), 0)[key] = kept;
        }
    }
    return list_.Store().WriteJson(list_.FileOf(id), document) == WriteStatus::Ok;
}

int CDeviceProfileUI::RenameProfile(std::u16string_view name) {
    if (IsBlank(name)) return kRenameBlank;
    if (!Ready()) return kRenameTaken;
    const int selected = CurrentIndex();
    Json::Value list = list_.Read();
    const std::vector<std::u16string> names = NamesOf(list);
    if (selected < 0 || selected >= static_cast<int>(names.size())) return kRenameTaken;
    for (std::size_t i = 0; i < names.size(); ++i) {
        if (static_cast<int>(i) != selected && EqualsIgnoringCase(names[i], name)) return kRenameTaken;
    }

    const std::string text = ToUtf8(name);
    if (!EntryAt(list, selected).isObject()) return kRenameNotSaved;
    Json::Value& entry = list["profilelist"][static_cast<Json::ArrayIndex>(selected)];
    entry["profilename"] = text;
    if (!list_.Write(list)) return kRenameNotSaved;

    ShowEntries(NamesOf(list), selected);
    ShowName(FromUtf8(text));
    const std::string file = list_.FileOf(EntryId(entry));
    Json::Value document = list_.Store().ReadDocument(file);
    json::AsObject(document)["profilename"] = text;
    return list_.Store().WriteJson(file, document) == WriteStatus::Ok ? kRenamed : kRenameNotSaved;
}

std::u16string CDeviceProfileUI::EditedName() const { return FromUtf8(view_.Text(kNameEdit)); }

void CDeviceProfileUI::ShowName(std::u16string_view name) { view_.SetText(kNameEdit, ToUtf8(name)); }

void CDeviceProfileUI::ShowMenu(bool shown) { view_.SetVisible(kMenu, shown); }

bool CDeviceProfileUI::MenuShown() const { return view_.Visible(kMenu); }

void CDeviceProfileUI::SelectTab(int n) {
    const bool allThere =
        std::all_of(kTabs.begin(), kTabs.end(), [this](const char* tab) { return view_.HasControl(tab); });
    if (!allThere) return;
    for (std::size_t i = 0; i < kTabs.size(); ++i) view_.SetSelected(kTabs[i], static_cast<int>(i) + 1 == n);
}

bool CDeviceProfileUI::Ready() const { return HasCombo() && list_.Ready(); }

bool CDeviceProfileUI::HasCombo() const { return view_.HasControl(kCombo); }

void CDeviceProfileUI::ShowEntries(const std::vector<std::u16string>& names, int selected) {
    std::vector<std::string> items;
    items.reserve(names.size());
    for (const std::u16string& name : names) items.push_back(ToUtf8(name));
    view_.SetItems(kCombo, items);
    view_.SetCurrentIndex(kCombo, selected);
}

std::string CDeviceProfileUI::AppendProfile(const std::u16string& name, bool selectIt) {
    std::string id = list_.Append(name, selectIt);
    if (!id.empty()) ShowEntries(NamesOf(list_.Read()), CurrentIndex());
    return id;
}

void CDeviceProfileUI::ApplyKindTabs() {
    const auto& table = TabsByKind();
    const auto row = std::find_if(table.begin(), table.end(), [this](const KindTabs& r) { return r.kind == kind_; });
    if (row == table.end()) return;
    for (const char* tab : row->hidden) view_.SetVisible(tab, false);
    for (const char* tab : row->shown) view_.SetVisible(tab, true);
}

}  // namespace vandrel::profiles
