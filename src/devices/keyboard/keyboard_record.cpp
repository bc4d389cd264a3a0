#include "devices/keyboard/keyboard_record.h"

#include <algorithm>

namespace vandrel::devices::keyboard {
namespace {

std::uint16_t Low16(std::uint32_t word) { return static_cast<std::uint16_t>(word & 0xFFFF); }
std::uint16_t High16(std::uint32_t word) { return static_cast<std::uint16_t>(word >> 16); }
std::uint32_t Pair(std::uint16_t high, std::uint16_t low) { return std::uint32_t{high} << 16 | low; }
std::uint8_t LowByte(std::uint16_t value) { return static_cast<std::uint8_t>(value & 0xFF); }

}  // namespace

KeyboardSystem SystemFromWords(const profiles::SystemWords& words) {
    return {.Repeat = Low16(words[0]),
            .RepeatDelay = High16(words[0]),
            .Key6Flag = Low16(words[1]),
            .PollingRate = High16(words[1]),
            .WFlag = Low16(words[2]),
            .WinFlag = High16(words[2])};
}

profiles::SystemWords ToWords(const KeyboardSystem& system) {
    return {Pair(system.RepeatDelay, system.Repeat), Pair(system.PollingRate, system.Key6Flag),
            Pair(system.WinFlag, system.WFlag)};
}

LightRecord BuildLightRecord(const profiles::LightInfo& info, const KeyboardSystem& system,
                             std::span<const profiles::LightMode> modes, std::uint8_t profileByte) {
    const std::size_t entry = info.SelectItem < modes.size() ? info.SelectItem : 0;
    const auto code = modes.empty() ? std::uint8_t{0} : static_cast<std::uint8_t>(modes[entry].code);
    LightRecord bytes{};
    bytes[record::kProfile] = profileByte;
    bytes[record::kEffectCode] = code;
    bytes[record::kBrightness] = info.Light;
    bytes[record::kSpeed] = static_cast<std::uint8_t>(kTopLevel - std::min(info.Speed, kTopLevel));
    bytes[record::kDirection] = info.Fx;
    bytes[record::kMultiColour] = info.MultiColor;
    bytes[record::kRed] = info.Red;
    bytes[record::kGreen] = info.Green;
    bytes[record::kBlue] = info.Blue;
    bytes[record::kFixedHue] = info.ZZCCLedMode;
    bytes[record::kWFlag] = LowByte(system.WFlag);
    bytes[record::kKey6Flag] = LowByte(system.Key6Flag);
    bytes[record::kWinLock] = LowByte(system.WinFlag);
    bytes[record::kPollingRate] = LowByte(system.PollingRate);
    bytes[record::kColourGroup] = info.CustomGroup;
    return bytes;
}

ReadLightRecord ParseLightRecord(const LightRecord& bytes, std::span<const profiles::LightMode> modes,
                                 int colourGroups) {
    const std::uint8_t code = bytes[record::kEffectCode];
    const auto mode = std::find_if(modes.begin(), modes.end(),
                                   [code](const profiles::LightMode& m) { return m.code == std::int32_t{code}; });
    const std::uint8_t speedByte = std::min(bytes[record::kSpeed], kTopLevel);
    ReadLightRecord read;
    read.light.SelectItem = mode == modes.end() ? code : static_cast<std::uint8_t>(mode - modes.begin());
    read.light.Light = std::min(bytes[record::kBrightness], kTopLevel);
    read.light.Speed = static_cast<std::uint8_t>(kTopLevel - speedByte);
    read.light.Fx = bytes[record::kDirection];
    read.light.MultiColor = bytes[record::kMultiColour];
    read.light.Red = bytes[record::kRed];
    read.light.Green = bytes[record::kGreen];
    read.light.Blue = bytes[record::kBlue];
    read.light.ZZCCLedMode = bytes[record::kFixedHue];
    read.light.CustomGroup = bytes[record::kColourGroup] < colourGroups ? bytes[record::kColourGroup] : 0;
    read.Key6Flag = bytes[record::kKey6Flag];
    read.WinFlag = bytes[record::kWinLock];
    read.WFlag = bytes[record::kWFlag];
    return read;
}

}  // namespace vandrel::devices::keyboard
