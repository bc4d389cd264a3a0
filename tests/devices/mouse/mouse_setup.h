// A mouse object set up as the device manager sets up the mouse kind's
// devices: its page layout, eleven keys, fifteen LEDs, its kind row, power
// management, names and light-name index, and the host it reports to.
#pragma once

#include "device_io/device_tables.h"
#include "devices/device_host.h"
#include "devices/mouse/mouse_device.h"

namespace vandrel::testing {

inline void SetUpAsTheMouseKind(devices::CMorvaneMouseDevice& m, devices::IDeviceHost* host) {
    m.SetPageLayoutName("XML/DeviceXml/mousedevice.xml");
    m.SetKeyCount(11);
    m.SetLedCount(15);
    m.SetKindRow(device_io::KindRow::Mouse);
    m.SetPowerManaged(true);
    m.SetKindName("mouse");
    m.SetLightNameIndex(1);
    m.SetLightConfigName("zelbor_light");
    m.SetHost(host);
}

}  // namespace vandrel::testing
