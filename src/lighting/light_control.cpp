#include "lighting/light_control.h"

#include <algorithm>
#include <charconv>
#include <string>

#include "lighting/light_panel_tables.h"
#include "profiles/utf_text.h"

namespace vandrel::lighting {

namespace lc = light_controls;

namespace {

constexpr std::uint32_t kOpaque = 0xFF000000;

constexpr std::uint32_t Argb(std::uint8_t r, std::uint8_t g, std::uint8_t b) {
    return kOpaque | std::uint32_t{r} << 16 | std::uint32_t{g} << 8 | b;
}

// The layouts that hold each group of the panel.
constexpr std::string_view kSevenColourGroup = lc::kSevenColour;
constexpr std::string_view kColourGroup = "deng_color_layout";
constexpr std::string_view kPaletteGroup = "colorpallet_layout";
constexpr std::string_view kBrightnessGroup = "deng_light_layout";
constexpr std::string_view kSpeedGroup = "deng_speed_layout";
constexpr std::string_view kDirectionGroup = "deng_fx_layout";
constexpr std::string_view kEffectGroup = "lighteffect_layout";
constexpr std::string_view kCustomLayout = "lightcustom_layout";
constexpr std::string_view kZzccLayout = "light_combo_ZZCCmodeSelectLayout";
constexpr std::string_view kAudioLayout = "light_combo_AudiomodeSelectLayout";
constexpr std::string_view kLightColourLayout = "light_color_layout";
constexpr std::string_view kColourTabs = "light_color_tablayout";
constexpr const char* kDefaultLeftText = "light_set_right_to_left_text";
constexpr const char* kDefaultRightText = "light_set_left_to_right_text";

void ApplyGroup(platform::IPageView& page, std::string_view name, Group state) {
    page.SetVisible(name, state != Group::Hidden);
    page.SetEnabled(name, state == Group::Enabled);
}

std::uint8_t ClampByte(int v) { return static_cast<std::uint8_t>(std::clamp(v, 0, 255)); }

}  // namespace

int ColourChannelFromText(std::string_view text) {
    const auto first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos) return 0;
    text.remove_prefix(first);
    long value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error == std::errc::result_out_of_range) return text.front() == '-' ? 0 : 255;
    if (error != std::errc{} || end == text.data()) return 0;
    return static_cast<int>(std::clamp<long>(value, 0, 255));
}

CLightControlUI::CLightControlUI(platform::IPageView& page, int kind) : page_(page), kind_(kind) {}

void CLightControlUI::SetModeList(const std::vector<std::string>& effectIds, const std::vector<bool>& visible,
                                  int brightnessMax, int speedMax, const std::vector<std::string>& customNames) {
    std::vector<platform::ItemText> items;
    items.reserve(effectIds.size() + customNames.size());
    for (const std::string& id : effectIds) items.push_back(platform::ItemText::Id(id));
    for (const std::string& name : customNames) items.push_back(platform::ItemText::Literal(name));
    page_.SetItemTexts(lc::kModeCombo, items);
    for (std::size_t i = 0; i < effectIds.size(); ++i)
        page_.SetItemVisible(lc::kModeCombo, static_cast<int>(i), i >= visible.size() || visible[i]);
    page_.SetRange(lc::kBrightness, 0, brightnessMax);
    page_.SetRange(lc::kSpeed, 0, speedMax);
}

void CLightControlUI::SetModeList(const profiles::LightNames& names, int sliderMaximum) {
    std::vector<std::string> ids;
    std::vector<bool> visible;
    for (const profiles::LightMode& mode : names.modes) {
        ids.push_back(profiles::ToUtf8(mode.name));
        visible.push_back(mode.visible);
    }
    std::vector<std::string> customNames;
    for (const std::u16string& custom : names.customEffects) customNames.push_back(profiles::ToUtf8(custom));
    SetModeList(ids, visible, sliderMaximum, sliderMaximum, customNames);
}

void CLightControlUI::ShowLightInfo(const profiles::LightInfo& info) {
    page_.SetCurrentIndex(lc::kModeCombo, info.SelectItem);
    page_.SetValue(lc::kBrightness, info.Light);
    page_.SetValue(lc::kSpeed, info.Speed);
    ShowColour(info.Red, info.Green, info.Blue);
    page_.SetSelected(lc::kSevenColour, info.MultiColor != 0);
    page_.SetCurrentIndex(lc::kZzccCombo, info.ZZCCLedMode);
    page_.SetSelected(lc::kLeft, info.Fx == 1);
    page_.SetSelected(lc::kRight, info.Fx != 1);
    Adapt(info.SelectItem);
}

