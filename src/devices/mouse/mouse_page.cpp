#include "devices/mouse/mouse_page.h"

#include "devices/mouse/mouse_record.h"

namespace vandrel::devices::mouse {
namespace {

constexpr std::uint32_t kOpaque = 0xFF000000u;

std::uint32_t StageColour(const profiles::DpiStage& stage) {
    return kOpaque | std::uint32_t{stage.red} << 16 | std::uint32_t{stage.green} << 8 | stage.blue;
}

void SelectOne(platform::IPageView& page, std::string_view prefix, int count, int selected) {
    for (int i = 0; i < count; ++i) page.SetSelected(Indexed(prefix, i), i == selected);
}

}  // namespace

std::string Indexed(std::string_view prefix, int index) { return std::string(prefix) + std::to_string(index); }

void ShowDpiRanges(platform::IPageView& page, const SensorRules& rules) {
    const ValueRange slider = SliderRange(rules);
    const ValueRange edit = EditRange(rules);
    for (int i = 0; i < kStageCount; ++i) {
        page.SetRange(Indexed(controls::kDpiSlider, i), slider.minimum, slider.maximum);
        page.SetRange(Indexed(controls::kDpiEdit, i), edit.minimum, edit.maximum);
    }
}

void ShowStageResolution(platform::IPageView& page, int stage, int position, const SensorRules& rules) {
    page.SetValue(Indexed(controls::kDpiSlider, stage), position);
    page.SetText(Indexed(controls::kDpiEdit, stage), std::to_string(ResolutionOf(rules, position)));
}

void ShowStages(platform::IPageView& page, std::span<const profiles::DpiStage> stages, int activeStage,
                const SensorRules& rules) {
    const bool lastOneOn = EnabledStageCount(stages) <= 1;
    for (int i = 0; i < kStageCount && static_cast<std::size_t>(i) < stages.size(); ++i) {
        const profiles::DpiStage& stage = stages[static_cast<std::size_t>(i)];
        const std::string enable = Indexed(controls::kDpiEnable, i);
        page.SetSelected(enable, stage.active != 0);
        page.SetEnabled(enable, !(lastOneOn && stage.active != 0));
        ShowStageResolution(page, i, stage.dpiX, rules);
        page.SetColour(Indexed(controls::kDpiColour, i), StageColour(stage));
    }
    SelectOne(page, controls::kDpiSelect, kStageCount, activeStage);
}

void ShowReportRate(platform::IPageView& page, int reportRate) {
    SelectOne(page, controls::kReportRate, kReportRateCount, ReportRateOption(reportRate));
}

void ShowSystem(platform::IPageView& page, const MouseSystemSettings& s) {
    page.SetValue(controls::kPointerSpeed, s.pointerSpeed);
    page.SetValue(controls::kWheelLines, s.wheelLines);
    page.SetValue(controls::kDoubleClick, s.doubleClickTime);
    page.SetSelected(controls::kPrecision, s.pointerPrecision != 0);
    page.SetSelected(controls::kScrollPage, s.scrollPage != 0);
}

void ShowOnboardProfile(platform::IPageView& page, int profile) {
    SelectOne(page, controls::kOnboardProfile, static_cast<int>(kOnboardProfiles), profile);
}

}  // namespace vandrel::devices::mouse
