// DeviceProfiles: a device's list of named profiles ("ProfileList.ini" in the
// kind's user folder) and the page's profile panel over it, which together
// say which profile the device runs. Every kind with profiles holds one; the
// kind loads, shows and writes the profile that the list selects.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/page_view.h"
#include "profiles/basic_profile_data.h"
#include "profiles/device_profile_ui.h"
#include "profiles/light_names.h"
#include "profiles/profile_list.h"

namespace vandrel::devices {

class DeviceProfiles {
public:
    // The list of the kind named `kindName` (its user folder and template);
    // taken once, later calls keep the first.
    void Prepare(std::string_view kindName);

    // The panel over the list when the page has one (a "DeviceProfileItem"),
    // told its device kind and showing the list. The identifier of the
    // profile it shows; nothing without a panel.
    std::optional<std::string> SetUpPanel(platform::IPageView& page, int panelKind);
    profiles::CDeviceProfileUI* Panel() { return panel_.get(); }

    // The identifier of the profile the list selects, made from the template
    // when the list has none; "" when there is no usable list.
    std::string SelectedId();
    std::vector<profiles::ProfileEntry> Profiles();
    // A new profile from the template, shown in the panel; its identifier,
    // or "" when it could not be written.
    std::string Add();
    // The list (and the panel) selects `profileId`; false for an identifier
    // the list does not have.
    bool Select(const std::string& profileId);
    // The panel's selected profile back to the template: nothing without a
    // panel, else whether its file was written.
    std::optional<bool> ResetSelected();
    // The files of the list's profiles other than `profileId`, in list order.
    std::vector<std::string> OtherProfileFiles(std::string_view profileId);

private:
    profiles::CProfileList list_;
    std::unique_ptr<profiles::CDeviceProfileUI> panel_;  // over list_
};

// Points `profile` at the files of profile `profileName` of kind `kindName`:
// the profile file, the kind's template and its light configuration
// `lightConfigName`. A name that is not a plain file name keeps the profile
// file it had.
void SetProfilePaths(profiles::CBasicProfiledata& profile, std::string_view kindName, const std::string& profileName,
                     const std::string& lightConfigName);
// The same, then the profile file loaded.
void LoadProfileFile(profiles::CBasicProfiledata& profile, std::string_view kindName, const std::string& profileName,
                     const std::string& lightConfigName);

// The kind's template loaded into `profile` as its current settings (its
// file stays where it was). A template without a usable section would be
// "repaired" by loading it, which writes it: then nothing changes and the
// result is false.
bool LoadTemplate(profiles::CBasicProfiledata& profile, std::string_view kindName);

// The light names of element `lightNameIndex`: the shipped defaults, then the
// user's light configuration `lightConfigName` of the kind.
void LoadLightNames(profiles::LightNames& names, std::string_view kindName, const std::string& lightConfigName,
                    int lightNameIndex);

}  // namespace vandrel::devices
