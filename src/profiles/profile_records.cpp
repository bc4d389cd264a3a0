#include "profiles/profile_records.h"

namespace vandrel::profiles {
namespace {

std::uint8_t ByteOf(std::uint32_t word, int byte) { return static_cast<std::uint8_t>(word >> (8 * byte)); }

std::uint32_t Word(std::uint8_t b0, std::uint8_t b1, std::uint8_t b2, std::uint8_t b3) {
    return static_cast<std::uint32_t>(b0) | static_cast<std::uint32_t>(b1) << 8 | static_cast<std::uint32_t>(b2) << 16 |
           static_cast<std::uint32_t>(b3) << 24;
}

}  // namespace

LightInfo LightInfoFromWords(const LightWords& words) {
    LightInfo info;
    info.SelectItem = ByteOf(words[0], 0);
    info.Light = ByteOf(words[0], 1);
    info.Speed = ByteOf(words[0], 2);
    info.Fx = ByteOf(words[0], 3);
    info.MultiColor = ByteOf(words[1], 0);
    info.Red = ByteOf(words[1], 1);
    info.Green = ByteOf(words[1], 2);
    info.Blue = ByteOf(words[1], 3);
    info.reserved = {ByteOf(words[2], 0), ByteOf(words[2], 1), ByteOf(words[2], 2)};
    info.ZZCCLedMode = ByteOf(words[2], 3);
    info.CustomGroup = ByteOf(words[3], 0);
    info.OldLedmode = ByteOf(words[3], 1);
    return info;
}

LightWords ToWords(const LightInfo& info) {
    return {Word(info.SelectItem, info.Light, info.Speed, info.Fx),
            Word(info.MultiColor, info.Red, info.Green, info.Blue),
            Word(info.reserved[0], info.reserved[1], info.reserved[2], info.ZZCCLedMode),
            Word(info.CustomGroup, info.OldLedmode, 0, 0)};
}

AudioLightInfo AudioLightInfoFromWords(const AudioLightWords& words) {
    AudioLightInfo info;
    info.AudioMode = ByteOf(words[0], 0);
    info.BkColorR = ByteOf(words[0], 1);
    info.BkColorG = ByteOf(words[0], 2);
    info.BkColorB = ByteOf(words[0], 3);
    info.FgColorR = ByteOf(words[1], 0);
    info.FgColorG = ByteOf(words[1], 1);
    info.FgColorB = ByteOf(words[1], 2);
    info.SevenColorFlags = ByteOf(words[1], 3);
    info.ColorTypeFlags = ByteOf(words[2], 0);
    info.reserved = {ByteOf(words[2], 1), ByteOf(words[2], 2), ByteOf(words[2], 3)};
    return info;
}

AudioLightWords ToWords(const AudioLightInfo& info) {
    return {Word(info.AudioMode, info.BkColorR, info.BkColorG, info.BkColorB),
            Word(info.FgColorR, info.FgColorG, info.FgColorB, info.SevenColorFlags),
            Word(info.ColorTypeFlags, info.reserved[0], info.reserved[1], info.reserved[2])};
}

std::int32_t PackKeyCode(const KeyCode& code) {
    return static_cast<std::int32_t>(code.type) << 16 | static_cast<std::int32_t>(code.code1) << 8 | code.code2;
}

KeyCode UnpackKeyCode(std::int64_t packed) {
    return {static_cast<std::uint8_t>(packed >> 16), static_cast<std::uint8_t>(packed >> 8),
            static_cast<std::uint8_t>(packed)};
}

}  // namespace vandrel::profiles
