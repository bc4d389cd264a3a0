#include "lighting/engine_tables.h"

namespace vandrel::lighting {
namespace {

using IntervalRow = std::array<std::uint8_t, kSpeedCount>;

// Effect rows 0..31 cover every keyboard effect number; row 16 steps every
// 4 ticks and row 18 every 2 ticks whatever the speed.
constexpr IntervalRow kEffectRow{8, 6, 4, 2, 1};
constexpr std::array<IntervalRow, 32> kEffectIntervals = [] {
    std::array<IntervalRow, 32> rows{};
    rows.fill(kEffectRow);
    rows[16] = IntervalRow{4, 4, 4, 4, 4};
    rows[18] = IntervalRow{2, 2, 2, 2, 2};
    return rows;
}();

// Mice, the mouse pad and the headset: the same row for every mode 0..9.
constexpr IntervalRow kDeviceRow{28, 23, 18, 13, 7};
constexpr std::array<IntervalRow, 10> kDeviceIntervals = [] {
    std::array<IntervalRow, 10> rows{};
    rows.fill(kDeviceRow);
    return rows;
}();

// Anchors of the colour wheel and of the curves, checked at compile time.
static_assert(kColourWheel[0] == Rgb{255, 1, 0});
static_assert(kColourWheel[32] == Rgb{248, 255, 0});
static_assert(kColourWheel[64] == Rgb{0, 255, 1});
static_assert(kColourWheel[96] == Rgb{0, 248, 255});
static_assert(kColourWheel[128] == Rgb{1, 0, 255});
static_assert(kColourWheel[160] == Rgb{255, 0, 248});
static_assert(kColourWheel[191] == Rgb{255, 0, 0});
static_assert(kBreathingCurve96.front() == 22 && kBreathingCurve96.back() == 22);
static_assert(kPulseCurve256[24] == 255 && kPulseCurve256[25] == 248 && kPulseCurve256[88] == 0);

}  // namespace

std::uint8_t Interval(IntervalTable table, std::size_t row, std::uint8_t speed) {
    const std::size_t column = SpeedIndex(speed);
    if (table == IntervalTable::kEffect)
        return row < kEffectIntervals.size() ? kEffectIntervals[row][column] : kEffectRow[column];
    return row < kDeviceIntervals.size() ? kDeviceIntervals[row][column] : kDeviceRow[column];
}

}  // namespace vandrel::lighting
