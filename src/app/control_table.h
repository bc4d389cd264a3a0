// The program's control classes, registered with the process's control
// factory at start-up in a fixed order. Layouts name them by tag: the tag
// "DeviceOption" finds the class "CDeviceOptionUI".
#pragma once

#include <array>
#include <string_view>

#include "ui/control_factory.h"

namespace vandrel::app {

inline constexpr std::array<std::string_view, 24> kControlClassOrder{
    "CCircleProgressUI",
    "CChartViewUI",
    "CWndUI",
    "CSelectPanelUI",
    "CDeviceKeyButtonUI",
    "CCloudShareListItemUI",
    "CUpdateInfoListItemUI",
    "CDeviceOptionUI",
    "CMpDevicePowerUI",
    "CComboEditContainerElementUI",
    "CHandImgButtonUI",
    "CHandImgSelectButtonUI",
    "CRedioMacroButtonUI",
    "CAudioRecordUI",
    "CLightControlUI",
    "CMacroControlUI",
    "CKeySetControlUI",
    "CDeviceProfileUI",
    "CShootControlUI",
    "CMagicControlUI",
    "CVoice6533ControlUI",
    "CMorvaneUSBDevice",
    "CMorvaneMousePadDevice",
    "CMorvaneDA6533Device",
};

void RegisterProgramControls(ui::ControlFactory& factory);

}  // namespace vandrel::app
