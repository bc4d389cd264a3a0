// CMorvaneMouseDevice on its page: page set-up, what the page shows, and the
// operations the page's controls lead to.
#include <algorithm>
#include <iterator>
#include <limits>

#include "devices/mouse/mouse_device.h"
#include "devices/mouse/mouse_page.h"
#include "platform/folders.h"
#include "profiles/utf_text.h"

namespace vandrel::devices {
namespace {

using mouse::Indexed;
namespace controls = mouse::controls;

constexpr int kSliderMaximum = 4;  // brightness and speed sliders of the lighting panel

std::uint32_t PreviewArgb(lighting::LedColor c) {
    using lighting::LedColor;
    return 0xFF000000u | std::uint32_t{LedColor::Scaled(c.red, c.brightness)} << 16 |
           std::uint32_t{LedColor::Scaled(c.green, c.brightness)} << 8 | LedColor::Scaled(c.blue, c.brightness);
}

}  // namespace

// --- Page set-up ----------------------------------------------------------------

void CMorvaneMouseDevice::SetUpPage() {
    secondRow_.assign(LedCount(), std::nullopt);
    logo_.reset();
    platform::IPageView* page = Page();
    if (PageLayoutName().empty() || page == nullptr) return;
    BindSecondRow(*page);
    SetUpPanels(*page);
}

void CMorvaneMouseDevice::BindSecondRow(platform::IPageView& page) {
    for (const platform::ChildControl& child : page.Children(controls::kSettingsLayout)) {
        if (child.name == controls::kLogo) {
            logo_ = child.name;
            continue;
        }
        if (child.className != controls::kKeyButtonClass) continue;
        const std::optional<IndexedName> indexed = SplitIndexedName(child.userData);
        if (!indexed || indexed->prefix != controls::kSecondRowPrefix) continue;
        if (indexed->number >= 0 && static_cast<std::size_t>(indexed->number) < secondRow_.size())
            secondRow_[static_cast<std::size_t>(indexed->number)] = child.name;
    }
}

void CMorvaneMouseDevice::SetUpPanels(platform::IPageView& page) {
    profiles_.Prepare(KindName());
    if (const std::optional<std::string> shown = profiles_.SetUpPanel(page, profiles::kKindMouse))
        SetProfileName(*shown);
    if (!FindByClass(page, controls::kLightPanelClass).empty()) {
        LoadLightConfiguration();
        lightPanel_ = std::make_unique<lighting::CLightControlUI>(page, profiles::kKindMouse);
        lightPanel_->SetScreenSize(screenWidth_, screenHeight_);
        ShowModeList();
    }
    // The key-assignment panel (hidden until a key is chosen) and the macro
    // panel, over the macro list of the device's folder.
    SetUpKeyPanels(page, keys::CKeySetControlUI::kMouseKind, controls::kKeySetPanelClass);
}

void CMorvaneMouseDevice::ShowModeList() {
    if (lightPanel_) lightPanel_->SetModeList(names_, kSliderMaximum);
}

const std::string* CMorvaneMouseDevice::SecondRowPreview(std::size_t led) const {
    return led < secondRow_.size() && secondRow_[led] ? &*secondRow_[led] : nullptr;
}

// --- What the page shows ------------------------------------------------------

void CMorvaneMouseDevice::RefreshPage() {
    LoadLightConfiguration();
    if (lightPanel_) {
        ShowModeList();
        lightPanel_->ShowLightInfo(RunningLight());
    }
    platform::IPageView* page = Page();
    if (page == nullptr) return;
    ShowStages();
    mouse::ShowReportRate(*page, system_.reportRate);
    mouse::ShowSystem(*page, system_);
    mouse::ShowOnboardProfile(*page, ActiveOnboardProfile());
    RefreshKeyLabels();
}

void CMorvaneMouseDevice::ShowStages() {
    if (platform::IPageView* page = Page()) mouse::ShowStages(*page, stages_, activeStage_, Sensor());
}

void CMorvaneMouseDevice::PaintPreviews() {
    if (platform::IPageView* page = Page()) {
        for (std::size_t i = 0; i < secondRow_.size(); ++i)
            if (secondRow_[i] && page->Visible(*secondRow_[i]))
                page->SetColour(*secondRow_[i], PreviewArgb(Leds().Get(i)));
        if (logo_ && LogoLedIndex() >= 0)
            page->SetColour(*logo_, PreviewArgb(Leds().Get(static_cast<std::size_t>(LogoLedIndex()))));
    }
    CMorvaneUSBDevice::PaintPreviews();
}

void CMorvaneMouseDevice::ShowPageSection(int category) {
    CMorvaneUSBDevice::ShowPageSection(category);
    platform::IPageView* page = Page();
    if (page == nullptr) return;
    // The mouse page has one DPI and polling page for both links: behind the
    // receiver too it is the one the cable shows.
    if (category == kSystemCategory)
        page->SetCurrentPage(kFunctionSwitch, PageSectionFor(category, device_io::DeviceType::Mouse).functionPage);
    page->SetVisible(controls::kTipInfo, false);
}

void CMorvaneMouseDevice::SetScreenSize(int width, int height) {
    screenWidth_ = width;
    screenHeight_ = height;
    if (lightPanel_) lightPanel_->SetScreenSize(width, height);
}

// --- DPI stages -----------------------------------------------------------------

bool CMorvaneMouseDevice::ValidStage(int stage) const {
    return stage >= 0 && stage < mouse::kStageCount && static_cast<std::size_t>(stage) < stages_.size();
}

int CMorvaneMouseDevice::SliderPosition(int value) const {
    const int highest = infoRead_ ? Sensor().highestPosition : std::numeric_limits<std::uint16_t>::max();
    return std::clamp(value, 0, highest);
}

void CMorvaneMouseDevice::SetStagePosition(int stage, int position) {
    profiles::DpiStage& s = stages_[static_cast<std::size_t>(stage)];
    s.dpiX = static_cast<std::uint16_t>(position);
    if (s.xy == 0) s.dpiY = s.dpiX;
}

void CMorvaneMouseDevice::ShowStagePosition(int stage, int position) {
    if (platform::IPageView* page = Page()) mouse::ShowStageResolution(*page, stage, position, Sensor());
}

protocol::Status CMorvaneMouseDevice::StoreStages() {
    profile_.SetDpiStages(stages_);
    profile_.SetActiveStage(activeStage_);
    SaveProfile();
    return WriteLightRecord();
}

void CMorvaneMouseDevice::PreviewDpiStagePosition(int stage, int position) {
    if (!ValidStage(stage)) return;
    const int clamped = SliderPosition(position);
    SetStagePosition(stage, clamped);
    ShowStagePosition(stage, clamped);
}

DeviceStatus CMorvaneMouseDevice::SetDpiStagePosition(int stage, int position) {
    if (!ValidStage(stage)) return protocol::Status::Ok;
    PreviewDpiStagePosition(stage, position);
    return StoreStages();
}

DeviceStatus CMorvaneMouseDevice::SetDpiStage(int stage, int resolution) {
    if (!ValidStage(stage)) return protocol::Status::Ok;
    if (!infoRead_) {
        // Without the information block a resolution has no position.
        ShowStages();
        return protocol::Status::Ok;
    }
    const mouse::SensorRules rules = Sensor();
    const mouse::ValueRange range = mouse::EditRange(rules);
    const int position = mouse::PositionOf(rules, std::clamp(resolution, range.minimum, range.maximum));
    SetStagePosition(stage, position);
    ShowStagePosition(stage, position);
    return StoreStages();
}

DeviceStatus CMorvaneMouseDevice::EnableDpiStage(int stage, bool enabled) {
    if (!ValidStage(stage)) return protocol::Status::Ok;
    if (!enabled && !mouse::CanDisableStage(stages_, stage)) {
        ShowStages();
        return protocol::Status::Ok;
    }
    stages_[static_cast<std::size_t>(stage)].active = enabled ? 1 : 0;
    if (!enabled && stage == activeStage_) activeStage_ = mouse::NextEnabledStage(stages_, stage).value_or(stage);
    ShowStages();
    return StoreStages();
}

DeviceStatus CMorvaneMouseDevice::SelectDpiStage(int stage) {
    if (!ValidStage(stage)) return protocol::Status::Ok;
    if (!mouse::StageEnabled(stages_, stage)) {
        ShowStages();
        return protocol::Status::Ok;
    }
    activeStage_ = stage;
    ShowStages();
    return StoreStages();
}

DeviceStatus CMorvaneMouseDevice::SetDpiStageColour(int stage, std::uint32_t argb) {
    if (!ValidStage(stage)) return protocol::Status::Ok;
    profiles::DpiStage& s = stages_[static_cast<std::size_t>(stage)];
    s.red = static_cast<std::uint8_t>(argb >> 16);
    s.green = static_cast<std::uint8_t>(argb >> 8);
    s.blue = static_cast<std::uint8_t>(argb);
    ShowStages();
    return StoreStages();
}

// --- Report rate and system settings -----------------------------------------------

DeviceStatus CMorvaneMouseDevice::SetReportRate(int option) {
    if (option < 0 || option >= mouse::kReportRateCount) return protocol::Status::Ok;
    system_.reportRate = static_cast<std::uint16_t>(option);
    const profiles::SystemWords words = mouse::ToWords(system_);
    profile_.SetMouseSystem(words[0], words[1], words[2]);
    SaveProfile();
    if (platform::IPageView* page = Page()) mouse::ShowReportRate(*page, option);
    return WriteLightRecord();
}

DeviceStatus CMorvaneMouseDevice::SetSystemValue(SystemSetting setting, int value) {
    struct Field {
        SystemSetting setting;
        std::uint16_t mouse::MouseSystemSettings::*member;
        bool check;  // 1 or 0
    };
    static constexpr Field kFields[] = {
        {SystemSetting::PointerSpeed, &mouse::MouseSystemSettings::pointerSpeed, false},
        {SystemSetting::WheelLines, &mouse::MouseSystemSettings::wheelLines, false},
        {SystemSetting::DoubleClickTime, &mouse::MouseSystemSettings::doubleClickTime, false},
        {SystemSetting::PointerPrecision, &mouse::MouseSystemSettings::pointerPrecision, true},
        {SystemSetting::ScrollPage, &mouse::MouseSystemSettings::scrollPage, true},
    };
    const auto* field = std::ranges::find(kFields, setting, &Field::setting);
    if (field == std::end(kFields)) return protocol::Status::Ok;
    system_.*field->member = field->check ? static_cast<std::uint16_t>(value != 0 ? 1 : 0) : mouse::SystemValue(value);
    const profiles::SystemWords words = mouse::ToWords(system_);
    profile_.SetMouseSystem(words[0], words[1], words[2]);
    SaveProfile();
    if (systemSink_) systemSink_(system_);
    return protocol::Status::Ok;
}

// --- Defaults, lighting and profiles --------------------------------------------------

DeviceStatus CMorvaneMouseDevice::ResetToDefaults() {
    LoadDefaultProfile();
    const DeviceStatus status = WriteLightRecord();
    UploadMacrosAndKeyMap();
    return status;
}

DeviceStatus CMorvaneMouseDevice::SetLighting(const profiles::LightInfo& info) {
    return lighting::ApplyLighting(lightingDevice_, info, screenWidth_, screenHeight_);
}

std::vector<profiles::ProfileEntry> CMorvaneMouseDevice::Profiles() {
    profiles_.Prepare(KindName());
    return profiles_.Profiles();
}

std::string CMorvaneMouseDevice::AddProfile() {
    profiles_.Prepare(KindName());
    return profiles_.Add();
}

std::optional<DeviceStatus> CMorvaneMouseDevice::SelectProfile(const std::string& profileId) {
    profiles_.Prepare(KindName());
    if (!profiles_.Select(profileId)) return std::nullopt;
    SetProfileName(profileId);
    return RunProfile();
}

DeviceStatus CMorvaneMouseDevice::ResetProfile() {
    const std::optional<bool> reset = profiles_.ResetSelected();
    if (!reset) return protocol::Status::Ok;
    if (!*reset) return protocol::Status::WriteFailed;
    return RunProfile();
}

// The profile the list selects runs: loaded, shown, its settings written and
// its key map uploaded after its macros.
DeviceStatus CMorvaneMouseDevice::RunProfile() {
    LoadProfile();
    RefreshPage();
    const DeviceStatus status = WriteLightRecord();
    UploadMacrosAndKeyMap();
    return status;
}

}  // namespace vandrel::devices
