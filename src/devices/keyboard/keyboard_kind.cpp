#include "devices/keyboard/keyboard_kind.h"

#include <array>

#include "device_io/device_tables.h"
#include "devices/keyboard/keyboard_device.h"

namespace vandrel::devices::keyboard {
namespace {

using O = Operation;

// What the keyboard page's controls run on the keyboard.
constexpr std::array kKeyboardOperations{
    O::ReportRate,    O::RepeatRate,    O::RepeatDelay,      O::RepeatTestReset, O::WindowsKeyLock,  O::ArrowKeysOnWasd,
    O::SixKeyMode,    O::KeyClick,      O::PerKeyLighting,   O::ColourGroupFill, O::DefaultSettings, O::DeviceReset,
    O::ProfileAdd,    O::ProfileDelete, O::ProfileDuplicate, O::ProfileImport,   O::ProfileExport,   O::ProfileRename,
    O::ProfileChosen, O::ProfileFold,   O::LightingControl,  O::QuickColour,     O::PaletteColour,   O::SameMode,
    O::KeyEditor,     O::KeyCapture,    O::MacroList,        O::KeyMapUpload,
};

}  // namespace

DeviceKindEntry KeyboardKind() {
    return {
        .kindRow = device_io::KindRow::Keyboard,
        .pageLayout = {},
        .create =
            [](const DeviceContext& context) {
                return std::unique_ptr<CMorvaneUSBDevice>(std::make_unique<CMorvaneKeyboardDevice>(context.backend));
            },
        .operations = kKeyboardOperations,
    };
}

}  // namespace vandrel::devices::keyboard
