// The kinds built into the program: one row each, defined in the kind's folder.
#include "devices/device_kind_registry.h"
#include "devices/keyboard/keyboard_kind.h"
#include "devices/mouse/mouse_kind.h"

namespace vandrel::devices {

std::vector<DeviceKindEntry> BuiltInDeviceKinds() { return {mouse::MouseKind(), keyboard::KeyboardKind()}; }

}  // namespace vandrel::devices