void CLightControlUI::SetSameModeFlag(bool flag) {
    sameModeFlag_ = flag;
    Adapt(SelectedEffect());
}

void CLightControlUI::SetScreenSize(int width, int height) {
    screenWidth_ = width;
    screenHeight_ = height;
}

int CLightControlUI::SelectedEffect() const {
    return page_.HasControl(lc::kModeCombo) ? page_.CurrentIndex(lc::kModeCombo) : -1;
}
int CLightControlUI::SelectedCustomGroup() const {
    return page_.HasControl(lc::kCustomCombo) ? page_.CurrentIndex(lc::kCustomCombo) : -1;
}
int CLightControlUI::SelectedZzcc() const {
    return page_.HasControl(lc::kZzccCombo) ? page_.CurrentIndex(lc::kZzccCombo) : -1;
}
int CLightControlUI::Brightness() const { return page_.Value(lc::kBrightness); }
int CLightControlUI::Speed() const { return page_.Value(lc::kSpeed); }
std::string CLightControlUI::RedText() const { return page_.Text(lc::kRed); }
std::string CLightControlUI::GreenText() const { return page_.Text(lc::kGreen); }
std::string CLightControlUI::BlueText() const { return page_.Text(lc::kBlue); }
std::uint32_t CLightControlUI::PaletteColour() const {
    return page_.HasControl(lc::kPalette) ? page_.Colour(lc::kPalette) : kOpaque;
}
bool CLightControlUI::SevenColour() const { return page_.Selected(lc::kSevenColour); }
std::uint32_t CLightControlUI::QuickColour(int n) const {
    return page_.Colour(std::string(lc::kQuickColourPrefix) + std::to_string(n));
}

void CLightControlUI::ShowColour(std::uint8_t r, std::uint8_t g, std::uint8_t b) {
    page_.SetText(lc::kRed, std::to_string(r));
    page_.SetText(lc::kGreen, std::to_string(g));
    page_.SetText(lc::kBlue, std::to_string(b));
    page_.SetColour(lc::kPalette, Argb(r, g, b));
    page_.SetColour(lc::kDropper, Argb(r, g, b));
}

void CLightControlUI::Adapt(int effect) {
    const PanelAdaptation a = AdaptationFor(kind_, effect);
    page_.SetEnabled(kEffectGroup, true);
    page_.SetVisible(lc::kSameMode, false);
    if (kind_ != kPanelKind5) page_.SetEnabled(kDirectionGroup, true);
    if (kind_ == kPanelKeyboard) {
        page_.SetVisible(kCustomLayout, false);
        page_.SetVisible(kSpeedGroup, true);
        page_.SetVisible(kZzccLayout, false);
        page_.SetVisible(kAudioLayout, false);
        page_.SetEnabled(kLightColourLayout, true);
        page_.SetCurrentPage(kColourTabs, 0);
        page_.SetTextId(lc::kLeft, kDefaultLeftText);
        page_.SetTextId(lc::kRight, kDefaultRightText);
    }

    ApplyGroup(page_, kSevenColourGroup, a.sevenColour);
    ApplyGroup(page_, kColourGroup, a.colour);
    ApplyGroup(page_, kPaletteGroup, a.palette);
    ApplyGroup(page_, kBrightnessGroup, a.brightness);
    ApplyGroup(page_, kSpeedGroup, a.speed);
    if (kind_ != kPanelKind5) ApplyGroup(page_, kDirectionGroup, a.direction);
    if (a.lightColourDisabled) page_.SetEnabled(kLightColourLayout, false);
    if (a.sync && sameModeFlag_) page_.SetVisible(lc::kSameMode, true);
    if (a.zzccShown) page_.SetVisible(kZzccLayout, true);
    if (a.customShown) page_.SetVisible(kCustomLayout, true);
    if (a.audioShown) {
        page_.SetVisible(kAudioLayout, true);
        page_.SetCurrentPage(kColourTabs, 1);
    }
    if (a.leftText) page_.SetTextId(lc::kLeft, a.leftText);
    if (a.rightText) page_.SetTextId(lc::kRight, a.rightText);
}

protocol::Status ApplyLighting(ILightingDevice& device, const profiles::LightInfo& info, int screenWidth,
                               int screenHeight) {
    device.SetLighting(info);
    device.SaveProfile();
    device.ApplyProfileLighting();
    return device.WriteLightRecord(0, 0, 1, screenWidth, screenHeight);
}

void CLightControlUI::Commit(ILightingDevice& device, const profiles::LightInfo& info) {
    // A failed write is said by the device itself; the setting stays in the
    // profile and goes out with the next write.
    static_cast<void>(ApplyLighting(device, info, screenWidth_, screenHeight_));
}

