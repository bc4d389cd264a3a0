// A device object wired to a simulated device: its vendor channel opened on
// the cable or the receiver as the device manager would open it.
#pragma once

#include <cstdint>
#include <vector>

#include <gtest/gtest.h>

#include "devices/usb_device.h"
#include "protocol/commands.h"
#include "sim/sim_backend.h"
#include "support/eventually.h"

namespace vandrel::testing {

class SimDeviceTest : public ::testing::Test {
protected:
    // Plugs `kind` on `link`, opens the vendor channel and sets the link mode.
    sim::SimFirmware& Open(sim::SimKind kind, sim::SimLink link, device_io::DeviceType deviceType) {
        sim::SimFirmware& firmware = backend.Plug(kind, link);
        const bool receiver = link == sim::SimLink::Receiver;
        device_io::DeviceIdentity identity;
        identity.deviceType = deviceType;
        device.SetIdentity(identity);
        auto& transport = device.Transport();
        auto& channel = receiver ? transport.WirelessChannel() : transport.WiredChannel();
        EXPECT_TRUE(channel.OpenPath(sim::SimBackend::VendorPath(kind, link), true, true, true, false));
        transport.SetLinkMode(receiver ? 2 : 1);
        transport.SetOpen(true);
        firmware.ClearFrames();
        return firmware;
    }

    // The payload lengths of the stream frames the device received.
    static std::vector<int> StreamFrameLengths(const sim::SimFirmware& firmware) {
        std::vector<int> lengths;
        for (const auto& record : firmware.Frames())
            if (record.frame[protocol::frame::kCommand] == protocol::cmd::kLightStream)
                lengths.push_back(record.frame[protocol::frame::kLength]);
        return lengths;
    }

    sim::SimBackend backend;
    devices::CMorvaneUSBDevice device{backend};
};

}  // namespace vandrel::testing
