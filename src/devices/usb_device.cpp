#include "devices/usb_device.h"

#include <algorithm>
#include <charconv>

#include "lighting/engine.h"
#include "platform/text_compare.h"
#include "platform/trace.h"
#include "protocol/commands.h"

namespace vandrel::devices {

namespace {

constexpr int kResyncDelayMs = 50;
constexpr int kResyncDelayPadMs = 500;

// Which switch pages a key-function category selects. The first row that
// matches wins; a category in no row selects page 0 of both.
struct PageSectionRow {
    int category;
    bool onlyCableKeyboardOrMouse;
    PageSection section;
};
constexpr PageSectionRow kPageSections[] = {
    {2, false, {0, 1}},
    {6, false, {0, 1}},
    {3, false, {1, std::nullopt}},
    {8, false, {1, std::nullopt}},
    {4, true, {3, std::nullopt}},
    {4, false, {0, 2}},
    {7, false, {0, 2}},
    {5, false, {2, std::nullopt}},
};
constexpr PageSection kDefaultPageSection{0, 0};

std::uint32_t PreviewArgb(lighting::LedColor c) {
    using lighting::LedColor;
    return 0xFF000000u | std::uint32_t{LedColor::Scaled(c.red, c.brightness)} << 16 |
           std::uint32_t{LedColor::Scaled(c.green, c.brightness)} << 8 | LedColor::Scaled(c.blue, c.brightness);
}

}  // namespace

PageSection PageSectionFor(int category, device_io::DeviceType deviceType) {
    const bool cableKeyboardOrMouse =
        deviceType == device_io::DeviceType::Keyboard || deviceType == device_io::DeviceType::Mouse;
    for (const PageSectionRow& row : kPageSections)
        if (row.category == category && (!row.onlyCableKeyboardOrMouse || cableKeyboardOrMouse)) return row.section;
    return kDefaultPageSection;
}

std::optional<IndexedName> SplitIndexedName(std::string_view text) {
    const std::size_t underscore = text.rfind('_');
    if (underscore == std::string_view::npos || underscore + 1 == text.size()) return std::nullopt;
    const std::string_view digits = text.substr(underscore + 1);
    int number = 0;
    const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), number);
    if (error != std::errc{} || end != digits.data() + digits.size() || digits.front() == '-') return std::nullopt;
    return IndexedName{std::string(text.substr(0, underscore + 1)), number};
}

std::vector<std::string> FindByClass(const platform::IPageView& page, std::string_view className) {
    std::vector<std::string> found;
    for (const platform::ChildControl& control : page.Descendants(kPageRoot))
        if (control.className == className) found.push_back(control.name);
    return found;
}

CMorvaneUSBDevice::CMorvaneUSBDevice() : CMorvaneUSBDevice(platform::DefaultHidBackend()) {}

CMorvaneUSBDevice::CMorvaneUSBDevice(platform::IHidBackend& backend)
    : vendor_(backend),
      companion_(backend),
      wiredNotifier_(std::make_unique<NotificationThread>(companion_.WiredChannel(),
                                                          [this](std::uint16_t u) { HandleNotification(u); })),
      wirelessNotifier_(std::make_unique<NotificationThread>(companion_.WirelessChannel(),
                                                             [this](std::uint16_t u) { HandleNotification(u); })),
      streamer_(std::make_unique<LedStreamer>(StreamPort{
          [this] { return CurrentFrame(); },
          [this](const LightFrame& f) { return protocol::CMD_LIGHT_STREAM(vendor_, f.bytes.data(), f.length); }})) {}

CMorvaneUSBDevice::~CMorvaneUSBDevice() { Shutdown(); }

void CMorvaneUSBDevice::Shutdown() {
    wiredNotifier_->Stop();
    wirelessNotifier_->Stop();
    streamer_->Disable();
}

void CMorvaneUSBDevice::SetKeyCount(std::size_t count) { keyButtons_.assign(count, std::nullopt); }

void CMorvaneUSBDevice::SetLedCount(std::size_t count) {
    count = std::min(count, lighting::kMaxLeds);
    ledPreviews_.assign(count, std::nullopt);
    leds_.Resize(count);
    ledScratch_.assign(count, {});
}

void CMorvaneUSBDevice::SetIdentity(const device_io::DeviceIdentity& identity) {
    identity_ = identity;
    deviceType_.store(identity.deviceType);
    deviceRole_.store(identity.role);
}

