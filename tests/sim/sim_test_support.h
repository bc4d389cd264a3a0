// Helpers for driving the simulator the way the program does: raw 64-byte
// frames through a CHidChannel.
#pragma once

#include <algorithm>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "device_io/hid_channel.h"
#include "platform/bytes.h"
#include "protocol/report_frame.h"
#include "sim/sim_backend.h"

namespace vandrel::sim::test {

using protocol::Frame;

// A stamped request frame.
inline Frame Request(std::uint8_t command, std::size_t length = 0, std::uint16_t offset = 0,
                     std::span<const std::uint8_t> payload = {}) {
    Frame f = protocol::MakeRequest(command);
    f[protocol::frame::kLength] = static_cast<std::uint8_t>(length);
    f[protocol::frame::kOffsetLow] = platform::LowByte(offset);
    f[protocol::frame::kOffsetHigh] = platform::HighByte(offset);
    std::copy_n(payload.begin(), std::min(payload.size(), protocol::kMaxPayload),
                f.begin() + protocol::frame::kPayload);
    protocol::StampChecksum(f);
    return f;
}

// n bytes counting up from `first`.
inline std::vector<std::uint8_t> Pattern(std::size_t n, std::uint8_t first = 1) {
    std::vector<std::uint8_t> bytes(n);
    for (std::size_t i = 0; i < n; ++i) bytes[i] = static_cast<std::uint8_t>(first + i);
    return bytes;
}

inline std::vector<std::uint8_t> Payload(const Frame& reply, std::size_t n) {
    return {reply.begin() + protocol::frame::kPayload, reply.begin() + protocol::frame::kPayload + n};
}

inline std::vector<std::uint8_t> Slice(const std::vector<std::uint8_t>& bytes, std::size_t at, std::size_t n) {
    return {bytes.begin() + static_cast<std::ptrdiff_t>(at), bytes.begin() + static_cast<std::ptrdiff_t>(at + n)};
}

// A channel opened for reading and writing on one simulated path.
class SimChannel {
public:
    SimChannel(SimBackend& backend, const std::string& path) : channel_(backend) {
        opened_ = channel_.OpenPath(path, true, true, true, false);
    }

    bool Opened() const { return opened_; }
    device_io::CHidChannel& Channel() { return channel_; }

    bool Send(std::span<const std::uint8_t> report) {
        std::size_t written = 0;
        return channel_.WriteReport(report.data(), report.size(), &written, 1000) == platform::IoStatus::Ok &&
               written == report.size();
    }

    std::optional<Frame> Receive(int timeoutMs = 1000) {
        Frame reply{};
        std::size_t read = 0;
        if (channel_.ReadReport(reply.data(), reply.size(), &read, timeoutMs) != platform::IoStatus::Ok)
            return std::nullopt;
        return reply;
    }

    std::optional<Frame> Exchange(const Frame& request, int timeoutMs = 1000) {
        if (!Send(request)) return std::nullopt;
        return Receive(timeoutMs);
    }

private:
    device_io::CHidChannel channel_;
    bool opened_ = false;
};

}  // namespace vandrel::sim::test
