// One entry of a device's per-LED colour buffer. Consumers show or send each
// channel x brightness / 256. As a 32-bit value byte 0 is red and byte 3 the
// brightness. Entries are written by a lighting thread and read by the stream
// and the preview without a lock: each is one atomic 32-bit word, so a reader
// sees either the old or the new colour of an LED, never a torn one.
#pragma once

#include <atomic>
#include <cstdint>

namespace vandrel::lighting {

struct LedColor {
    std::uint8_t red = 0;
    std::uint8_t green = 0;
    std::uint8_t blue = 0;
    std::uint8_t brightness = 0;

    constexpr std::uint32_t Packed() const {
        return std::uint32_t{red} | std::uint32_t{green} << 8 | std::uint32_t{blue} << 16 |
               std::uint32_t{brightness} << 24;
    }
    static constexpr LedColor FromPacked(std::uint32_t v) {
        return {static_cast<std::uint8_t>(v), static_cast<std::uint8_t>(v >> 8), static_cast<std::uint8_t>(v >> 16),
                static_cast<std::uint8_t>(v >> 24)};
    }
    // A channel as shown or sent: channel x brightness / 256.
    static constexpr std::uint8_t Scaled(std::uint8_t channel, std::uint8_t brightness) {
        return static_cast<std::uint8_t>((unsigned{channel} * brightness) >> 8);
    }
    friend constexpr bool operator==(const LedColor&, const LedColor&) = default;
};

inline constexpr std::size_t kMaxLeds = 170;

// A device's buffer: at most 170 LEDs, each stored as one atomic word.
class LedBuffer {
public:
    explicit LedBuffer(std::size_t count = 0) { Resize(count); }
    void Resize(std::size_t count) { count_ = count > kMaxLeds ? kMaxLeds : count; }
    std::size_t Size() const { return count_; }
    LedColor Get(std::size_t i) const {
        return i < count_ ? LedColor::FromPacked(leds_[i].load(std::memory_order_relaxed)) : LedColor{};
    }
    void Set(std::size_t i, LedColor c) {
        if (i >= count_) return;
        const std::uint32_t packed = c.Packed();
        if (leds_[i].exchange(packed, std::memory_order_relaxed) != packed)
            version_.fetch_add(1, std::memory_order_release);
    }
    // Grows by one with every Set that changed a colour: who shows or sends
    // the colours compares it with the value it saw last.
    std::uint64_t Version() const { return version_.load(std::memory_order_acquire); }

private:
    std::atomic<std::uint32_t> leds_[kMaxLeds]{};
    std::atomic<std::uint64_t> version_{0};
    std::size_t count_ = 0;
};

}  // namespace vandrel::lighting
