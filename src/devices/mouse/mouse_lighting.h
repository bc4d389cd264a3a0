// The mouse's own lighting: its LED layout and its three effects.
//
// The 15 LEDs form 7 groups from one end of the mouse to the other; the wave
// and the reactive band run over the groups:
//   group 0: LEDs 0, 13    group 3: 3, 10    group 6: 6, 14, 7
//   group 1: 1, 12         group 4: 4, 9
//   group 2: 2, 11         group 5: 5, 8
//
// Each function paints one frame. None keeps state of its own beyond what it
// is given, and none reads a clock, so a test drives them frame by frame.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <random>
#include <span>

#include "lighting/base_effects.h"
#include "lighting/led_color.h"

namespace vandrel::devices::mouse {

inline constexpr std::size_t kLedCount = 15;
inline constexpr std::size_t kGroupCount = 7;
inline constexpr std::size_t kGroupSize = 3;
inline constexpr std::int8_t kNoLed = -1;

using LedGroup = std::array<std::int8_t, kGroupSize>;
extern const std::array<LedGroup, kGroupCount> kLedGroups;
// The group of each LED, for the engine's wave over positions.
extern const std::array<std::uint8_t, kLedCount> kGroupOfLed;

// Position of group g: (step + 1 + 7g) on the colour wheel with the
// seven-colour flag, or the fixed colour under the 96-step breathing curve.
inline constexpr std::uint8_t kWaveStride = 7;
void StepWave(lighting::EffectCounters& counters, const lighting::Look& look, lighting::LedBuffer& leds);

// The reactive band's colours for the levels of groups 0..6. With the
// seven-colour flag the effect step moves on by 12 for each group and the
// group takes that wheel colour; while the band is at its starting end (level
// 0 lit going up, level 6 lit going down) every group keeps the colour of its
// first LED. Each LED's alpha is the brightness level x the group's level / 256.
inline constexpr std::uint8_t kBandHueStride = 12;
void PaintBand(lighting::EffectCounters& counters, const lighting::Look& look,
               std::span<const std::uint8_t, kGroupCount> levels, lighting::LedBuffer& leds);

// The reactive flash: when the mouse reports a click every LED lights at full
// level in a colour of its own and fades out, 15 levels per frame.
class ReactiveFlash {
public:
    static constexpr std::uint8_t kFade = 15;
    enum class Phase : std::uint8_t { Idle = 0, Rising = 1, Falling = 2 };
    struct Led {
        Phase phase = Phase::Idle;
        std::uint8_t level = 0;
        std::uint8_t hue = 0;
    };

    // Every LED rising at level 255, each with a random hue (0..191).
    void Trigger(std::minstd_rand& random);
    // One frame: rising LEDs climb to 255 and turn, falling ones fade to 0.
    void Step(const lighting::Look& look, lighting::LedBuffer& leds);
    void Clear() { leds_ = {}; }
    const Led& At(std::size_t led) const { return leds_[led]; }

private:
    std::array<Led, kLedCount> leds_{};
};

}  // namespace vandrel::devices::mouse
