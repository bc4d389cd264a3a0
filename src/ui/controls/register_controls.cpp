#include "ui/controls/register_controls.h"

#include <array>
#include <functional>

#include "ui/control_factory.h"
#include "ui/controls/audio_record.h"
#include "ui/controls/chart_view.h"
#include "ui/controls/circle_progress.h"
#include "ui/controls/cloud_share_list_item.h"
#include "ui/controls/combo_edit_container_element.h"
#include "ui/controls/device_key_button.h"
#include "ui/controls/hand_img_button.h"
#include "ui/controls/hand_img_select_button.h"
#include "ui/controls/redio_macro_button.h"
#include "ui/controls/select_panel.h"
#include "ui/controls/update_info_list_item.h"
#include "ui/controls/wnd.h"

namespace vandrel::ui {
namespace {

using Make = QWidget* (*)(QWidget* parent, const ControlFactory& factory);

struct CustomControl {
    const char* tag;
    const char* className;
    Make make;
};

// Controls are owned by their parent, as every widget of a layout.
template <typename Control>
QWidget* MakePlain(QWidget* parent, const ControlFactory&) {
    return new Control(parent);
}

template <typename Control>
QWidget* MakeWithLayout(QWidget* parent, const ControlFactory& factory) {
    return new Control(parent, &factory);
}

constexpr std::array<CustomControl, 12> kCustomControls{{
    {"CircleProgress", "CCircleProgressUI", &MakePlain<CCircleProgressUI>},
    {"ChartView", "CChartViewUI", &MakePlain<CChartViewUI>},
    {"Wnd", "CWndUI", &MakePlain<CWndUI>},
    {"SelectPanel", "CSelectPanelUI", &MakePlain<CSelectPanelUI>},
    {"DeviceKeyButton", "CDeviceKeyButtonUI", &MakePlain<CDeviceKeyButtonUI>},
    {"CloudShareListItemUI", "CCloudShareListItemUI", &MakePlain<CCloudShareListItemUI>},
    {"UpdateInfoListItemUI", "CUpdateInfoListItemUI", &MakeWithLayout<CUpdateInfoListItemUI>},
    {"ComboEditContainerElement", "CComboEditContainerElementUI", &MakeWithLayout<CComboEditContainerElementUI>},
    {"HandImgButton", "CHandImgButtonUI", &MakePlain<CHandImgButtonUI>},
    {"HandImgSelectButton", "CHandImgSelectButtonUI", &MakePlain<CHandImgSelectButtonUI>},
    {"RedioMacroButton", "CRedioMacroButtonUI", &MakePlain<CRedioMacroButtonUI>},
    {"AudioRecord", "CAudioRecordUI", &MakePlain<CAudioRecordUI>},
}};

}  // namespace

void RegisterCustomControls(ControlFactory& factory) {
    for (const CustomControl& control : kCustomControls) {
        const ControlFactory* const self = &factory;
        const auto creator = [make = control.make, self](QWidget* parent) { return make(parent, *self); };
        factory.RegistControl(QString::fromLatin1(control.tag), creator);
        factory.RegistControl(QString::fromLatin1(control.className), creator);
    }
}

}  // namespace vandrel::ui
