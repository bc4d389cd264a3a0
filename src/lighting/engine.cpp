#include "lighting/engine.h"

#include <algorithm>

namespace vandrel::lighting {
namespace {

// One band of a fading profile: a level of at least `from` loses `minus`.
struct DecayBand {
    std::uint8_t from;
    std::uint8_t minus;
};

// Bands from the top down; the first that a level reaches applies.
constexpr std::array<DecayBand, 5> kKeyDecay{{{128, 40}, {64, 30}, {32, 15}, {17, 8}, {1, 1}}};
constexpr std::array<DecayBand, 9> kAudioDecay{
    {{144, 45}, {128, 40}, {112, 35}, {96, 30}, {80, 25}, {64, 20}, {32, 10}, {17, 5}, {1, 1}}};
constexpr std::array<DecayBand, 5> kOtherDecay{{{128, 40}, {64, 30}, {32, 10}, {17, 8}, {1, 1}}};

constexpr int kKeyDecayProfile = 0;
constexpr int kAudioDecayProfile = 29;

std::span<const DecayBand> DecayBands(int profile) {
    if (profile == kKeyDecayProfile) return kKeyDecay;
    if (profile == kAudioDecayProfile) return kAudioDecay;
    return kOtherDecay;
}

}  // namespace

Look RunningLook(const EngineState& state) {
    const profiles::LightInfo& light = state.light;
    return {light.Light, light.Speed, light.Fx, light.MultiColor, {light.Red, light.Green, light.Blue}};
}

bool LoadLightInfo(EngineState& state, const profiles::LightInfo& info) {
    const bool changed = state.light.SelectItem != info.SelectItem;
    state.light = info;
    return changed;
}

void ResetEffect(EngineState& state, std::uint64_t now) { state.counters = EffectCounters{.lastBlinkTick = now}; }

void StepBreathing(EngineState& state, LedBuffer& leds) { StepBreathing(state.counters, RunningLook(state), leds); }

void StepFourColourBreathing(EngineState& state, LedBuffer& leds) {
    StepFourColourBreathing(state.counters, RunningLook(state), leds);
}

void StepStatic(EngineState& state, LedBuffer& leds) { StepStatic(RunningLook(state), leds); }

void StepColourCycle(EngineState& state, LedBuffer& leds) { StepColourCycle(state.counters, RunningLook(state), leds); }

void StepFlashing(EngineState& state, LedBuffer& leds, std::uint64_t now) {
    StepFlashing(state.counters, RunningLook(state), leds, now);
}

void StepFourColourFlashing(EngineState& state, LedBuffer& leds, std::uint64_t now) {
    StepFourColourFlashing(state.counters, RunningLook(state), leds, now);
}

void StepWave(EngineState& state, LedBuffer& leds, std::uint8_t stride, std::span<const std::uint8_t> positionOfLed) {
    StepWave(state.counters, RunningLook(state), leds, stride, positionOfLed);
}

std::uint8_t DecayLevel(std::uint8_t level, int profile) {
    for (const DecayBand& band : DecayBands(profile))
        if (level >= band.from) return static_cast<std::uint8_t>(level - band.minus);
    return level;
}

void DecayLevel(EngineState& state, std::size_t index, int profile) {
    if (index < state.levels.size()) state.levels[index] = DecayLevel(state.levels[index], profile);
}

void LightMarkedLevels(EngineState& state, std::size_t count) {
    const std::size_t marked = std::min(count, state.ring.size());
    for (std::size_t i = 0; i < marked; ++i)
        if (state.ring[i] != 0) state.levels[i] = 255;
}

void RotateRing(EngineState& state, bool towardsEnd) { RotateRing(state, towardsEnd, state.ring.size()); }

void RotateRing(EngineState& state, bool towardsEnd, std::size_t count) {
    const auto first = state.ring.begin();
    const auto last = first + static_cast<std::ptrdiff_t>(std::min(count, state.ring.size()));
    if (last - first < 2) return;
    if (towardsEnd) std::rotate(first, last - 1, last);
    else std::rotate(first, first + 1, last);
}

void ClearReactive(EngineState& state) {
    state.levels.fill(0);
    state.ring.fill(0);
}

}  // namespace vandrel::lighting
