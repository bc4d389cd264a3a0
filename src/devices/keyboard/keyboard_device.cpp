#include "devices/keyboard/keyboard_device.h"

#include <algorithm>

#include "devices/key_slot_memory.h"
#include "macros/macro_image.h"
#include "macros/macro_list.h"
#include "platform/folders.h"
#include "platform/trace.h"

namespace vandrel::devices {
namespace {

using keyboard::KeyAction;
using protocol::Status;

constexpr std::string_view kKindName = "keyboard";
constexpr std::string_view kLightConfigName = "zelbor_light";

// Notifications: a high byte of 0x10 or 0x11 carries the onboard profile in
// the low four bits of the value; any other high byte with bit 7 set carries
// it in its own low four bits.
constexpr std::uint8_t kProfileNotice = 0x10;
constexpr std::uint8_t kProfileNoticeToo = 0x11;
constexpr std::uint8_t kProfileNoticeBit = 0x80;
constexpr std::uint8_t kKeyPressedHigh = CMorvaneKeyboardDevice::kUsageKeyPressed >> 8;
constexpr std::uint8_t kKeyReleasedHigh = CMorvaneKeyboardDevice::kUsageKeyReleased >> 8;
// Timer 1003 takes a notified profile change in on the UI thread after this delay.
constexpr int kNotifiedChangeDelayMs = 10;

std::unique_ptr<platform::ITickSource> OwnTicks(platform::ITickSource* given) {
    return given == nullptr ? std::make_unique<platform::SteadyTickSource>() : nullptr;
}

Status FirstFailure(std::initializer_list<Status> statuses) {
    for (const Status status : statuses)
        if (status != Status::Ok) return status;
    return Status::Ok;
}

std::string_view SlotName(CommandWorker::Slot slot) {
    static constexpr std::array<std::string_view, CommandWorker::kSlots> kNames{"colour page", "key map",
                                                                                "light record"};
    return kNames[static_cast<std::size_t>(slot)];
}

}  // namespace

CMorvaneKeyboardDevice::CMorvaneKeyboardDevice() : CMorvaneKeyboardDevice(platform::DefaultHidBackend()) {}

CMorvaneKeyboardDevice::CMorvaneKeyboardDevice(platform::IHidBackend& backend, platform::ITickSource* ticks)
    : CKeyedDevice(backend), ownTicks_(OwnTicks(ticks)), ticks_(ticks != nullptr ? *ticks : *ownTicks_) {
    SetKindName(std::string(kKindName));
    SetLightConfigName(std::string(kLightConfigName));
    KeepLedsOnScreen();
    profile_.SetTemplatePath(platform::DefaultTemplatePath(kKindName));
    profile_.SetSectionIndex(0);
    Offer<ILighting>(*this);
    Offer<IPower>(*this);
    Offer<ISystemSettings>(*this);
    Offer<IProfiles>(*this);
    Offer<IKeyColours>(*this);
    Offer<IKeyMap>(*this);
    lightingThread_ = std::make_unique<LightingThread>(
        ticks_, LightingSchedule{[this] { return NextStepTicks(); }, [this] { RunLightingPass(); }});
}

CMorvaneKeyboardDevice::~CMorvaneKeyboardDevice() {
    lightingThread_->Stop();
    worker_.Stop();
    Shutdown();
}

// --- Reading the keyboard -------------------------------------------------------

void CMorvaneKeyboardDevice::Connect() {
    // A failed read keeps what was read before; the profile and the page come
    // up all the same, and the next connection reads again.
    ReadDevice();
    if (ProfileName().empty()) {
        profiles_.Prepare(KindName());
        SetProfileName(profiles_.SelectedId());
    }
    LoadProfile();
    static_cast<void>(ReadLightRecord());
    RefreshPage();
    lightingThread_->Stop();
    lightingThread_->Start();
}

void CMorvaneKeyboardDevice::OnTransportReopened() {
    CMorvaneUSBDevice::OnTransportReopened();
    lightingThread_->Wake();
}

void CMorvaneKeyboardDevice::ReadDevice() {
    keyMapRead_ = false;
    protocol::CDeviceTransport& t = Transport();
    if (!t.IsOpen()) return;
    // Not inside an upload's sequence, and not waiting for it: the
    // connection is synchronised again after it.
    const std::unique_lock sequence = TrySequence(OwedRead::kConnect);
    if (!sequence.owns_lock()) return;

    // The statuses of the reads say which tables are the keyboard's; the
    // sequence is closed whatever they say.
    static_cast<void>(protocol::CMD_SEQUENCE_BEGIN(t));
    InfoBlock info{};
    if (protocol::CMD_READ_INFO(t, info.data()) == Status::Ok) info_ = info;
    std::size_t slots = KeySlots();
    // More key slots than a 512-byte table holds: none of the tables is read.
    if (t.SetMemorySize(static_cast<std::uint16_t>(slots * 3))) {
        keyboard::DevicePage keys{};
        if (protocol::CMD_READ_KEY_MAP(t, keys.data()) == Status::Ok) {
            keyMap_ = keys;
            keyMapRead_ = true;
        }
        keyboard::DevicePage leds{};
        if (protocol::CMD_READ_LED_MAP(t, leds.data()) == Status::Ok) ledMap_ = leds;
    } else {
        platform::Trace("keyboard: " + std::to_string(slots) + " key slots do not fit its tables; not read");
        slots = 0;
    }
    static_cast<void>(protocol::CMD_SEQUENCE_END(t));

    // The slots learned at earlier connections first: a key the key map no
    // longer holds at its factory code keeps its slot and its LED.
    const keyboard::KeySlots found = keyboard::FindKeySlots(keyMap_, slots);
    const std::vector<std::uint8_t> remembered =
        RememberedKeySlots(platform::UserDataFolder(KindName()), found, slots, keyboard::kNoSlot, keyMapRead_);
    keyboard::KeySlots keySlots{};
    std::copy_n(remembered.begin(), keySlots.size(), keySlots.begin());
    const keyboard::PositionMaps maps = keyboard::MapsOfKeySlots(keySlots, ledMap_);
    const std::lock_guard lock(mapsMutex_);
    maps_ = maps;
}

keyboard::PositionMaps CMorvaneKeyboardDevice::Maps() const {
    const std::lock_guard lock(mapsMutex_);
    return maps_;
}

std::optional<std::size_t> CMorvaneKeyboardDevice::PositionOfSlot(std::uint8_t keySlot) const {
    const std::lock_guard lock(mapsMutex_);
    return maps_.PositionOfSlot(keySlot);
}

bool CMorvaneKeyboardDevice::ReadLightRecord() {
    protocol::CDeviceTransport& t = Transport();
    if (!t.IsOpen()) return false;
    // Not inside an upload's sequence, and not waiting for it: read after it.
    std::unique_lock sequence = TrySequence(OwedRead::kResync);
    if (!sequence.owns_lock()) return false;
    std::uint8_t onboard = 0;
    if (protocol::CMD_READ_AT(t, &onboard, 1, 0) != Status::Ok) return false;
    keyboard::LightRecord bytes{};
    const auto offset = static_cast<std::uint16_t>(onboard * keyboard::kLightRecordStride);
    if (protocol::CMD_READ_AT(t, bytes.data(), bytes.size(), offset) != Status::Ok) return false;
    sequence.unlock();

    onboardProfile_.store(onboard);
    const keyboard::ReadLightRecord read = keyboard::ParseLightRecord(bytes, names_.modes, keyboard::kColourGroups);
    profiles::LightInfo light = read.light;
    light.OldLedmode = profile_.GetLightInfo().OldLedmode;
    system_.Key6Flag = read.Key6Flag;
    system_.WinFlag = read.WinFlag;
    system_.WFlag = read.WFlag;
    const profiles::LightWords words = profiles::ToWords(light);
    profile_.SetLightInfo(words[0], words[1], words[2], words[3]);
    profile_.SetColorGroup(light.CustomGroup);
    StoreSystem();
    SaveProfile();
    ApplyRunningLight(light);
    return true;
}

void CMorvaneKeyboardDevice::Resynchronise() {
    // The profile file first: the record read stores into the profile and
    // saves it, which would write the copy in memory over the changed file.
    if (reloadProfile_.exchange(false)) {
        if (profiles::CDeviceProfileUI* panel = profiles_.Panel()) panel->InitProfiles();
        LoadProfile();
    }
    // A record that could not be read is read again at the next resynchronisation.
    static_cast<void>(ReadLightRecord());
    RefreshPage();
}

void CMorvaneKeyboardDevice::OnNotification(std::uint16_t usage) {
    if (usage == kUsageReloadProfile) {
        // Kept until the resynchronisation it arms: key events may come between.
        reloadProfile_.store(true);
        ArmResync();
        return;
    }
    if (usage < kUsageReloadProfile) return;
    const auto high = static_cast<std::uint8_t>(usage >> 8);
    std::optional<int> onboard;
    if (high == kProfileNotice || high == kProfileNoticeToo) onboard = usage & 0x0F;
    else if ((high & kProfileNoticeBit) != 0) onboard = high & 0x0F;
    if (onboard) {
        onboardProfile_.store(*onboard);
        if (IDeviceHost* host = Host()) host->ArmTimer(TimerId::kSpare1003, kNotifiedChangeDelayMs);
    }
    const auto slot = static_cast<std::uint8_t>(usage & 0xFF);
    if (high == kKeyPressedHigh) OnKeyEvent(slot, KeyAction::kPressed);
    else if (high == kKeyReleasedHigh) OnKeyEvent(slot, KeyAction::kReleased);
}

void CMorvaneKeyboardDevice::OnTimer1003() { RefreshPage(); }

protocol::LinkState CMorvaneKeyboardDevice::CheckLink() {
    protocol::CDeviceTransport& t = Transport();
    return t.IsOpen() ? protocol::CMD_LINK_QUERY(t) : protocol::LinkState::Unreachable;
}

void CMorvaneKeyboardDevice::ReadPowerState() {
    if (const std::optional<PowerReport> report = ReadPowerReport(powerSink_)) powerReport_ = *report;
}

// --- Writing the keyboard --------------------------------------------------------

Status CMorvaneKeyboardDevice::WriteLightRecord(int onboardProfile, int byte0) {
    const keyboard::LightRecord record =
        keyboard::BuildLightRecord(profile_.GetLightInfo(), system_, names_.modes, static_cast<std::uint8_t>(byte0));
    const auto offset =
        static_cast<std::uint16_t>(std::clamp(onboardProfile, 0, 255) * static_cast<int>(keyboard::kLightRecordStride));
    worker_.Post(CommandWorker::Slot::LightRecord, [this, record, offset] {
        protocol::CDeviceTransport& t = Transport();
        if (!t.IsOpen()) return Status::ReadFailed;
        const std::lock_guard sequence(SequenceLock());  // the UI thread's reads take turns with it
        const Status begin = protocol::CMD_SEQUENCE_BEGIN(t);
        const Status write = protocol::CMD_WRITE_AT(t, record.data(), record.size(), offset);
        const Status end = protocol::CMD_SEQUENCE_END(t);
        return FirstFailure({begin, write, end});
    });
    // The per-key effect shows the group's page: it follows the record.
    if (profile_.GetLightInfo().SelectItem == kPerKeyEffect) return UploadColourPage(/*scaled=*/true);
    return Status::Ok;
}

Status CMorvaneKeyboardDevice::UploadColourPage(bool scaled) {
    const std::size_t length = KeySlots() * 3;
    if (length > keyboard::kPageSize) return Status::Ok;  // no colour page holds this keyboard's keys
    const keyboard::DevicePage page = keyboard::BuildColourPage(GroupColours(), Maps(), scaled);
    const int group = RunningLight().CustomGroup;
    worker_.Post(CommandWorker::Slot::ColourPage, [this, page, length, group] {
        protocol::CDeviceTransport& t = Transport();
        if (!t.IsOpen()) return Status::ReadFailed;
        return protocol::CMD_WRITE_PAGE(t, page.data(), length, group, static_cast<int>(keyboard::kPageSize));
    });
    return Status::Ok;
}

Status CMorvaneKeyboardDevice::UploadCurrentKeyMap() { return UploadKeyMap(0, keyList_); }

Status CMorvaneKeyboardDevice::UploadKeyMap(int bank, std::span<const profiles::KeyEntry> keys) {
    if (bank != 0) return Status::BadBank;
    // Only over a key map read from this keyboard: what it does not report
    // would otherwise be written as zeros.
    if (!keyMapRead_) {
        platform::Trace("keyboard: key map not read since it connected; the key assignments wait");
        return Status::ReadFailed;
    }
    const std::size_t length = KeySlots() * 3;
    const std::string folder = platform::UserDataFolder(KindName());
    const keyboard::KeyMapImage image = keyboard::BuildKeyMapImage(std::span(keyMap_).first(length), Maps(), keys,
                                                                   macros::ReadMacroList(folder).size());
    // The macros the keys run go first; the key map, which names them by
    // their place in the same list, only once they are on the keyboard.
    worker_.Post(CommandWorker::Slot::KeyMap, [this, bytes = image.bytes, length, used = image.macroOrder, folder] {
        const UploadHold hold(*this);
        bool refused = false;  // the macros did not go out: said by their own message
        const Status status = [&] {
            protocol::CDeviceTransport& t = Transport();
            if (!t.IsOpen() || t.MemorySize() != length) return Status::ReadFailed;
            InfoBlock info{};
            if (protocol::CMD_READ_INFO(t, info.data()) != Status::Ok) return Status::ReadFailed;
            if (std::size_t{info[kKeySlotsByte]} * 3 != length) return Status::ReadFailed;  // not the keyboard read
            if (const int macros = SendMacros(used, folder, info); macros != macros::kMacrosSent) {
                if (IDeviceHost* host = Host())
                    host->PostMainMessage(DeviceMessage::kMacrosRefused, device_io::KindRowNumber(KindRow()), macros);
                refused = true;
                return Status::WriteFailed;
            }
            // The key map goes only to the keyboard it was built for.
            if (const Status slots = ConfirmKeySlots(t, false, kKeySlotsByte, length); slots != Status::Ok)
                return slots;
            return WriteSequence(t, false, [&] { return protocol::CMD_WRITE_KEY_MAP(t, bytes.data(), 0); });
        }();
        PostUploadEnd(status);
        return refused ? Status::Ok : status;
    });
    return Status::Ok;
}

void CMorvaneKeyboardDevice::UploadMacrosAndKeyMap() {
    if (const Status status = UploadCurrentKeyMap(); status != Status::Ok) PostUploadEnd(status);
}

void CMorvaneKeyboardDevice::PostUploadEnd(Status status) {
    if (IDeviceHost* host = Host())
        host->PostMainMessage(DeviceMessage::kKeyMapUploaded, device_io::KindRowNumber(KindRow()),
                              protocol::ToInt(status));
}

int CMorvaneKeyboardDevice::UploadMacros(std::span<const std::uint8_t> used) {
    protocol::CDeviceTransport& t = Transport();
    if (!t.IsOpen()) return macros::kMacrosFailed;
    InfoBlock info{};
    if (protocol::CMD_READ_INFO(t, info.data()) != Status::Ok) return macros::kMacrosFailed;
    return SendMacros(used, platform::UserDataFolder(KindName()), info);
}

// The image of the listed macros, within the keyboard's macro memory,
// between commands 0x01 and 0x02.
int CMorvaneKeyboardDevice::SendMacros(std::span<const std::uint8_t> used, const std::string& folder,
                                       const InfoBlock& info) {
    const macros::MacroImage image =
        macros::MacroImageFromFolder(folder, used, macros::MacroCapacity(info[kMacroUnitsByte]));
    if (image.result != macros::kMacrosSent || image.bytes.empty()) return image.result;
    protocol::CDeviceTransport& t = Transport();
    const Status sent =
        WriteSequence(t, false, [&] { return protocol::CMD_WRITE_MACROS(t, image.bytes.data(), image.bytes.size()); });
    return sent == Status::Ok ? macros::kMacrosSent : macros::kMacrosFailed;
}

std::vector<profiles::KeyCode> CMorvaneKeyboardDevice::FactoryCodes() const {
    const auto& factory = keyboard::FactoryKeyCodes();
    return {factory.begin(), factory.end()};
}

std::vector<std::uint8_t> CMorvaneKeyboardDevice::UsedMacros() {
    const keyboard::PositionMaps maps = Maps();
    const std::vector<SlottedKey> slotted = SlottedKeys(keyList_, keyboard::KeySlotOf(maps));
    return UsedMacrosOf(slotted, macros::ReadMacroList(platform::UserDataFolder(KindName())).size());
}

// On the worker's thread. Closed, the keyboard has gone, and its settings
// go out when it is back.
void CMorvaneKeyboardDevice::OnCommandDone(CommandWorker::Slot slot, Status status) {
    if (status == Status::Ok || Transport().IsOpen())
        NoteSettingsWrite(status, "keyboard did not take its " + std::string(SlotName(slot)));
    ArmOwedReads();
}

// --- Profile ----------------------------------------------------------------------

void CMorvaneKeyboardDevice::SetProfilePaths() {
    devices::SetProfilePaths(profile_, KindName(), ProfileName(), LightConfigName());
}

void CMorvaneKeyboardDevice::LoadProfile() {
    LoadProfileFile(profile_, KindName(), ProfileName(), LightConfigName());
    ReadProfileSettings();
}

void CMorvaneKeyboardDevice::ReadProfileSettings() {
    LoadKeyList();
    ApplyProfileLighting();
    system_ = keyboard::SystemFromWords(profile_.GetKeyboardSystem());
}

void CMorvaneKeyboardDevice::LoadDefaultProfile() {
    if (!LoadTemplate(profile_, KindName())) return;
    ReadProfileSettings();
    SaveProfile();
    RefreshPage();
}

// A failed write is traced by the store; the settings stay in memory and the
// next change writes the whole profile again.
void CMorvaneKeyboardDevice::SaveProfile() { static_cast<void>(profile_.Save()); }

void CMorvaneKeyboardDevice::StoreSystem() {
    const profiles::SystemWords words = keyboard::ToWords(system_);
    profile_.SetKeyboardSystem(words[0], words[1], words[2]);
}

void CMorvaneKeyboardDevice::SetLightNameIndex(int index) {
    CMorvaneUSBDevice::SetLightNameIndex(index);
    profile_.SetSectionIndex(0);
}

void CMorvaneKeyboardDevice::LoadLightConfiguration() {
    LoadLightNames(names_, KindName(), LightConfigName(), GetLightNameIndex());
}

// The profile the list selects runs: loaded, shown, and written with its key map.
void CMorvaneKeyboardDevice::RunProfile() {
    LoadProfile();
    RefreshPage();
    static_cast<void>(WriteLightRecord());
    UploadMacrosAndKeyMap();
}

std::vector<profiles::ProfileEntry> CMorvaneKeyboardDevice::Profiles() {
    profiles_.Prepare(KindName());
    return profiles_.Profiles();
}

std::string CMorvaneKeyboardDevice::AddProfile() {
    profiles_.Prepare(KindName());
    return profiles_.Add();
}

std::optional<DeviceStatus> CMorvaneKeyboardDevice::SelectProfile(const std::string& profileId) {
    profiles_.Prepare(KindName());
    if (!profiles_.Select(profileId)) return std::nullopt;
    SetProfileName(profileId);
    RunProfile();
    return Status::Ok;
}

DeviceStatus CMorvaneKeyboardDevice::ResetProfile() {
    const std::optional<bool> reset = profiles_.ResetSelected();
    if (!reset) return Status::Ok;
    if (!*reset) return Status::WriteFailed;
    RunProfile();
    return Status::Ok;
}

DeviceStatus CMorvaneKeyboardDevice::ResetToDefaults() {
    LoadDefaultProfile();
    static_cast<void>(WriteLightRecord());
    const Status status = UploadCurrentKeyMap();
    if (status != Status::Ok) PostUploadEnd(status);
    return status;
}

}  // namespace vandrel::devices
