#include "devices/mouse/mouse_dpi.h"

#include <algorithm>

#include "platform/bytes.h"

namespace vandrel::devices::mouse {
namespace {

constexpr std::size_t kSensorCodeByte = 9;
constexpr std::size_t kStepByte = 11;
constexpr std::size_t kHighestByte = 12;
constexpr std::size_t kLowestByte = 14;

bool Stepped(const SensorRules& rules) { return rules.sensorCode == kSteppedSensor; }

int ClampPosition(const SensorRules& rules, int position) {
    return std::clamp(position, 0, static_cast<int>(rules.highestPosition));
}

// The resolution at the last position of the linear part of the stepped rule.
int BreakResolution(const SensorRules& rules) { return EffectiveStep(rules) * kSteppedBreak + rules.lowestDpi; }

}  // namespace

SensorRules SensorRulesFromInfo(std::span<const std::uint8_t> infoBlock) {
    SensorRules rules;
    rules.sensorCode = platform::ReadLe16(infoBlock, kSensorCodeByte);
    rules.step = kStepByte < infoBlock.size() ? infoBlock[kStepByte] : 0;
    rules.highestPosition = platform::ReadLe16(infoBlock, kHighestByte);
    rules.lowestDpi = platform::ReadLe16(infoBlock, kLowestByte);
    return rules;
}

int EffectiveStep(const SensorRules& rules) { return rules.step == 0 ? 1 : rules.step; }

int ResolutionOf(const SensorRules& rules, int position) {
    const int s = ClampPosition(rules, position);
    if (Stepped(rules) && s > kSteppedBreak)
        return EffectiveStep(rules) * kSteppedBreak + s * kSteppedIncrement + rules.lowestDpi -
               kSteppedBreak * kSteppedIncrement;
    return s * EffectiveStep(rules) + rules.lowestDpi;
}

int PositionOf(const SensorRules& rules, int resolution) {
    const int r = std::max(resolution, static_cast<int>(rules.lowestDpi));
    if (Stepped(rules) && r > BreakResolution(rules))
        return ClampPosition(rules, kSteppedBreak + (r - BreakResolution(rules)) / kSteppedIncrement);
    return ClampPosition(rules, (r - rules.lowestDpi) / EffectiveStep(rules));
}

ValueRange SliderRange(const SensorRules& rules) { return {0, rules.highestPosition}; }

ValueRange EditRange(const SensorRules& rules) { return {0, ResolutionOf(rules, rules.highestPosition)}; }

}  // namespace vandrel::devices::mouse
