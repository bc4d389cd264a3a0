#include "lighting/light_overlay.h"

#include <algorithm>

#include "lighting/base_effects.h"

namespace vandrel::lighting {
namespace {

using profiles::LightListEntry;
using EntryState = LightOverlay::EntryState;

constexpr std::uint8_t kBreathingEnd = 128;
constexpr std::uint8_t kBlinkHueStep = 14;

Rgb EntryColour(const LightListEntry& entry) { return {entry.red, entry.green, entry.blue}; }
Rgb HueOrColour(const LightListEntry& entry, std::uint8_t hue) {
    return entry.multiColor != 0 ? WheelColour(hue) : EntryColour(entry);
}
std::uint8_t EntryLevel(const LightListEntry& entry) { return LevelAlpha(entry.brightness); }

// 0: the counter moves by speed + 4 per pass; each time it passes the end of
// the curve it restarts at 0 and the hue moves on by one, coming round to 0
// after 191 so that the colour keeps changing breath after breath.
void Breathe(const LightListEntry& entry, EntryState& state, LedBuffer& leds, std::size_t led, std::uint64_t) {
    if (entry.valid == 0) return;
    const unsigned next = state.counter + SpeedIndex(entry.speed) + 4u;
    if (next >= kBreathingEnd) {
        state.counter = 0;
        state.hue = AdvanceHue(state.hue, 1);
    } else {
        state.counter = static_cast<std::uint8_t>(next);
    }
    Paint(leds, led, HueOrColour(entry, state.hue), Dim(kBreathingCurve128[state.counter], EntryLevel(entry)));
}

// 1: the entry's colour at its level.
void Hold(const LightListEntry& entry, EntryState&, LedBuffer& leds, std::size_t led, std::uint64_t) {
    Paint(leds, led, EntryColour(entry), EntryLevel(entry));
}

// 2: lit and dark by turns, every blink period x 200 ms; the hue moves on by
// 14 at each flip.
void Blink(const LightListEntry& entry, EntryState& state, LedBuffer& leds, std::size_t led, std::uint64_t now) {
    if (now < state.lastFlip) state.lastFlip = now;
    if (now - state.lastFlip >= FlashTicks(entry.speed)) {
        state.lastFlip = now;
        state.phase = state.phase != 0 ? 0 : 1;
        state.hue = AdvanceHue(state.hue, kBlinkHueStep);
    }
    if (state.phase != 0) Paint(leds, led, HueOrColour(entry, state.hue), EntryLevel(entry));
    else Paint(leds, led, Rgb{}, 0);
}

// 3: the wheel at the entry's hue, which moves on by one every blink period
// of passes.
void Cycle(const LightListEntry& entry, EntryState& state, LedBuffer& leds, std::size_t led, std::uint64_t) {
    if (entry.valid == 0) return;
    if (++state.passes >= BlinkPeriod(entry.speed)) {
        state.passes = 0;
        state.hue = AdvanceHue(state.hue, 1);
    }
    Paint(leds, led, WheelColour(state.hue), EntryLevel(entry));
}

// 4: dark.
void Dark(const LightListEntry&, EntryState&, LedBuffer& leds, std::size_t led, std::uint64_t) {
    Paint(leds, led, Rgb{}, 0);
}

using ModeStep = void (*)(const LightListEntry&, EntryState&, LedBuffer&, std::size_t, std::uint64_t);
constexpr std::array<ModeStep, 5> kModeSteps{Breathe, Hold, Blink, Cycle, Dark};

}  // namespace

void LightOverlay::Reset(std::uint64_t now) { state_.fill(EntryState{.lastFlip = now}); }

void LightOverlay::Apply(std::span<const LightListEntry> entries, LedBuffer& leds, std::uint64_t now) {
    const std::size_t count = std::min(entries.size(), state_.size());
    for (std::size_t i = 0; i < count; ++i) {
        const LightListEntry& entry = entries[i];
        if (entry.mode < kModeSteps.size()) kModeSteps[entry.mode](entry, state_[i], leds, i, now);
    }
}

}  // namespace vandrel::lighting
