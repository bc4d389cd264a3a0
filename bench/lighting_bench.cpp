// Cost of one step of each lighting effect, for a mouse-sized buffer (15
// LEDs) and a full one (170 LEDs). Each iteration is one frame at the next tick.
#include <benchmark/benchmark.h>

#include <vector>

#include "lighting/engine.h"

namespace {

using namespace vandrel::lighting;
using vandrel::profiles::EffectStep;
using vandrel::profiles::LightListEntry;

struct Frame {
    explicit Frame(std::size_t ledCount) : leds(ledCount) {
        state.light.Light = 4;
        state.light.Speed = 4;
        state.light.Fx = 1;
        state.light.MultiColor = 1;
        state.light.Red = 200;
        for (std::size_t i = 0; i < ledCount; ++i) {
            const auto mode = static_cast<std::uint8_t>(i % 5);
            entries.push_back({.mode = mode,
                               .brightness = 4,
                               .speed = static_cast<std::uint8_t>(i % 5),
                               .direction = 0,
                               .multiColor = static_cast<std::uint8_t>(i % 2),
                               .red = 10,
                               .green = 20,
                               .blue = 30,
                               .valid = 1});
            groups.push_back(static_cast<std::uint8_t>(i % 7));
        }
        steps = {{.mode = 0, .brightness = 4, .speed = 4, .multiColor = 1, .time = 500},
                 {.mode = 4, .brightness = 3, .speed = 4, .multiColor = 1, .time = 500},
                 {.mode = 2, .brightness = 4, .speed = 4, .red = 255, .time = 500}};
    }

    EngineState state;
    LedBuffer leds;
    std::vector<LightListEntry> entries;
    std::vector<std::uint8_t> groups;
    std::vector<EffectStep> steps;
};

template <typename StepFn>
void BM_Step(benchmark::State& bench, StepFn step) {
    Frame frame(static_cast<std::size_t>(bench.range(0)));
    std::uint64_t tick = 0;
    for (auto _ : bench) {
        step(frame, ++tick);
        benchmark::DoNotOptimize(frame.leds.Get(0));
    }
}

#define LIGHTING_BENCH(name, ...) BENCHMARK_CAPTURE(BM_Step, name, __VA_ARGS__)->Arg(15)->Arg(170)

LIGHTING_BENCH(breathing, [](Frame& f, std::uint64_t) { StepBreathing(f.state, f.leds); });
LIGHTING_BENCH(four_colour_breathing, [](Frame& f, std::uint64_t) { StepFourColourBreathing(f.state, f.leds); });
LIGHTING_BENCH(static_colour, [](Frame& f, std::uint64_t) { StepStatic(f.state, f.leds); });
LIGHTING_BENCH(colour_cycle, [](Frame& f, std::uint64_t) { StepColourCycle(f.state, f.leds); });
LIGHTING_BENCH(flashing, [](Frame& f, std::uint64_t tick) { StepFlashing(f.state, f.leds, tick); });
LIGHTING_BENCH(four_colour_flashing,
               [](Frame& f, std::uint64_t tick) { StepFourColourFlashing(f.state, f.leds, tick); });
LIGHTING_BENCH(all_off, [](Frame& f, std::uint64_t) { StepAllOff(f.leds); });
LIGHTING_BENCH(wave_7_groups, [](Frame& f, std::uint64_t) { StepWave(f.state, f.leds, 7, f.groups); });
LIGHTING_BENCH(reactive_decay_ring, [](Frame& f, std::uint64_t) {
    LightMarkedLevels(f.state);
    RotateRing(f.state, true);
    for (std::size_t i = 0; i < f.leds.Size(); ++i) DecayLevel(f.state, i, 0);
});
LIGHTING_BENCH(per_key_overlay, [](Frame& f, std::uint64_t tick) { f.state.overlay.Apply(f.entries, f.leds, tick); });
LIGHTING_BENCH(effect_list_player, [](Frame& f, std::uint64_t tick) { f.state.player.Play(f.steps, 4, f.leds, tick); });

}  // namespace
