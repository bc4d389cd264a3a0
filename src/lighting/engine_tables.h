// The fixed tables of the lighting engine: brightness levels, the colour
// wheel, the four-colour table, the breathing and pulse curves, the blink
// periods and the step intervals of the lighting threads.
//
// Every table is constexpr data. The colour wheel and the curves are built
// from the short value lists they are made of, so the lists can be checked
// against the wheel's anchor hues instead of 192 hand-typed entries.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace vandrel::lighting {

struct Rgb {
    std::uint8_t red = 0;
    std::uint8_t green = 0;
    std::uint8_t blue = 0;

    friend constexpr bool operator==(const Rgb&, const Rgb&) = default;
};

// ---- Brightness -----------------------------------------------------------

inline constexpr std::array<std::uint8_t, 5> kBrightnessLevels{0, 80, 135, 195, 255};

// Alpha of a brightness level; levels above 4 read as 4.
constexpr std::uint8_t LevelAlpha(std::uint8_t level) {
    return kBrightnessLevels[level < kBrightnessLevels.size() ? level : kBrightnessLevels.size() - 1];
}

// ---- Colour wheel ---------------------------------------------------------

inline constexpr std::size_t kWheelSize = 192;

namespace detail {

// The values a channel takes across one 32-entry segment of the wheel.
inline constexpr std::array<std::uint8_t, 32> kRising{1,   3,   5,   7,   10,  14,  18,  22,  26,  32,  38,
                                                      44,  50,  57,  65,  73,  81,  89,  99,  109, 119, 129,
                                                      140, 152, 164, 176, 188, 200, 213, 227, 241, 255};
inline constexpr std::array<std::uint8_t, 32> kFalling{248, 234, 220, 206, 194, 182, 170, 158, 146, 134, 124,
                                                       114, 104, 94,  85,  77,  69,  61,  53,  47,  41,  35,
                                                       29,  24,  20,  16,  12,  8,   6,   4,   2,   0};

// Six segments: red -> yellow -> green -> cyan -> blue -> magenta -> red.
// Each names the channel that changes and whether it rises or falls; the
// other two channels hold the segment's start colour.
struct WheelSegment {
    Rgb start;
    int channel;  // 0 red, 1 green, 2 blue
    bool rising;
};
inline constexpr std::array<WheelSegment, 6> kWheelSegments{{
    {{255, 0, 0}, 1, true},     // red -> yellow: green rises
    {{255, 255, 0}, 0, false},  // yellow -> green: red falls
    {{0, 255, 0}, 2, true},     // green -> cyan: blue rises
    {{0, 255, 255}, 1, false},  // cyan -> blue: green falls
    {{0, 0, 255}, 0, true},     // blue -> magenta: red rises
    {{255, 0, 255}, 2, false},  // magenta -> red: blue falls
}};

constexpr std::array<Rgb, kWheelSize> BuildColourWheel() {
    std::array<Rgb, kWheelSize> wheel{};
    for (std::size_t s = 0; s < kWheelSegments.size(); ++s) {
        const WheelSegment& segment = kWheelSegments[s];
        for (std::size_t i = 0; i < kRising.size(); ++i) {
            Rgb c = segment.start;
            const std::uint8_t v = segment.rising ? kRising[i] : kFalling[i];
            (segment.channel == 0 ? c.red : segment.channel == 1 ? c.green : c.blue) = v;
            wheel[s * kRising.size() + i] = c;
        }
    }
    return wheel;
}

}  // namespace detail

inline constexpr std::array<Rgb, kWheelSize> kColourWheel = detail::BuildColourWheel();

// Entry h of the wheel for any byte h: 192..255 repeat 0..63.
constexpr Rgb WheelColour(std::uint8_t hue) { return kColourWheel[hue % kWheelSize]; }

// ---- Four colours ---------------------------------------------------------

inline constexpr std::array<Rgb, 4> kFourColours{{{0, 255, 180}, {0, 255, 0}, {255, 255, 255}, {255, 0, 0}}};

