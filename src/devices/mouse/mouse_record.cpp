#include "devices/mouse/mouse_record.h"

#include <algorithm>

#include "platform/bytes.h"

namespace vandrel::devices::mouse {
namespace {

std::uint8_t Byte(int value) { return static_cast<std::uint8_t>(value); }

void PutStage(SettingsRecord& r, std::size_t at, const profiles::DpiStage& stage) {
    r[at] = stage.active;
    r[at + 1] = stage.xy;
    platform::WriteLe16(r, at + 2, stage.dpiX);
    platform::WriteLe16(r, at + 4, stage.dpiY);
    r[at + 6] = stage.red;
    r[at + 7] = stage.green;
    r[at + 8] = stage.blue;
}

}  // namespace

const std::array<profiles::KeyCode, kKeyPositions> kFactoryKeyCodes{{
    {0x10, 0x01, 0x00},  // left
    {0x10, 0x02, 0x00},  // right
    {0x10, 0x04, 0x00},  // middle
    {0x10, 0x10, 0x00},  // forward
    {0x10, 0x08, 0x00},  // back
    {0x13, 0x01, 0x00},
    {0x13, 0x02, 0x00},
    {0x13, 0x03, 0x00},
    {0xA0, 0x1B, 0x00},
    {0x16, 0x90, 0x01},
    {0x14, 0x78, 0x02},
}};

void PutLighting(SettingsRecord& r, const profiles::LightInfo& light, std::int32_t modeCode) {
    r[record::kMode] = Byte(modeCode);
    r[record::kBrightness] = light.Light;
    r[record::kSpeed] = Byte(record::kTopSpeed - std::min(light.Speed, record::kTopSpeed));
    r[record::kDirection] = light.Fx;
    r[record::kColourful] = light.MultiColor;
    r[record::kRed] = light.Red;
    r[record::kGreen] = light.Green;
    r[record::kBlue] = light.Blue;
}

SettingsRecord BuildSettingsRecord(const RecordSource& source) {
    SettingsRecord r{};
    r[record::kProfile] = Byte(source.byte0);
    PutLighting(r, source.light, source.modeCode);
    r[record::kReportRate] = Byte(source.reportRate);
    r[record::kActiveStage] = Byte(source.activeStage);
    const std::size_t stages = std::min(source.stages.size(), profiles::CMouseProfiledata::kDpiStageCount);
    for (std::size_t i = 0; i < stages; ++i) PutStage(r, record::kStages + record::kStageSize * i, source.stages[i]);
    r[record::kByte59] = Byte(source.byte59);
    platform::WriteLe16(r, record::kScreenWidth, source.screenWidth);
    platform::WriteLe16(r, record::kScreenHeight, source.screenHeight);
    const auto selected =
        std::ranges::find_if(source.corrections, [](const profiles::Correction& c) { return c.select != 0; });
    if (selected != source.corrections.end()) {
        r[record::kCorrectMinSq] = selected->minSq;
        r[record::kCorrectPixThresh] = selected->pixThresh;
    }
    return r;
}

profiles::LightInfo LightingFromRecord(const SettingsRecord& r, const profiles::LightInfo& running,
                                       std::span<const profiles::LightMode> modes) {
    profiles::LightInfo light = running;
    if (const std::optional<int> mode = ModeIndexOf(modes, r[record::kMode]))
        light.SelectItem = static_cast<std::uint8_t>(*mode);
    light.Light = r[record::kBrightness];
    light.Speed = r[record::kSpeed] <= record::kTopSpeed ? Byte(record::kTopSpeed - r[record::kSpeed]) : 0;
    light.MultiColor = r[record::kColourful] != 0 ? 1 : 0;
    light.Red = r[record::kRed];
    light.Green = r[record::kGreen];
    light.Blue = r[record::kBlue];
    return light;
}

std::int32_t ModeCode(std::span<const profiles::LightMode> modes, int modeIndex) {
    const int index = modeIndex >= kCustomModeBase ? 0 : modeIndex;
    if (index >= 0 && static_cast<std::size_t>(index) < modes.size())
        return modes[static_cast<std::size_t>(index)].code;
    return index;
}

std::optional<int> ModeIndexOf(std::span<const profiles::LightMode> modes, std::int32_t code) {
    const auto found = std::ranges::find(modes, code, &profiles::LightMode::code);
    if (found == modes.end()) return std::nullopt;
    return static_cast<int>(found - modes.begin());
}

std::vector<std::uint8_t> PositionSlots(std::span<const std::uint8_t> keyMap, std::size_t slotCount) {
    std::vector<std::uint8_t> slots(kKeyPositions, kNoSlot);
    const std::size_t usable = std::min(slotCount, keyMap.size() / 3);
    for (std::size_t position = 0; position < kKeyPositions; ++position) {
        const profiles::KeyCode& wanted = kFactoryKeyCodes[position];
        for (std::size_t slot = 0; slot < usable && slot < kNoSlot; ++slot) {
            const profiles::KeyCode code{keyMap[3 * slot], keyMap[3 * slot + 1], keyMap[3 * slot + 2]};
            if (code == wanted) {
                slots[position] = static_cast<std::uint8_t>(slot);
                break;
            }
        }
    }
    return slots;
}

}  // namespace vandrel::devices::mouse
