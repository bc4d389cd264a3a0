// SimFirmware: the firmware and memory of one simulated device. It answers
// the 64-byte request frames from its own memory, whichever link (cable or
// receiver) they come through, and can be scripted to misbehave: lost or
// wrong replies, refusals, slow replies, a receiver out of range.
//
// Every member is thread-safe. The firmware's mutex is never held while
// anything waits; readers wait on their own report queues.
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <optional>
#include <span>
#include <vector>

#include "protocol/report_frame.h"
#include "sim/sim_models.h"
#include "sim/sim_report_queue.h"
#include "sim/sim_types.h"

namespace vandrel::sim {

// What the device keeps between requests.
struct SimDeviceState {
    SimMemory memory;
    bool hostLighting = false;  // switched on by command 0x1C
};

class SimFirmware {
public:
    // The logs keep the most recent entries only, so that a long simulated
    // session (the lighting stream runs every 5 ms) does not grow without end.
    static constexpr std::size_t kLogLimit = 20000;

    explicit SimFirmware(SimKind kind);
    SimFirmware(const SimFirmware&) = delete;
    SimFirmware& operator=(const SimFirmware&) = delete;

    SimKind Kind() const { return kind_; }

    // Every request frame received, in order (up to kLogLimit of the latest).
    std::vector<SimFrameRecord> Frames() const;
    void ClearFrames();
    // Output reports other than frames (the headset's LED reports), in order.
    std::vector<std::vector<std::uint8_t>> OutputReports() const;

    // The next `count` requests (any command, either link) meet `fault`.
    void QueueFault(SimFault fault, int count = 1);
    // Requests carrying `command`: the first `skip` pass, the `count` after
    // them meet `fault`. Faults queued with QueueFault come first.
    void QueueCommandFault(std::uint8_t command, SimFault fault, int count = 1, int skip = 0);
    // Each reply becomes readable only `delay` after its request.
    void SetReplyDelay(std::chrono::milliseconds delay);
    // The receiver loses the device: it answers 0xAA to every request but the
    // link query, which it answers with "unreachable" (byte 8 = 0).
    void SetReceiverOutOfRange(bool outOfRange);

    std::vector<std::uint8_t> ReadRegion(SimRegion region) const;
    // False, changing nothing, when the bytes do not fit the region.
    bool WriteRegion(SimRegion region, std::size_t offset, std::span<const std::uint8_t> bytes);
    bool HostLighting() const;
    // Bytes 0 and 1 of the power block: battery level in percent and charging state.
    void SetBattery(std::uint8_t percent, SimCharging charging);

    // An input report (report id first) to every open companion collection.
    void SendNotification(std::span<const std::uint8_t> report);
    // The notification report carrying value (0x401: "read my settings again").
    void SendNotificationValue(std::uint16_t value);
    // The same on the companion collection of one link only.
    void SendNotificationValue(std::uint16_t value, SimLink link);

    // --- Used by the back end's opened collections -----------------------

    struct Answer {
        std::optional<protocol::Frame> reply;  // nothing: the reply is lost
        std::chrono::milliseconds delay{0};
    };
    Answer Receive(const protocol::Frame& request, SimLink link);
    void ReceiveOutputReport(std::span<const std::uint8_t> report);

    // An opened collection's queue: it is disconnected when its link is
    // unplugged and, with notifications, receives SendNotification's reports.
    void Attach(const std::shared_ptr<SimReportQueue>& queue, SimLink link, bool notifications);
    void DisconnectLink(SimLink link);

private:
    struct CommandFault {
        std::uint8_t command;
        SimFault fault;
        int count;
        int skip;
    };

    struct Listener {
        std::weak_ptr<SimReportQueue> queue;
        SimLink link;
        bool notifications;
    };

    // The scripted fault of the next request, if any. The caller holds mutex_.
    std::optional<SimFault> TakeFault(std::uint8_t command);
    void Notify(std::span<const std::uint8_t> report, std::optional<SimLink> link);
    // The reply of a device that works as it should; may change the memory.
    // The caller holds mutex_.
    protocol::Frame Execute(const protocol::Frame& request);

    const SimKind kind_;
    mutable std::mutex mutex_;
    SimDeviceState state_;
    std::deque<SimFrameRecord> frames_;
    std::deque<std::vector<std::uint8_t>> outputReports_;
    std::deque<SimFault> faults_;
    std::vector<CommandFault> commandFaults_;
    std::chrono::milliseconds replyDelay_{0};
    bool receiverOutOfRange_ = false;
    std::vector<Listener> listeners_;
};

}  // namespace vandrel::sim
