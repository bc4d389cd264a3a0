#include "devices/keyboard/keyboard_effect_steps.h"

#include <algorithm>

#include "lighting/engine.h"

namespace vandrel::devices::keyboard::steps {
namespace {

using lighting::Dim;
using lighting::kBreathingCurve128;
using lighting::kBreathingCurve96;
using lighting::kPulseCurve256;
using lighting::LevelAlpha;
using lighting::Rgb;
using lighting::WheelColour;

constexpr unsigned kWheel = lighting::kWheelSize;
constexpr unsigned kShortWave = 96;  // the 96-step breathing wave of the fixed colour
constexpr std::uint8_t kColumnHueStride = 7;
constexpr std::uint8_t kSerpentineStride = 5;
constexpr std::uint8_t kRowHueStride = 24;
constexpr std::uint8_t kRingHueStride = 7;
constexpr std::uint8_t kFullLevel = 255;
constexpr int kKeyFade = 0;  // the decay profile of the key effects
constexpr std::uint8_t kHueTurn = 7;
constexpr std::uint8_t kTopRowBit = 1u << 0;
constexpr std::uint8_t kBottomRowBit = 1u << (kGrid7Rows - 1);
constexpr std::uint8_t kRowsMask = (1u << kGrid7Rows) - 1;

// ---- Painting ---------------------------------------------------------------------

std::uint8_t Level(const Frame& f) { return LevelAlpha(f.look.base.brightness); }

void PaintKey(Frame& f, std::uint8_t key, Rgb colour, std::uint8_t alpha) {
    if (key != kNoKey) lighting::Paint(f.leds, key, colour, alpha);
}

// The key's hue from the wheel, or the fixed colour when `colourful` is off.
Rgb KeyColour(const Frame& f, std::uint8_t key, bool colourful) {
    return colourful ? WheelColour(f.state.hue[key]) : f.look.base.colour;
}

// Every key in its colour, dimmed by its level byte; a dark key is black, so
// that hues turning under dark keys change no LED.
void PaintLevels(Frame& f, bool colourful) {
    const std::uint8_t level = Level(f);
    for (const std::uint8_t key : kSerpentine) {
        const std::uint8_t alpha = Dim(f.state.brightness[key], level);
        PaintKey(f, key, alpha != 0 ? KeyColour(f, key, colourful) : Rgb{}, alpha);
    }
}

// One key of a wave at `index`: the wheel entry at the brightness level, or
// the fixed colour dimmed by `curve` at the index.
void PaintWaveKey(Frame& f, std::uint8_t key, unsigned index, std::span<const std::uint8_t> curve) {
    if (f.look.base.colourful) PaintKey(f, key, WheelColour(static_cast<std::uint8_t>(index)), Level(f));
    else PaintKey(f, key, f.look.base.colour, Dim(curve[index % curve.size()], Level(f)));
}

// Advances the step counter over `steps` in the running direction.
std::uint8_t Advance(Frame& f, unsigned steps) {
    f.state.counters.step =
        lighting::Step(f.look.base.direction, static_cast<std::uint8_t>(steps), f.state.counters.step, 1);
    return f.state.counters.step;
}

// A wave's length: the wheel with colours, the short wave with the fixed colour.
unsigned WaveSteps(const Frame& f) { return f.look.base.colourful ? kWheel : kShortWave; }

std::uint8_t RandomHue(EffectRandom& random) { return static_cast<std::uint8_t>(random() % kWheel); }

// ---- Levels -----------------------------------------------------------------------

void FadeAll(KeyboardEffectState& s) {
    for (std::uint8_t& level : s.brightness) level = lighting::DecayLevel(level, kKeyFade);
}

void TurnHues(KeyboardEffectState& s) {
    for (std::uint8_t& hue : s.hue) hue = lighting::AdvanceHue(hue, kHueTurn);
}

void LightKey(KeyboardEffectState& s, std::uint8_t key) {
    if (key != kNoKey) s.brightness[key] = kFullLevel;
}

// ---- Bitmaps ----------------------------------------------------------------------

std::uint8_t ColumnBits(const KeyboardEffectState& s, std::size_t column) {
    std::uint8_t bits = 0;
    for (const ColumnBitmap& bitmap : s.bitmaps) bits |= bitmap[column];
    return bits;
}

void SetInAll(KeyboardEffectState& s, std::size_t column, std::uint8_t bit) {
    for (ColumnBitmap& bitmap : s.bitmaps) bitmap[column] |= bit;
}

// Every cell set in any bitmap lights its key.
void LightBitmaps(KeyboardEffectState& s) {
    for (std::size_t c = 0; c < kGridColumns; ++c) {
        const std::uint8_t bits = ColumnBits(s, c);
        for (std::size_t r = 0; r < kGrid7Rows; ++r)
            if (bits & (1u << r)) LightKey(s, kGrid7[c][r]);
    }
}

// Each bitmap one cell further its way; what leaves the grid is gone.
void MoveBitmaps(KeyboardEffectState& s) {
    ColumnBitmap& left = s.bitmaps[kMovesLeft];
    std::copy(left.begin() + 1, left.end(), left.begin());
    left.back() = 0;
    ColumnBitmap& right = s.bitmaps[kMovesRight];
    std::copy_backward(right.begin(), right.end() - 1, right.end());
    right.front() = 0;
    for (std::uint8_t& bits : s.bitmaps[kMovesUp]) bits = static_cast<std::uint8_t>(bits >> 1);
    for (std::uint8_t& bits : s.bitmaps[kMovesDown]) bits = static_cast<std::uint8_t>((bits << 1) & kRowsMask);
}

// A light at `column` and row bit `bit` in all four bitmaps, sent out again
// once the column holds nothing but that light or nothing at all.
void Renew(KeyboardEffectState& s, std::size_t column, std::uint8_t bit) {
    const std::uint8_t bits = ColumnBits(s, column);
    if (bits == 0 || bits == bit) SetInAll(s, column, bit);
}

void ClearBitmaps(KeyboardEffectState& s) {
    for (ColumnBitmap& bitmap : s.bitmaps) bitmap.fill(0);
}

// The first bitmap grown by one cell in each of the four directions.
void SpreadFirstBitmap(KeyboardEffectState& s) {
    const ColumnBitmap was = s.bitmaps[0];
    for (std::size_t c = 0; c < kGridColumns; ++c) {
        auto bits = static_cast<std::uint8_t>(was[c] | was[c] << 1 | was[c] >> 1);
        if (c > 0) bits |= was[c - 1];
        if (c + 1 < kGridColumns) bits |= was[c + 1];
        s.bitmaps[0][c] = bits & kRowsMask;
    }
}

// Every cell of grid column `column` and of grid row `row`.
void LightCross(KeyboardEffectState& s, std::size_t column, std::size_t row) {
    for (const std::uint8_t key : kGrid7[column]) LightKey(s, key);
    for (const Grid7Column& keys : kGrid7) LightKey(s, keys[row]);
}

// ---- Pulses -----------------------------------------------------------------------

// Per-key counters over the wheel's length; each wrap takes a new random
// hue. Alpha follows the sharp pulse curve.
void Pulses(Frame& f, std::uint8_t by) {
    const std::uint8_t level = Level(f);
    for (const std::uint8_t key : kSerpentine) {
        std::uint8_t& counter = f.state.brightness[key];
        const unsigned next = unsigned{counter} + by;
        if (next >= kWheel) f.state.hue[key] = RandomHue(f.random);
        counter = static_cast<std::uint8_t>(next % kWheel);
        PaintKey(f, key, KeyColour(f, key, f.look.base.colourful), Dim(kPulseCurve256[counter], level));
    }
}

// ---- The show's stages -------------------------------------------------------------
// Each lights what its step shows (the sub-counter counts the stage's steps
// from 1) and tells whether the stage is over.

constexpr std::uint8_t kShowHueStride = 9;
constexpr std::uint8_t kShowPairSteps = 31;
constexpr std::uint8_t kShowCentreKey = 72, kShowFloodKey = 52, kShowCornerKey = 124;

void ShowLight(KeyboardEffectState& s, std::uint8_t key) {
    if (key == kNoKey) return;
    s.brightness[key] = kFullLevel;
    s.hue[key] = static_cast<std::uint8_t>(s.subCounter * kShowHueStride % kWheel);
}

bool ShowColumns(KeyboardEffectState& s) {
    for (const std::uint8_t key : kShowSteps[(s.subCounter - 1) % kShowStepCount]) ShowLight(s, key);
    return s.subCounter >= kShowStepCount;
}

bool ShowPairs(KeyboardEffectState& s) {
    for (const std::uint8_t key : kShowPairs[(s.subCounter - 1) % kShowPairCount]) ShowLight(s, key);
    return s.subCounter >= kShowPairSteps;
}

// Once the centre is dark the flood starts from its key.
bool ShowWaitCentre(KeyboardEffectState& s) {
    if (s.brightness[kShowCentreKey] != 0) return false;
    const GridCell cell = *FindPosition(kShowFloodKey);
    s.bitmaps[0][cell.column] = static_cast<std::uint8_t>(1u << Grid7Row(cell.row));
    return true;
}

bool ShowFlood(KeyboardEffectState& s) {
    for (std::size_t c = 0; c < kGridColumns; ++c)
        for (std::size_t r = 0; r < kGrid7Rows; ++r)
            if (s.bitmaps[0][c] & (1u << r)) ShowLight(s, kGrid7[c][r]);
    SpreadFirstBitmap(s);
    if (s.brightness[kShowCornerKey] == 0) return false;
    ClearBitmaps(s);
    return true;
}

bool ShowWaitCorner(KeyboardEffectState& s) { return s.brightness[kShowCornerKey] == 0; }

using ShowStageFn = bool (*)(KeyboardEffectState&);
constexpr std::array<ShowStageFn, kStageCount> kShowStages{ShowColumns, ShowPairs, ShowWaitCentre, ShowFlood,
                                                           ShowWaitCorner};

// ---- Audio ------------------------------------------------------------------------

// How effect 29 draws its levels, by audio style. No style draws yet: the
// levels are taken and the keys keep their colours.
using AudioDraw = void (*)(Frame&, std::span<const std::int32_t, kAudioLevelCount>);
constexpr std::array<AudioDraw, 0> kAudioDraws{};

void DrawAudioStyle(Frame& f, std::span<const std::int32_t, kAudioLevelCount> levels) {
    if (f.look.audioStyle < kAudioDraws.size() && kAudioDraws[f.look.audioStyle] != nullptr)
        kAudioDraws[f.look.audioStyle](f, levels);
}

}  // namespace

// ---- Seeds ------------------------------------------------------------------------

void SeedRainbow(KeyboardEffectState& state) {
    constexpr std::uint8_t kStep = 33, kSkip = 97, kSkipFrom = 160, kSkipTo = 222;
    std::uint8_t sum = 0;
    for (std::uint8_t& hue : state.hue) {
        hue = sum;
        sum = static_cast<std::uint8_t>(sum + (sum >= kSkipFrom && sum <= kSkipTo ? kSkip : kStep));
    }
}

void SeedBouncingLight(KeyboardEffectState& state) { SetInAll(state, 9, kBottomRowBit); }

void SeedStaggeredPulses(KeyboardEffectState& state) {
    for (std::size_t c = 0; c < kGridColumns; ++c)
        for (const std::uint8_t key : kKeyGrid[c])
            if (key != kNoKey) {
                state.brightness[key] = kColumnPhases[c];
                state.hue[key] = static_cast<std::uint8_t>(c * kColumnHueStride);
            }
}

void SeedTravellingLight(KeyboardEffectState& state) { SetInAll(state, 1, kTopRowBit); }

void SeedDiagonalPulses(KeyboardEffectState& state) {
    constexpr int kColumnShift = 8, kRowShift = 35;
    for (std::size_t c = 0; c < kGridColumns; ++c)
        for (std::size_t r = 0; r < kGridRows; ++r) {
            const std::uint8_t key = kKeyGrid[c][r];
            if (key == kNoKey) continue;
            const int counter =
                static_cast<int>(kWheel) - kColumnShift * static_cast<int>(c) - kRowShift * static_cast<int>(r);
            state.brightness[key] = static_cast<std::uint8_t>(((counter % 192) + 192) % 192);
            state.hue[key] = static_cast<std::uint8_t>(c * kColumnHueStride);
        }
}

// ---- Waves and static patterns --------------------------------------------------

void ColumnWave(Frame& f) {
    const unsigned steps = WaveSteps(f);
    const unsigned first = Advance(f, steps) + 1u;
    for (std::size_t c = 0; c < kGridColumns; ++c)
        for (const std::uint8_t key : kKeyGrid[c])
            PaintWaveKey(f, key, (first + kColumnHueStride * c) % steps, kBreathingCurve96);
}

void ColumnPulses(Frame& f) {
    const unsigned steps = WaveSteps(f);
    const unsigned step = Advance(f, steps);
    const unsigned stride = f.look.base.colourful ? 2 : 1;
    for (std::size_t c = 0; c < kGridColumns; ++c)
        for (const std::uint8_t key : kKeyGrid[c]) PaintWaveKey(f, key, (step + stride * c) % steps, kPulseCurve256);
}

void SerpentineWave(Frame& f) {
    const unsigned steps = WaveSteps(f);
    const unsigned first = Advance(f, steps) + 1u;
    for (std::size_t i = 0; i < kSerpentine.size(); ++i)
        PaintWaveKey(f, kSerpentine[i], (first + kSerpentineStride * i) % steps, kBreathingCurve96);
}

void ColourCycle(Frame& f) { lighting::StepColourCycle(f.state.counters, f.look.base, f.leds); }

void Breathing(Frame& f) {
    const std::uint8_t alpha = Dim(kBreathingCurve128[Advance(f, kBreathingCurve128.size())], Level(f));
    for (std::size_t c = 0; c < kGridColumns; ++c) {
        const Rgb colour =
            f.look.base.colourful ? WheelColour(static_cast<std::uint8_t>(c * kColumnHueStride)) : f.look.base.colour;
        for (const std::uint8_t key : kKeyGrid[c]) PaintKey(f, key, colour, alpha);
    }
}

void StaticRings(Frame& f) {
    constexpr std::uint8_t kInnerHue = 138, kRingStep = 12;
    for (std::size_t r = 0; r < kRings.size(); ++r) {
        const Rgb colour = f.look.base.colourful ? WheelColour(static_cast<std::uint8_t>(kInnerHue - kRingStep * r))
                                                 : f.look.base.colour;
        for (const std::uint8_t key : kRings[r]) PaintKey(f, key, colour, Level(f));
    }
}

void Rainbow(Frame& f) {
    for (const std::uint8_t key : kSerpentine) {
        f.state.hue[key] = lighting::AdvanceHue(f.state.hue[key], 1);
        PaintKey(f, key, WheelColour(f.state.hue[key]), Level(f));
    }
}

void RowWave(Frame& f) {
    const unsigned first = Advance(f, kWheel) + 1u;
    for (std::size_t r = 0; r < kGridRows; ++r) {
        const auto hue = static_cast<std::uint8_t>((first + kRowHueStride * r) % kWheel);
        for (const GridColumn& column : kKeyGrid) PaintKey(f, column[r], WheelColour(hue), Level(f));
    }
}

void StaggeredPulses(Frame& f) { Pulses(f, 2); }

void ChosenHue(Frame& f) {
    constexpr std::array<std::uint8_t, 4> kHueOfMode{174, 25, 70, 95};
    const std::uint8_t hue = kHueOfMode[f.look.zzccMode < kHueOfMode.size() ? f.look.zzccMode : 0];
    for (const std::uint8_t key : kSerpentine) PaintKey(f, key, WheelColour(hue), Level(f));
}

void RingWave(Frame& f) {
    const unsigned step = Advance(f, kWheel);
    for (std::size_t r = 0; r < kRings.size(); ++r) {
        const auto hue = static_cast<std::uint8_t>((step + kRingHueStride * (r + 1)) % kWheel);
        for (const std::uint8_t key : kRings[r]) PaintKey(f, key, WheelColour(hue), Level(f));
    }
}

void PerKeyColours(Frame& f) {
    for (std::size_t i = 0; i < f.leds.Size(); ++i) {
        const lighting::LedColor c = f.leds.Get(i);
        lighting::Paint(f.leds, i, Rgb{c.red, c.green, c.blue}, Level(f));
    }
}

void RunningLight(Frame& f) {
    const std::uint8_t step = Advance(f, kRunningOrderSize);
    for (const std::uint8_t key : kSerpentine)
        f.state.brightness[key] = lighting::DecayLevel(f.state.brightness[key], kKeyFade);
    const std::uint8_t key = kRunningOrder[step];
    if (key != kNoKey) {
        f.state.brightness[key] = kFullLevel - 1;
        f.state.hue[key] = static_cast<std::uint8_t>(step % kWheel);
    }
    PaintLevels(f, f.look.base.colourful);
}

void DiagonalPulses(Frame& f) { Pulses(f, 1); }

void Flashing(Frame& f) { lighting::StepFlashing(f.state.counters, f.look.base, f.leds, f.now); }

void Sweep(Frame& f) {
    constexpr std::uint8_t kFade = 5, kHueGain = 3, kTopHue = 255;
    const std::uint8_t step = Advance(f, kSweepStepCount);
    for (std::size_t p = 0; p < kPositionCount; ++p) {
        std::uint8_t& level = f.state.brightness[p];
        std::uint8_t& hue = f.state.hue[p];
        level = level > kFade ? static_cast<std::uint8_t>(level - kFade) : 0;
        hue = hue < kTopHue - kHueGain ? static_cast<std::uint8_t>(hue + kHueGain) : kTopHue;
    }
    for (const std::uint8_t key : kSweepSteps[step])
        if (key != kNoKey) {
            f.state.brightness[key] = kFullLevel;
            f.state.hue[key] = 0;
        }
    for (const std::uint8_t key : kSerpentine) {
        if (f.look.base.colourful) PaintKey(f, key, WheelColour(f.state.hue[key]), Level(f));
        else PaintKey(f, key, f.look.base.colour, Dim(f.state.brightness[key], Level(f)));
    }
}

void FourColourBreathing(Frame& f) { lighting::StepFourColourBreathing(f.state.counters, f.look.base, f.leds); }

void FourColourFlashing(Frame& f) { lighting::StepFourColourFlashing(f.state.counters, f.look.base, f.leds, f.now); }

void AllOff(Frame& f) { lighting::StepAllOff(f.leds); }

void AudioLevels(Frame& f) {
    const std::array<std::int32_t, kAudioLevelCount> levels = f.state.audioLevels;
    f.state.audioLevels.fill(0);
    DrawAudioStyle(f, levels);
}

void ReceivedColour(Frame& f) {
    const ExternalColour& external = f.state.external;
    if (!external.received) {
        for (const std::uint8_t key : kSerpentine) PaintKey(f, key, Rgb{}, 0);
        return;
    }
    for (const std::uint8_t key : kSerpentine) PaintKey(f, key, external.colour, Level(f));
}

// ---- Lights that move and fade ----------------------------------------------------

void ReactiveKeys(Frame& f) {
    constexpr int kRise = 15, kFall = 5;
    for (const std::uint8_t key : kSerpentine) {
        std::uint8_t& level = f.state.brightness[key];
        std::uint8_t& reaction = f.state.reaction[key];
        if (reaction == kKeyPressed) level = static_cast<std::uint8_t>(std::min(255, level + kRise));
        else if (reaction == kKeyReleased) level = static_cast<std::uint8_t>(std::max(0, level - kFall));
        if (reaction == kKeyReleased && level == 0) reaction = kKeyIdle;
    }
    PaintLevels(f, true);
}

void Cross(Frame& f) {
    FadeAll(f.state);
    LightBitmaps(f.state);
    MoveBitmaps(f.state);
    TurnHues(f.state);
    PaintLevels(f, true);
}

void FlashCross(Frame& f) {
    FadeAll(f.state);
    for (std::size_t c = 0; c < kGridColumns; ++c) {
        const std::uint8_t bits = ColumnBits(f.state, c);
        for (std::size_t r = 0; r < kGrid7Rows; ++r)
            if (bits & (1u << r)) LightCross(f.state, c, r);
    }
    ClearBitmaps(f.state);
    TurnHues(f.state);
    PaintLevels(f, f.look.base.colourful);
}

void Twinkle(Frame& f) {
    constexpr int kNewLights = 6;
    FadeAll(f.state);
    for (int i = 0; i < kNewLights; ++i) {
        const std::uint8_t key = kTwinkleKeys[f.random() % kTwinkleKeys.size()];
        f.state.brightness[key] = kFullLevel;
        f.state.hue[key] = RandomHue(f.random);
    }
    PaintLevels(f, true);
}

void BouncingLight(Frame& f) {
    constexpr std::size_t kColumn = 9;
    FadeAll(f.state);
    if (f.state.subCounter == 0) {
        const std::uint8_t bits = ColumnBits(f.state, kColumn);
        if (bits == 0 || bits == kTopRowBit || bits == kBottomRowBit) SetInAll(f.state, kColumn, kBottomRowBit);
        LightBitmaps(f.state);
        MoveBitmaps(f.state);
    }
    f.state.subCounter ^= 1;
    TurnHues(f.state);
    PaintLevels(f, true);
}

void TravellingLight(Frame& f) {
    Renew(f.state, 1, kTopRowBit);
    Renew(f.state, kGridColumns - 1, kBottomRowBit);
    Cross(f);
}

void Show(Frame& f) {
    KeyboardEffectState& s = f.state;
    FadeAll(s);
    ++s.subCounter;
    const std::uint8_t stage = s.stage < kShowStages.size() ? s.stage : 0;
    if (kShowStages[stage](s)) {
        s.stage = static_cast<std::uint8_t>((stage + 1) % kShowStages.size());
        s.subCounter = 0;
    }
    PaintLevels(f, true);
}

void SpreadingKeys(Frame& f) {
    constexpr int kNeighbourGain = 60;
    KeyboardEffectState& s = f.state;
    for (const std::uint8_t key : kSerpentine) {
        if (s.reaction[key] == kKeyPressed) continue;
        s.brightness[key] = lighting::DecayLevel(s.brightness[key], kKeyFade);
        if (s.reaction[key] == kKeyReleased && s.brightness[key] == 0) s.reaction[key] = kKeyIdle;
    }
    for (std::size_t c = 0; c < kGridColumns; ++c)
        for (std::size_t r = 0; r < kGridRows; ++r) {
            const std::uint8_t key = kKeyGrid[c][r];
            if (key == kNoKey || s.reaction[key] != kKeyPressed) continue;
            s.brightness[key] = kFullLevel;
            const std::array<std::uint8_t, 4> neighbours{
                c > 0 ? kKeyGrid[c - 1][r] : kNoKey, c + 1 < kGridColumns ? kKeyGrid[c + 1][r] : kNoKey,
                r > 0 ? kKeyGrid[c][r - 1] : kNoKey, r + 1 < kGridRows ? kKeyGrid[c][r + 1] : kNoKey};
            for (const std::uint8_t n : neighbours) {
                if (n == kNoKey || s.reaction[n] == kKeyPressed) continue;
                if (s.brightness[n] == 0) s.hue[n] = s.hue[key];
                s.brightness[n] = static_cast<std::uint8_t>(std::min(255, s.brightness[n] + kNeighbourGain));
            }
        }
    PaintLevels(f, true);
}

}  // namespace vandrel::devices::keyboard::steps
