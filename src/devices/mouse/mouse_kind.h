// The mouse's row of the device kind registry.
#pragma once

#include "devices/device_kind_registry.h"

namespace vandrel::devices::mouse {

DeviceKindEntry MouseKind();

}  // namespace vandrel::devices::mouse