bool CMorvaneUSBDevice::OpenCompanion(const std::string& path, bool wireless) {
    NotificationThread& notifier = NotifierOf(wireless);
    notifier.Stop();
    device_io::CHidChannel& channel = wireless ? companion_.WirelessChannel() : companion_.WiredChannel();
    const bool opened =
        channel.OpenPath(path, /*read=*/true, /*write=*/false, /*overlapped=*/true, /*exclusive=*/false);
    if (wireless) companion_.SetWireless(opened);
    else companion_.SetOpen(opened);
    if (opened) notifier.Start();
    return opened;
}

void CMorvaneUSBDevice::CloseCompanion(bool wireless) {
    NotifierOf(wireless).Stop();
    // Stop closed the channel of a running thread; this covers one that never ran.
    (wireless ? companion_.WirelessChannel() : companion_.WiredChannel()).Close();
    if (wireless) companion_.SetWireless(false);
    else companion_.SetOpen(false);
}

void CMorvaneUSBDevice::HandleNotification(std::uint16_t usage) {
    if (usage != kUsageResync) {
        OnNotification(usage);
        return;
    }
    platform::Trace("接收到自动添加设备的同步信息要求");
    ArmResync();
}

void CMorvaneUSBDevice::ArmResync() {
    if (IDeviceHost* host = host_.load()) {
        const bool pad = DeviceType() == device_io::DeviceType::MousePad;
        host->ArmTimer(TimerId::kResync, pad ? kResyncDelayPadMs : kResyncDelayMs);
    }
}

std::unique_lock<std::mutex> CMorvaneUSBDevice::TrySequence(OwedRead read) {
    const auto bit = static_cast<std::uint8_t>(read);
    // Owed before the try: the job whose sequence makes it fail ends after
    // it and so finds the read owed. Taken at once, the read runs now; a job
    // ending in between may arm it once more, which only reads again.
    owedReads_.fetch_or(bit);
    std::unique_lock sequence(sequenceLock_, std::try_to_lock);
    if (sequence.owns_lock()) owedReads_.fetch_and(static_cast<std::uint8_t>(~bit));
    return sequence;
}

void CMorvaneUSBDevice::ArmOwedReads() {
    const std::uint8_t owed = owedReads_.exchange(0);
    const auto has = [owed](OwedRead read) { return (owed & static_cast<std::uint8_t>(read)) != 0; };
    IDeviceHost* host = host_.load();
    if (host == nullptr) return;
    if (has(OwedRead::kConnect)) host->ArmTimer(TimerId::kFirstSync, kResyncDelayMs);
    if (has(OwedRead::kResync)) ArmResync();
}

std::optional<PowerReport> CMorvaneUSBDevice::ReadPowerReport(const IPower::PowerSink& sink) {
    protocol::CDeviceTransport& t = vendor_;
    // A sequence in progress on another thread (an upload) keeps the power
    // read out of it: the read is skipped, not queued.
    const std::unique_lock sequence(sequenceLock_, std::try_to_lock);
    if (!sequence.owns_lock() || !t.IsOpen() || Hold() ||
        protocol::CMD_LINK_QUERY(t) == protocol::LinkState::Unreachable)
        return std::nullopt;
    PowerReport report{};
    if (protocol::CMD_READ_SMALL(t, report.data(), report.size(), report.size(), 0) != protocol::Status::Ok)
        return std::nullopt;
    report[3] = t.IsWireless() ? 1 : 0;
    if (sink) sink(report);
    if (IDeviceHost* host = Host()) host->PostMainMessage(DeviceMessage::kPowerState, report[4], 0);
    return report;
}

void CMorvaneUSBDevice::SetHostLighting(bool enabled) {
    hostLighting_.store(enabled);
    if (!enabled) {
        streamer_->Disable();
        return;
    }
    streamer_->Enable();
    SchedulePreviewPaint();
    // The stream runs whether the keyboard took the switch or not; the switch
    // goes again the next time host lighting is switched on.
    if (DeviceType() == device_io::DeviceType::Keyboard) static_cast<void>(protocol::CMD_HOST_LIGHTING(vendor_));
}

