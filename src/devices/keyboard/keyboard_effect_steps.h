// The step of each keyboard effect, one function per effect, and the seeds of
// the effects that start from a pattern. keyboard_effects.cpp dispatches to
// them by effect number; nothing else calls them.
#pragma once

#include <cstdint>

#include "devices/keyboard/keyboard_effects.h"

namespace vandrel::devices::keyboard::steps {

// What one step works on.
struct Frame {
    KeyboardEffectState& state;
    const KeyboardLook& look;
    lighting::LedBuffer& leds;
    std::uint64_t now;
    EffectRandom& random;
};

// ---- Seeds ------------------------------------------------------------------------

void SeedRainbow(KeyboardEffectState& state);
void SeedBouncingLight(KeyboardEffectState& state);
void SeedStaggeredPulses(KeyboardEffectState& state);
void SeedTravellingLight(KeyboardEffectState& state);
void SeedDiagonalPulses(KeyboardEffectState& state);

// ---- Waves and static patterns --------------------------------------------------

void ColumnWave(Frame& f);           // 1
void ColumnPulses(Frame& f);         // 2
void SerpentineWave(Frame& f);       // 3
void ColourCycle(Frame& f);          // 4
void Breathing(Frame& f);            // 5
void StaticRings(Frame& f);          // 6
void Rainbow(Frame& f);              // 11
void RowWave(Frame& f);              // 12
void StaggeredPulses(Frame& f);      // 15
void ChosenHue(Frame& f);            // 17
void RingWave(Frame& f);             // 18
void PerKeyColours(Frame& f);        // 20
void RunningLight(Frame& f);         // 21
void DiagonalPulses(Frame& f);       // 22
void Flashing(Frame& f);             // 23
void Sweep(Frame& f);                // 24
void FourColourBreathing(Frame& f);  // 26
void FourColourFlashing(Frame& f);   // 27
void AllOff(Frame& f);               // 28
void AudioLevels(Frame& f);          // 29
void ReceivedColour(Frame& f);       // 30

// ---- Lights that move and fade ----------------------------------------------------

void ReactiveKeys(Frame& f);     // 7
void Cross(Frame& f);            // 8
void FlashCross(Frame& f);       // 9
void Twinkle(Frame& f);          // 10
void BouncingLight(Frame& f);    // 13
void Show(Frame& f);             // 14
void TravellingLight(Frame& f);  // 16
void SpreadingKeys(Frame& f);    // 25

// The show's stages, in order; after the last the first again.
enum ShowStage : std::uint8_t {
    kStageColumns,     // twenty steps, six keys each
    kStagePairs,       // 31 steps, a pair of keys each
    kStageWaitCentre,  // until position 72 is dark
    kStageFlood,       // spreading from position 52 until position 124 is lit
    kStageWaitCorner,  // until position 124 is dark
    kStageCount,
};

}  // namespace vandrel::devices::keyboard::steps
