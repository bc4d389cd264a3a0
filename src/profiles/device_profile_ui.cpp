#include "profiles/device_profile_ui.h"

#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <map>
#include <set>

#include "platform/file_backup.h"
#include "platform/file_guard.h"
#include "platform/folders.h"
#include "platform/trace.h"
#include "profiles/json_values.h"
#include "profiles/profile_names.h"
#include "profiles/utf_text.h"

namespace vandrel::profiles {
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

Json::Value MakeEntry(const std::u16string& name, const std::string& id) {
    Json::Value entry(Json::objectValue);
    entry["profilename"] = ToUtf8(name);
    entry["profileUUID"] = id;
    entry["profileislink"] = 0;
    entry["profilelinkmame"] = "";
    return entry;
}

std::string EntryId(const Json::Value& entry) { return json::TextOr(json::Member(entry, "profileUUID")); }

const Json::Value& Entries(const Json::Value& list) { return json::Member(list, "profilelist"); }

const Json::Value& EntryAt(const Json::Value& list, int index) {
    return json::Element(Entries(list), index < 0 ? Json::ArrayIndex(-1) : static_cast<Json::ArrayIndex>(index));
}

// The names of the list's profiles, in order: what the combo shows.
std::vector<std::u16string> NamesOf(const Json::Value& list) {
    std::vector<std::u16string> names;
    for (const Json::Value& entry : Entries(list))
        names.push_back(FromUtf8(json::TextOr(json::Member(entry, "profilename"))));
    return names;
}

// Why an entry of a list cannot be kept, or nullptr when it can. An entry
// must name one file inside the user folder that no earlier entry names.
const char* EntryProblem(const Json::Value& entry, const std::set<std::string>& seen) {
    if (!entry.isObject()) return "an entry that is not an object";
    const Json::Value& id = json::Member(entry, "profileUUID");
    if (!id.isString()) return "an identifier that is not text";
    const std::string text = id.asString();
    if (!platform::IsSafeFileName(text)) return "an identifier that is not a file name";
    // Written back, a broken sequence would be repaired into another name.
    if (!IsValidUtf8(text)) return "an identifier that is not valid UTF-8";
    if (seen.count(text) != 0) return "a repeated identifier";
    return nullptr;
}

// "profileselect" when it names an entry, else 0.
int SelectedEntry(const Json::Value& list) {
    const std::int64_t index = json::IntegerOr(json::Member(list, "profileselect"));
    return (index >= 0 && index < static_cast<std::int64_t>(Entries(list).size())) ? static_cast<int>(index) : 0;
}

struct CleanedList {
    Json::Value list;    // null when there was no list object
    std::string reason;  // what was left out; empty when nothing was
};

// The list with every entry left out that cannot be kept. "profileselect"
// follows the profile it named: to the kept entry itself, to the first entry
// of the same identifier for a repeated one, else to the kept entry before it.
CleanedList CleanList(Json::Value list) {
    if (!list.isObject()) return {};
    const Json::Value& entries = Entries(list);
    const int selected = SelectedEntry(list);
    Json::Value kept(Json::arrayValue);
    std::set<std::string> seen;
    std::map<std::string, int> firstIndex;
    std::string reason;
    int newSelected = 0;
    for (Json::ArrayIndex i = 0; i < entries.size(); ++i) {
        const Json::Value& entry = entries[i];
        const char* problem = EntryProblem(entry, seen);
        const int keptCount = static_cast<int>(kept.size());
        if (problem == nullptr) {
            const std::string id = EntryId(entry);
            seen.insert(id);
            firstIndex[id] = keptCount;
            kept.append(entry);
        } else if (reason.empty()) {
            reason = problem;
        }
        if (static_cast<int>(i) != selected) continue;
        if (problem == nullptr) newSelected = keptCount;
        else if (const auto first = firstIndex.find(EntryId(entry)); entry.isObject() && first != firstIndex.end())
            newSelected = first->second;
        else newSelected = std::max(keptCount - 1, 0);
    }
    if (reason.empty() && (entries.isArray() || entries.isNull())) {
        list["profilelist"] = std::move(kept);
        return {std::move(list), {}};
    }
    if (reason.empty()) reason = "a profile list that is not an array";
    list["profilelist"] = std::move(kept);
    list["profileselect"] = newSelected;
    return {std::move(list), std::move(reason)};
}

}  // namespace

