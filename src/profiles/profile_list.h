// CProfileList: a device kind's list of profiles, "ProfileList.ini" in the
// kind's user folder, and the profile files it names. It needs no page: the
// device runs its profiles from it, and the profile panel shows it.
//
// "ProfileList.ini" (JSON despite its name):
//   "profilelist": [{"profilename", "profileUUID", "profileislink": 0,
//                    "profilelinkmame": ""}, ...] in display order;
//   "profileselect": index of the current profile.
// A profile's file is <user folder>/<profileUUID>.Json.
//
// Entries whose "profileUUID" cannot name a file of their own in the user
// folder are left out, and the file is kept as a backup before the cleaned
// list replaces it. When nothing can be written, the list lives in memory
// and no profile file is created that no list names.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include <json/json.h>

#include "profiles/json_file_store.h"

namespace vandrel::profiles {

// The list document's parts, for whoever reads a list read by CProfileList.
namespace list_file {
Json::Value MakeEntry(const std::u16string& name, const std::string& id);
std::string EntryId(const Json::Value& entry);
const Json::Value& Entries(const Json::Value& list);
// A null value for an index out of range.
const Json::Value& EntryAt(const Json::Value& list, int index);
// The names of the list's profiles, in order: what the combo shows.
std::vector<std::u16string> NamesOf(const Json::Value& list);
// "profileselect" when it names an entry, else 0.
int SelectedEntry(const Json::Value& list);
}  // namespace list_file

struct ProfileEntry {
    std::u16string name;
    std::string id;
};

struct AddedProfile {
    std::string id;            // "" when the list could not be written
    bool fileWritten = false;  // its document from the template
};

class CProfileList {
public:
    static constexpr std::size_t kMaxAddedProfiles = 50;

    explicit CProfileList(CJsonFileStore store = CJsonFileStore());

    void SetPaths(std::string userFolder, std::string templatePath);
    const std::string& UserFolder() const { return userFolder_; }
    // The user folder is known.
    bool Ready() const { return !userFolder_.empty(); }

    // The list; when it has no profile, "profile1" is made from the template
    // and selected.
    Json::Value Ensure();
    std::vector<ProfileEntry> Profiles();
    std::optional<int> IndexOf(const std::string& profileId);
    // Stores `index` as "profileselect"; the profile there, nothing for an
    // index out of range.
    std::optional<ProfileEntry> Select(int index);
    // A new profile from the template, named "profile%d" and selected; at most
    // kMaxAddedProfiles.
    AddedProfile AddFromTemplate();
    // Appends an entry to the list file. The new identifier, or "" when the
    // list could not be written.
    std::string Append(const std::u16string& name, bool selectIt);

    // "ProfileList.ini" with every unusable entry left out (see
    // KeepLeftOutEntries); the list kept in memory when none could be written.
    Json::Value Read();
    // False when the file could not be written: the list then lives in
    // memory until the program ends.
    bool Write(const Json::Value& list);
    // The kind's template document; an empty object when it does not read.
    Json::Value Template() const;
    std::string FileOf(const std::string& profileId) const;
    CJsonFileStore& Store() { return store_; }

private:
    void KeepLeftOutEntries(const std::string& path, const std::string& text, const Json::Value& cleaned,
                            const std::string& reason);

    CJsonFileStore store_;
    std::string userFolder_;
    std::string templatePath_;
    Json::Value unsavedList_;  // the list of this run when it could not be written
};

}  // namespace vandrel::profiles