// ---- Curves ---------------------------------------------------------------

namespace detail {

inline constexpr std::array<std::uint8_t, 64> kBreathingRise{
    0,   1,   2,   3,   4,   5,   6,   7,   8,   9,   10,  12,  14,  16,  18,  20,  22,  24,  27,  30,  33,  36,
    39,  42,  45,  49,  53,  57,  61,  65,  69,  73,  77,  81,  85,  89,  94,  99,  104, 109, 114, 119, 124, 129,
    134, 140, 146, 152, 158, 164, 170, 176, 182, 188, 194, 200, 206, 213, 220, 227, 234, 241, 248, 255};

inline constexpr std::array<std::uint8_t, 25> kPulseAttack{
    0, 4, 8, 14, 22, 33, 45, 61, 77, 84, 100, 110, 120, 130, 140, 150, 158, 166, 175, 182, 191, 204, 220, 234, 255};

constexpr std::array<std::uint8_t, 128> BuildBreathing128() {
    std::array<std::uint8_t, 128> curve{};
    for (std::size_t i = 0; i < kBreathingRise.size(); ++i) {
        curve[i] = kBreathingRise[i];
        curve[curve.size() - 1 - i] = kBreathingRise[i];
    }
    return curve;
}

}  // namespace detail

// Rising over steps 0..63, the same values falling over 64..127.
inline constexpr std::array<std::uint8_t, 128> kBreathingCurve128 = detail::BuildBreathing128();

// Steps 16..111 of the 128-step curve: 22 .. 255, 255 .. 22.
inline constexpr std::array<std::uint8_t, 96> kBreathingCurve96 = [] {
    std::array<std::uint8_t, 96> curve{};
    for (std::size_t i = 0; i < curve.size(); ++i) curve[i] = kBreathingCurve128[16 + i];
    return curve;
}();

// Steps 192..255 of the pulse curve: the keyboard's per-column phase table.
inline constexpr std::size_t kPulsePhaseTableStart = 192;

// A sharp attack (steps 0..24), the falling half of the breathing curve from
// 248 down with one extra 2 (steps 25..88), then dark up to step 191; the
// last 64 bytes are the keyboard's per-column phase table, all 0 here.
inline constexpr std::array<std::uint8_t, 256> kPulseCurve256 = [] {
    std::array<std::uint8_t, 256> curve{};
    std::size_t at = 0;
    for (const std::uint8_t v : detail::kPulseAttack) curve[at++] = v;
    // 248, 241, ... 4, 3, 2, then the extra 2, then 1, 0.
    for (std::size_t i = detail::kBreathingRise.size() - 1; i-- > 0;) {
        curve[at++] = detail::kBreathingRise[i];
        if (detail::kBreathingRise[i] == 2) curve[at++] = 2;
    }
    return curve;
}();

// ---- Timing ---------------------------------------------------------------

inline constexpr std::size_t kSpeedCount = 5;

// Blink period by speed 0..4: units of 200 ms for blinking, units of
// lighting-thread ticks for the light-effect list and the per-key colour cycle.
inline constexpr std::array<std::uint8_t, kSpeedCount> kBlinkPeriods{28, 23, 18, 13, 7};

// Speeds above 4 read as 4 in every speed-indexed table.
constexpr std::size_t SpeedIndex(std::uint8_t speed) { return speed < kSpeedCount ? speed : kSpeedCount - 1; }

constexpr std::uint8_t BlinkPeriod(std::uint8_t speed) { return kBlinkPeriods[SpeedIndex(speed)]; }

// Which interval table a device's lighting thread uses.
enum class IntervalTable {
    kEffect,  // the keyboard's effects, row = effect number
    kDevice,  // mice, mouse pad and headset, row = mode
};

// Lighting-thread ticks between two steps of an effect. Rows beyond a table
// take its ordinary row; speeds above 4 read as 4.
std::uint8_t Interval(IntervalTable table, std::size_t row, std::uint8_t speed);

}  // namespace vandrel::lighting