CDeviceProfileUI::CDeviceProfileUI(platform::IPageView& view, CJsonFileStore store)
    : view_(view), store_(std::move(store)) {}

void CDeviceProfileUI::SetPaths(std::string userFolder, std::string templatePath) {
    userFolder_ = std::move(userFolder);
    templatePath_ = std::move(templatePath);
}

void CDeviceProfileUI::InitProfiles() {
    if (!Ready()) return;
    Json::Value list = ReadList();
    if (Entries(list).empty()) {
        const std::u16string name = u"profile1";
        const std::string id = CJsonFileStore::NewProfileId();
        json::AsObject(list)["profilelist"].append(MakeEntry(name, id));
        list["profileselect"] = 0;
        if (WriteList(list)) {
            Json::Value document = ReadTemplate();
            document["profilename"] = ToUtf8(name);
            document["profileUUID"] = id;
            // A profile file that could not be written (the store traces it)
            // reads as the template next time: what it would have held.
            static_cast<void>(store_.WriteJson(FileOf(id), document));
        } else {
            // A file no list names would be an orphan: the profile lives in
            // memory only.
            platform::FileGuard::Instance().Protect(FileOf(id));
        }
    }

    ShowEntries(NamesOf(list), -1);
    SelectProfileEntry(SelectedEntry(list));
    ApplyKindTabs();
}

void CDeviceProfileUI::SelectProfileEntry(int index) {
    if (!Ready()) return;
    Json::Value list = ReadList();
    const Json::Value& entry = EntryAt(list, index);
    if (!entry.isObject()) return;
    view_.SetCurrentIndex(kCombo, index);
    ShowName(FromUtf8(json::TextOr(json::Member(entry, "profilename"))));
    currentId_ = EntryId(entry);
    list["profileselect"] = index;
    WriteList(list);
}

int CDeviceProfileUI::CurrentIndex() const { return HasCombo() ? view_.CurrentIndex(kCombo) : -1; }

int CDeviceProfileUI::ProfileCount() {
    countList_ = ReadList();
    return static_cast<int>(Entries(countList_).size());
}

std::string CDeviceProfileUI::ProfilePath(int index) const {
    const Json::Value& entry = EntryAt(countList_, index);
    return entry.isObject() ? FileOf(EntryId(entry)) : std::string();
}

bool CDeviceProfileUI::AddProfile() {
    if (!Ready()) return false;
    const std::vector<std::u16string> names = NamesOf(ReadList());
    if (names.size() >= kMaxAddedProfiles) return false;

    const std::u16string name = NextProfileName(names);
    const std::string id = AppendProfile(name, true);
    if (id.empty()) return false;
    Json::Value document = ReadTemplate();
    document["profilename"] = ToUtf8(name);
    document["profileUUID"] = id;
    return store_.WriteJson(FileOf(id), document) == WriteStatus::Ok;
}

