// CMorvaneKeyboardDevice on its page: page set-up, what the page shows, and
// the system settings its controls lead to.
#include <algorithm>
#include <iterator>

#include "devices/keyboard/keyboard_device.h"
#include "devices/keyboard/keyboard_page.h"
#include "platform/folders.h"
#include "platform/trace.h"

namespace vandrel::devices {
namespace {

namespace controls = keyboard::controls;

constexpr int kSliderMaximum = 4;  // brightness and speed sliders of the lighting panel
constexpr int kLightingSection = 1;
constexpr int kKeysSection = 2;

}  // namespace

// --- Page set-up ----------------------------------------------------------------

void CMorvaneKeyboardDevice::SetUpPage() {
    platform::IPageView* page = Page();
    if (PageLayoutName().empty() || page == nullptr) return;
    SetUpPanels(*page);
}

void CMorvaneKeyboardDevice::SetUpPanels(platform::IPageView& page) {
    profiles_.Prepare(KindName());
    if (const std::optional<std::string> shown = profiles_.SetUpPanel(page, profiles::kKindKeyboard))
        SetProfileName(*shown);
    if (!FindByClass(page, controls::kLightPanelClass).empty()) {
        LoadLightConfiguration();
        lightPanel_ = std::make_unique<lighting::CLightControlUI>(page, profiles::kKindKeyboard);
        ShowModeList();
        ShowColourGroups(page);
    }
    // The key-assignment panel (hidden until a key is chosen) and the macro
    // panel, over the macro list of the device's folder.
    SetUpKeyPanels(page, keys::CKeySetControlUI::kKeyboardKind, controls::kKeySetPanelClass);
}

// The groups by their numbers, from 1.
void CMorvaneKeyboardDevice::ShowColourGroups(platform::IPageView& page) {
    std::vector<platform::ItemText> groups;
    for (int group = 1; group <= keyboard::kColourGroups; ++group)
        groups.push_back(platform::ItemText::Literal(std::to_string(group)));
    page.SetItemTexts(lighting::light_controls::kCustomCombo, groups);
}

void CMorvaneKeyboardDevice::ShowModeList() {
    if (lightPanel_) lightPanel_->SetModeList(names_, kSliderMaximum);
}

// --- What the page shows ------------------------------------------------------

void CMorvaneKeyboardDevice::RefreshPage() {
    LoadLightConfiguration();
    const profiles::LightInfo light = RunningLight();
    if (lightPanel_) {
        ShowModeList();
        lightPanel_->ShowLightInfo(light);
    }
    platform::IPageView* page = Page();
    if (page == nullptr) return;
    if (page->HasControl(lighting::light_controls::kCustomCombo))
        page->SetCurrentIndex(lighting::light_controls::kCustomCombo, light.CustomGroup);
    keyboard::ShowSystem(*page, system_);
    page->SetText(controls::kRepeatTestBox, "");
    RefreshKeyLabels();
}

void CMorvaneKeyboardDevice::ShowPageSection(int category) {
    CMorvaneUSBDevice::ShowPageSection(category);
    platform::IPageView* page = Page();
    if (page == nullptr || !page->HasControl(controls::kFnKey)) return;
    if (category == kLightingSection) page->SetEnabled(controls::kFnKey, true);
    else if (category == kKeysSection) page->SetEnabled(controls::kFnKey, false);
}

// --- Report rate and system settings -------------------------------------------------

DeviceStatus CMorvaneKeyboardDevice::SetReportRate(int option) {
    if (option < 0 || option >= keyboard::kPollingRateChoices) return protocol::Status::Ok;
    system_.PollingRate = static_cast<std::uint16_t>(option);
    return SystemChanged();
}

DeviceStatus CMorvaneKeyboardDevice::SetSystemValue(SystemSetting setting, int value) {
    struct Field {
        SystemSetting setting;
        std::uint16_t keyboard::KeyboardSystem::*member;
        int choices;  // values 0..choices-1; 0: a check, 1 or 0
    };
    static constexpr Field kFields[] = {
        {SystemSetting::KeyRepeatRate, &keyboard::KeyboardSystem::Repeat, keyboard::kRepeatRateMaximum + 1},
        {SystemSetting::KeyRepeatDelay, &keyboard::KeyboardSystem::RepeatDelay, keyboard::kRepeatDelayChoices},
        {SystemSetting::WindowsKeyLock, &keyboard::KeyboardSystem::WinFlag, 0},
        {SystemSetting::ArrowKeysOnWasd, &keyboard::KeyboardSystem::WFlag, 0},
        {SystemSetting::SixKeyMode, &keyboard::KeyboardSystem::Key6Flag, 0},
    };
    const auto* field = std::ranges::find(kFields, setting, &Field::setting);
    if (field == std::end(kFields)) return protocol::Status::Ok;
    if (field->choices == 0) value = value != 0 ? 1 : 0;
    else if (value < 0 || value >= field->choices) return protocol::Status::Ok;
    system_.*field->member = static_cast<std::uint16_t>(value);
    return SystemChanged();
}

// Stored, saved, shown and written (the repeat is not in the record, the
// rest of the record goes again).
DeviceStatus CMorvaneKeyboardDevice::SystemChanged() {
    StoreSystem();
    SaveProfile();
    if (platform::IPageView* page = Page()) keyboard::ShowSystem(*page, system_);
    return WriteLightRecord();
}

}  // namespace vandrel::devices
