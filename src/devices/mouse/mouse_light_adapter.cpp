#include "devices/mouse/mouse_light_adapter.h"

#include "devices/mouse/mouse_device.h"
#include "profiles/device_profile_ui.h"

namespace vandrel::devices {

int CMouseLightingDevice::PanelKind() const { return profiles::kKindMouse; }

bool CMouseLightingDevice::IsOpen() const { return mouse_.Transport().IsOpen(); }

void CMouseLightingDevice::SetPaused(bool paused) { mouse_.SetLightingPaused(paused); }

profiles::LightInfo CMouseLightingDevice::GetLighting() const { return mouse_.RunningLight(); }

void CMouseLightingDevice::SetLighting(const profiles::LightInfo& info) {
    const profiles::LightWords words = profiles::ToWords(info);
    mouse_.SetLighting(words[0], words[1], words[2], words[3]);
}

void CMouseLightingDevice::SaveProfile() { mouse_.SaveProfile(); }

int CMouseLightingDevice::ApplyProfileLighting() { return mouse_.ApplyProfileLighting(); }

protocol::Status CMouseLightingDevice::WriteLightRecord(int onboardProfile, int byte0, int byte59, int screenWidth,
                                                        int screenHeight) {
    return mouse_.WriteLightRecord(onboardProfile, byte0, byte59, screenWidth, screenHeight);
}

}  // namespace vandrel::devices
