#include "devices/keyboard/keyboard_effect_tables.h"

namespace vandrel::devices::keyboard {
namespace {

constexpr std::uint8_t kCentreColumn = 10;
constexpr std::uint8_t kCentreRow = 2;

constexpr std::uint8_t KeyAt(std::size_t column, std::size_t row) {
    return column < kGridColumns && row < kGridRows ? kKeyGrid[column][row] : kNoKey;
}

constexpr int Distance(int a, int b) { return a < b ? b - a : a - b; }

// n / d rounded to the nearest whole number (halves away from 0), d > 0.
constexpr int RoundDiv(int n, int d) { return n >= 0 ? (n + d / 2) / d : -((-n + d / 2) / d); }

// Cells of a packed position table: column x 8 + row, or kNoCell.
constexpr std::uint8_t kNoCell = 0xFF;

constexpr std::array<std::uint8_t, kPositionCount> BuildCellOfPosition() {
    std::array<std::uint8_t, kPositionCount> cells{};
    cells.fill(kNoCell);
    for (std::size_t c = 0; c < kGridColumns; ++c)
        for (std::size_t r = 0; r < kGridRows; ++r)
            if (kKeyGrid[c][r] != kNoKey) cells[kKeyGrid[c][r]] = static_cast<std::uint8_t>(c * 8 + r);
    return cells;
}
constexpr std::array<std::uint8_t, kPositionCount> kCellOfPosition = BuildCellOfPosition();

constexpr std::array<std::uint8_t, kKeyCount> BuildSerpentine() {
    std::array<std::uint8_t, kKeyCount> order{};
    std::size_t at = 0;
    for (std::size_t r = 0; r < kGridRows; ++r)
        for (std::size_t i = 0; i < kGridColumns; ++i) {
            const std::size_t c = r % 2 == 0 ? i : kGridColumns - 1 - i;
            if (kKeyGrid[c][r] != kNoKey) order[at++] = kKeyGrid[c][r];
        }
    return order;
}

constexpr std::array<std::uint8_t, kRunningOrderSize> BuildRunningOrder() {
    std::array<std::uint8_t, kRunningOrderSize> order{};
    order.fill(kNoKey);
    std::size_t at = 0;
    for (std::size_t c = 0; c < kGridColumns; ++c)
        for (std::size_t i = 0; i < kGridRows; ++i) order[at++] = KeyAt(c, c % 2 == 0 ? i : kGridRows - 1 - i);
    return order;
}

constexpr std::array<Ring, kRingCount> BuildRings() {
    std::array<Ring, kRingCount> rings{};
    std::array<std::size_t, kRingCount> filled{};
    for (auto& ring : rings) ring.fill(kNoKey);
    for (std::size_t c = 0; c < kGridColumns; ++c) {
        const auto d = static_cast<std::size_t>(Distance(static_cast<int>(c), kCentreColumn));
        const std::size_t r = d < kRingCount ? d : kRingCount - 1;
        for (std::size_t row = 0; row < kGridRows; ++row)
            if (kKeyGrid[c][row] != kNoKey) rings[r][filled[r]++] = kKeyGrid[c][row];
    }
    return rings;
}

// The border of the grid clockwise from the top left corner: 54 cells.
constexpr std::size_t kBorderLength = 2 * (kGridColumns + kGridRows) - 4;

constexpr GridCell BorderCell(std::size_t i) {
    constexpr std::size_t top = kGridColumns, right = kGridRows - 1, bottom = kGridColumns - 1;
    if (i < top) return {static_cast<std::uint8_t>(i), 0};
    i -= top;
    if (i < right) return {kGridColumns - 1, static_cast<std::uint8_t>(i + 1)};
    i -= right;
    if (i < bottom) return {static_cast<std::uint8_t>(kGridColumns - 2 - i), kGridRows - 1};
    i -= bottom;
    return {0, static_cast<std::uint8_t>(kGridRows - 2 - i)};
}

// Step s is the ray from the centre to the border cell s/52 of the way
// round, sampled at twelve evenly spaced cells; a cell the ray met before
// counts once.
constexpr std::array<SweepStep, kSweepStepCount> BuildSweepSteps() {
    std::array<SweepStep, kSweepStepCount> steps{};
    for (std::size_t s = 0; s < kSweepStepCount; ++s) {
        const GridCell end = BorderCell(s * kBorderLength / kSweepStepCount);
        const int dx = end.column - kCentreColumn, dy = end.row - kCentreRow;
        constexpr int kLast = kSweepSize - 1;
        for (std::size_t k = 0; k < kSweepSize; ++k) {
            const int ki = static_cast<int>(k);
            const int column = kCentreColumn + RoundDiv(dx * ki, kLast);
            const int row = kCentreRow + RoundDiv(dy * ki, kLast);
            const auto key = KeyAt(static_cast<std::size_t>(column), static_cast<std::size_t>(row));
            bool seen = false;
            for (std::size_t j = 0; j < k; ++j) seen = seen || steps[s][j] == key;
            steps[s][k] = seen ? kNoKey : key;
        }
    }
    return steps;
}

constexpr std::array<Grid7Column, kGridColumns> BuildGrid7() {
    std::array<Grid7Column, kGridColumns> grid{};
    for (std::size_t c = 0; c < kGridColumns; ++c) {
        grid[c].fill(kNoKey);
        for (std::size_t r = 0; r < kGridRows; ++r) grid[c][Grid7Row(static_cast<std::uint8_t>(r))] = kKeyGrid[c][r];
    }
    return grid;
}

// Columns 2 to 21, one after the other.
constexpr std::array<ShowStep, kShowStepCount> BuildShowSteps() {
    std::array<ShowStep, kShowStepCount> steps{};
    for (std::size_t i = 0; i < kShowStepCount; ++i) steps[i] = kKeyGrid[i + 2];
    return steps;
}

// The keys of rows 2 and 3 in columns 3 to 18, one column after the other.
constexpr std::array<KeyPair, kShowPairCount> BuildShowPairs() {
    std::array<KeyPair, kShowPairCount> pairs{};
    for (std::size_t i = 0; i < kShowPairCount; ++i) pairs[i] = {kKeyGrid[i + 3][2], kKeyGrid[i + 3][3]};
    return pairs;
}

// Every 37th key of the serpentine (37 and 132 share no factor, so no key
// comes twice): 104 keys spread over the whole board.
constexpr std::array<std::uint8_t, kTwinkleCount> BuildTwinkleKeys(const std::array<std::uint8_t, kKeyCount>& keys) {
    std::array<std::uint8_t, kTwinkleCount> twinkle{};
    for (std::size_t i = 0; i < kTwinkleCount; ++i) twinkle[i] = keys[i * 37 % kKeyCount];
    return twinkle;
}

constexpr std::array<std::uint8_t, kPositionCount> BuildColumnOfPosition() {
    std::array<std::uint8_t, kPositionCount> columns{};
    for (std::size_t p = 0; p < kPositionCount; ++p)
        columns[p] = kCellOfPosition[p] == kNoCell ? kNoKey : static_cast<std::uint8_t>(kCellOfPosition[p] / 8);
    return columns;
}

constexpr auto kSerpentineData = BuildSerpentine();

template <std::size_t N>
constexpr std::size_t CountKeys(const std::array<std::uint8_t, N>& keys) {
    std::size_t n = 0;
    for (const std::uint8_t k : keys) n += k != kNoKey ? 1 : 0;
    return n;
}

static_assert(kSerpentineData.front() == 0 && kSerpentineData.back() == 124);
static_assert(CountKeys(BuildRunningOrder()) == kKeyCount);
static_assert(BuildRings()[0][2] == kRingCentre);
static_assert(BuildShowPairs()[7][1] == 72);

}  // namespace

std::optional<GridCell> FindPosition(std::uint8_t position) {
    if (position >= kPositionCount || kCellOfPosition[position] == kNoCell) return std::nullopt;
    const std::uint8_t cell = kCellOfPosition[position];
    return GridCell{static_cast<std::uint8_t>(cell / 8), static_cast<std::uint8_t>(cell % 8)};
}

const std::array<std::uint8_t, kPositionCount> kColumnOfPosition = BuildColumnOfPosition();
const std::array<std::uint8_t, kKeyCount> kSerpentine = kSerpentineData;
const std::array<std::uint8_t, kRunningOrderSize> kRunningOrder = BuildRunningOrder();
const std::array<Ring, kRingCount> kRings = BuildRings();
const std::array<SweepStep, kSweepStepCount> kSweepSteps = BuildSweepSteps();
const std::array<Grid7Column, kGridColumns> kGrid7 = BuildGrid7();
const std::array<ShowStep, kShowStepCount> kShowSteps = BuildShowSteps();
const std::array<KeyPair, kShowPairCount> kShowPairs = BuildShowPairs();
const std::array<std::uint8_t, kTwinkleCount> kTwinkleKeys = BuildTwinkleKeys(kSerpentineData);
const std::array<std::uint8_t, kGridColumns> kColumnPhases{0,  96,  40, 136, 72, 168, 16, 112, 56, 152, 24, 120,
                                                           88, 184, 8,  104, 48, 144, 80, 176, 32, 128, 64};

}  // namespace vandrel::devices::keyboard
