// The profile panel of a device page: the list of a device kind's profiles
// ("ProfileList.ini" in the kind's user folder), the combo that shows it, and
// the commands that add, delete, copy, import, export, reset and rename
// profiles. It works on the page through the page-view seam, so it runs the
// same over Qt widgets and over a map-backed fake.
//
// "ProfileList.ini" (JSON despite its name):
//   "profilelist": [{"profilename", "profileUUID", "profileislink": 0,
//                    "profilelinkmame": ""}, ...] in display order;
//   "profileselect": index of the current profile.
// Entry i of the combo "device_profile_combo" is "profilelist"[i]; a profile's
// file is <user folder>/<profileUUID>.Json. Names always come from the list:
// the combo and the name editor only show them, as typed, and are never read
// back for a name.
//
// Entries whose "profileUUID" cannot name a file of their own in the user
// folder are left out, and the file is kept as a backup before the cleaned
// list replaces it. When nothing can be written, the page works on a list in
// memory and creates no profile file that no list names.
//
// Names cross the page as UTF-8 and are handled here as UTF-16, like every
// name the user interface shows; both conversions replace broken text.
#pragma once

#include <json/json.h>
#include <memory>

#include <string>
#include <string_view>
#include <vector>

#include "platform/page_view.h"
#include "profiles/json_file_store.h"
#include "profiles/profile_list.h"

namespace vandrel::profiles {

// Device kinds as the panels number them.
inline constexpr int kKindKeyboard = 1;
inline constexpr int kKindMouse = 2;
inline constexpr int kKindMousePad = 3;
inline constexpr int kKindOtherHeadset = 4;  // a headset kind no row of the kind table has
inline constexpr int kKindHub = 5;
inline constexpr int kKindHeadset = 7;

class CDeviceProfileUI {
public:
    static constexpr auto kMaxAddedProfiles = CProfileList::kMaxAddedProfiles;

    // With a list of its own.
    explicit CDeviceProfileUI(platform::IPageView& view, CJsonFileStore store = CJsonFileStore());
    // Over the device's list, which must outlive the panel.
    CDeviceProfileUI(platform::IPageView& view, CProfileList& list);

    void SetDeviceKind(int kind) { kind_ = kind; }
    void SetPaths(std::string userFolder, std::string templatePath);

    // Reads the list (creating "profile1" and its file from the template when
    // there is none), fills the combo, selects "profileselect" (0 when out of
    // range) and hides the page tabs the device kind does not have.
    void InitProfiles();

    // Selects combo entry `index`, shows its name in the name editor, stores
    // it as "profileselect" and makes its identifier the current one. The
    // page view raises no notify event for this.
    void SelectProfileEntry(int index);

    // The combo's selected index; -1 when none or when the combo is missing.
    int CurrentIndex() const;
    const std::string& CurrentProfileId() const { return currentId_; }

    // Re-reads the list; the number of its profiles.
    int ProfileCount();
    // The file of profile i of the list read by the last ProfileCount; "" for
    // an index out of range.
    std::string ProfilePath(int index) const;

    // Each returns true when it took place and every file was written. The
    // combo changes only once the list file is written.
    // At most kMaxAddedProfiles entries; names "profile%d".
    bool AddProfile();
    // Keeps at least one entry; the selection moves to the entry before.
    bool DeleteProfile();
    // The new entry is named "<name> copy" (again while taken).
    bool CopyProfile();
    // Imports the file at `path` when it is a profile document; its name is
    // the file's title, made unique with "(%d)" suffixes; its identifier is
    // always a new one, whatever the file says.
    bool ImportProfile(const std::string& path);
    // Writes the selected profile's document to `path`.
    bool ExportProfile(const std::string& path);
    // Replaces the selected profile's document by the template, keeping its
    // name and identifier (and, on a headset, its custom equaliser). The
    // device must load the profile again afterwards: its next save would put
    // back the section it holds (see basic_profile_data.h).
    bool ResetProfile();

    // kRenamed; kRenameTaken when another entry has the name (or nothing is
    // selected); kRenameBlank for an empty or white-space name;
    // kRenameNotSaved when the list or the profile file could not be written
    // (the combo then keeps the old name if the list was not written).
    static constexpr int kRenameTaken = 0;
    static constexpr int kRenamed = 1;
    static constexpr int kRenameBlank = 2;
    static constexpr int kRenameNotSaved = 3;
    int RenameProfile(std::u16string_view name);

    std::u16string EditedName() const;
    void ShowName(std::u16string_view name);

    void ShowMenu(bool shown);
    bool MenuShown() const;

    // Selects page tab n (1..8) and deselects the others; any other n
    // deselects all. Nothing unless all eight tabs exist.
    void SelectTab(int n);

private:
    // The combo exists and the user folder is known.
    bool Ready() const;
    bool HasCombo() const;
    void ShowEntries(const std::vector<std::u16string>& names, int selected);
    // Appends an entry to the list file and, once that is written, to the
    // combo. The new identifier, or "" when the list could not be written.
    std::string AppendProfile(const std::u16string& name, bool selectIt);
    void ApplyKindTabs();

    platform::IPageView& view_;
    std::unique_ptr<CProfileList> ownList_;  // when the panel was given none
    CProfileList& list_;
    int kind_ = 0;
    std::string currentId_;
    Json::Value countList_;
};

}  // namespace vandrel::profiles
