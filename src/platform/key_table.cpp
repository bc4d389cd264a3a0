#include "platform/key_table.h"

#include <algorithm>
#include <array>

namespace vandrel::platform {
namespace {

// Scan code e: the extended flag is set (the key's make code starts with E0).
constexpr bool e = true;
constexpr bool n = false;

constexpr std::array kRows = std::to_array<KeyTableRow>({
    // Digit row.
    {2, {0x02, n, 0x31}},
    {3, {0x03, n, 0x32}},
    {4, {0x04, n, 0x33}},
    {5, {0x05, n, 0x34}},
    {6, {0x06, n, 0x35}},
    {7, {0x07, n, 0x36}},
    {8, {0x08, n, 0x37}},
    {9, {0x09, n, 0x38}},
    {10, {0x0A, n, 0x39}},
    {11, {0x0B, n, 0x30}},
    // Letters, row by row: Q W E R T Y U I O P, A S D F G H J K L, Z X C V B N M.
    {16, {0x10, n, 'Q'}},
    {17, {0x11, n, 'W'}},
    {18, {0x12, n, 'E'}},
    {19, {0x13, n, 'R'}},
    {20, {0x14, n, 'T'}},
    {21, {0x15, n, 'Y'}},
    {22, {0x16, n, 'U'}},
    {23, {0x17, n, 'I'}},
    {24, {0x18, n, 'O'}},
    {25, {0x19, n, 'P'}},
    {30, {0x1E, n, 'A'}},
    {31, {0x1F, n, 'S'}},
    {32, {0x20, n, 'D'}},
    {33, {0x21, n, 'F'}},
    {34, {0x22, n, 'G'}},
    {35, {0x23, n, 'H'}},
    {36, {0x24, n, 'J'}},
    {37, {0x25, n, 'K'}},
    {38, {0x26, n, 'L'}},
    {44, {0x2C, n, 'Z'}},
    {45, {0x2D, n, 'X'}},
    {46, {0x2E, n, 'C'}},
    {47, {0x2F, n, 'V'}},
    {48, {0x30, n, 'B'}},
    {49, {0x31, n, 'N'}},
    {50, {0x32, n, 'M'}},
    // Esc, punctuation, editing keys, Space and Caps Lock.
    {1, {0x01, n, 0x1B}},
    {12, {0x0C, n, 0xBD}},
    {13, {0x0D, n, 0xBB}},
    {14, {0x0E, n, 0x08}},
    {15, {0x0F, n, 0x09}},
    {26, {0x1A, n, 0xDB}},
    {27, {0x1B, n, 0xDD}},
    {28, {0x1C, n, 0x0D}},
    {39, {0x27, n, 0xBA}},
    {40, {0x28, n, 0xDE}},
    {41, {0x29, n, 0xC0}},
    {43, {0x2B, n, 0xDC}},
    {51, {0x33, n, 0xBC}},
    {52, {0x34, n, 0xBE}},
    {53, {0x35, n, 0xBF}},
    {57, {0x39, n, 0x20}},
    {58, {0x3A, n, 0x14}},
    // Modifiers, left then right.
    {29, {0x1D, n, 0xA2}},
    {42, {0x2A, n, 0xA0}},
    {56, {0x38, n, 0xA4}},
    {125, {0x5B, e, 0x5B}},
    {97, {0x1D, e, 0xA3}},
    {54, {0x36, e, 0xA1}},
    {100, {0x38, e, 0xA5}},
    {126, {0x5C, e, 0x5C}},
    // F1 .. F12.
    {59, {0x3B, n, 0x70}},
    {60, {0x3C, n, 0x71}},
    {61, {0x3D, n, 0x72}},
    {62, {0x3E, n, 0x73}},
    {63, {0x3F, n, 0x74}},
    {64, {0x40, n, 0x75}},
    {65, {0x41, n, 0x76}},
    {66, {0x42, n, 0x77}},
    {67, {0x43, n, 0x78}},
    {68, {0x44, n, 0x79}},
    {87, {0x57, n, 0x7A}},
    {88, {0x58, n, 0x7B}},
    // Print Screen, Scroll Lock, Pause.
    {99, {0x37, e, 0x2C}},
    {70, {0x46, n, 0x91}},
    {119, {0x45, n, 0x13}},
    // Insert, Home, Page Up, Delete, End, Page Down.
    {110, {0x52, e, 0x2D}},
    {102, {0x47, e, 0x24}},
    {104, {0x49, e, 0x21}},
    {111, {0x53, e, 0x2E}},
    {107, {0x4F, e, 0x23}},
    {109, {0x51, e, 0x22}},
    // Arrows: Right, Left, Down, Up.
    {106, {0x4D, e, 0x27}},
    {105, {0x4B, e, 0x25}},
    {108, {0x50, e, 0x28}},
    {103, {0x48, e, 0x26}},
    // Keypad: Num Lock, / * - +, Enter (the hook's virtual key 01 for keypad Enter).
    {69, {0x45, e, 0x90}},
    {98, {0x35, e, 0x6F}},
    {55, {0x37, n, 0x6A}},
    {74, {0x4A, n, 0x6D}},
    {78, {0x4E, n, 0x6B}},
    {96, {0x1C, e, 0x01}},
    // Keypad digits and decimal point, always as with Num Lock on.
    {79, {0x4F, n, 0x61}},
    {80, {0x50, n, 0x62}},
    {81, {0x51, n, 0x63}},
    {75, {0x4B, n, 0x64}},
    {76, {0x4C, n, 0x65}},
    {77, {0x4D, n, 0x66}},
    {71, {0x47, n, 0x67}},
    {72, {0x48, n, 0x68}},
    {73, {0x49, n, 0x69}},
    {82, {0x52, n, 0x60}},
    {83, {0x53, n, 0x6E}},
    // Application (menu) key.
    {127, {0x5D, e, 0x5D}},
    // International keys: K45, K56, K14, K107, K131, K132, K133, K150, K151.
    {86, {0x56, n, 0xE2}},
    {89, {0x73, n, 0xC1}},
    {124, {0x7D, n, 0xFF}},
    {121, {0x7E, n, 0xC2}},
    {94, {0x7B, n, 0xEB}},
    {92, {0x79, n, 0xFF}},
    {93, {0x70, n, 0xFF}},
    {123, {0x71, n, 0xE9}},
    {122, {0x72, n, 0xFF}},
});

}  // namespace

std::span<const KeyTableRow> KeyTableRows() { return kRows; }

std::optional<KeyRecord> KeyRecordForEvdevCode(std::uint32_t evdevCode) {
    const auto row = std::ranges::find(kRows, evdevCode, &KeyTableRow::evdevCode);
    if (row == kRows.end()) return std::nullopt;
    return row->record;
}

std::optional<KeyRecord> KeyRecordForNativeScanCode(std::uint32_t nativeScanCode) {
    if (nativeScanCode < kNativeScanCodeOffset) return std::nullopt;
    return KeyRecordForEvdevCode(nativeScanCode - kNativeScanCodeOffset);
}

}  // namespace vandrel::platform
