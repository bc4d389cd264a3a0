#include "devices/mouse/mouse_kind.h"

#include <array>

#include "device_io/device_tables.h"
#include "devices/mouse/mouse_device.h"

namespace vandrel::devices::mouse {
namespace {

using O = Operation;

// What the mouse page's controls run on the mouse.
constexpr std::array kMouseOperations{
    O::DpiSlider,     O::DpiSliderMoving, O::DpiEdit,       O::DpiEnable,        O::DpiSelect,     O::ReportRate,
    O::PointerSpeed,  O::WheelLines,      O::DoubleClick,   O::PointerPrecision, O::ScrollPage,    O::DefaultSettings,
    O::DeviceReset,   O::ProfileAdd,      O::ProfileDelete, O::ProfileDuplicate, O::ProfileImport, O::ProfileExport,
    O::ProfileRename, O::ProfileChosen,   O::ProfileFold,   O::LightingControl,  O::QuickColour,   O::PaletteColour,
    O::SameMode,      O::KeyClick,        O::KeyEditor,     O::KeyCapture,       O::MacroList,     O::KeyMapUpload,
};

}  // namespace

DeviceKindEntry MouseKind() {
    return {
        .kindRow = device_io::KindRow::Mouse,
        .pageLayout = {},
        .create =
            [](const DeviceContext& context) {
                auto mouse = std::make_unique<CMorvaneMouseDevice>(context.backend);
                mouse->SetScreenSize(context.screenWidth, context.screenHeight);
                return std::unique_ptr<CMorvaneUSBDevice>(std::move(mouse));
            },
        .operations = kMouseOperations,
    };
}

}  // namespace vandrel::devices::mouse
