// The mouse's DPI slider positions and the resolutions they stand for.
//
// A DPI stage stores slider positions, not resolutions. The information
// block tells how a position becomes a resolution: the DPI step, the lowest
// resolution (position 0), the highest slider position and the sensor code.
// Most sensors are linear: resolution = position x step + lowest. The sensor
// 13093 (0x3325) is linear up to position 48 and then moves 200 DPI per
// position:
//     resolution = step x 48 + position x 200 + lowest - 9600   (position > 48)
// PositionOf is the exact inverse of ResolutionOf on both rules, so a typed
// resolution comes back as the nearest position at or below it.
//
// A block that makes no sense (step 0, nothing read yet, a lowest resolution
// above everything else) never divides by zero and never yields a negative
// range: step 0 counts as 1 and every position is clamped to 0..highest.
#pragma once

#include <cstdint>
#include <span>

namespace vandrel::devices::mouse {

inline constexpr std::uint16_t kSteppedSensor = 13093;  // 0x3325
inline constexpr int kSteppedBreak = 48;                // last position of the linear part
inline constexpr int kSteppedIncrement = 200;           // DPI per position after the break

struct SensorRules {
    std::uint16_t sensorCode = 0;
    std::uint8_t step = 0;
    std::uint16_t highestPosition = 0;
    std::uint16_t lowestDpi = 0;

    bool operator==(const SensorRules&) const = default;
};

// Bytes 9-10 sensor code, 11 step, 12-13 highest position, 14-15 lowest DPI
// of the 34-byte information block (little-endian).
SensorRules SensorRulesFromInfo(std::span<const std::uint8_t> infoBlock);

// The step used in arithmetic: the block's, or 1 for a step of 0.
int EffectiveStep(const SensorRules& rules);

// Position -> resolution; the position is first clamped to 0..highest.
int ResolutionOf(const SensorRules& rules, int position);

// Typed resolution -> position: below the lowest resolution gives position 0,
// above the top gives the highest position.
int PositionOf(const SensorRules& rules, int resolution);

struct ValueRange {
    int minimum = 0;
    int maximum = 0;
};

// The sliders run over the positions 0..highest.
ValueRange SliderRange(const SensorRules& rules);
// The edits accept 0 up to the resolution of the highest position.
ValueRange EditRange(const SensorRules& rules);

}  // namespace vandrel::devices::mouse
