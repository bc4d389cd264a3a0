// The step function and the effect steps every device shares: breathing,
// four-colour breathing, static, colour cycle, flashing, four-colour
// flashing, all off, and a wave over positions.
//
// Each step advances its counters by one frame and paints the LED buffer.
// Nothing here reads a clock: timed steps receive the current tick (1/64 s,
// platform::kTickLength) from the caller.
#pragma once

#include <cstdint>
#include <span>

#include "lighting/engine_tables.h"
#include "lighting/led_color.h"

namespace vandrel::lighting {

// step(direction, n, v, d), in bytes. Forwards (direction != 0): v + d, or 0
// when that is n or more. Backwards: v - d when that byte is below n, else
// n - d, so that stepping back from 0 wraps to the end.
constexpr std::uint8_t Step(std::uint8_t direction, std::uint8_t n, std::uint8_t v, std::uint8_t d) {
    if (direction != 0) {
        const auto next = static_cast<std::uint8_t>(v + d);
        return next >= n ? std::uint8_t{0} : next;
    }
    const auto next = static_cast<std::uint8_t>(v - d);
    return next < n ? next : static_cast<std::uint8_t>(n - d);
}

// Whole ticks of 1/64 s needed for `ms` milliseconds to have passed: the
// tick count is rounded up, so an event is never earlier than its time
// (5600 ms -> 359 ticks, 1400 ms -> 90 ticks). Negative times count as 0.
constexpr std::uint64_t MsToTicks(std::int64_t ms) {
    constexpr std::int64_t kTicksPerSecond = 64;
    return ms <= 0 ? 0 : static_cast<std::uint64_t>((ms * kTicksPerSecond + 999) / 1000);
}

// Ticks between two flips of a flashing effect at this speed: the blink
// period in units of 200 ms.
constexpr std::uint64_t FlashTicks(std::uint8_t speed) { return MsToTicks(std::int64_t{BlinkPeriod(speed)} * 200); }

// A channel's share: value x alpha / 256.
constexpr std::uint8_t Dim(std::uint8_t value, std::uint8_t alpha) {
    return static_cast<std::uint8_t>((unsigned{value} * alpha) >> 8);
}

// The next hue of a cycle that restarts at 0 once it would reach `end`.
constexpr std::uint8_t AdvanceHue(std::uint8_t hue, std::uint8_t by, unsigned end = kWheelSize) {
    const unsigned next = unsigned{hue} + by;
    return next >= end ? std::uint8_t{0} : static_cast<std::uint8_t>(next);
}

// The settings an effect step reads.
struct Look {
    std::uint8_t brightness = 0;  // level 0..4
    std::uint8_t speed = 0;       // 0..4
    std::uint8_t direction = 0;
    std::uint8_t colourful = 0;  // seven-colour: colours from the wheel
    Rgb colour;                  // the fixed colour
};

// The counters an effect advances from frame to frame.
struct EffectCounters {
    std::uint8_t step = 0;
    std::uint8_t colourIndex = 0;  // a hue, or 0..3 in the four-colour effects
    std::uint8_t blinkPhase = 0;   // non-zero: lit
    std::uint64_t lastBlinkTick = 0;
};

// One LED's colour and alpha; an index beyond the buffer is ignored.
void Paint(LedBuffer& leds, std::size_t led, Rgb colour, std::uint8_t alpha);
// Every LED the same colour and alpha.
void Fill(LedBuffer& leds, Rgb colour, std::uint8_t alpha);

void StepBreathing(EffectCounters& counters, const Look& look, LedBuffer& leds);
void StepFourColourBreathing(EffectCounters& counters, const Look& look, LedBuffer& leds);
void StepStatic(const Look& look, LedBuffer& leds);
void StepColourCycle(EffectCounters& counters, const Look& look, LedBuffer& leds);
// Flips between lit and dark every FlashTicks(speed); at each flip the hue
// advances by `hueStep` (restarting at 0 at 192).
void StepFlashing(EffectCounters& counters, const Look& look, LedBuffer& leds, std::uint64_t now,
                  std::uint8_t hueStep = 16);
void StepFourColourFlashing(EffectCounters& counters, const Look& look, LedBuffer& leds, std::uint64_t now);
void StepAllOff(LedBuffer& leds);

// A wave running over positions (LED groups, or single LEDs when
// `positionOfLed` is empty). With the seven-colour flag the counter steps
// over 192 and position p shows wheel entry (counter + 1 + stride x p) mod
// 192 at the brightness level; without it the counter steps over 96 and
// position p shows the fixed colour dimmed by the 96-step breathing curve at
// (counter + 1 + stride x p) mod 96. LEDs beyond `positionOfLed` are left alone.
void StepWave(EffectCounters& counters, const Look& look, LedBuffer& leds, std::uint8_t stride,
              std::span<const std::uint8_t> positionOfLed = {});

}  // namespace vandrel::lighting
