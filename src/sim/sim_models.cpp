#include "sim/sim_models.h"

#include <algorithm>
#include <utility>

#include "platform/bytes.h"

namespace vandrel::sim {
namespace {

// --- Key codes (type, code1, code2) --------------------------------------

constexpr SimKeyCode Key(std::uint8_t usage) { return {0x20, 0x00, usage}; }
constexpr SimKeyCode Modifier(std::uint8_t bits) { return {0x20, bits, 0x00}; }
constexpr SimKeyCode kEmpty{0x20, 0x00, 0x00};

// The mouse's eleven buttons: left, right, middle, back, forward, wheel
// functions, the DPI button and two side functions.
constexpr std::array<SimKeyCode, 11> kMouseKeys{{
    {0x10, 0x01, 0x00},
    {0x10, 0x02, 0x00},
    {0x10, 0x04, 0x00},
    {0x10, 0x10, 0x00},
    {0x10, 0x08, 0x00},
    {0x13, 0x01, 0x00},
    {0x13, 0x02, 0x00},
    {0x13, 0x03, 0x00},
    {0xA0, 0x1B, 0x00},
    {0x16, 0x90, 0x01},
    {0x14, 0x78, 0x02},
}};

// The keyboard's 126 keys by position (six rows of 21, left to right), HID
// usages of the keys; the default profile's factory codes.
constexpr std::array<SimKeyCode, 126> kKeyboardKeys{{
    // Esc, F1-F12, Print Screen, Scroll Lock, Pause, GM, special, three empty
    Key(0x29),
    Key(0x3A),
    Key(0x3B),
    Key(0x3C),
    Key(0x3D),
    Key(0x3E),
    Key(0x3F),
    Key(0x40),
    Key(0x41),
    Key(0x42),
    Key(0x43),
    Key(0x44),
    Key(0x45),
    Key(0x46),
    Key(0x47),
    Key(0x48),
    {0xA0, 0x1B, 0x00},
    {0xA0, 0x24, 0x00},
    kEmpty,
    kEmpty,
    kEmpty,
    // ` 1-9 0 - = BackSpace Insert Home PageUp NumLock Num/ Num* Num-
    Key(0x35),
    Key(0x1E),
    Key(0x1F),
    Key(0x20),
    Key(0x21),
    Key(0x22),
    Key(0x23),
    Key(0x24),
    Key(0x25),
    Key(0x26),
    Key(0x27),
    Key(0x2D),
    Key(0x2E),
    Key(0x2A),
    Key(0x49),
    Key(0x4A),
    Key(0x4B),
    Key(0x53),
    Key(0x54),
    Key(0x55),
    Key(0x56),
    // Tab Q-P [ ] \ Delete End PageDown Num7-9 K42
    Key(0x2B),
    Key(0x14),
    Key(0x1A),
    Key(0x08),
    Key(0x15),
    Key(0x17),
    Key(0x1C),
    Key(0x18),
    Key(0x0C),
    Key(0x12),
    Key(0x13),
    Key(0x2F),
    Key(0x30),
    Key(0x31),
    Key(0x4C),
    Key(0x4D),
    Key(0x4E),
    Key(0x5F),
    Key(0x60),
    Key(0x61),
    Key(0x32),
    // CapsLock A-L ; ' Enter Num4-6 K132 K131 K151 K150 K133
    Key(0x39),
    Key(0x04),
    Key(0x16),
    Key(0x07),
    Key(0x09),
    Key(0x0A),
    Key(0x0B),
    Key(0x0D),
    Key(0x0E),
    Key(0x0F),
    Key(0x33),
    Key(0x34),
    Key(0x28),
    Key(0x5C),
    Key(0x5D),
    Key(0x5E),
    Key(0x8A),
    Key(0x8B),
    Key(0x90),
    Key(0x91),
    Key(0x88),
    // LShift Z-M , . / RShift Up Num1-3 K56 K14 K45 K107 empty
    Modifier(0x02),
    Key(0x1D),
    Key(0x1B),
    Key(0x06),
    Key(0x19),
    Key(0x05),
    Key(0x11),
    Key(0x10),
    Key(0x36),
    Key(0x37),
    Key(0x38),
    Modifier(0x20),
    Key(0x52),
    Key(0x59),
    Key(0x5A),
    Key(0x5B),
    Key(0x87),
    Key(0x89),
    Key(0x64),
    Key(0x85),
    kEmpty,
    // LCtrl LWin LAlt Space RAlt FN COLOR RCtrl Left Down Right Num0 Num. NumEnter Num+
    Modifier(0x01),
    Modifier(0x08),
    Modifier(0x04),
    Key(0x2C),
    Modifier(0x40),
    {0xA0, 0x01, 0x00},
    {0xA0, 0x11, 0x00},
    Modifier(0x10),
    Key(0x50),
    Key(0x51),
    Key(0x4F),
    Key(0x62),
    Key(0x63),
    Key(0x58),
    Key(0x57),
    // M1-M5, RWin
    {0xD0, 0xA2, 0x01},
    {0xD0, 0xA2, 0x02},
    {0xD0, 0xA2, 0x03},
    {0xD0, 0xA2, 0x04},
    {0xD0, 0xA2, 0x05},
    Modifier(0x80),
}};

// The keyboard's switch matrix: position p sits in row p / 21, column p % 21.
// The firmware numbers its key slots down the columns (slot = column x 6 +
// row), and its LEDs run along the rows in a serpentine, left to right on
// even rows and right to left on odd ones. The matrix cells of the four empty
// positions and of the two keys this model lacks (K42 and K45, the ISO keys)
// hold no key. The key table has room for 144 slots; the matrix uses 126.
constexpr std::size_t kRows = 6;
constexpr std::size_t kColumns = 21;
constexpr std::array<std::uint8_t, 6> kPositionsWithoutKey{18, 19, 20, 62, 102, 104};
constexpr std::uint8_t kKeyboardKeySlots = 144;

constexpr bool HasKey(std::size_t position) {
    return std::find(kPositionsWithoutKey.begin(), kPositionsWithoutKey.end(), position) == kPositionsWithoutKey.end();
}

// The keyboard's matrix, key slot by key slot: `cell(row, column)` per slot.
template <typename Cell>
constexpr std::array<std::uint8_t, kRows * kColumns> ByKeySlot(Cell cell) {
    std::array<std::uint8_t, kRows * kColumns> slots{};
    for (std::size_t column = 0; column < kColumns; ++column)
        for (std::size_t row = 0; row < kRows; ++row) slots[column * kRows + row] = cell(row, column);
    return slots;
}

constexpr auto kKeyboardSlotKeys = ByKeySlot([](std::size_t row, std::size_t column) {
    const std::size_t position = row * kColumns + column;
    return HasKey(position) ? static_cast<std::uint8_t>(position) : kNoKey;
});

constexpr auto kKeyboardSlotLeds = ByKeySlot([](std::size_t row, std::size_t column) {
    const std::size_t along = row % 2 == 0 ? column : kColumns - 1 - column;
    return HasKey(row * kColumns + column) ? static_cast<std::uint8_t>(row * kColumns + along) : kNoLed;
});

static_assert(kKeyboardKeys.size() == kRows * kColumns);

// --- Factory settings records --------------------------------------------

// Lighting head shared by every record: effect code, brightness 4, speed
// byte 2 (4 - speed index 2), direction 0, seven colours on, red.
std::vector<std::uint8_t> LightingHead(std::size_t size, std::uint8_t effectCode) {
    std::vector<std::uint8_t> r(size, 0);
    r[1] = effectCode;
    r[2] = 4;
    r[3] = 2;
    r[5] = 1;
    r[6] = 0xFF;
    return r;
}

// Five DPI stages 400, 800, 1600, 3200, 6400 (slider positions at step 50
// from 50), the second one active, report-rate option 0, 1920 x 1080 screen.
std::vector<std::uint8_t> MouseRecord() {
    struct Stage {
        std::uint16_t position;
        std::uint8_t red, green, blue;
    };
    constexpr std::array<Stage, 5> stages{{
        {7, 0xFF, 0x00, 0x00},
        {15, 0x00, 0xFF, 0x00},
        {31, 0x00, 0x00, 0xFF},
        {63, 0xFF, 0xFF, 0x00},
        {127, 0xFF, 0x00, 0xFF},
    }};
    std::vector<std::uint8_t> r = LightingHead(71, 0);
    r[12] = 1;
    for (std::size_t i = 0; i < stages.size(); ++i) {
        const std::size_t at = 14 + 9 * i;
        r[at] = 1;  // enabled; X and Y together
        platform::WriteLe16(r, at + 2, stages[i].position);
        platform::WriteLe16(r, at + 4, stages[i].position);
        r[at + 6] = stages[i].red;
        r[at + 7] = stages[i].green;
        r[at + 8] = stages[i].blue;
    }
    r[59] = 1;
    platform::WriteLe16(r, 60, 1920);
    platform::WriteLe16(r, 62, 1080);
    return r;
}

// Light record: effect code 1, bytes 18-25 (ZZCC mode, flags, polling rate)
// 0, custom group 1. Its last two bytes (0, 1) are the next record's first
// two (profile byte 0, effect code 1), so that the overlapping factory
// records agree.
std::vector<std::uint8_t> KeyboardRecord() {
    std::vector<std::uint8_t> r = LightingHead(27, 1);
    r[26] = 1;
    return r;
}

std::vector<std::uint8_t> PadRecord() { return LightingHead(27, 0); }

std::vector<std::uint8_t> HeadsetRecord() { return LightingHead(27, 0); }

// --- The model table -------------------------------------------------------

const std::array<SimModel, 4> kModels{{
    {
        .kind = SimKind::Mouse,
        .name = "mouse",
        .cableType = device_io::DeviceType::Mouse,
        .factoryKeys = kMouseKeys,
        .slotKeys = {},
        .slotLeds = {},
        .keySlots = static_cast<std::uint8_t>(kMouseKeys.size()),
        // a 26000-DPI sensor: slider positions 0..519 at 50 DPI per step from 50
        .sensor = {.code = 0x3395, .dpiStep = 50, .highestSlider = 519, .lowestDpi = 50},
        .macroUnits = 32,  // 4 KiB
        .factoryRecord = MouseRecord,
        .recordStride = 128,
        .recordCount = 8,
        .colourPages = 0,
        .recoilSize = 8192,
        .power = {85, 2, 0, 0, 0, 0},  // 85 %, on battery
    },
    {
        .kind = SimKind::Keyboard,
        .name = "keyboard",
        .cableType = device_io::DeviceType::Keyboard,
        .factoryKeys = kKeyboardKeys,
        .slotKeys = kKeyboardSlotKeys,
        .slotLeds = kKeyboardSlotLeds,
        .keySlots = kKeyboardKeySlots,
        .sensor = {},
        .macroUnits = 64,  // 8 KiB
        .factoryRecord = KeyboardRecord,
        .recordStride = 25,  // 27-byte records: each overlaps the next by two bytes
        .recordCount = 8,
        .colourPages = 8,
        .recoilSize = 0,
        .power = {100, 0, 0, 0, 0, 0},  // full, charged
    },
    {
        .kind = SimKind::MousePad,
        .name = "mousepad",
        .cableType = device_io::DeviceType::MousePad,
        .factoryKeys = {},
        .slotKeys = {},
        .slotLeds = {},
        .keySlots = 0,
        .sensor = {},
        .macroUnits = 0,
        .factoryRecord = PadRecord,
        .recordStride = 64,
        .recordCount = 1,
        .colourPages = 0,
        .recoilSize = 0,
        .power = {0, 0, 0, 0, 0, 0},  // no phone on the charging surface
    },
    {
        .kind = SimKind::Headset,
        .name = "headset",
        .cableType = device_io::DeviceType::Headset,
        .factoryKeys = {},
        .slotKeys = {},
        .slotLeds = {},
        .keySlots = 0,
        .sensor = {},
        .macroUnits = 0,
        .factoryRecord = HeadsetRecord,
        .recordStride = 64,
        .recordCount = 1,
        .colourPages = 0,
        .recoilSize = 0,
        .power = {0, 0, 0, 0, 0, 0},
    },
}};

// --- Region builders -------------------------------------------------------

std::vector<std::uint8_t> InfoBlock(const SimModel& m) {
    std::vector<std::uint8_t> b(34, 0);
    b[info::kKeySlots] = m.keySlots;
    platform::WriteLe16(b, info::kSensorCode, m.sensor.code);
    b[info::kDpiStep] = m.sensor.dpiStep;
    platform::WriteLe16(b, info::kHighestSlider, m.sensor.highestSlider);
    platform::WriteLe16(b, info::kLowestDpi, m.sensor.lowestDpi);
    b[info::kMacroUnits] = m.macroUnits;
    return b;
}

// Records are laid down in profile order, so where they overlap the later
// record's first bytes win.
std::vector<std::uint8_t> SettingsMemory(const SimModel& m) {
    std::vector<std::uint8_t> memory(kSettingsSize, 0);
    const std::vector<std::uint8_t> record = m.factoryRecord();
    for (std::size_t n = 0; n < m.recordCount; ++n) {
        const std::size_t at = n * m.recordStride;
        const std::size_t fit = std::min(record.size(), memory.size() - std::min(at, memory.size()));
        std::copy_n(record.begin(), fit, memory.begin() + static_cast<std::ptrdiff_t>(at));
    }
    memory[0] = 0;  // active onboard profile
    return memory;
}

// The factoryKeys index held by key slot s, or kNoKey.
std::size_t KeyOfSlot(const SimModel& m, std::size_t s) {
    if (m.slotKeys.empty()) return s < m.factoryKeys.size() ? s : kNoKey;
    return s < m.slotKeys.size() ? m.slotKeys[s] : kNoKey;
}

std::vector<std::uint8_t> KeyMap(const SimModel& m) { return FactoryKeyMap(m.kind, m.keySlots); }
std::vector<std::uint8_t> LedMap(const SimModel& m) { return FactoryLedMap(m.kind, m.keySlots); }

std::vector<std::uint8_t> ColourPages(const SimModel& m) {
    return std::vector<std::uint8_t>(m.colourPages * kColourPageStride, 0);
}
std::vector<std::uint8_t> Macros(const SimModel& m) { return std::vector<std::uint8_t>(m.macroUnits * kMacroUnit, 0); }
std::vector<std::uint8_t> Recoil(const SimModel& m) { return std::vector<std::uint8_t>(m.recoilSize, 0); }
std::vector<std::uint8_t> LightStream(const SimModel&) { return std::vector<std::uint8_t>(kLightStreamSize, 0); }
std::vector<std::uint8_t> Power(const SimModel& m) { return {m.power.begin(), m.power.end()}; }

using RegionBuilder = std::vector<std::uint8_t> (*)(const SimModel&);

const std::array<std::pair<SimRegion, RegionBuilder>, kSimRegionCount> kRegionBuilders{{
    {SimRegion::Info, InfoBlock},
    {SimRegion::Settings, SettingsMemory},
    {SimRegion::KeyMap, KeyMap},
    {SimRegion::LedMap, LedMap},
    {SimRegion::ColourPages, ColourPages},
    {SimRegion::Macros, Macros},
    {SimRegion::Recoil, Recoil},
    {SimRegion::LightStream, LightStream},
    {SimRegion::Power, Power},
}};

}  // namespace

const SimModel& ModelOf(SimKind kind) {
    return *std::find_if(kModels.begin(), kModels.end(), [kind](const SimModel& m) { return m.kind == kind; });
}

const device_io::DeviceIdentity* SupportedRow(SimKind kind, SimLink link, device_io::DeviceRole role) {
    const auto& rows = device_io::SupportedDeviceTable();
    auto row = device_io::FindRowByType(ModelOf(kind).cableType, role);
    if (row && link == SimLink::Receiver) row = device_io::TwinSlot(rows, *row);
    return row ? &rows[*row] : nullptr;
}

bool HasReceiver(SimKind kind) {
    return SupportedRow(kind, SimLink::Receiver, device_io::DeviceRole::Vendor) != nullptr;
}

bool HasCompanion(SimKind kind) {
    return SupportedRow(kind, SimLink::Cable, device_io::DeviceRole::Companion) != nullptr;
}

std::vector<std::uint8_t> FactoryKeyMap(SimKind kind, std::size_t keySlots) {
    const SimModel& m = ModelOf(kind);
    std::vector<std::uint8_t> map(keySlots * 3, 0);
    for (std::size_t s = 0; s < keySlots; ++s) {
        const std::size_t key = KeyOfSlot(m, s);
        if (key == kNoKey) continue;
        const SimKeyCode& k = m.factoryKeys[key];
        map[s * 3] = k.type;
        map[s * 3 + 1] = k.code1;
        map[s * 3 + 2] = k.code2;
    }
    return map;
}

std::vector<std::uint8_t> FactoryLedMap(SimKind kind, std::size_t keySlots) {
    const SimModel& m = ModelOf(kind);
    if (m.slotLeds.empty()) return {};
    std::vector<std::uint8_t> map(keySlots, kNoLed);
    std::copy_n(m.slotLeds.begin(), std::min(keySlots, m.slotLeds.size()), map.begin());
    return map;
}

std::size_t RecordSize(SimKind kind) { return ModelOf(kind).factoryRecord().size(); }

SimMemory FactoryMemory(SimKind kind) {
    const SimModel& model = ModelOf(kind);
    SimMemory memory;
    for (const auto& [region, build] : kRegionBuilders) memory[RegionIndex(region)] = build(model);
    return memory;
}

}  // namespace vandrel::sim
