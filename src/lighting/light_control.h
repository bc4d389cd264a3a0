// CLightControlUI: the logic of a device page's lighting panel. It shows a
// device's LightInfo in the panel's controls, adapts the panel to the effect,
// and turns every control change into the same five steps: read the control,
// update the panel, change the device's settings, save and apply the profile,
// write the device. It works on the page through the page-view seam, so it
// runs without a display.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "platform/page_view.h"
#include "profiles/light_names.h"
#include "profiles/profile_records.h"
#include "protocol/status.h"

namespace vandrel::lighting {

// What the panel needs of a device.
class ILightingDevice {
public:
    virtual ~ILightingDevice() = default;
    virtual int PanelKind() const = 0;  // a PanelKind (light_panel_tables.h): profiles::kKind...
    virtual bool IsOpen() const = 0;
    virtual void SetPaused(bool paused) = 0;
    virtual profiles::LightInfo GetLighting() const = 0;
    virtual void SetLighting(const profiles::LightInfo& info) = 0;
    virtual void SaveProfile() = 0;
    virtual int ApplyProfileLighting() = 0;
    virtual protocol::Status WriteLightRecord(int onboardProfile, int byte0, int byte59, int screenWidth,
                                              int screenHeight) = 0;
    // Keyboard colour groups.
    virtual void SelectCustomGroup(int /*group*/) {}
    virtual void LoadCustomGroup() {}
};

namespace light_controls {
inline constexpr std::string_view kModeCombo = "light_combo_modeSelect";
inline constexpr std::string_view kCustomCombo = "light_combo_custommodeSelect";
inline constexpr std::string_view kZzccCombo = "light_combo_ZZCCmodeSelect";
inline constexpr std::string_view kBrightness = "deng_light_slider";
inline constexpr std::string_view kSpeed = "deng_speed_slider";
inline constexpr std::string_view kRed = "deng_edit_R";
inline constexpr std::string_view kGreen = "deng_edit_G";
inline constexpr std::string_view kBlue = "deng_edit_B";
inline constexpr std::string_view kPalette = "deng_Color_Pallet";
inline constexpr std::string_view kDropper = "deng_colordp_btn";
inline constexpr std::string_view kSevenColour = "deng_7color_check";
inline constexpr std::string_view kLeft = "deng_FXL_check";
inline constexpr std::string_view kRight = "deng_FXR_check";
inline constexpr std::string_view kSameMode = "deng_same_mode";
inline constexpr std::string_view kQuickColourPrefix = "color_option_";
}  // namespace light_controls

// The running lighting becomes `info`: kept in the profile, saved, applied,
// and the device's settings record written (onboard profile 0) with the
// screen size. The write's status.
protocol::Status ApplyLighting(ILightingDevice& device, const profiles::LightInfo& info, int screenWidth,
                               int screenHeight);

class CLightControlUI {
public:
    CLightControlUI(platform::IPageView& page, int kind);

    int Kind() const { return kind_; }

    // Fills the effect list: the built-in effects by language text id, each
    // shown or hidden by `visible`, then the user's custom effects by their
    // names, shown as typed; and the maxima of the brightness and speed
    // sliders.
    void SetModeList(const std::vector<std::string>& effectIds, const std::vector<bool>& visible, int brightnessMax,
                     int speedMax, const std::vector<std::string>& customNames = {});
    // The same from a device's light names, both sliders 0..sliderMaximum.
    void SetModeList(const profiles::LightNames& names, int sliderMaximum);
    void ShowLightInfo(const profiles::LightInfo& info);
    void SetSameModeFlag(bool flag);
    // The two values the main window keeps for the settings record.
    void SetScreenSize(int width, int height);

    // Getters; a missing control reads as its neutral value.
    int SelectedEffect() const;       // -1 when missing
    int SelectedCustomGroup() const;  // -1 when missing
    int SelectedZzcc() const;         // -1 when missing
    int Brightness() const;
    int Speed() const;
    std::string RedText() const;
    std::string GreenText() const;
    std::string BlueText() const;
    std::uint32_t PaletteColour() const;  // 0xFF000000 when missing
    bool SevenColour() const;
    std::uint32_t QuickColour(int n) const;  // 0 when missing

    // A control of the panel changed: runs the five steps for `device`.
    // Returns false when the control is not one of the panel's.
    bool ApplyControl(std::string_view control, ILightingDevice& device);
    // The palette picked a colour (0xAARRGGBB).
    void ApplyColour(std::uint32_t argb, ILightingDevice& device);

    // Same mode: translates the current device's effect into every other open
    // device's kind and applies it there. False when the effect has no common
    // equivalent. Devices whose transport is closed are skipped; `otherPanels`
    // (parallel to `others`, entries may be null) show the new settings.
    bool ApplySameMode(ILightingDevice& current, std::span<ILightingDevice* const> others,
                       std::span<CLightControlUI* const> otherPanels);

private:
    void Adapt(int effect);
    void ShowColour(std::uint8_t r, std::uint8_t g, std::uint8_t b);
    void Commit(ILightingDevice& device, const profiles::LightInfo& info);
    bool ApplyColourEdit(std::string_view control, ILightingDevice& device);

    platform::IPageView& page_;
    int kind_;
    bool sameModeFlag_ = false;
    int screenWidth_ = 0;
    int screenHeight_ = 0;
};

// Reads an edit's text as a colour channel: decimal, above 255 becomes 255,
// empty or non-numeric becomes 0.
int ColourChannelFromText(std::string_view text);

}  // namespace vandrel::lighting
