#include "lighting/base_effects.h"

#include <algorithm>

namespace vandrel::lighting {
namespace {

constexpr std::uint8_t kBreathingSteps = 128;
constexpr std::uint8_t kCycleSteps = static_cast<std::uint8_t>(kWheelSize);
constexpr std::uint8_t kWaveSteps = 96;
constexpr std::uint8_t kBreathingHueStep = 16;

Rgb FourColour(std::uint8_t index) { return kFourColours[index % kFourColours.size()]; }

std::uint8_t NextFourColour(std::uint8_t index) {
    return AdvanceHue(index, 1, static_cast<unsigned>(kFourColours.size()));
}

// The hue colour with the seven-colour flag, the fixed colour without.
Rgb LookColour(const Look& look, std::uint8_t hue) { return look.colourful ? WheelColour(hue) : look.colour; }

// True when a flashing effect is due to flip at `now`; it then flips the
// phase and starts the next period at `now`.
bool FlipDue(EffectCounters& counters, std::uint8_t speed, std::uint64_t now) {
    if (now < counters.lastBlinkTick) counters.lastBlinkTick = now;  // a restarted tick source
    if (now - counters.lastBlinkTick < FlashTicks(speed)) return false;
    counters.lastBlinkTick = now;
    counters.blinkPhase = counters.blinkPhase != 0 ? 0 : 1;
    return true;
}

}  // namespace

void Paint(LedBuffer& leds, std::size_t led, Rgb colour, std::uint8_t alpha) {
    leds.Set(led, LedColor{colour.red, colour.green, colour.blue, alpha});
}

void Fill(LedBuffer& leds, Rgb colour, std::uint8_t alpha) {
    for (std::size_t i = 0; i < leds.Size(); ++i) Paint(leds, i, colour, alpha);
}

void StepBreathing(EffectCounters& counters, const Look& look, LedBuffer& leds) {
    counters.step = Step(look.direction, kBreathingSteps, counters.step, 1);
    if (counters.step == 0) counters.colourIndex = AdvanceHue(counters.colourIndex, kBreathingHueStep);
    Fill(leds, LookColour(look, counters.colourIndex),
         Dim(kBreathingCurve128[counters.step], LevelAlpha(look.brightness)));
}

void StepFourColourBreathing(EffectCounters& counters, const Look& look, LedBuffer& leds) {
    counters.step = Step(look.direction, kBreathingSteps, counters.step, 1);
    if (counters.step == 0) counters.colourIndex = NextFourColour(counters.colourIndex);
    Fill(leds, FourColour(counters.colourIndex), Dim(kBreathingCurve128[counters.step], LevelAlpha(look.brightness)));
}

void StepStatic(const Look& look, LedBuffer& leds) { Fill(leds, look.colour, LevelAlpha(look.brightness)); }

void StepColourCycle(EffectCounters& counters, const Look& look, LedBuffer& leds) {
    counters.step = Step(look.direction, kCycleSteps, counters.step, 1);
    Fill(leds, WheelColour(counters.step), LevelAlpha(look.brightness));
}

void StepFlashing(EffectCounters& counters, const Look& look, LedBuffer& leds, std::uint64_t now,
                  std::uint8_t hueStep) {
    if (FlipDue(counters, look.speed, now)) counters.colourIndex = AdvanceHue(counters.colourIndex, hueStep);
    if (counters.blinkPhase != 0) Fill(leds, LookColour(look, counters.colourIndex), LevelAlpha(look.brightness));
    else StepAllOff(leds);
}

void StepFourColourFlashing(EffectCounters& counters, const Look& look, LedBuffer& leds, std::uint64_t now) {
    if (FlipDue(counters, look.speed, now)) counters.colourIndex = NextFourColour(counters.colourIndex);
    if (counters.blinkPhase != 0) Fill(leds, FourColour(counters.colourIndex), LevelAlpha(look.brightness));
    else StepAllOff(leds);
}

void StepAllOff(LedBuffer& leds) { Fill(leds, Rgb{}, 0); }

void StepWave(EffectCounters& counters, const Look& look, LedBuffer& leds, std::uint8_t stride,
              std::span<const std::uint8_t> positionOfLed) {
    const unsigned steps = look.colourful ? kCycleSteps : kWaveSteps;
    counters.step = Step(look.direction, static_cast<std::uint8_t>(steps), counters.step, 1);
    const unsigned first = counters.step + 1u;
    const std::uint8_t level = LevelAlpha(look.brightness);
    const std::size_t count = positionOfLed.empty() ? leds.Size() : std::min(leds.Size(), positionOfLed.size());
    for (std::size_t i = 0; i < count; ++i) {
        const unsigned position = positionOfLed.empty() ? static_cast<unsigned>(i) : positionOfLed[i];
        const auto index = static_cast<std::uint8_t>((first + unsigned{stride} * position) % steps);
        if (look.colourful) Paint(leds, i, WheelColour(index), level);
        else Paint(leds, i, look.colour, Dim(kBreathingCurve96[index], level));
    }
}

}  // namespace vandrel::lighting
