// SimHidDevice: one opened collection of a simulated device, the
// platform::IHidDevice that the simulated back end hands out. Frames written
// on it go to the device's firmware, and the replies come back to this object
// only; companion collections also receive the device's notifications.
#pragma once

#include <memory>

#include "platform/hid_backend.h"
#include "sim/sim_descriptors.h"
#include "sim/sim_firmware.h"
#include "sim/sim_report_queue.h"

namespace vandrel::sim {

class SimHidDevice final : public platform::IHidDevice {
public:
    SimHidDevice(std::shared_ptr<SimFirmware> firmware, SimLink link, SimCollection collection, platform::OpenMode mode,
                 platform::HidDeviceInfo info);

    const platform::HidDeviceInfo& Info() const override { return info_; }
    platform::IoResult Read(std::span<std::uint8_t> buffer, int timeoutMs) override;
    platform::IoResult Write(std::span<const std::uint8_t> report, int timeoutMs) override;
    void Cancel() override;

    const std::shared_ptr<SimReportQueue>& Queue() const { return queue_; }

private:
    const std::shared_ptr<SimFirmware> firmware_;
    const SimLink link_;
    const SimCollection collection_;
    const platform::OpenMode mode_;
    const platform::HidDeviceInfo info_;
    const std::shared_ptr<SimReportQueue> queue_ = std::make_shared<SimReportQueue>();
};

}  // namespace vandrel::sim
