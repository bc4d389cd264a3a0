#include "devices/keyboard/keyboard_light_adapter.h"

#include "devices/keyboard/keyboard_device.h"
#include "profiles/device_profile_ui.h"

namespace vandrel::devices {

int CKeyboardLightingDevice::PanelKind() const { return profiles::kKindKeyboard; }

bool CKeyboardLightingDevice::IsOpen() const { return keyboard_.Transport().IsOpen(); }

void CKeyboardLightingDevice::SetPaused(bool paused) { keyboard_.SetLightingPaused(paused); }

profiles::LightInfo CKeyboardLightingDevice::GetLighting() const { return keyboard_.RunningLight(); }

void CKeyboardLightingDevice::SetLighting(const profiles::LightInfo& info) {
    const profiles::LightWords words = profiles::ToWords(info);
    keyboard_.SetLighting(words[0], words[1], words[2], words[3]);
}

void CKeyboardLightingDevice::SaveProfile() { keyboard_.SaveProfile(); }

int CKeyboardLightingDevice::ApplyProfileLighting() { return keyboard_.ApplyProfileLighting(); }

protocol::Status CKeyboardLightingDevice::WriteLightRecord(int onboardProfile, int byte0, int /*byte59*/,
                                                           int /*screenWidth*/, int /*screenHeight*/) {
    return keyboard_.WriteLightRecord(onboardProfile, byte0);
}

void CKeyboardLightingDevice::SelectCustomGroup(int group) { keyboard_.SelectCustomGroup(group); }

void CKeyboardLightingDevice::LoadCustomGroup() { keyboard_.LoadCustomGroup(); }

}  // namespace vandrel::devices
