// The keyboard's row of the device kind registry.
#pragma once

#include "devices/device_kind_registry.h"

namespace vandrel::devices::keyboard {

DeviceKindEntry KeyboardKind();

}  // namespace vandrel::devices::keyboard
