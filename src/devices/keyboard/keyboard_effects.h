// The keyboard's thirty lighting effects, computed on the computer for the
// preview of its keys and for the per-key overlay.
//
// How a device's lighting thread drives them:
//   - when the running effect changes: StartEffect(state, effect, now); its
//     result says whether to load the custom colour group (effect 20) and
//     whether to restart the light list;
//   - ticksUntilNextStep: nothing while IsIdle(effect, state) (and no light
//     list or overlay of the device's own runs), else EffectInterval(effect,
//     speed);
//   - runStep: StepEffect(effect, state, look, leds, now, random);
//   - a key event: ReactToKey(...); when it returns true the thread is woken;
//   - a settings change that keeps the effect (brightness, colour, per-key
//     colours of effect 20): RequestRepaint(state), then wake the thread;
//   - SetAudioLevels and SetExternalColour hand in the inputs of effects 29
//     and 30 (and ask for a repaint themselves).
//
// Key position p is LED p. Effect numbers outside 1..30 run no step. No
// function here allocates, reads a clock or draws its own random numbers.
//
// Single writer: the state belongs to the device's lighting thread; the device
// serialises key events, audio levels and colours onto it.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <random>
#include <span>

#include "devices/keyboard/keyboard_effect_tables.h"
#include "lighting/base_effects.h"
#include "lighting/led_color.h"
#include "profiles/profile_records.h"

namespace vandrel::devices::keyboard {

inline constexpr std::uint8_t kFirstEffect = 1;
inline constexpr std::uint8_t kLastEffect = 30;
inline constexpr std::size_t kAudioLevelCount = 25;

// The travelling-light bitmaps, one byte per grid column (bit r: row r of
// kGrid7), each moving its lights one cell per step the named way.
enum Bitmap : std::size_t { kMovesLeft, kMovesRight, kMovesUp, kMovesDown, kBitmapCount };
using ColumnBitmap = std::array<std::uint8_t, kGridColumns>;

struct ExternalColour {
    lighting::Rgb colour;
    bool received = false;
};

// Key reaction states.
enum Reaction : std::uint8_t { kKeyIdle = 0, kKeyPressed = 1, kKeyReleased = 2 };

struct KeyboardEffectState {
    using PositionBytes = std::array<std::uint8_t, kPositionCount>;

    PositionBytes brightness{};  // per-position level 0..255 (or a pulse counter)
    PositionBytes hue{};         // per-position wheel index
    PositionBytes reaction{};    // Reaction of each key
    PositionBytes spare{};
    lighting::EffectCounters counters;  // counters.step is the step counter
    std::uint8_t columnPhase = 0;
    std::uint8_t subCounter = 0;
    std::uint8_t stage = 0;  // phase of a multi-stage effect
    std::array<ColumnBitmap, kBitmapCount> bitmaps{};
    std::array<std::int32_t, kAudioLevelCount> audioLevels{};
    ExternalColour external;
    bool repaint = true;  // a change the next step has to show
};

// The running settings an effect step reads.
struct KeyboardLook {
    lighting::Look base;
    std::uint8_t zzccMode = 0;    // effect 17's colour
    std::uint8_t audioStyle = 0;  // effect 29's drawing
};
KeyboardLook KeyboardLookOf(const profiles::LightInfo& light, std::uint8_t audioStyle = 0);

// Random numbers for hues and twinkling; the device seeds it, tests fix it.
using EffectRandom = std::minstd_rand;

// ---- Starting and pacing ------------------------------------------------------

// What the device does after StartEffect.
struct StartActions {
    bool loadCustomGroup = false;  // effect 20: load the per-key colours first
    bool resetLightList = false;   // restart the light list
};

// Clears the effect state (the external colour is kept) and seeds the
// effects that start from a pattern: 11 rainbow, 13 bouncing light, 15
// staggered pulses, 16 travelling light, 22 diagonal pulses. The blink period
// of effects 23 and 27 counts from `now`.
StartActions StartEffect(KeyboardEffectState& state, std::uint8_t effect, std::uint64_t now);

// Lighting-thread ticks between two steps at this speed (0 slowest .. 4).
std::uint8_t EffectInterval(std::uint8_t effect, std::uint8_t speed);

// ---- Stepping ---------------------------------------------------------------------

// One step of the effect: advances the state and paints the LEDs.
void StepEffect(std::uint8_t effect, KeyboardEffectState& state, const KeyboardLook& look, lighting::LedBuffer& leds,
                std::uint64_t now, EffectRandom& random);

// How an effect changes over time.
enum class EffectActivity : std::uint8_t {
    kNone,       // not an effect: nothing to step
    kLightList,  // 19: the device's light-list player runs instead
    kStatic,     // one step paints it (6, 17, 20, 28, 30)
    kReactive,   // moves only while keys light it (7, 8, 9, 25)
    kAnimated,   // changes at every step
};
EffectActivity ActivityOf(std::uint8_t effect);

// True when a step of this effect would change nothing: a static effect
// already painted, a reactive one with every key dark and none held, an
// effect number without a step. The device's own light list and per-key
// overlay are not counted here.
bool IsIdle(std::uint8_t effect, const KeyboardEffectState& state);

// The next step repaints even a static effect.
void RequestRepaint(KeyboardEffectState& state);

// ---- Inputs -----------------------------------------------------------------------

enum class KeyAction : std::uint8_t { kPressed, kReleased };

// A key event of key position `position`. Only effects 7, 8, 9 and 25 react,
// and 8 and 9 only to presses. True when the state changed (wake the thread).
bool ReactToKey(KeyboardEffectState& state, std::uint8_t effect, std::uint8_t position, KeyAction action,
                EffectRandom& random);

// The audio levels effect 29 draws at its next step (which takes and clears them).
void SetAudioLevels(KeyboardEffectState& state, std::span<const std::int32_t, kAudioLevelCount> levels);

// The colour effect 30 shows from now on.
void SetExternalColour(KeyboardEffectState& state, lighting::Rgb colour);

}  // namespace vandrel::devices::keyboard
