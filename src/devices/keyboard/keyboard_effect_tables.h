// The keyboard's layout as its lighting effects see it: a grid of 23 columns
// by 6 rows of key positions, and the paths the effects trace over it.
//
// A key position is also the index of its LED (170 LEDs, 132 of them keys).
// Every table is constexpr data; all but the key grid itself are derived from
// the grid, so the paths always stay on real keys:
//   kSerpentine     every key, row by row from the top, alternating direction;
//   kRunningOrder   the grid column by column, down and up in turn, empty
//                   cells kept as gaps, padded to 170 steps with gaps;
//   kRings          twelve rings around position 51 (column 10, row 2); the
//                   grid is only six rows high, so ring r is the pair of
//                   columns r away from column 10 (column 22 joins ring 11);
//   kSweepSteps     52 rays of twelve cells from position 51 to the border;
//   kGrid7          the grid with an empty row between the function row and
//                   the rest, as on the keyboard itself (the travelling-light
//                   bitmaps use it: bit r of a column byte is its row r);
//   kShowSteps      twenty columns of six keys; kShowPairs sixteen pairs;
//   kTwinkleKeys    104 keys spread over the board;
//   kColumnPhases   a pulse phase for each column.
// kNoKey (170) marks "none" in every table.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>

#include "devices/keyboard/keyboard_keys.h"

namespace vandrel::devices::keyboard {

inline constexpr std::size_t kGridColumns = 23;
inline constexpr std::size_t kGridRows = 6;
inline constexpr std::size_t kGrid7Rows = 7;
// The keyboard's LEDs, and the size of every per-position array.
inline constexpr std::size_t kPositionCount = kLedSlots;
inline constexpr std::size_t kKeyCount = 132;  // positions that are keys on the grid
inline constexpr std::uint8_t kNoKey = 170;

using GridColumn = std::array<std::uint8_t, kGridRows>;
using Grid7Column = std::array<std::uint8_t, kGrid7Rows>;

// Columns left to right, each listing rows 0 (function row) to 5 (space bar row).
inline constexpr std::array<GridColumn, kGridColumns> kKeyGrid{{
    {170, 120, 121, 122, 123, 124},  // 0
    {170, 21, 42, 63, 84, 105},      // 1
    {0, 22, 43, 64, 102, 106},       // 2
    {1, 23, 44, 65, 85, 20},         // 3
    {2, 24, 45, 66, 86, 107},        // 4
    {3, 25, 46, 67, 87, 126},        // 5
    {4, 26, 47, 68, 88, 127},        // 6
    {18, 27, 48, 69, 89, 108},       // 7
    {5, 28, 49, 70, 90, 128},        // 8
    {6, 29, 50, 71, 91, 129},        // 9
    {7, 30, 51, 72, 92, 109},        // 10
    {8, 31, 52, 73, 93, 125},        // 11
    {9, 32, 53, 74, 94, 110},        // 12
    {10, 33, 54, 62, 100, 111},      // 13
    {11, 34, 55, 75, 19, 130},       // 14
    {12, 101, 103, 79, 95, 112},     // 15
    {13, 35, 56, 82, 80, 113},       // 16
    {14, 36, 57, 83, 96, 114},       // 17
    {15, 37, 58, 17, 81, 115},       // 18
    {170, 38, 59, 76, 97, 116},      // 19
    {170, 39, 60, 77, 98, 104},      // 20
    {170, 40, 61, 78, 99, 117},      // 21
    {170, 41, 16, 119, 118, 131},    // 22
}};

struct GridCell {
    std::uint8_t column = 0;
    std::uint8_t row = 0;  // row of kKeyGrid; Grid7Row gives the key's row in kGrid7
    friend constexpr bool operator==(const GridCell&, const GridCell&) = default;
};

// The grid cell of a key position; nothing for positions that are not keys.
std::optional<GridCell> FindPosition(std::uint8_t position);

// The row of kGrid7 that holds the keys of row `row` of kKeyGrid.
constexpr std::uint8_t Grid7Row(std::uint8_t row) { return row == 0 ? 0 : static_cast<std::uint8_t>(row + 1); }

// The column of each grid key's position, kNoKey for the others.
extern const std::array<std::uint8_t, kPositionCount> kColumnOfPosition;

inline constexpr std::size_t kRingCount = 12;
inline constexpr std::size_t kRingSize = 12;
inline constexpr std::uint8_t kRingCentre = 51;
inline constexpr std::size_t kSweepStepCount = 52;
inline constexpr std::size_t kSweepSize = 12;
inline constexpr std::size_t kRunningOrderSize = 170;
inline constexpr std::size_t kShowStepCount = 20;
inline constexpr std::size_t kShowStepSize = 6;
inline constexpr std::size_t kShowPairCount = 16;
inline constexpr std::size_t kTwinkleCount = 104;

using Ring = std::array<std::uint8_t, kRingSize>;
using SweepStep = std::array<std::uint8_t, kSweepSize>;
using ShowStep = std::array<std::uint8_t, kShowStepSize>;
using KeyPair = std::array<std::uint8_t, 2>;

extern const std::array<std::uint8_t, kKeyCount> kSerpentine;
extern const std::array<std::uint8_t, kRunningOrderSize> kRunningOrder;
extern const std::array<Ring, kRingCount> kRings;
extern const std::array<SweepStep, kSweepStepCount> kSweepSteps;
extern const std::array<Grid7Column, kGridColumns> kGrid7;
extern const std::array<ShowStep, kShowStepCount> kShowSteps;
extern const std::array<KeyPair, kShowPairCount> kShowPairs;
extern const std::array<std::uint8_t, kTwinkleCount> kTwinkleKeys;
extern const std::array<std::uint8_t, kGridColumns> kColumnPhases;

}  // namespace vandrel::devices::keyboard
