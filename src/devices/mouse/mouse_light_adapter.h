// CMouseLightingDevice: the mouse as the lighting panel (CLightControlUI)
// sees it. Every call goes straight to the mouse; pausing and resuming also
// parks and wakes the mouse's lighting thread.
#pragma once

#include "lighting/light_control.h"

namespace vandrel::devices {

class CMorvaneMouseDevice;

class CMouseLightingDevice final : public lighting::ILightingDevice {
public:
    explicit CMouseLightingDevice(CMorvaneMouseDevice& mouse) : mouse_(mouse) {}

    int PanelKind() const override;
    bool IsOpen() const override;
    void SetPaused(bool paused) override;
    profiles::LightInfo GetLighting() const override;
    void SetLighting(const profiles::LightInfo& info) override;
    void SaveProfile() override;
    int ApplyProfileLighting() override;
    protocol::Status WriteLightRecord(int onboardProfile, int byte0, int byte59, int screenWidth,
                                      int screenHeight) override;

private:
    CMorvaneMouseDevice& mouse_;
};

}  // namespace vandrel::devices
