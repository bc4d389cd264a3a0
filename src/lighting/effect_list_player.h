// The player of a light-effect list ("LEDEffectList" of a ".light" file):
// plays the steps in turn, each for its "Time" in milliseconds, the first
// again after the last. An empty list turns every LED off.
//
// The player is called once per pass of the lighting thread (one tick); a
// pass counter paces the steps' modes:
//   0 breathing   every blink period of passes, one breathing frame;
//   1 static      every blink period of passes, the step's colour;
//   2 blinking    lit and dark by turns every blink period x 200 ms, at the
//                 device's own speed; the hue moves on by 14 at each flip;
//   4 rainbow     every blink period of passes, a wave across the LEDs in
//                 steps of 12 (the wheel, or the 96-step curve of the colour);
//   5 hue         every interval of effect row 1, the whole device in one hue.
// Other modes leave the LEDs as they are.
//
// Owned and used by the lighting thread only. The list itself belongs to the
// device, which holds its effect-list lock while the player reads it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

#include "lighting/base_effects.h"
#include "lighting/led_color.h"
#include "profiles/profile_records.h"

namespace vandrel::lighting {

class EffectListPlayer {
public:
    // Back to the first step, which begins at `now`.
    void Rewind(std::uint64_t now);

    // One pass at tick `now`. `deviceSpeed` is the device's running speed,
    // which paces the blinking mode.
    void Play(std::span<const profiles::EffectStep> steps, std::uint8_t deviceSpeed, LedBuffer& leds,
              std::uint64_t now);

    std::size_t CurrentStep() const { return current_; }

    // What a mode's frame needs besides the step's own settings.
    struct Pass {
        std::uint64_t count;  // passes since the rewind
        std::uint64_t now;
        std::uint8_t deviceSpeed;
    };

private:
    void MoveOn(std::size_t stepCount, std::int32_t stepTime, std::uint64_t now);

    std::size_t current_ = 0;
    std::uint64_t stepStart_ = 0;
    std::uint64_t passes_ = 0;
    EffectCounters counters_;
};

}  // namespace vandrel::lighting
