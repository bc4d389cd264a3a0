#include "sim/sim_hid_device.h"

#include <algorithm>

namespace vandrel::sim {

using platform::IoResult;
using platform::IoStatus;

SimHidDevice::SimHidDevice(std::shared_ptr<SimFirmware> firmware, SimLink link, SimCollection collection,
                           platform::OpenMode mode, platform::HidDeviceInfo info)
    : firmware_(std::move(firmware)), link_(link), collection_(collection), mode_(mode), info_(std::move(info)) {}

IoResult SimHidDevice::Read(std::span<std::uint8_t> buffer, int timeoutMs) {
    if (const IoStatus state = queue_->State(); state != IoStatus::Ok) return {state, 0};
    if (!mode_.read || buffer.empty()) return {IoStatus::Failed, 0};
    return queue_->Pop(buffer, timeoutMs);
}

// Accepts the collection's own output reports; frames (report id 4) must be
// exactly 64 bytes. Writing never waits, so the time-out is not needed.
IoResult SimHidDevice::Write(std::span<const std::uint8_t> report, int /*timeoutMs*/) {
    if (const IoStatus state = queue_->State(); state != IoStatus::Ok) return {state, 0};
    const std::vector<std::uint8_t>& outputIds = CollectionLayout(collection_).outputIds;
    if (!mode_.write || report.empty() || report.size() > info_.caps.outputReportLength ||
        std::find(outputIds.begin(), outputIds.end(), report[0]) == outputIds.end())
        return {IoStatus::Failed, 0};

    if (report[0] != kFrameReportId) {
        firmware_->ReceiveOutputReport(report);
        return {IoStatus::Ok, report.size()};
    }
    if (report.size() != protocol::kFrameSize) return {IoStatus::Failed, 0};
    protocol::Frame request;
    std::copy(report.begin(), report.end(), request.begin());
    const SimFirmware::Answer answer = firmware_->Receive(request, link_);
    if (answer.reply)
        queue_->Push({answer.reply->begin(), answer.reply->end()}, SimReportQueue::Clock::now() + answer.delay);
    return {IoStatus::Ok, report.size()};
}

void SimHidDevice::Cancel() { queue_->Cancel(); }

}  // namespace vandrel::sim
