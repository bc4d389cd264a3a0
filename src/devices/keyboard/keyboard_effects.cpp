#include "devices/keyboard/keyboard_effects.h"

#include <algorithm>

#include "devices/keyboard/keyboard_effect_steps.h"
#include "lighting/engine_tables.h"

namespace vandrel::devices::keyboard {
namespace {

using steps::Frame;
using StepFn = void (*)(Frame&);
using SeedFn = void (*)(KeyboardEffectState&);
using enum EffectActivity;

// Everything the engine knows about one effect number.
struct EffectEntry {
    StepFn step = nullptr;
    EffectActivity activity = kNone;
    SeedFn seed = nullptr;           // a starting pattern; such effects keep the light list running
    std::uint8_t intervalRow = 0;    // row of the effect interval table
    std::uint8_t fixedInterval = 0;  // ticks per step whatever the speed, when not 0
    bool customGroup = false;        // the device loads its per-key colours at the start
};

constexpr std::uint8_t kCustomColourEffect = 20;

constexpr std::array<EffectEntry, kLastEffect + 1> kEffects = [] {
    std::array<EffectEntry, kLastEffect + 1> e{};
    e[1] = {steps::ColumnWave, kAnimated};
    e[2] = {steps::ColumnPulses, kAnimated};
    e[3] = {steps::SerpentineWave, kAnimated};
    e[4] = {steps::ColourCycle, kAnimated};
    e[5] = {steps::Breathing, kAnimated};
    e[6] = {steps::StaticRings, kStatic};
    e[7] = {steps::ReactiveKeys, kReactive};
    e[8] = {steps::Cross, kReactive};
    e[9] = {steps::FlashCross, kReactive};
    e[10] = {steps::Twinkle, kAnimated};
    e[11] = {steps::Rainbow, kAnimated, steps::SeedRainbow};
    e[12] = {steps::RowWave, kAnimated};
    e[13] = {steps::BouncingLight, kAnimated, steps::SeedBouncingLight};
    e[14] = {steps::Show, kAnimated};
    e[15] = {steps::StaggeredPulses, kAnimated, steps::SeedStaggeredPulses};
    e[16] = {steps::TravellingLight, kAnimated, steps::SeedTravellingLight};
    e[17] = {steps::ChosenHue, kStatic};
    e[18] = {steps::RingWave, kAnimated};
    e[19] = {nullptr, kLightList};
    e[20] = {steps::PerKeyColours, kStatic, nullptr, 0, 0, true};
    e[21] = {steps::RunningLight, kAnimated};
    e[22] = {steps::DiagonalPulses, kAnimated, steps::SeedDiagonalPulses};
    e[23] = {steps::Flashing, kAnimated};
    e[24] = {steps::Sweep, kAnimated};
    e[25] = {steps::SpreadingKeys, kReactive};
    e[26] = {steps::FourColourBreathing, kAnimated, nullptr, 5};
    e[27] = {steps::FourColourFlashing, kAnimated, nullptr, 23};
    e[28] = {steps::AllOff, kStatic};
    e[29] = {steps::AudioLevels, kAnimated, nullptr, 0, 2};
    e[30] = {steps::ReceivedColour, kStatic};
    for (std::size_t n = 1; n < e.size(); ++n)
        if (e[n].intervalRow == 0) e[n].intervalRow = static_cast<std::uint8_t>(n);
    return e;
}();

const EffectEntry* EntryOf(std::uint8_t effect) {
    return effect >= kFirstEffect && effect <= kLastEffect ? &kEffects[effect] : nullptr;
}

bool ReactsToKeys(std::uint8_t effect) { return ActivityOf(effect) == kReactive; }

// Effects 8 and 9 light a cross at a press and ignore releases.
bool LightsCross(std::uint8_t effect) { return effect == 8 || effect == 9; }

bool AllZero(std::span<const std::uint8_t> bytes) {
    return std::all_of(bytes.begin(), bytes.end(), [](std::uint8_t b) { return b == 0; });
}

bool Dark(const KeyboardEffectState& state) {
    const bool bitmapsEmpty = std::all_of(state.bitmaps.begin(), state.bitmaps.end(),
                                          [](const ColumnBitmap& bitmap) { return AllZero(bitmap); });
    const bool noneHeld =
        std::none_of(state.reaction.begin(), state.reaction.end(), [](std::uint8_t r) { return r == kKeyPressed; });
    return bitmapsEmpty && noneHeld && AllZero(state.brightness);
}

}  // namespace

KeyboardLook KeyboardLookOf(const profiles::LightInfo& light, std::uint8_t audioStyle) {
    return {.base = {light.Light, light.Speed, light.Fx, light.MultiColor, {light.Red, light.Green, light.Blue}},
            .zzccMode = light.ZZCCLedMode,
            .audioStyle = audioStyle};
}

StartActions StartEffect(KeyboardEffectState& state, std::uint8_t effect, std::uint64_t now) {
    const ExternalColour external = state.external;
    state = KeyboardEffectState{};
    state.external = external;
    state.counters.lastBlinkTick = now;
    const EffectEntry* entry = EntryOf(effect);
    if (entry != nullptr && entry->seed != nullptr) {
        entry->seed(state);
        return {};
    }
    return {.loadCustomGroup = entry != nullptr && entry->customGroup, .resetLightList = true};
}

std::uint8_t EffectInterval(std::uint8_t effect, std::uint8_t speed) {
    const EffectEntry* entry = EntryOf(effect);
    if (entry != nullptr && entry->fixedInterval != 0) return entry->fixedInterval;
    return lighting::Interval(lighting::IntervalTable::kEffect, entry != nullptr ? entry->intervalRow : effect, speed);
}

void StepEffect(std::uint8_t effect, KeyboardEffectState& state, const KeyboardLook& look, lighting::LedBuffer& leds,
                std::uint64_t now, EffectRandom& random) {
    const EffectEntry* entry = EntryOf(effect);
    if (entry == nullptr || entry->step == nullptr) return;
    Frame frame{state, look, leds, now, random};
    entry->step(frame);
    state.repaint = false;
}

EffectActivity ActivityOf(std::uint8_t effect) {
    const EffectEntry* entry = EntryOf(effect);
    return entry != nullptr ? entry->activity : kNone;
}

bool IsIdle(std::uint8_t effect, const KeyboardEffectState& state) {
    switch (ActivityOf(effect)) {
        case kNone:
        case kLightList: return true;
        case kStatic: return !state.repaint;
        case kReactive: return !state.repaint && Dark(state);
        case kAnimated: return false;
    }
    return false;
}

void RequestRepaint(KeyboardEffectState& state) { state.repaint = true; }

bool ReactToKey(KeyboardEffectState& state, std::uint8_t effect, std::uint8_t position, KeyAction action,
                EffectRandom& random) {
    if (!ReactsToKeys(effect)) return false;
    const std::optional<GridCell> cell = FindPosition(position);
    if (!cell) return false;
    const bool pressed = action == KeyAction::kPressed;
    if (LightsCross(effect)) {
        if (!pressed) return false;
        for (ColumnBitmap& bitmap : state.bitmaps)
            bitmap[cell->column] |= static_cast<std::uint8_t>(1u << Grid7Row(cell->row));
    } else if (pressed) {
        state.reaction[position] = kKeyPressed;
        state.brightness[position] = 255;
        state.hue[position] = static_cast<std::uint8_t>(random() % lighting::kWheelSize);
    } else {
        if (state.reaction[position] != kKeyPressed) return false;
        state.reaction[position] = kKeyReleased;
    }
    state.repaint = true;
    return true;
}

void SetAudioLevels(KeyboardEffectState& state, std::span<const std::int32_t, kAudioLevelCount> levels) {
    std::copy(levels.begin(), levels.end(), state.audioLevels.begin());
    state.repaint = true;
}

void SetExternalColour(KeyboardEffectState& state, lighting::Rgb colour) {
    state.external = {colour, true};
    state.repaint = true;
}

}  // namespace vandrel::devices::keyboard