void CMorvaneUSBDevice::Attach(platform::IPageView& page) {
    page_ = &page;
    if (pageLayoutName_.empty()) {
        SetKeyCount(0);
        SetLedCount(0);
        return;
    }
    // The page's picture: its first rubber-band panel, at any depth, and the
    // key buttons anywhere inside it. A button's name or user data "key_"n
    // makes it key n's button, "light_"n LED n's preview (a keyboard's key
    // is named for its key and carries its LED as user data).
    const auto controls = page.Descendants(kPageRoot);
    const auto panel = std::ranges::find(controls, "SelectPanel", &platform::ChildControl::className);
    if (panel == controls.end()) return;
    for (const platform::ChildControl& child : page.Descendants(panel->name)) {
        if (child.className != "DeviceKeyButton") continue;
        for (const std::string* text : {&child.name, &child.userData}) {
            const std::optional<IndexedName> indexed = SplitIndexedName(*text);
            if (!indexed || indexed->number < 0) continue;
            const auto index = static_cast<std::size_t>(indexed->number);
            if (platform::EqualsIgnoringCase(indexed->prefix, "key_") && index < keyButtons_.size()) {
                keyButtons_[index] = child.name;
            } else if (platform::EqualsIgnoringCase(indexed->prefix, "light_") && index < ledPreviews_.size()) {
                ledPreviews_[index] = child.name;
                page.SetColour(child.name, kPreviewWhite);
            }
        }
    }
    SetUpPage();
}

void CMorvaneUSBDevice::TakeLightLists(profiles::CBasicProfiledata& profile) {
    profile.LoadLightConfig(profile.GetLightConfigPath());
    std::vector<profiles::LightListEntry> list = profile.GetLightList();
    std::vector<profiles::EffectStep> steps = profile.GetEffectSteps();
    {
        const std::lock_guard lock(lightStepsLock_);
        effectSteps_ = std::move(steps);
    }
    {
        const std::lock_guard lock(ledListLock_);
        hasLightList_.store(!list.empty());
        lightList_ = std::move(list);
    }
    listGeneration_.fetch_add(1);
}

void CMorvaneUSBDevice::PlayEffectList(lighting::EffectListPlayer& player, std::uint8_t speed, std::uint64_t now) {
    const std::lock_guard lock(lightStepsLock_);
    player.Play(effectSteps_, speed, leds_, now);
}

void CMorvaneUSBDevice::ApplyOverlay(lighting::LightOverlay& overlay, std::uint64_t now) {
    const std::lock_guard lock(ledListLock_);
    overlay.Apply(lightList_, leds_, now);
}

void CMorvaneUSBDevice::NoteSettingsWrite(protocol::Status status, std::string_view what) {
    if (status == protocol::Status::Ok) {
        writeFailureReported_.store(false);
        return;
    }
    if (writeFailureReported_.exchange(true)) return;
    platform::Trace(std::string(what) + ": " + std::to_string(protocol::ToInt(status)));
    if (IDeviceHost* host = Host())
        host->PostMainMessage(DeviceMessage::kSettingsWriteFailed, device_io::KindRowNumber(kindRow_),
                              protocol::ToInt(status));
}

void CMorvaneUSBDevice::SetLivePreview(bool enabled) {
    if (livePreview_.exchange(enabled) != enabled && enabled) SchedulePreviewPaint();
}

void CMorvaneUSBDevice::SetWindowHidden(bool hidden) {
    SetHold(hidden);
    if (windowHidden_.exchange(hidden) != hidden && !hidden) SchedulePreviewPaint();
}

void CMorvaneUSBDevice::OnTransportReopened() { streamer_->Resend(); }

void CMorvaneUSBDevice::LedsMayHaveChanged() {
    const std::uint64_t version = leds_.Version();
    if (notifiedVersion_.exchange(version) == version) return;
    if (streamed_.load()) streamer_->Wake();
    SchedulePreviewPaint();
}

// Arms timer 1000 once; the paint it brings reads the colours of that moment,
// so a change after it was armed is not lost.
void CMorvaneUSBDevice::SchedulePreviewPaint() {
    IDeviceHost* host = host_.load();
    if (host == nullptr || !PreviewsSeen() || previewArmed_.exchange(true)) return;
    const auto now =
        std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now().time_since_epoch())
            .count();
    const std::int64_t wait = lastPreviewPaintMs_.load() + kPreviewPaintInterval.count() - now;
    host->ArmTimer(TimerId::kStream,
                   static_cast<int>(std::clamp<std::int64_t>(wait, 0, kPreviewPaintInterval.count())));
}

void CMorvaneUSBDevice::RefreshPreview() {
    previewArmed_.store(false);
    if (!hostLighting_.load() || !PreviewsSeen()) return;
    lastPreviewPaintMs_.store(
        std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now().time_since_epoch())
            .count());
    PaintPreviews();
}