bool CDeviceProfileUI::DeleteProfile() {
    if (!Ready()) return false;
    const int selected = CurrentIndex();
    Json::Value list = ReadList();
    const int count = static_cast<int>(Entries(list).size());
    if (selected < 0 || selected >= count || count < 2) return false;
    const int next = selected > 0 ? selected - 1 : 0;

    Json::Value removed;
    list["profilelist"].removeIndex(static_cast<Json::ArrayIndex>(selected), &removed);
    list["profileselect"] = next;
    if (!WriteList(list)) return false;
    bool done = true;
    if (removed.isObject()) {
        const std::string file = FileOf(EntryId(removed));
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
    const Json::Value list = ReadList();
    const std::vector<std::u16string> names = NamesOf(list);
    if (selected < 0 || selected >= static_cast<int>(names.size())) return false;
    const std::string sourceId = EntryId(EntryAt(list, selected));

    const std::u16string name = CopyName(names[static_cast<std::size_t>(selected)], names);
    const std::string id = AppendProfile(name, false);
    if (id.empty()) return false;
    Json::Value document = sourceId.empty() ? Json::Value() : store_.ReadDocument(FileOf(sourceId));
    json::AsObject(document)["profilename"] = ToUtf8(name);
    document["profileUUID"] = id;
    return store_.WriteJson(FileOf(id), document) == WriteStatus::Ok;
}

bool CDeviceProfileUI::ImportProfile(const std::string& path) {
    if (!Ready()) return false;
    Json::Value document = store_.ReadJson(path);
    if (!document.isObject() || !document["profilename"].isString() || !document["profileUUID"].isString()) {
        return false;
    }

    const std::vector<std::u16string> names = NamesOf(ReadList());
    const std::u16string title = FromUtf8(CJsonFileStore::FileTitle(path));
    const std::u16string name = IsBlank(title) ? NextProfileName(names) : ImportName(title, names);
    const std::string id = AppendProfile(name, false);
    if (id.empty()) return false;
    document["profilename"] = ToUtf8(name);
    document["profileUUID"] = id;
    const bool written = store_.WriteJson(FileOf(id), document) == WriteStatus::Ok;

    // A profile file without an identifier is never valid; clear one away.
    ::unlink(platform::JoinPath(userFolder_, ".Json").c_str());
    return written;
}

bool CDeviceProfileUI::ExportProfile(const std::string& path) {
    if (!Ready()) return false;
    const Json::Value list = ReadList();
    const Json::Value& entry = EntryAt(list, CurrentIndex());
    if (!entry.isObject()) return false;
    const Json::Value document = store_.ReadJson(FileOf(EntryId(entry)));
    if (document.isNull()) return false;
    return store_.WriteJson(path, document) == WriteStatus::Ok;
}

bool CDeviceProfileUI::ResetProfile() {
    if (!Ready()) return false;
    const Json::Value list = ReadList();
    const Json::Value& entry = EntryAt(list, CurrentIndex());
    if (!entry.isObject()) return false;
    const std::string id = EntryId(entry);

    Json::Value document = ReadTemplate();
    document["profilename"] = json::TextOr(entry["profilename"]);
    document["profileUUID"] = id;
    if (kind_ == kKindHeadset) {
        const Json::Value current = store_.ReadDocument(FileOf(id));
        const Json::Value& section = json::Element(json::Member(current, "Device"), 0);
        for (const char* key : kKeptOnHeadsetReset) {
            const Json::Value& kept = json::Member(section, key);
            if (!kept.isNull()) json::ObjectElement(json::ArrayMember(document, "Device"), 0)[key] = kept;
        }
    }
    return store_.WriteJson(FileOf(id), document) == WriteStatus::Ok;
}

int CDeviceProfileUI::RenameProfile(std::u16string_view name) {
    if (IsBlank(name)) return kRenameBlank;
    if (!Ready()) return kRenameTaken;
    const int selected = CurrentIndex();
    Json::Value list = ReadList();
    const std::vector<std::u16string> names = NamesOf(list);
    if (selected < 0 || selected >= static_cast<int>(names.size())) return kRenameTaken;
    for (std::size_t i = 0; i < names.size(); ++i) {
        if (static_cast<int>(i) != selected && EqualsIgnoringCase(names[i], name)) return kRenameTaken;
    }

    const std::string text = ToUtf8(name);
    if (!EntryAt(list, selected).isObject()) return kRenameNotSaved;
    Json::Value& entry = list["profilelist"][static_cast<Json::ArrayIndex>(selected)];
    entry["profilename"] = text;
    if (!WriteList(list)) return kRenameNotSaved;

    ShowEntries(NamesOf(list), selected);
    ShowName(FromUtf8(text));
    const std::string file = FileOf(EntryId(entry));
    Json::Value document = store_.ReadDocument(file);
    json::AsObject(document)["profilename"] = text;
    return store_.WriteJson(file, document) == WriteStatus::Ok ? kRenamed : kRenameNotSaved;
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

bool CDeviceProfileUI::Ready() const { return HasCombo() && !userFolder_.empty(); }

bool CDeviceProfileUI::HasCombo() const { return view_.HasControl(kCombo); }

void CDeviceProfileUI::ShowEntries(const std::vector<std::u16string>& names, int selected) {
    std::vector<std::string> items;
    items.reserve(names.size());
    for (const std::u16string& name : names) items.push_back(ToUtf8(name));
    view_.SetItems(kCombo, items);
    view_.SetCurrentIndex(kCombo, selected);
}

Json::Value CDeviceProfileUI::ReadList() {
    const std::string path = platform::ProfileListPath(userFolder_);
    std::string text;
    CleanedList cleaned = CleanList(store_.ReadDocument(path, &text));
    if (!cleaned.reason.empty()) KeepLeftOutEntries(path, text, cleaned.list, cleaned.reason);
    if (Entries(cleaned.list).empty() && !Entries(unsavedList_).empty()) return unsavedList_;
    return std::move(cleaned.list);
}

// A list that had to lose entries is copied to a backup first; only then is
// the cleaned list written. Without the copy the file stays as it is.
void CDeviceProfileUI::KeepLeftOutEntries(const std::string& path, const std::string& text, const Json::Value& cleaned,
                                          const std::string& reason) {
    platform::FileGuard& guard = platform::FileGuard::Instance();
    if (guard.IsProtected(path)) return;
    const auto backup = platform::KeepCopy(path, text);
    if (!backup) {
        guard.Protect(path);
        guard.Post({platform::FileNotice::Kind::kLeftInPlace, path, reason, {}});
        return;
    }
    guard.Post({platform::FileNotice::Kind::kEntriesDropped, path, reason, *backup});
    WriteList(cleaned);
}

bool CDeviceProfileUI::WriteList(const Json::Value& list) {
    const bool written = store_.WriteJson(platform::ProfileListPath(userFolder_), list) == WriteStatus::Ok;
    // A list that cannot be written is kept in memory, so the page goes on
    // working with it until the program ends.
    unsavedList_ = written ? Json::Value() : list;
    return written;
}

std::string CDeviceProfileUI::AppendProfile(const std::u16string& name, bool selectIt) {
    const std::string id = CJsonFileStore::NewProfileId();
    Json::Value list = ReadList();
    Json::Value& entries = json::ArrayMember(list, "profilelist");
    entries.append(MakeEntry(name, id));
    if (selectIt) list["profileselect"] = static_cast<Json::Int>(entries.size() - 1);
    if (!WriteList(list)) return {};

    ShowEntries(NamesOf(list), CurrentIndex());
    return id;
}

Json::Value CDeviceProfileUI::ReadTemplate() const {
    Json::Value document = store_.ReadJson(templatePath_);
    return document.isObject() ? document : Json::Value(Json::objectValue);
}

std::string CDeviceProfileUI::FileOf(const std::string& profileId) const {
    return platform::ProfileFilePath(userFolder_, profileId);
}

void CDeviceProfileUI::ApplyKindTabs() {
    const auto& table = TabsByKind();
    const auto row = std::find_if(table.begin(), table.end(), [this](const KindTabs& r) { return r.kind == kind_; });
    if (row == table.end()) return;
    for (const char* tab : row->hidden) view_.SetVisible(tab, false);
    for (const char* tab : row->shown) view_.SetVisible(tab, true);
}

}  // namespace vandrel::profiles
