#include "devices/keyed_device.h"

#include "devices/key_map_upload.h"
#include "macros/macro_control.h"
#include "platform/folders.h"

namespace vandrel::devices {

void CKeyedDevice::SetKeyAssignment(int position, const profiles::KeyEntry& entry) {
    if (StoreKeyAssignment(keyList_, FactoryCodes(), position, entry)) KeyProfile().SetKeyList(keyList_);
}

void CKeyedDevice::SelectKey(int position) {
    selectedKey_ = position;
    if (keyPanels_) keyPanels_->ShowKey(KeyRecordAt(keyList_, FactoryCodes(), position));
}

void CKeyedDevice::RefreshKeyLabels() {
    if (keyPanels_)
        keyPanels_->ShowLabels(keyList_, FactoryCodes(), [this](std::size_t position) { return KeyButton(position); });
}

void CKeyedDevice::RepairMacroKeys() {
    if (!RepairKeysOnMacros(keyPanels_.get(), keyList_, platform::UserDataFolder(KindName()))) return;
    KeyProfile().SetKeyList(keyList_);
    RefreshKeyLabels();
}

int CKeyedDevice::DeleteSelectedMacro(const std::function<bool(std::string_view textId)>& ask) {
    DeviceProfiles& list = ProfileList();
    list.Prepare(KindName());
    const macros::MacroDeletion deletion =
        DeletePanelMacro(keyPanels_.get(), list.OtherProfileFiles(ProfileName()), keyList_, ask);
    // The profile file follows at once, as the other profiles' did: its keys
    // would otherwise name the macros after the deleted one wrongly.
    if (deletion.deviceKeys) StoreKeyList(*deletion.deviceKeys);
    RefreshKeyLabels();
    return deletion.deleted;
}

void CKeyedDevice::StoreKeyList(const std::vector<profiles::KeyEntry>& keys) {
    keyList_ = keys;
    KeyProfile().SetKeyList(keyList_);
    SaveProfile();
    UploadMacrosAndKeyMap();
}

void CKeyedDevice::SetUpKeyPanels(platform::IPageView& page, int panelKind, std::string_view keySetFrameClass) {
    std::vector<std::string> frames = FindByClass(page, keySetFrameClass);
    if (frames.empty() && !page.HasControl(macros::macro_controls::kNameList)) return;
    keyPanels_ = std::make_unique<KeyPanels>(page, panelKind, platform::UserDataFolder(KindName()), std::move(frames));
    RepairMacroKeys();  // reads the macro list into the panels
}

void CKeyedDevice::LoadKeyList() {
    keyList_ = KeyProfile().GetKeyList();
    RepairMacroKeys();
}

}  // namespace vandrel::devices