bool CLightControlUI::ApplyColourEdit(std::string_view control, ILightingDevice& device) {
    const int channel = ColourChannelFromText(page_.Text(control));
    page_.SetText(control, std::to_string(channel));

    profiles::LightInfo info = device.GetLighting();
    std::uint8_t& target = control == lc::kRed ? info.Red : control == lc::kGreen ? info.Green : info.Blue;
    target = static_cast<std::uint8_t>(channel);
    info.MultiColor = 0;
    page_.SetSelected(lc::kSevenColour, false);
    page_.SetColour(lc::kPalette, Argb(info.Red, info.Green, info.Blue));
    page_.SetColour(lc::kDropper, Argb(info.Red, info.Green, info.Blue));
    Commit(device, info);
    return true;
}

void CLightControlUI::ApplyColour(std::uint32_t argb, ILightingDevice& device) {
    device.SetPaused(false);
    profiles::LightInfo info = device.GetLighting();
    info.Red = static_cast<std::uint8_t>(argb >> 16);
    info.Green = static_cast<std::uint8_t>(argb >> 8);
    info.Blue = static_cast<std::uint8_t>(argb);
    info.MultiColor = 0;
    ShowColour(info.Red, info.Green, info.Blue);
    page_.SetSelected(lc::kSevenColour, false);
    Commit(device, info);
}

bool CLightControlUI::ApplyControl(std::string_view control, ILightingDevice& device) {
    if (control == lc::kPalette) {
        ApplyColour(page_.Colour(lc::kPalette), device);
        return true;
    }
    if (control.starts_with(lc::kQuickColourPrefix)) {
        ApplyColour(page_.Colour(control), device);
        return true;
    }
    if (control == lc::kCustomCombo) {
        if (kind_ != kPanelKeyboard) return false;
        device.SetPaused(false);
        device.SelectCustomGroup(SelectedCustomGroup());
        device.SaveProfile();
        device.LoadCustomGroup();
        return true;
    }

    device.SetPaused(false);
    if (control == lc::kRed || control == lc::kGreen || control == lc::kBlue) return ApplyColourEdit(control, device);

    profiles::LightInfo info = device.GetLighting();
    if (control == lc::kModeCombo) {
        const int effect = SelectedEffect();
        if (effect < 0) return true;
        Adapt(effect);
        info.SelectItem = static_cast<std::uint8_t>(effect);
    } else if (control == lc::kBrightness) {
        info.Light = ClampByte(Brightness());
    } else if (control == lc::kSpeed) {
        info.Speed = ClampByte(Speed());
    } else if (control == lc::kLeft || control == lc::kRight) {
        info.Fx = control == lc::kLeft ? 1 : 0;
        page_.SetSelected(lc::kLeft, info.Fx == 1);
        page_.SetSelected(lc::kRight, info.Fx == 0);
    } else if (control == lc::kSevenColour) {
        info.MultiColor = SevenColour() ? 1 : 0;
    } else if (control == lc::kZzccCombo && kind_ == kPanelKeyboard) {
        const int item = SelectedZzcc();
        if (item < 0) return true;
        info.ZZCCLedMode = static_cast<std::uint8_t>(item);
    } else {
        return false;
    }
    Commit(device, info);
    return true;
}

bool CLightControlUI::ApplySameMode(ILightingDevice& current, std::span<ILightingDevice* const> others,
                                    std::span<CLightControlUI* const> otherPanels) {
    const profiles::LightInfo source = current.GetLighting();
    const auto common = CommonEffect(current.PanelKind(), source.SelectItem);
    if (!common) return false;

    for (std::size_t i = 0; i < others.size(); ++i) {
        ILightingDevice* device = others[i];
        if (!device || device == &current || !device->IsOpen()) continue;
        const auto effect = EffectOfCommon(device->PanelKind(), *common);
        if (!effect) continue;

        profiles::LightInfo info = device->GetLighting();
        info.SelectItem = static_cast<std::uint8_t>(*effect);
        info.Light = source.Light;
        info.Speed = source.Speed;
        info.Fx = source.Fx;
        info.MultiColor = source.MultiColor;
        info.Red = source.Red;
        info.Green = source.Green;
        info.Blue = source.Blue;

        // The lighting threads of a device being changed keep still until its
        // next ordinary lighting change.
        device->SetPaused(true);
        if (CLightControlUI* panel = i < otherPanels.size() ? otherPanels[i] : nullptr) panel->ShowLightInfo(info);
        Commit(*device, info);
    }
    return true;
}

}  // namespace vandrel::lighting
