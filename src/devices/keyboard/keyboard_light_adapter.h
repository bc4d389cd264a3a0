// CKeyboardLightingDevice: the keyboard as the lighting panel
// (CLightControlUI) sees it. Every call goes straight to the keyboard; the
// screen size of the mouse's record means nothing to it.
#pragma once

#include "lighting/light_control.h"

namespace vandrel::devices {

class CMorvaneKeyboardDevice;

class CKeyboardLightingDevice final : public lighting::ILightingDevice {
public:
    explicit CKeyboardLightingDevice(CMorvaneKeyboardDevice& keyboard) : keyboard_(keyboard) {}

    int PanelKind() const override;
    bool IsOpen() const override;
    void SetPaused(bool paused) override;
    profiles::LightInfo GetLighting() const override;
    void SetLighting(const profiles::LightInfo& info) override;
    void SaveProfile() override;
    int ApplyProfileLighting() override;
    protocol::Status WriteLightRecord(int onboardProfile, int byte0, int byte59, int screenWidth,
                                      int screenHeight) override;
    void SelectCustomGroup(int group) override;
    void LoadCustomGroup() override;

private:
    CMorvaneKeyboardDevice& keyboard_;
};

}  // namespace vandrel::devices
