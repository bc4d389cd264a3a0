// The LED stream of a device: the per-LED colours sent to the device with
// command 0x12, 3 bytes per LED, each channel x brightness / 256.
//
// LedStreamer runs the sending on a worker of the device, so that a device
// that stops answering never holds up the window. The window's 5 ms timer
// (1000) only paints the previews and calls Wake; the worker sends one stream
// per wake (wakes that come while it sends are merged into one), and after a
// failed send it pauses 200 ms before the next. Disable stops the stream at
// once: no stream starts after it returns.
#pragma once

#include <array>
#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <mutex>
#include <thread>

#include "lighting/led_color.h"

namespace vandrel::devices {

inline constexpr std::size_t kStreamBufferSize = 512;
inline constexpr std::chrono::milliseconds kStreamBackOff{200};

using LightStream = std::array<std::uint8_t, kStreamBufferSize>;

// Bytes 3i..3i+2 hold LED i's scaled red, green and blue; the rest is zero.
LightStream BuildLightStream(const lighting::LedBuffer& leds);

class LedStreamer {
public:
    // send: builds and sends one stream, returning a status (1 success).
    explicit LedStreamer(std::function<int()> send);
    ~LedStreamer();
    LedStreamer(const LedStreamer&) = delete;
    LedStreamer& operator=(const LedStreamer&) = delete;

    // Asks for one stream; does nothing while disabled.
    void Wake();
    void Enable();
    // Drops a pending wake and waits for a stream being sent to finish.
    void Disable();
    bool Enabled() const;

private:
    void Run();

    const std::function<int()> send_;
    mutable std::mutex mutex_;
    std::condition_variable changed_;
    bool enabled_ = true;
    bool pending_ = false;
    bool sending_ = false;
    bool stopping_ = false;
    std::thread worker_;
};

}  // namespace vandrel::devices
