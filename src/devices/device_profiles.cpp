#include "devices/device_profiles.h"

#include "macros/macro_deletion.h"

#include "devices/usb_device.h"
#include "platform/folders.h"

namespace vandrel::devices {
namespace {

constexpr std::string_view kProfilePanelClass = "DeviceProfileItem";

}  // namespace

void DeviceProfiles::Prepare(std::string_view kindName) {
    if (!list_.Ready()) list_.SetPaths(platform::UserDataFolder(kindName), platform::DefaultTemplatePath(kindName));
}

std::optional<std::string> DeviceProfiles::SetUpPanel(platform::IPageView& page, int panelKind) {
    if (FindByClass(page, kProfilePanelClass).empty()) return std::nullopt;
    panel_ = std::make_unique<profiles::CDeviceProfileUI>(page, list_);
    panel_->SetDeviceKind(panelKind);
    panel_->InitProfiles();
    return panel_->CurrentProfileId();
}

std::string DeviceProfiles::SelectedId() {
    const Json::Value list = list_.Ensure();
    const auto selected = list_.Select(profiles::list_file::SelectedEntry(list));
    return selected ? selected->id : std::string();
}

std::vector<profiles::ProfileEntry> DeviceProfiles::Profiles() { return list_.Profiles(); }

std::string DeviceProfiles::Add() {
    const profiles::AddedProfile added = list_.AddFromTemplate();
    // The panel shows the list as it is now, whatever called.
    if (panel_) panel_->InitProfiles();
    return added.fileWritten ? added.id : std::string();
}

bool DeviceProfiles::Select(const std::string& profileId) {
    const std::optional<int> index = list_.IndexOf(profileId);
    if (!index) return false;
    if (panel_) panel_->SelectProfileEntry(*index);
    else static_cast<void>(list_.Select(*index));  // a list not written stays selected in memory
    return true;
}

std::optional<bool> DeviceProfiles::ResetSelected() {
    if (!panel_) return std::nullopt;
    return panel_->ResetProfile();
}

void SetProfilePaths(profiles::CBasicProfiledata& profile, std::string_view kindName, const std::string& profileName,
                     const std::string& lightConfigName) {
    const std::string folder = platform::UserDataFolder(kindName);
    profile.SetTemplatePath(platform::DefaultTemplatePath(kindName));
    if (!folder.empty() && platform::IsPlainFileName(profileName))
        profile.SetProfilePath(platform::ProfileFilePath(folder, profileName));
    profile.SetLightConfigPath(folder.empty() ? std::string() : platform::LightConfigPath(folder, lightConfigName));
}

void LoadProfileFile(profiles::CBasicProfiledata& profile, std::string_view kindName, const std::string& profileName,
                     const std::string& lightConfigName) {
    SetProfilePaths(profile, kindName, profileName, lightConfigName);
    profile.Load(profile.GetProfilePath());
}

bool LoadTemplate(profiles::CBasicProfiledata& profile, std::string_view kindName) {
    const std::string templatePath = platform::DefaultTemplatePath(kindName);
    const Json::Value document = profiles::CJsonFileStore().ReadJson(templatePath);
    if (!document["Device"][0].isObject()) return false;
    profile.SetTemplatePath(templatePath);
    profile.Load(templatePath);
    return true;
}

void LoadLightNames(profiles::LightNames& names, std::string_view kindName, const std::string& lightConfigName,
                    int lightNameIndex) {
    const profiles::CJsonFileStore store;
    const std::string folder = platform::UserDataFolder(kindName);
    const Json::Value defaults = store.ReadJson(platform::DefaultLightNamesPath());
    const Json::Value config =
        folder.empty() ? Json::Value() : store.ReadJson(platform::LightConfigPath(folder, lightConfigName));
    profiles::UpdateLightNames(names, defaults, config, lightNameIndex);
}

std::vector<std::string> DeviceProfiles::OtherProfileFiles(std::string_view profileId) {
    return macros::OtherProfileFiles(list_, profileId);
}

}  // namespace vandrel::devices
