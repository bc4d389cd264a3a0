#include "devices/keyboard/keyboard_page.h"

namespace vandrel::devices::keyboard {
namespace {

constexpr int kDelayStepMs = 250;

std::string Indexed(std::string_view prefix, int index) { return std::string(prefix) + std::to_string(index); }

int ChoiceOrZero(int value, int count) { return value >= 0 && value < count ? value : 0; }

void SelectOne(platform::IPageView& page, std::string_view prefix, int count, int selected) {
    for (int i = 0; i < count; ++i) page.SetSelected(Indexed(prefix, i), i == selected);
}

// The language's text of `id`, as the page's hidden label resolves it; the
// id itself on a page without that label.
std::string LanguageText(platform::IPageView& page, std::string_view id) {
    if (!page.HasControl(controls::kTextProbe)) return std::string(id);
    page.SetTextId(controls::kTextProbe, id);
    return page.Text(controls::kTextProbe);
}

}  // namespace

int RepeatDelayMs(int delay) { return ChoiceOrZero(delay, kRepeatDelayChoices) * kDelayStepMs + kDelayStepMs; }

void ShowSystem(platform::IPageView& page, const KeyboardSystem& system) {
    page.SetSelected(controls::kWinLock, system.WinFlag != 0);
    page.SetSelected(controls::kWFlag, system.WFlag != 0);
    page.SetSelected(controls::kKey6Flag, system.Key6Flag != 0);
    page.SetValue(controls::kRepeatRate, system.Repeat);
    SelectOne(page, controls::kRepeatDelay, kRepeatDelayChoices, ChoiceOrZero(system.RepeatDelay, kRepeatDelayChoices));
    page.SetText(controls::kRepeatDelayLabel, LanguageText(page, controls::kRepeatDelayText) +
                                                  std::to_string(RepeatDelayMs(system.RepeatDelay)) + "ms");
    SelectOne(page, controls::kReportRate, kPollingRateChoices, ChoiceOrZero(system.PollingRate, kPollingRateChoices));
}

}  // namespace vandrel::devices::keyboard
