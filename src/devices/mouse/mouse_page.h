// The controls of the mouse page ("mousedevice.xml") and how the mouse's
// settings are shown on them. Indexed names end in "_" and the index.
//
//   DPI_slider_0..4          slider: the stage's slider position (0..highest)
//   DPI_edit_0..4            edit: the stage's resolution as decimal text
//   DPI_color_option_0..4    swatch: the stage's colour (0xFFRRGGBB)
//   DPI_select_check_0..4    option: the active stage
//   DPI_enable_check_0..4    check: stage on; disabled on the last stage on
//   polling_rate_option_0..4 option: the report rate
//   onboard_profile_option_0..7  option: the onboard profile the mouse runs
//   pointer_speed_slider, scroll_speed_slider, double_click_slider
//   pointer_precision_check, scrolls_page_check
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "devices/mouse/mouse_dpi.h"
#include "devices/mouse/mouse_settings.h"
#include "platform/page_view.h"
#include "profiles/mouse_profile_data.h"

namespace vandrel::devices::mouse {

namespace controls {
inline constexpr std::string_view kDpiSlider = "DPI_slider_";
inline constexpr std::string_view kDpiEdit = "DPI_edit_";
inline constexpr std::string_view kDpiColour = "DPI_color_option_";
inline constexpr std::string_view kDpiSelect = "DPI_select_check_";
inline constexpr std::string_view kDpiEnable = "DPI_enable_check_";
inline constexpr std::string_view kReportRate = "polling_rate_option_";
inline constexpr std::string_view kOnboardProfile = "onboard_profile_option_";
inline constexpr std::string_view kPointerSpeed = "pointer_speed_slider";
inline constexpr std::string_view kWheelLines = "scroll_speed_slider";
inline constexpr std::string_view kDoubleClick = "double_click_slider";
inline constexpr std::string_view kPrecision = "pointer_precision_check";
inline constexpr std::string_view kScrollPage = "scrolls_page_check";
// Page set-up: the container of the picture's buttons, the second row of LED
// previews ("light_0_" + LED) and the logo preview.
inline constexpr std::string_view kSettingsLayout = "mouse_device_seting_layout";
inline constexpr std::string_view kKeyButtonClass = "DeviceKeyButton";
inline constexpr std::string_view kSecondRowPrefix = "light_0_";
inline constexpr std::string_view kLogo = "logo";
inline constexpr std::string_view kTipInfo = "device_tishi_info";
// The panels, found by their class.
inline constexpr std::string_view kProfilePanelClass = "DeviceProfileItem";
inline constexpr std::string_view kLightPanelClass = "LightControlItem";
inline constexpr std::string_view kMacroPanelClass = "MacroControlItem";
inline constexpr std::string_view kKeySetPanelClass = "KeySetControlItem";
inline constexpr std::string_view kShootPanelClass = "ShootControlItem";
}  // namespace controls

std::string Indexed(std::string_view prefix, int index);

void ShowDpiRanges(platform::IPageView& page, const SensorRules& rules);
void ShowStageResolution(platform::IPageView& page, int stage, int position, const SensorRules& rules);
// Enable checks (the last stage on cannot be switched off), sliders,
// resolutions, colours and the active stage.
void ShowStages(platform::IPageView& page, std::span<const profiles::DpiStage> stages, int activeStage,
                const SensorRules& rules);
void ShowReportRate(platform::IPageView& page, int reportRate);
void ShowSystem(platform::IPageView& page, const MouseSystemSettings& settings);
void ShowOnboardProfile(platform::IPageView& page, int profile);

}  // namespace vandrel::devices::mouse
