// CKeyedDevice: what the mouse and the keyboard share as devices with a key
// map: the running profile's key list, the key the assignment panel edits,
// the page's key and macro panels, and the key-map operations that work on
// them alone. Each kind adds its own: its factory codes, its key slots, its
// uploads and its profile document.
#pragma once

#include <functional>
#include <memory>
#include <string_view>
#include <vector>

#include "devices/capabilities.h"
#include "devices/device_profiles.h"
#include "devices/key_panels.h"
#include "devices/usb_device.h"
#include "profiles/basic_profile_data.h"

namespace vandrel::devices {

class CKeyedDevice : public CMorvaneUSBDevice, public IKeyMap {
public:
    using CMorvaneUSBDevice::CMorvaneUSBDevice;

    // One entry per key position, from the profile at every load.
    const std::vector<profiles::KeyEntry>& KeyList() const override { return keyList_; }
    void SetKeyAssignment(int position, const profiles::KeyEntry& entry) override;
    // Remembers the key and shows it in the key-assignment panel.
    void SelectKey(int position) override;
    int SelectedKey() const override { return selectedKey_; }
    KeyPanels* Panels() override { return keyPanels_.get(); }
    void RefreshKeyLabels() override;
    // Keys on a macro the list no longer has run their default again (kept by
    // the profile's next save); the labels follow.
    void RepairMacroKeys() override;
    int DeleteSelectedMacro(const std::function<bool(std::string_view textId)>& ask) override;

protected:
    // The profile document the key list lives in, and the device's profile list.
    virtual profiles::CBasicProfiledata& KeyProfile() = 0;
    virtual DeviceProfiles& ProfileList() = 0;

    // The key and macro panels, on a page that has either (`keySetFrameClass`
    // names the key-assignment panel's frame); `panelKind` is the key
    // panel's device kind.
    void SetUpKeyPanels(platform::IPageView& page, int panelKind, std::string_view keySetFrameClass);
    // The key list of the profile just loaded, repaired.
    void LoadKeyList();

    std::vector<profiles::KeyEntry> keyList_;  // UI thread

private:
    // A key list changed apart from the page: kept, saved and sent.
    void StoreKeyList(const std::vector<profiles::KeyEntry>& keys);

    int selectedKey_ = -1;
    std::unique_ptr<KeyPanels> keyPanels_;  // with the page
};

}  // namespace vandrel::devices
