#include "app/window_tags.h"

#include <array>

#include "ui/layout_loader.h"
#include "ui/skin.h"

namespace vandrel::app {
namespace {

// Tags built as the class of the process's factory.
struct ClassTag {
    const char* tag;
    const char* className;
};
constexpr std::array<ClassTag, 18> kClassTags{{
    {"CircleProgress", "CCircleProgressUI"},
    {"SelectPanel", "CSelectPanelUI"},
    {"DeviceKeyButton", "CDeviceKeyButtonUI"},
    {"HandImgButton", "CHandImgButtonUI"},
    {"AudioRecord", "CAudioRecordUI"},
    {"HandImgSelectButton", "CHandImgSelectButtonUI"},
    {"RedioMacroButton", "CRedioMacroButtonUI"},
    {"ComboEditContainerElement", "CComboEditContainerElementUI"},
    {"MorvaneMousePadDevice", "CMorvaneMousePadDevice"},
    {"MorvaneDA6533Device", "CMorvaneDA6533Device"},
    {"MorvaneMouseDevice", "CMorvaneUSBDevice"},
    {"MorvaneKeyboardDevice", "CMorvaneUSBDevice"},
    {"DeviceProfile", "CDeviceProfileUI"},
    {"LightControl", "CLightControlUI"},
    {"MagicControl", "CMagicControlUI"},
    {"Voice6533Control", "CVoice6533ControlUI"},
    {"KeySetControl", "CKeySetControlUI"},
    {"ShootControl", "CShootControlUI"},
}};

// Tags that stand for a sub-layout, built with the same tags.
struct CompositeTag {
    const char* tag;
    const char* layout;
};
constexpr std::array<CompositeTag, 8> kCompositeTags{{
    {"DeviceProfileUI", "XML/CustomControlXML/DeviceProfile.xml"},
    {"LightSetControlUI", "XML/CustomControlXML/LightControl.xml"},
    {"Voice6533SetControlUI", "XML/CustomControlXML/Voice6533Control.xml"},
    {"MagicSetControlUI", "XML/CustomControlXML/MagicControl.xml"},
    {"KeySetControlUI", "XML/CustomControlXML/KeySetControl.xml"},
    {"MacroSetControlUI", "XML/CustomControlXML/MacroControl.xml"},
    {"ShootKeySetControlUI", "XML/CustomControlXML/ShootControl.xml"},
    {"VirtualSetControlUI", "XML/CustomControlXML/VirtualSet.xml"},
}};

}  // namespace

void RegisterWindowTags(ui::ControlFactory& tags) {
    for (const ClassTag& row : kClassTags) {
        const QString className = QLatin1String(row.className);
        tags.RegistControl(QLatin1String(row.tag), [className](QWidget* parent) {
            return ui::GlobalControlFactory().Create(className, parent);
        });
    }
    for (const CompositeTag& row : kCompositeTags) {
        const QString layout = QLatin1String(row.layout);
        tags.RegistControl(QLatin1String(row.tag), [&tags, layout](QWidget* parent) -> QWidget* {
            const QString path = ui::Skin::Instance().LayoutPath(layout);
            if (path.isEmpty()) return nullptr;  // a sub-layout not in the skin yields no control
            ui::LayoutLoader loader(ui::GlobalControlFactory(), &tags);
            return loader.Load(path, parent);
        });
    }
}

}  // namespace vandrel::app
