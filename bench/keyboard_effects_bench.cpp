// Cost of one step of each keyboard effect over its 170 LEDs (132 of them
// keys). The argument is the effect number; each iteration is one step at the
// next tick. The reactive effects get a key pressed every 32 steps so that
// they have something to draw.
#include <benchmark/benchmark.h>

#include "devices/keyboard/keyboard_effects.h"

namespace {

using namespace vandrel::devices::keyboard;

void BM_KeyboardEffectStep(benchmark::State& bench) {
    const auto effect = static_cast<std::uint8_t>(bench.range(0));
    KeyboardEffectState state;
    KeyboardLook look{.base = {.brightness = 4, .speed = 4, .direction = 1, .colourful = 1, .colour = {200, 40, 10}},
                      .zzccMode = 2};
    vandrel::lighting::LedBuffer leds(kPositionCount);
    EffectRandom random(7);
    StartEffect(state, effect, 0);
    SetExternalColour(state, {10, 20, 30});
    std::uint64_t tick = 0;
    for (auto _ : bench) {
        ++tick;
        if (tick % 32 == 0) {
            const auto key = kSerpentine[tick / 32 % kSerpentine.size()];
            ReactToKey(state, effect, key, KeyAction::kPressed, random);
            ReactToKey(state, effect, key, KeyAction::kReleased, random);
        }
        StepEffect(effect, state, look, leds, tick, random);
        benchmark::DoNotOptimize(leds.Get(51));
    }
}

BENCHMARK(BM_KeyboardEffectStep)->DenseRange(kFirstEffect, kLastEffect);

}  // namespace
