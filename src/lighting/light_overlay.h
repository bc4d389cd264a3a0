// The per-key overlay: a device's light list ("LightList") gives each LED
// its own mode, brightness, speed and colour, painted over the running
// effect after every pass of the lighting thread.
//
// Entry i paints LED i. Modes: 0 breathing, 1 static, 2 blinking, 3 colour
// cycle, 4 off; any other mode leaves its LED alone. Breathing and colour
// cycle act only on entries whose valid flag is set.
//
// Owned and used by the lighting thread only. The list itself belongs to the
// device, which holds its light-list lock while the overlay reads it.
#pragma once

#include <array>
#include <cstdint>
#include <span>

#include "lighting/led_color.h"
#include "profiles/profile_records.h"

namespace vandrel::lighting {

class LightOverlay {
public:
    // A new list: every entry's counter, hue and phase start again at 0, and
    // the blink periods count from `now`.
    void Reset(std::uint64_t now);

    // One pass over the list at tick `now`.
    void Apply(std::span<const profiles::LightListEntry> entries, LedBuffer& leds, std::uint64_t now);

    // What the overlay keeps per entry between passes.
    struct EntryState {
        std::uint8_t counter = 0;  // breathing position, 0..127
        std::uint8_t hue = 0;      // 0..191
        std::uint8_t phase = 0;    // blinking: non-zero while lit
        std::uint8_t passes = 0;   // colour cycle: passes since the hue last moved
        std::uint64_t lastFlip = 0;
    };

private:
    std::array<EntryState, kMaxLeds> state_{};
};

}  // namespace vandrel::lighting