void CMorvaneUSBDevice::PaintPreviews() {
    if (page_ == nullptr) return;
    for (std::size_t i = 0; i < ledPreviews_.size(); ++i) {
        const std::optional<std::string>& preview = ledPreviews_[i];
        if (preview && page_->Visible(*preview)) page_->SetColour(*preview, PreviewArgb(leds_.Get(i)));
    }
}

std::optional<LightFrame> CMorvaneUSBDevice::CurrentFrame() const {
    const std::size_t length = 3 * leds_.Size();
    if (!streamed_.load() || !hostLighting_.load() || !vendor_.IsOpen() || vendor_.IsWireless() || length == 0)
        return std::nullopt;
    return LightFrame{BuildLightStream(leds_), length};
}

void CMorvaneUSBDevice::SetLedColour(int index, std::uint32_t colour) {
    if (index < 0) return;
    leds_.Set(static_cast<std::size_t>(index), lighting::LedColor::FromPacked(colour));
    LedsMayHaveChanged();
}

std::uint32_t CMorvaneUSBDevice::GetLedColour(int index) const {
    if (index < 0) return 0;
    return leds_.Get(static_cast<std::size_t>(index)).Packed();
}

void CMorvaneUSBDevice::DecayLevel(int index, int mode) {
    if (index < 0 || static_cast<std::size_t>(index) >= reactiveLevels_.size()) return;
    auto& level = reactiveLevels_[static_cast<std::size_t>(index)];
    level.store(lighting::DecayLevel(level.load(), mode));
}

void CMorvaneUSBDevice::LightMarkedLevels() {
    for (std::size_t i = 0; i < lighting::kBaseMarkedLevels; ++i)
        if (reactiveRing_[i].load() != 0) reactiveLevels_[i].store(255);
}

void CMorvaneUSBDevice::RotateRing(bool up) { RotateRing(up, reactiveRing_.size()); }

void CMorvaneUSBDevice::RotateRing(bool up, std::size_t count) {
    const std::size_t n = std::min(count, reactiveRing_.size());
    if (n < 2) return;
    std::array<std::uint8_t, kReactiveRingSize> ring{};
    for (std::size_t i = 0; i < n; ++i) ring[i] = reactiveRing_[i].load();
    if (up)
        std::rotate(ring.begin(), ring.begin() + static_cast<std::ptrdiff_t>(n) - 1,
                    ring.begin() + static_cast<std::ptrdiff_t>(n));
    else std::rotate(ring.begin(), ring.begin() + 1, ring.begin() + static_cast<std::ptrdiff_t>(n));
    for (std::size_t i = 0; i < n; ++i) reactiveRing_[i].store(ring[i]);
}

void CMorvaneUSBDevice::ClearReactive() {
    for (auto& level : reactiveLevels_) level.store(0);
    for (auto& position : reactiveRing_) position.store(0);
}

void CMorvaneUSBDevice::ShowPageSection(int category) {
    keyFunctionCategory_ = category;
    if (page_ == nullptr) return;
    const PageSection section = PageSectionFor(category, DeviceType());
    page_->SetCurrentPage(kFunctionSwitch, section.functionPage);
    if (section.keyFunctionPage) page_->SetCurrentPage(kKeyFunctionSwitch, *section.keyFunctionPage);
}

void CMorvaneUSBDevice::SetLighting(std::uint32_t w0, std::uint32_t w1, std::uint32_t w2, std::uint32_t w3) {
    const profiles::LightInfo info = profiles::LightInfoFromWords({w0, w1, w2, w3});
    std::lock_guard lock(lightMutex_);
    light_ = info;
}

profiles::LightWords CMorvaneUSBDevice::GetLighting() const { return profiles::ToWords(RunningLight()); }

profiles::LightInfo CMorvaneUSBDevice::RunningLight() const {
    std::lock_guard lock(lightMutex_);
    return light_;
}

const std::string* CMorvaneUSBDevice::KeyButton(std::size_t index) const {
    return index < keyButtons_.size() && keyButtons_[index] ? &*keyButtons_[index] : nullptr;
}

const std::string* CMorvaneUSBDevice::LedPreview(std::size_t index) const {
    return index < ledPreviews_.size() && ledPreviews_[index] ? &*ledPreviews_[index] : nullptr;
}

}  // namespace vandrel::devices
