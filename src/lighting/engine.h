// A device's lighting engine: the running lighting settings, the effect
// counters, the reactive levels and ring, the per-key overlay and the
// light-effect list player, with the steps that advance them frame by frame.
//
// Single writer: an EngineState belongs to its device's lighting thread,
// which alone reads and writes it. The user-interface thread never touches
// it; it hands new settings to the device, and the lighting thread takes
// them in with LoadLightInfo. The LED buffer the steps paint is the shared
// part: its entries are atomic words read by the stream and the preview.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>

#include "lighting/base_effects.h"
#include "lighting/effect_list_player.h"
#include "lighting/led_color.h"
#include "lighting/light_overlay.h"
#include "profiles/profile_records.h"

namespace vandrel::lighting {

inline constexpr std::size_t kLevelCount = 170;
inline constexpr std::size_t kRingSize = 23;
// The base class lights the levels of the first nine ring positions.
inline constexpr std::size_t kBaseMarkedLevels = 9;

struct EngineState {
    profiles::LightInfo light;  // the running settings: mode, level, speed, direction, colours
    EffectCounters counters;
    std::array<std::uint8_t, kLevelCount> levels{};
    std::array<std::uint8_t, kLevelCount> hues{};
    std::array<std::uint8_t, kRingSize> ring{};
    LightOverlay overlay;
    EffectListPlayer player;
};

// The running settings as the effect steps read them.
Look RunningLook(const EngineState& state);

// Takes new settings into the running state; true when the effect changed,
// and the caller then restarts what its effects keep (ResetEffect, and
// ClearReactive for the reactive ones).
bool LoadLightInfo(EngineState& state, const profiles::LightInfo& info);

// A fresh start of the running effect at tick `now`: step, colour index and
// blink phase back to 0, the blink period counting from `now`.
void ResetEffect(EngineState& state, std::uint64_t now);

// ---- The base effects on the running settings -------------------------------

void StepBreathing(EngineState& state, LedBuffer& leds);
void StepFourColourBreathing(EngineState& state, LedBuffer& leds);
void StepStatic(EngineState& state, LedBuffer& leds);
void StepColourCycle(EngineState& state, LedBuffer& leds);
void StepFlashing(EngineState& state, LedBuffer& leds, std::uint64_t now);
void StepFourColourFlashing(EngineState& state, LedBuffer& leds, std::uint64_t now);
void StepWave(EngineState& state, LedBuffer& leds, std::uint8_t stride,
              std::span<const std::uint8_t> positionOfLed = {});

// ---- Reactive lighting ------------------------------------------------------

// A level lowered once under a fading profile: 0 (the reactive keys), 29
// (the audio effect) or any other. A level of 0 stays 0.
std::uint8_t DecayLevel(std::uint8_t level, int profile);
// Lowers level `index` once; an index beyond the levels is ignored.
void DecayLevel(EngineState& state, std::size_t index, int profile);

// Every ring position below `count` whose byte is set lights its level to
// 255. `count` is at most the ring's size.
void LightMarkedLevels(EngineState& state, std::size_t count = kBaseMarkedLevels);

// Rotates the whole ring by one place: towards its end (the last byte comes
// round to the front) when `towardsEnd` is set, towards its start otherwise.
void RotateRing(EngineState& state, bool towardsEnd);
// The same over the first `count` bytes only (at most the ring's size).
void RotateRing(EngineState& state, bool towardsEnd, std::size_t count);

// All levels and all ring bytes to 0.
void ClearReactive(EngineState& state);

}  // namespace vandrel::lighting
