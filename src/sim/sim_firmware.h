// SimFirmware: the firmware and memory of one simulated device. It answers
// the 64-byte request frames from its own memory, whichever link (cable or
// receiver) they come through, and can be scripted to misbehave: lost or
// wrong replies, refusals, slow replies, a receiver out of range.
//
// Every member is thread-safe. The firmware's mutex is never held while
// anything waits; readers wait on their own report queues.
#pragma once

#include <array>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <limits>
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
    bool linkReachable = true;  // the link query's answer
};

// The bytes a write carried: each frame's `length` payload bytes at its
// offset, from the lowest offset to the highest end; bytes that no frame
// covered are 0.
struct SimTransfer {
    std::size_t offset = 0;
    std::vector<std::uint8_t> bytes;
};
SimTransfer JoinWrites(std::span<const SimFrameRecord> frames);

class SimFirmware {
public:
    // The logs keep the most recent entries only, so that a long simulated
    // session (the lighting stream runs every 5 ms) does not grow without end.
    static constexpr std::size_t kLogLimit = 20000;
    // A fault count that never runs out (until ClearFaults).
    static constexpr int kAlways = std::numeric_limits<int>::max();

    explicit SimFirmware(SimKind kind);
    SimFirmware(const SimFirmware&) = delete;
    SimFirmware& operator=(const SimFirmware&) = delete;

    SimKind Kind() const { return kind_; }

    // Every request frame received, in order (up to kLogLimit of the latest).
    std::vector<SimFrameRecord> Frames() const;
    // The logged frames carrying `command`, in order.
    std::vector<SimFrameRecord> FramesOf(std::uint8_t command) const;
    void ClearFrames();
    // Output reports other than frames (the headset's LED reports), in order.
    std::vector<std::vector<std::uint8_t>> OutputReports() const;

    // The next `count` requests (any command, either link) meet `fault`.
    void QueueFault(SimFault fault, int count = 1);
    // Requests carrying `command`: the first `skip` pass, the `count` after
    // them meet `fault`. Faults queued with QueueFault come first.
    void QueueCommandFault(std::uint8_t command, SimFault fault, int count = 1, int skip = 0);
    // Drops every fault still queued.
    void ClearFaults();
    // Each reply becomes readable only `delay` after its request.
    void SetReplyDelay(std::chrono::milliseconds delay);
    // A slow wireless link: each reply through the receiver comes `delay`
    // later still (on top of SetReplyDelay's); the cable is not slowed.
    void SetReceiverDelay(std::chrono::milliseconds delay);
    // The receiver loses the device: it answers 0xAA to every request but the
    // link query, which it answers with "unreachable" (byte 8 = 0).
    void SetReceiverOutOfRange(bool outOfRange);
    // The link query's answer on either link: byte 8 = 0xFF (reachable) or 0.
    // Every other command is still answered.
    void SetLinkReachable(bool reachable);

    std::vector<std::uint8_t> ReadRegion(SimRegion region) const;
    // False, changing nothing, when the bytes do not fit the region.
    bool WriteRegion(SimRegion region, std::size_t offset, std::span<const std::uint8_t> bytes);
    bool HostLighting() const;
    // Bytes 0 and 1 of the power block: battery level in percent and charging state.
    void SetBattery(std::uint8_t percent, SimCharging charging);
    // All six bytes of the power block.
    void SetPowerState(const std::array<std::uint8_t, kPowerSize>& power);

    // K, the number of key slots (information byte 5). The key map becomes
    // K x 3 bytes and the LED map K bytes, both as the kind leaves the factory
    // (slots past the model's matrix hold no key and no LED). The device takes
    // any K; the program's buffers end at 512 bytes (170 slots).
    void SetKeySlots(std::uint8_t keySlots);
    // Byte 0 of the settings memory, the active onboard profile; it is also
    // the first byte of record 0.
    void SetOnboardProfile(std::uint8_t profile);
    // Onboard profile n's settings record at n x the model's record stride
    // (for the keyboard 27 bytes at n x 25: the last two bytes of record n
    // are the first two of record n + 1). Record is empty, and WriteRecord
    // false and changes nothing, when the record does not fit the settings
    // memory; WriteRecord takes whole records only.
    std::vector<std::uint8_t> Record(std::size_t profile) const;
    bool WriteRecord(std::size_t profile, std::span<const std::uint8_t> record);

    // An input report (report id first) to every open companion collection.
    void SendNotification(std::span<const std::uint8_t> report);
    // The notification report carrying value (0x401: "read my settings again").
    void SendNotificationValue(std::uint16_t value);
    // The same on the companion collection of one link only.
    void SendNotificationValue(std::uint16_t value, SimLink link);
    // A key slot pressed or released on the keyboard (0x05ss / 0x06ss).
    void SendKeyEvent(std::uint8_t keySlot, SimKeyEvent event);
    // The user switched onboard profile on the device: byte 0 of the settings
    // memory becomes `profile`, then the notification of `form` goes out.
    void SwitchOnboardProfile(std::uint8_t profile, SimProfileNotice form = SimProfileNotice::High10);

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
    std::chrono::milliseconds receiverDelay_{0};
    bool receiverOutOfRange_ = false;
    std::vector<Listener> listeners_;
};

}  // namespace vandrel::sim
