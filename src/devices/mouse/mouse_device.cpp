#include "devices/mouse/mouse_device.h"

#include <algorithm>

#include "devices/key_slot_memory.h"
#include "devices/mouse/mouse_page.h"
#include "macros/macro_image.h"
#include "macros/macro_list.h"
#include "platform/folders.h"
#include "platform/trace.h"

namespace vandrel::devices {
namespace {

using mouse::SettingsRecord;
using protocol::Status;

constexpr std::string_view kKindName = "mouse";
constexpr std::string_view kLightConfigName = "zelbor_light";

// The mode of each light-mode index below the user's own effects: the row
// of the interval table, the step, and whether a frame painted with the
// current settings stays right until they change (nothing to animate).
struct ModeRow {
    std::uint8_t intervalRow;
    void (CMorvaneMouseDevice::*step)();
    bool still;
};
const std::array<ModeRow, mouse::kCustomModeBase> kModes{{
    {0, &CMorvaneMouseDevice::StepWave, false},
    {1, &CMorvaneMouseDevice::StepColourCycle, false},
    {2, &CMorvaneMouseDevice::StepBreathing, false},
    {3, &CMorvaneMouseDevice::StepStatic, true},
    {4, &CMorvaneMouseDevice::StepFlashing, false},
    {5, &CMorvaneMouseDevice::StepReactiveBand, false},
    {6, &CMorvaneMouseDevice::StepReactiveSpread, false},
    {2, &CMorvaneMouseDevice::StepFourColourBreathing, false},
    {4, &CMorvaneMouseDevice::StepFourColourFlashing, false},
    {9, &CMorvaneMouseDevice::StepAllOff, true},
}};
// The custom light list runs on every pass.
constexpr std::uint32_t kCustomListTicks = 1;

profiles::LightWords Words(const profiles::LightInfo& info) { return profiles::ToWords(info); }

std::unique_ptr<platform::ITickSource> OwnTicks(platform::ITickSource* given) {
    return given == nullptr ? std::make_unique<platform::SteadyTickSource>() : nullptr;
}

}  // namespace

CMorvaneMouseDevice::CMorvaneMouseDevice() : CMorvaneMouseDevice(platform::DefaultHidBackend()) {}

CMorvaneMouseDevice::CMorvaneMouseDevice(platform::IHidBackend& backend, platform::ITickSource* ticks)
    : CKeyedDevice(backend), ownTicks_(OwnTicks(ticks)), ticks_(ticks != nullptr ? *ticks : *ownTicks_) {
    SetKindName(std::string(kKindName));
    SetLightConfigName(std::string(kLightConfigName));
    profile_.SetTemplatePath(platform::DefaultTemplatePath(kKindName));
    profile_.SetSectionIndex(0);
    ClearReactive();
    ReactiveRing()[0].store(1);
    Offer<ILighting>(*this);
    Offer<IPower>(*this);
    Offer<IDpiStages>(*this);
    Offer<ISystemSettings>(*this);
    Offer<IProfiles>(*this);
    Offer<IKeyMap>(*this);
    lightingThread_ = std::make_unique<LightingThread>(
        ticks_, LightingSchedule{[this] { return NextStepTicks(); }, [this] { RunLightingPass(); }});
}

CMorvaneMouseDevice::~CMorvaneMouseDevice() {
    lightingThread_->Stop();
    worker_.Stop();
    Shutdown();
}

// --- Reading the mouse ----------------------------------------------------------

void CMorvaneMouseDevice::Connect() {
    // A failed read keeps what was read before; the profile and the page come
    // up all the same, and the next connection reads again.
    static_cast<void>(ReadDevice());
    // Without a profile panel (no page, or a page without one) the mouse
    // runs the profile its list has selected.
    if (ProfileName().empty()) {
        profiles_.Prepare(KindName());
        SetProfileName(profiles_.SelectedId());
    }
    LoadProfile();
    RefreshPage();
    lightingThread_->Stop();
    lightingThread_->Start();
    RestartStream();
}

void CMorvaneMouseDevice::OnTransportReopened() {
    CMorvaneUSBDevice::OnTransportReopened();
    lightingThread_->Wake();
}

Status CMorvaneMouseDevice::ReadDevice() {
    keyMapRead_ = false;
    protocol::CDeviceTransport& t = Transport();
    if (!t.IsOpen()) return Status::ReadFailed;
    // Not inside an upload's sequence, and not waiting for it: the
    // connection is synchronised again after it.
    const std::unique_lock sequence = TrySequence(OwedRead::kConnect);
    if (!sequence.owns_lock()) return Status::ReadFailed;
    if (t.IsWireless() && CheckLink() == protocol::LinkState::Unreachable) return Status::ReadFailed;

    static_cast<void>(protocol::CMD_SEQUENCE_BEGIN(t));  // the reads that follow tell whether the mouse answers
    InfoBlock info{};
    if (const Status status = protocol::CMD_READ_INFO(t, info.data()); status != Status::Ok) return status;
    info_ = info;
    infoRead_ = true;
    const std::size_t slots = info_[kKeySlotsByte];
    if (!t.SetMemorySize(static_cast<std::uint16_t>(slots * 3))) return Status::ReadFailed;
    KeyMapBytes keys{};
    if (const Status status = protocol::CMD_READ_KEY_MAP(t, keys.data()); status != Status::Ok) return status;
    keyMap_ = keys;
    keyMapRead_ = true;
    static_cast<void>(protocol::CMD_SEQUENCE_END(t));  // the data is read; the closing frame's failure changes nothing

    // The slots learned at earlier connections first: a key the key map no
    // longer holds at its factory code keeps its slot.
    positionSlots_ = RememberedKeySlots(platform::UserDataFolder(KindName()), mouse::PositionSlots(keyMap_, slots),
                                        slots, mouse::kNoSlot, /*learn=*/true);
    if (platform::IPageView* page = Page()) mouse::ShowDpiRanges(*page, Sensor());
    return Status::Ok;
}

void CMorvaneMouseDevice::Resynchronise() {
    if (ReadSettingsRecord() == Status::Ok) RefreshPage();
}

Status CMorvaneMouseDevice::ReadSettingsRecord() {
    protocol::CDeviceTransport& t = Transport();
    if (!t.IsOpen()) return Status::ReadFailed;
    // Not inside an upload's sequence, and not waiting for it: read after it.
    std::unique_lock sequence = TrySequence(OwedRead::kResync);
    if (!sequence.owns_lock()) return Status::ReadFailed;
    if (t.IsWireless() && CheckLink() == protocol::LinkState::Unreachable) return Status::ReadFailed;

    std::uint8_t onboard = 0;
    if (const Status status = protocol::CMD_READ_AT(t, &onboard, 1, 0); status != Status::Ok) return status;
    SettingsRecord read{};
    const auto offset = static_cast<std::uint16_t>(onboard * mouse::kRecordStride);
    if (const Status status = protocol::CMD_READ_AT(t, read.data(), read.size(), offset); status != Status::Ok)
        return status;

    sequence.unlock();
    read[mouse::record::kProfile] = onboard;
    read[mouse::record::kCleared] = 0;
    {
        const std::lock_guard lock(recordMutex_);
        record_ = read;
    }
    const profiles::LightInfo previous = RunningLight();
    const profiles::LightInfo light = mouse::LightingFromRecord(read, previous, names_.modes);
    ApplyRunningLight(light);

    if (const int stage = read[mouse::record::kActiveStage]; stage < mouse::kStageCount) {
        activeStage_ = stage;
        profile_.SetActiveStage(stage);
    }
    const profiles::LightWords words = Words(light);
    profile_.SetLightInfo(words[0], words[1], words[2], words[3]);
    SaveProfile();
    return Status::Ok;
}

void CMorvaneMouseDevice::OnNotification(std::uint16_t usage) {
    if (!Transport().IsOpen()) return;
    if (usage == kUsageClickFlash) {
        if (Transport().IsWireless() || RunningLight().SelectItem != kReactiveFlashMode) return;
        flashRequested_.store(true);
        lightingThread_->Wake();
        return;
    }
    const auto kind = static_cast<std::uint8_t>(usage >> 8);
    if (kind != kUsageProfileChanged && kind != kUsageProfileStageChanged) return;
    {
        const std::lock_guard lock(recordMutex_);
        record_[mouse::record::kProfile] = static_cast<std::uint8_t>(usage & 0x0F);
        if (kind == kUsageProfileStageChanged) {
            const auto stage = static_cast<std::uint8_t>((usage >> 4) & 0x0F);
            record_[mouse::record::kActiveStage] = stage;
            notifiedStage_.store(stage);
        }
    }
    if (IDeviceHost* host = Host()) host->ArmTimer(TimerId::kSpare1003, kNotifiedChangeDelayMs);
}

void CMorvaneMouseDevice::OnTimer1003() {
    // The mouse moved to another stage itself: the profile follows, so that
    // the next settings write does not move it back.
    const int stage = notifiedStage_.exchange(-1);
    if (stage >= 0 && stage < mouse::kStageCount && stage != activeStage_) {
        activeStage_ = stage;
        profile_.SetActiveStage(stage);
        SaveProfile();
    }
    RefreshPage();
}

mouse::SettingsRecord CMorvaneMouseDevice::RecordCopy() const {
    const std::lock_guard lock(recordMutex_);
    return record_;
}

std::uint8_t CMorvaneMouseDevice::PositionSlot(std::size_t position) const {
    return position < positionSlots_.size() ? positionSlots_[position] : mouse::kNoSlot;
}

protocol::LinkState CMorvaneMouseDevice::CheckLink() {
    protocol::CDeviceTransport& t = Transport();
    return t.IsOpen() ? protocol::CMD_LINK_QUERY(t) : protocol::LinkState::Unreachable;
}

void CMorvaneMouseDevice::ReadPowerState() {
    if (const std::optional<PowerReport> report = ReadPowerReport(powerSink_)) powerReport_ = *report;
}

// --- Writing the settings record ------------------------------------------------

Status CMorvaneMouseDevice::WriteLightRecord() { return WriteLightRecord(0, 0, 1, screenWidth_, screenHeight_); }

Status CMorvaneMouseDevice::WriteLightRecord(int onboardProfile, int byte0, int byte59, int screenWidth,
                                             int screenHeight) {
    const profiles::LightInfo light = profile_.GetLightInfo();
    mouse::RecordSource source;
    source.byte0 = byte0;
    source.byte59 = byte59;
    source.screenWidth = screenWidth;
    source.screenHeight = screenHeight;
    source.light = light;
    source.modeCode = mouse::ModeCode(names_.modes, light.SelectItem);
    source.reportRate = system_.reportRate;
    source.activeStage = activeStage_;
    source.stages = stages_;
    source.corrections = corrections_;
    const SettingsRecord record = mouse::BuildSettingsRecord(source);
    // An upload has the mouse, or a record already waits behind one: this
    // record goes after them on the worker, and the window does not wait.
    std::unique_lock sequence(SequenceLock(), std::defer_lock);
    if (worker_.Pending(CommandWorker::Slot::LightRecord) || !sequence.try_lock()) {
        QueueSettingsRecord(record, onboardProfile);
        return Status::Ok;
    }
    const WriteOutcome outcome = SendSettingsRecord(record, onboardProfile);
    sequence.unlock();
    NoteWrite(outcome);
    return outcome.status;
}

void CMorvaneMouseDevice::QueueSettingsRecord(const SettingsRecord& record, int onboardProfile) {
    worker_.Post(CommandWorker::Slot::LightRecord, [this, record, onboardProfile] {
        const WriteOutcome outcome = [&] {
            const std::lock_guard sequence(SequenceLock());
            return SendSettingsRecord(record, onboardProfile);
        }();
        NoteWrite(outcome);
        return outcome.status;
    });
}

CMorvaneMouseDevice::WriteOutcome CMorvaneMouseDevice::SendSettingsRecord(const SettingsRecord& record,
                                                                          int onboardProfile) {
    protocol::CDeviceTransport& t = Transport();
    const bool receiver = t.IsWireless();
    // On the receiver every step first asks whether the mouse is still there.
    const auto reachable = [&] { return t.IsOpen() && (!receiver || CheckLink() == protocol::LinkState::Reachable); };
    if (!reachable()) return {Status::ReadFailed, false};

    const Status begin = protocol::CMD_SEQUENCE_BEGIN(t);
    if (!reachable()) return {Status::ReadFailed, true};
    const auto offset = static_cast<std::uint16_t>(onboardProfile * static_cast<int>(mouse::kRecordStride));
    const Status write = protocol::CMD_WRITE_AT(t, record.data(), mouse::kRecordWriteSize, offset);
    if (!reachable()) return {Status::ReadFailed, true};
    const Status end = protocol::CMD_SEQUENCE_END(t);
    for (const Status status : {begin, write, end})
        if (status != Status::Ok) return {status, true};
    return {Status::Ok, true};
}

void CMorvaneMouseDevice::NoteWrite(const WriteOutcome& outcome) {
    lastWriteStatus_.store(outcome.status);
    if (outcome.sent || outcome.status == Status::Ok) NoteSettingsWrite(outcome.status, "MS设置写入失败");
}

// A settings record noted its own outcome (NoteWrite), as on the UI thread.
// Closed, the mouse has gone, and its key map goes out when it is back.
void CMorvaneMouseDevice::OnCommandDone(CommandWorker::Slot slot, Status status) {
    if (slot == CommandWorker::Slot::KeyMap && (status == Status::Ok || Transport().IsOpen()))
        NoteSettingsWrite(status, "mouse did not take its key map");
    ArmOwedReads();
}

// --- Key map --------------------------------------------------------------------

std::vector<profiles::KeyCode> CMorvaneMouseDevice::FactoryCodes() const {
    return {mouse::kFactoryKeyCodes.begin(), mouse::kFactoryKeyCodes.end()};
}

// The keys of the eleven positions that have a key slot in the key map read.
std::vector<SlottedKey> CMorvaneMouseDevice::SlottedKeyList() const {
    const std::size_t length = std::size_t{info_[kKeySlotsByte]} * 3;
    return SlottedKeys(keyList_, [this, length](std::size_t position) -> std::optional<std::uint8_t> {
        if (position >= mouse::kKeyPositions) return std::nullopt;
        const std::uint8_t slot = PositionSlot(position);
        if (slot == mouse::kNoSlot || std::size_t{slot} * 3 + 3 > length) return std::nullopt;
        return slot;
    });
}

std::vector<std::uint8_t> CMorvaneMouseDevice::UsedMacros() {
    return UsedMacrosOf(SlottedKeyList(), macros::ReadMacroList(platform::UserDataFolder(KindName())).size());
}

void CMorvaneMouseDevice::UploadMacrosAndKeyMap() {
    // Only over a key map read from this mouse: what it does not report
    // would otherwise be written as zeros.
    const std::size_t length = std::size_t{info_[kKeySlotsByte]} * 3;
    if (!keyMapRead_ || length > kKeyMapCapacity) {
        platform::Trace("mouse: key map not read since it connected; the key assignments wait");
        PostUploadEnd(Status::ReadFailed);
        return;
    }
    // One list of macros for the image and for the key map that names them.
    const std::vector<std::uint8_t> used = UsedMacros();
    KeyMapBytes bytes = keyMap_;
    PutKeyCodes(std::span(bytes).first(length), SlottedKeyList(), used);

    worker_.Post(CommandWorker::Slot::KeyMap, [this, bytes, length, used] {
        const UploadHold hold(*this);
        bool refused = false;  // the macros did not go out: said by their own message
        const Status status = [&] {
            protocol::CDeviceTransport& t = Transport();
            if (!t.IsOpen() || t.MemorySize() != length) return Status::ReadFailed;
            if (const int macros = UploadMacros(used, length); macros != macros::kMacrosSent) {
                if (IDeviceHost* host = Host())
                    host->PostMainMessage(DeviceMessage::kMacrosRefused, device_io::KindRowNumber(KindRow()), macros);
                refused = true;
                return Status::WriteFailed;
            }
            // The key map goes only to the mouse it was built for.
            if (const Status slots = ConfirmKeySlots(t, t.IsWireless(), kKeySlotsByte, length); slots != Status::Ok)
                return slots;
            return WriteSequence(t, t.IsWireless(), [&] { return protocol::CMD_WRITE_KEY_MAP(t, bytes.data(), 0); });
        }();
        PostUploadEnd(status);
        return refused ? Status::Ok : status;
    });
}

int CMorvaneMouseDevice::UploadMacros(std::span<const std::uint8_t> used) { return UploadMacros(used, std::nullopt); }

int CMorvaneMouseDevice::UploadMacros(std::span<const std::uint8_t> used, std::optional<std::size_t> keyMapLength) {
    protocol::CDeviceTransport& t = Transport();
    const bool receiver = t.IsWireless();
    if (!t.IsOpen() || (receiver && CheckLink() != protocol::LinkState::Reachable)) return macros::kMacrosFailed;
    InfoBlock info{};
    if (protocol::CMD_READ_INFO(t, info.data()) != Status::Ok) return macros::kMacrosFailed;
    if (keyMapLength && std::size_t{info[kKeySlotsByte]} * 3 != *keyMapLength) return macros::kMacrosFailed;
    const macros::MacroImage image = macros::MacroImageFromFolder(platform::UserDataFolder(KindName()), used,
                                                                  macros::MacroCapacity(info[kMacroUnitsByte]));
    if (image.result != macros::kMacrosSent || image.bytes.empty()) return image.result;
    const Status sent = WriteSequence(
        t, receiver, [&] { return protocol::CMD_WRITE_MACROS(t, image.bytes.data(), image.bytes.size()); });
    return sent == Status::Ok ? macros::kMacrosSent : macros::kMacrosFailed;
}

void CMorvaneMouseDevice::PostUploadEnd(Status status) {
    if (IDeviceHost* host = Host())
        host->PostMainMessage(DeviceMessage::kKeyMapUploaded, device_io::KindRowNumber(KindRow()),
                              protocol::ToInt(status));
}

// --- Profile ----------------------------------------------------------------------

void CMorvaneMouseDevice::SetProfilePaths() {
    devices::SetProfilePaths(profile_, KindName(), ProfileName(), LightConfigName());
}

void CMorvaneMouseDevice::LoadProfile() {
    LoadProfileFile(profile_, KindName(), ProfileName(), LightConfigName());
    ReadProfileSettings();
}

void CMorvaneMouseDevice::ReadProfileSettings() {
    LoadKeyList();
    ApplyProfileLighting();
    stages_ = profile_.GetDpiStages();
    activeStage_ = profile_.GetActiveStage();
    system_ = mouse::SystemFromWords(profile_.GetMouseSystem());
    corrections_ = profile_.GetCorrections();
}

void CMorvaneMouseDevice::LoadDefaultProfile() {
    if (!LoadTemplate(profile_, KindName())) return;
    ReadProfileSettings();
    SaveProfile();
    RefreshPage();
}

// A failed write is traced by the store; the settings stay in memory and the
// next change writes the whole profile again.
void CMorvaneMouseDevice::SaveProfile() { static_cast<void>(profile_.Save()); }

void CMorvaneMouseDevice::SetLightNameIndex(int index) {
    CMorvaneUSBDevice::SetLightNameIndex(index);
    profile_.SetSectionIndex(0);
}

void CMorvaneMouseDevice::LoadLightConfiguration() {
    LoadLightNames(names_, KindName(), LightConfigName(), GetLightNameIndex());
}

// --- Lighting -----------------------------------------------------------------------

void CMorvaneMouseDevice::SetLighting(std::uint32_t w0, std::uint32_t w1, std::uint32_t w2, std::uint32_t w3) {
    CMorvaneUSBDevice::SetLighting(w0, w1, w2, w3);
    profile_.SetLightInfo(w0, w1, w2, w3);
    LightingChanged();
}

int CMorvaneMouseDevice::ApplyProfileLighting() {
    const profiles::LightInfo light = profile_.GetLightInfo();
    ApplyRunningLight(light);
    {
        const std::lock_guard lock(recordMutex_);
        mouse::PutLighting(record_, light, mouse::ModeCode(names_.modes, light.SelectItem));
    }
    TakeLightLists(profile_);
    LightingChanged();
    return 1;
}

void CMorvaneMouseDevice::ApplyRunningLight(const profiles::LightInfo& next) {
    const profiles::LightWords words = Words(next);
    CMorvaneUSBDevice::SetLighting(words[0], words[1], words[2], words[3]);
    // Compared with the last mode applied, not with the running one, which
    // SetLighting may have changed already.
    if (next.SelectItem != appliedMode_) {
        ClearReactive();
        ReactiveRing()[0].store(1);
        appliedMode_ = next.SelectItem;
    }
    LightingChanged();
}

void CMorvaneMouseDevice::LightingChanged() {
    lightGeneration_.fetch_add(1);
    lightingThread_->Wake();
}

void CMorvaneMouseDevice::SetLightingPaused(bool paused) {
    Transport().SetPaused(paused);
    if (!paused) lightingThread_->Wake();
}

std::optional<std::uint32_t> CMorvaneMouseDevice::NextStepTicks() {
    protocol::CDeviceTransport& t = Transport();
    if (!t.IsOpen() || t.IsPaused()) return std::nullopt;
    const bool fresh = lightGeneration_.load() != paintedGeneration_ ||
                       LightListGeneration() != appliedListGeneration_ || flashRequested_.load();
    if (fresh) return 0;
    const profiles::LightInfo light = RunningLight();
    if (light.SelectItem >= kModes.size()) return kCustomListTicks;
    const ModeRow& row = kModes[light.SelectItem];
    if (row.still && !HasLightList()) return std::nullopt;
    return lighting::Interval(lighting::IntervalTable::kDevice, row.intervalRow, light.Speed);
}

void CMorvaneMouseDevice::RunLightingPass() {
    const std::uint32_t generation = lightGeneration_.load();
    const std::uint32_t lists = LightListGeneration();
    const std::uint64_t now = ticks_.Now();
    if (lighting::LoadLightInfo(engine_, RunningLight())) {
        lighting::ResetEffect(engine_, now);
        flash_.Clear();
    }
    if (lists != appliedListGeneration_) {
        engine_.overlay.Reset(now);
        engine_.player.Rewind(now);
        appliedListGeneration_ = lists;
    }
    const std::uint8_t mode = engine_.light.SelectItem;
    if (flashRequested_.exchange(false) && mode == kReactiveFlashMode) flash_.Trigger(random_);
    if (mode < kModes.size()) {
        (this->*kModes[mode].step)();
    } else {
        PlayEffectList(engine_.player, engine_.light.Speed, now);
    }
    ApplyOverlay(engine_.overlay, now);
    paintedGeneration_ = generation;
    LedsMayHaveChanged();
}

void CMorvaneMouseDevice::StepBreathing() { lighting::StepBreathing(engine_, Leds()); }
void CMorvaneMouseDevice::StepFourColourBreathing() { lighting::StepFourColourBreathing(engine_, Leds()); }
void CMorvaneMouseDevice::StepStatic() { lighting::StepStatic(engine_, Leds()); }
void CMorvaneMouseDevice::StepColourCycle() { lighting::StepColourCycle(engine_, Leds()); }
void CMorvaneMouseDevice::StepFlashing() { lighting::StepFlashing(engine_, Leds(), ticks_.Now()); }
void CMorvaneMouseDevice::StepFourColourFlashing() { lighting::StepFourColourFlashing(engine_, Leds(), ticks_.Now()); }
void CMorvaneMouseDevice::StepAllOff() { lighting::StepAllOff(Leds()); }

void CMorvaneMouseDevice::StepWave() { mouse::StepWave(engine_.counters, lighting::RunningLook(engine_), Leds()); }

void CMorvaneMouseDevice::StepReactiveBand() {
    const lighting::Look look = lighting::RunningLook(engine_);
    engine_.counters.step =
        lighting::Step(look.direction, static_cast<std::uint8_t>(lighting::kWheelSize), engine_.counters.step, 1);
    LightMarkedLevels();
    RotateRing(look.direction != 0);
    std::array<std::uint8_t, mouse::kGroupCount> levels{};
    for (std::size_t i = 0; i < levels.size(); ++i) {
        DecayLevel(static_cast<int>(i), engine_.light.SelectItem);
        levels[i] = ReactiveLevels()[i].load();
    }
    mouse::PaintBand(engine_.counters, look, levels, Leds());
}

void CMorvaneMouseDevice::StepReactiveSpread() { flash_.Step(lighting::RunningLook(engine_), Leds()); }

}  // namespace vandrel::devices
