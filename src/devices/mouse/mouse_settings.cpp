#include "devices/mouse/mouse_settings.h"

#include <algorithm>
#include <limits>

#include "platform/bytes.h"

namespace vandrel::devices::mouse {

int EnabledStageCount(std::span<const profiles::DpiStage> stages) {
    const auto first = stages.subspan(0, std::min(stages.size(), static_cast<std::size_t>(kStageCount)));
    return static_cast<int>(std::ranges::count_if(first, [](const profiles::DpiStage& s) { return s.active != 0; }));
}

bool StageEnabled(std::span<const profiles::DpiStage> stages, int stage) {
    return stage >= 0 && stage < kStageCount && static_cast<std::size_t>(stage) < stages.size() &&
           stages[static_cast<std::size_t>(stage)].active != 0;
}

bool CanDisableStage(std::span<const profiles::DpiStage> stages, int stage) {
    return !StageEnabled(stages, stage) || EnabledStageCount(stages) > 1;
}

std::optional<int> NextEnabledStage(std::span<const profiles::DpiStage> stages, int stage) {
    for (int step = 1; step <= kStageCount; ++step) {
        const int candidate = ((stage + step) % kStageCount + kStageCount) % kStageCount;
        if (StageEnabled(stages, candidate)) return candidate;
    }
    return std::nullopt;
}

MouseSystemSettings SystemFromWords(const profiles::SystemWords& words) {
    using platform::HighHalf, platform::LowHalf;
    return {LowHalf(words[0]),  HighHalf(words[0]), LowHalf(words[1]),
            HighHalf(words[1]), LowHalf(words[2]),  HighHalf(words[2])};
}

profiles::SystemWords ToWords(const MouseSystemSettings& s) {
    using platform::JoinHalves;
    return {JoinHalves(s.pointerSpeed, s.doubleClickTime), JoinHalves(s.scrollPage, s.pointerPrecision),
            JoinHalves(s.reportRate, s.wheelLines)};
}

std::uint16_t SystemValue(int value) {
    return static_cast<std::uint16_t>(std::clamp(value, 0, int{std::numeric_limits<std::uint16_t>::max()}));
}

int ReportRateOption(int reportRate) { return reportRate >= 0 && reportRate < kReportRateCount ? reportRate : 0; }

}  // namespace vandrel::devices::mouse
