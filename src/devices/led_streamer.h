// The LED stream of a device: the per-LED colours sent to the device with
// command 0x12, 3 bytes per LED, each channel x brightness / 256.
//
// LedStreamer sends on a worker of the device, so that a device that stops
// answering never holds up the window, and it sends only what the device
// needs: a frame when the colours differ from the last frame the device
// accepted, the same frame again 5 ms after a send that was dropped or
// refused, and the current frame once a second so that a device that lost it
// gets it back. Between those it sleeps. Wake says the colours may have
// changed (merged while a send runs); Resend makes the next send go out even
// when the colours are the ones the device has (after a reconnect). After a
// few failures in a row the retries slow to one each 200 ms. Disable stops
// the stream at once: no send starts after it returns.
#pragma once

#include <array>
#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <mutex>
#include <optional>
#include <stop_token>

#include "lighting/led_color.h"
#include "platform/worker_thread.h"
#include "protocol/status.h"

namespace vandrel::devices {

inline constexpr std::size_t kStreamBufferSize = 512;

using LightStream = std::array<std::uint8_t, kStreamBufferSize>;

// Bytes 3i..3i+2 hold LED i's scaled red, green and blue; the rest is zero.
LightStream BuildLightStream(const lighting::LedBuffer& leds);

// One frame of the stream: the first `length` bytes of `bytes` are sent.
struct LightFrame {
    LightStream bytes{};
    std::size_t length = 0;
    bool operator==(const LightFrame&) const = default;
};

// What the streamer streams and how.
struct StreamPort {
    // The frame the LEDs show now; nothing while no stream is to run (host
    // lighting off, transport closed, device on its receiver, no LEDs).
    std::function<std::optional<LightFrame>()> current;
    // Sends a frame; Ok when the device took it.
    std::function<protocol::Status(const LightFrame&)> send;
};

struct StreamTiming {
    std::chrono::milliseconds retry{5};       // after a dropped or refused frame
    std::chrono::milliseconds refresh{1000};  // the current frame again
    std::chrono::milliseconds backOff{200};   // retries after repeated failures
    int failuresBeforeBackOff = 3;
};

class LedStreamer {
public:
    explicit LedStreamer(StreamPort port, StreamTiming timing = {});
    ~LedStreamer();
    LedStreamer(const LedStreamer&) = delete;
    LedStreamer& operator=(const LedStreamer&) = delete;

    // The colours may have changed; does nothing while disabled.
    void Wake();
    // Sends the current frame even when the device took the same one before.
    void Resend();
    // Enabling sends the current frame again.
    void Enable();
    // Drops what is pending and waits for a send in progress to finish.
    void Disable();
    bool Enabled() const;

private:
    using Clock = platform::WorkerThread::Clock;
    void Run(const std::stop_token& token);
    // When the worker must send without being woken: a retry or the refresh.
    std::optional<Clock::time_point> Deadline() const;
    // Marks a send wanted and wakes the worker; nothing while disabled unless
    // `enable`.
    void Want(bool force, bool enable);

    const StreamPort port_;
    const StreamTiming timing_;
    mutable std::mutex mutex_;
    std::condition_variable sent_;  // a send in progress finished
    bool enabled_ = true;
    bool pending_ = false;
    bool forceNext_ = false;
    bool sending_ = false;
    // The worker's own state, under mutex_.
    std::optional<LightFrame> accepted_;
    Clock::time_point lastSent_{};
    std::optional<Clock::time_point> retryAt_;
    int failures_ = 0;
    platform::WorkerThread worker_;  // last: it stops before the state above goes
};

}  // namespace vandrel::devices
