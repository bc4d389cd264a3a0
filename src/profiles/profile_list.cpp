#include "profiles/profile_list.h"

#include <algorithm>
#include <map>
#include <set>

#include "platform/file_backup.h"
#include "platform/file_guard.h"
#include "platform/folders.h"
#include "profiles/json_values.h"
#include "profiles/profile_names.h"
#include "profiles/utf_text.h"

namespace vandrel::profiles {

using namespace list_file;

namespace {

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

namespace list_file {

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

// "profileselect" when it names an entry, else 0.
int SelectedEntry(const Json::Value& list) {
    const std::int64_t index = json::IntegerOr(json::Member(list, "profileselect"));
    return (index >= 0 && index < static_cast<std::int64_t>(Entries(list).size())) ? static_cast<int>(index) : 0;
}

}  // namespace list_file

CProfileList::CProfileList(CJsonFileStore store) : store_(std::move(store)) {}

void CProfileList::SetPaths(std::string userFolder, std::string templatePath) {
    userFolder_ = std::move(userFolder);
    templatePath_ = std::move(templatePath);
}

Json::Value CProfileList::Ensure() {
    Json::Value list = Read();
    if (!Entries(list).empty() || !Ready()) return list;
    const std::u16string name = u"profile1";
    const std::string id = CJsonFileStore::NewProfileId();
    json::AsObject(list)["profilelist"].append(MakeEntry(name, id));
    list["profileselect"] = 0;
    if (Write(list)) {
        Json::Value document = Template();
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
    return list;
}

std::vector<ProfileEntry> CProfileList::Profiles() {
    std::vector<ProfileEntry> profiles;
    const Json::Value list = Read();
    for (const Json::Value& entry : Entries(list))
        profiles.push_back({FromUtf8(json::TextOr(json::Member(entry, "profilename"))), EntryId(entry)});
    return profiles;
}

std::optional<int> CProfileList::IndexOf(const std::string& profileId) {
    const Json::Value list = Read();
    const Json::Value& entries = Entries(list);
    for (Json::ArrayIndex i = 0; i < entries.size(); ++i)
        if (EntryId(entries[i]) == profileId) return static_cast<int>(i);
    return std::nullopt;
}

std::optional<ProfileEntry> CProfileList::Select(int index) {
    Json::Value list = Read();
    const Json::Value& entry = EntryAt(list, index);
    if (!entry.isObject()) return std::nullopt;
    ProfileEntry selected{FromUtf8(json::TextOr(json::Member(entry, "profilename"))), EntryId(entry)};
    list["profileselect"] = index;
    // Not written, the list stays in memory with its selection (see Write).
    static_cast<void>(Write(list));
    return selected;
}

std::string CProfileList::Append(const std::u16string& name, bool selectIt) {
    std::string id = CJsonFileStore::NewProfileId();
    Json::Value list = Read();
    Json::Value& entries = json::ArrayMember(list, "profilelist");
    entries.append(MakeEntry(name, id));
    if (selectIt) list["profileselect"] = static_cast<Json::Int>(entries.size() - 1);
    if (!Write(list)) return {};
    return id;
}

AddedProfile CProfileList::AddFromTemplate() {
    if (!Ready()) return {};
    const std::vector<std::u16string> names = NamesOf(Read());
    if (names.size() >= kMaxAddedProfiles) return {};
    const std::u16string name = NextProfileName(names);
    AddedProfile added{Append(name, true)};
    if (added.id.empty()) return added;
    Json::Value document = Template();
    document["profilename"] = ToUtf8(name);
    document["profileUUID"] = added.id;
    added.fileWritten = store_.WriteJson(FileOf(added.id), document) == WriteStatus::Ok;
    return added;
}

Json::Value CProfileList::Read() {
    const std::string path = platform::ProfileListPath(userFolder_);
    std::string text;
    CleanedList cleaned = CleanList(store_.ReadDocument(path, &text));
    if (!cleaned.reason.empty()) KeepLeftOutEntries(path, text, cleaned.list, cleaned.reason);
    if (Entries(cleaned.list).empty() && !Entries(unsavedList_).empty()) return unsavedList_;
    return std::move(cleaned.list);
}

// A list that had to lose entries is copied to a backup first; only then is
// the cleaned list written. Without the copy the file stays as it is.
void CProfileList::KeepLeftOutEntries(const std::string& path, const std::string& text, const Json::Value& cleaned,
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
    static_cast<void>(Write(cleaned));  // a cleaned list not written is read and cleaned again next time
}

bool CProfileList::Write(const Json::Value& list) {
    const bool written = store_.WriteJson(platform::ProfileListPath(userFolder_), list) == WriteStatus::Ok;
    // A list that cannot be written is kept in memory, so the page goes on
    // working with it until the program ends.
    unsavedList_ = written ? Json::Value() : list;
    return written;
}

Json::Value CProfileList::Template() const {
    Json::Value document = store_.ReadJson(templatePath_);
    return document.isObject() ? document : Json::Value(Json::objectValue);
}

std::string CProfileList::FileOf(const std::string& profileId) const {
    return platform::ProfileFilePath(userFolder_, profileId);
}

}  // namespace vandrel::profiles
