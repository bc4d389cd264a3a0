#include "devices/mouse/mouse_lighting.h"

#include <algorithm>

namespace vandrel::devices::mouse {
namespace {

using lighting::Dim;
using lighting::LevelAlpha;
using lighting::Rgb;

constexpr std::array<std::uint8_t, kLedCount> BuildGroupOfLed(const std::array<LedGroup, kGroupCount>& groups) {
    std::array<std::uint8_t, kLedCount> groupOf{};
    for (std::size_t g = 0; g < groups.size(); ++g)
        for (const std::int8_t led : groups[g])
            if (led != kNoLed) groupOf[static_cast<std::uint8_t>(led)] = static_cast<std::uint8_t>(g);
    return groupOf;
}

Rgb ColourOf(const lighting::LedColor& c) { return {c.red, c.green, c.blue}; }

void PaintGroup(lighting::LedBuffer& leds, const LedGroup& group, Rgb colour, std::uint8_t alpha) {
    for (const std::int8_t led : group)
        if (led != kNoLed) lighting::Paint(leds, static_cast<std::uint8_t>(led), colour, alpha);
}

}  // namespace

const std::array<LedGroup, kGroupCount> kLedGroups{{
    {0, 13, kNoLed},
    {1, 12, kNoLed},
    {2, 11, kNoLed},
    {3, 10, kNoLed},
    {4, 9, kNoLed},
    {5, 8, kNoLed},
    {6, 14, 7},
}};

const std::array<std::uint8_t, kLedCount> kGroupOfLed = BuildGroupOfLed(kLedGroups);

void StepWave(lighting::EffectCounters& counters, const lighting::Look& look, lighting::LedBuffer& leds) {
    lighting::StepWave(counters, look, leds, kWaveStride, kGroupOfLed);
}

void PaintBand(lighting::EffectCounters& counters, const lighting::Look& look,
               std::span<const std::uint8_t, kGroupCount> levels, lighting::LedBuffer& leds) {
    const bool atStart = look.direction != 0 ? levels.front() != 0 : levels.back() != 0;
    const std::uint8_t alpha = LevelAlpha(look.brightness);
    for (std::size_t g = 0; g < kGroupCount; ++g) {
        const LedGroup& group = kLedGroups[g];
        Rgb colour = look.colour;
        if (look.colourful) {
            counters.step = static_cast<std::uint8_t>((counters.step + kBandHueStride) % lighting::kWheelSize);
            colour = atStart ? ColourOf(leds.Get(static_cast<std::size_t>(group.front())))
                             : lighting::WheelColour(counters.step);
        }
        PaintGroup(leds, group, colour, Dim(alpha, levels[g]));
    }
}

void ReactiveFlash::Trigger(std::minstd_rand& random) {
    for (Led& led : leds_) {
        led.phase = Phase::Rising;
        led.level = 255;
        led.hue = static_cast<std::uint8_t>(random() % lighting::kWheelSize);
    }
}

void ReactiveFlash::Step(const lighting::Look& look, lighting::LedBuffer& leds) {
    const std::uint8_t alpha = LevelAlpha(look.brightness);
    for (std::size_t i = 0; i < leds_.size(); ++i) {
        Led& led = leds_[i];
        if (led.phase == Phase::Rising) {
            led.level = static_cast<std::uint8_t>(std::min(255, led.level + kFade));
            if (led.level == 255) led.phase = Phase::Falling;
        } else if (led.phase == Phase::Falling) {
            led.level = static_cast<std::uint8_t>(std::max(0, led.level - kFade));
        }
        const Rgb colour = look.colourful ? lighting::WheelColour(led.hue) : look.colour;
        lighting::Paint(leds, i, colour, Dim(alpha, led.level));
    }
}

}  // namespace vandrel::devices::mouse
