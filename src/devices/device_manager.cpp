#include "devices/device_manager.h"

#include <chrono>
#include <mutex>
#include <string_view>
#include <thread>
#include <utility>

#include "devices/device_kind_registry.h"
#include "devices/device_option_timers.h"
#include "platform/trace.h"
#include "protocol/commands.h"

namespace vandrel::devices {

namespace {

using device_io::DeviceIdentity;
using device_io::Index;
using device_io::KindRow;
using device_io::SlotList;

// The trace texts of each device type: on arrival, when its vendor slot is
// lost, and on removal.
struct TypeTexts {
    device_io::DeviceType deviceType;
    std::string_view arrived;
    std::string_view lost;
    std::string_view removed;
};

constexpr std::array<TypeTexts, 6> kTypeTexts{{
    {device_io::DeviceType::Keyboard, "添加一个键盘设备", "键盘设备丢失", "删除一个键盘设备"},
    {device_io::DeviceType::KeyboardReceiver, "添加一个键盘设备", "键盘设备丢失", "删除一个键盘设备"},
    {device_io::DeviceType::Mouse, "添加一个鼠标设备", "鼠标设备丢失", "删除一个鼠标设备"},
    {device_io::DeviceType::MouseReceiver, "添加一个鼠标设备", "鼠标设备丢失", "删除一个鼠标设备"},
    {device_io::DeviceType::MousePad, "添加一个鼠标垫设备", "", "删除一个鼠标垫设备"},
    {device_io::DeviceType::Headset, "", "", ""},
}};

const TypeTexts* TextsOf(device_io::DeviceType deviceType) {
    for (const auto& texts : kTypeTexts)
        if (texts.deviceType == deviceType) return &texts;
    return nullptr;
}

void TraceText(std::string_view text) {
    if (!text.empty()) platform::Trace(text);
}

bool IsTwinCapable(device_io::DeviceType deviceType) {
    return deviceType == device_io::DeviceType::Mouse || deviceType == device_io::DeviceType::Keyboard ||
           device_io::IsReceiverType(deviceType);
}

// The slot's counterpart over the other link, when it is connected and points
// back at the slot: the device is then reachable over that link too.
std::optional<std::size_t> ConnectedTwin(const SlotList& slots, std::size_t slot) {
    const auto twinSlot = device_io::TwinSlot(slots, slot);
    if (!twinSlot) return std::nullopt;
    const DeviceIdentity& twin = slots[*twinSlot];
    if (twin.connected && !twin.devicePath.empty() && device_io::TwinSlot(slots, *twinSlot) == slot) return twinSlot;
    return std::nullopt;
}

// The slot whose identity names the physical device: a companion slot goes to
// the vendor slot of its row's model, a receiver slot to its cable twin.
std::size_t DeviceSlotOf(const SlotList& slots, std::size_t slot) {
    std::size_t named = slot;
    const DeviceIdentity& own = slots[slot];
    if (own.role == device_io::DeviceRole::Companion) {
        for (std::size_t i = 0; i < slots.size(); ++i) {
            const DeviceIdentity& s = slots[i];
            if (s.vendorId == own.vendorId && s.productId == own.productId && s.deviceType == own.deviceType &&
                s.role == device_io::DeviceRole::Vendor) {
                named = i;
                break;
            }
        }
    }
    const DeviceIdentity& vendor = slots[named];
    const auto twin = device_io::TwinSlot(slots, named);
    if (device_io::IsReceiverType(vendor.deviceType) && twin) named = *twin;
    return named;
}

// Opens `path` for the 64-byte frames: read, write, overlapped, shared.
bool OpenFramePath(device_io::CHidChannel& channel, const std::string& path) {
    return channel.OpenPath(path, /*read=*/true, /*write=*/true, /*overlapped=*/true, /*exclusive=*/false);
}

// Moves the transport onto `channel`: under IoLock, so no frame runs on a
// half-swapped link, the transport closes, `channel` (and `alsoClose`) close,
// `path` opens on `channel` and the link mode follows. False when the open fails.
// A worker that looked at the transport meanwhile found it closed and parked:
// the callers wake it once the swap is done (OnTransportReopened).
bool SwapChannel(protocol::CDeviceTransport& transport, device_io::CHidChannel& channel, const std::string& path,
                 protocol::LinkMode mode, device_io::CHidChannel* alsoClose = nullptr) {
    const std::lock_guard lock(transport.IoLock());
    transport.SetOpen(false);
    if (alsoClose) alsoClose->Close();
    channel.Close();
    if (!OpenFramePath(channel, path)) return false;
    transport.SetOpen(true);
    transport.SetLinkMode(static_cast<int>(mode));
    return true;
}

// Asks the receiver whether the device behind it answers, up to 26 times.
void PollReceiverLink(CMorvaneUSBDevice& device) {
    for (int attempt = 0; attempt < kLinkQueryTries; ++attempt) {
        if (attempt > 0) std::this_thread::sleep_for(std::chrono::milliseconds(kLinkQueryPauseMs));
        if (protocol::CMD_LINK_QUERY(device.Transport()) == protocol::LinkState::Reachable) return;
        platform::Trace("获取2.4G模式失败");
    }
}

}  // namespace

CDeviceManager::CDeviceManager(platform::IHidBackend& backend, SlotSource slots, IDeviceFactory& factory,
                               IDeviceManagerEvents* events)
    : backend_(backend), slots_(std::move(slots)), factory_(factory), events_(events) {}

CDeviceManager::~CDeviceManager() = default;

// --- Arrival and removal -------------------------------------------------

void CDeviceManager::OnDeviceArrived(std::size_t slot) {
    const SlotList slots = slots_();
    if (slot >= slots.size()) return;
    const DeviceIdentity& own = slots[slot];
    if (const TypeTexts* texts = TextsOf(own.deviceType)) TraceText(texts->arrived);

    // A receiver slot takes the kind of its cable twin, so a device seen only
    // through its receiver (mouse or keyboard) still gets its objects.
    const auto kindRow = device_io::FindDeviceKindOfSlot(slots, slot);
    if (!kindRow) return;
    Entry* entry = EnsureEntry(*kindRow, slots[DeviceSlotOf(slots, slot)]);
    if (!entry) return;

    if (own.role == device_io::DeviceRole::Companion) OpenCompanion(slots, slot, *entry);
    else OpenVendor(slots, slot, *entry);
    if (events_) events_->OnDevicesChanged(true);
}

void CDeviceManager::OnDeviceRemoved(std::size_t slot) {
    const SlotList slots = slots_();
    if (slot >= slots.size()) return;
    failedOpens_.erase(slot);
    const DeviceIdentity& own = slots[slot];
    const auto kindRow = device_io::FindDeviceKindOfSlot(slots, slot);
    Entry* entry = kindRow ? EntryOf(*kindRow) : nullptr;
    if (!entry) return;

    if (own.role == device_io::DeviceRole::Companion) {
        CloseCompanion(slots, slot, *entry);
    } else {
        CloseVendor(slots, slot, *entry);
        if (const TypeTexts* texts = TextsOf(own.deviceType)) TraceText(texts->removed);
    }
    if (events_) events_->OnDevicesChanged(false);
}

void CDeviceManager::OnFirstScanCompleted() {
    if (events_) events_->OnFirstScanCompleted();
}

void CDeviceManager::OnAccessDenied(const std::string& path) {
    if (events_) events_->OnAccessDenied(path);
}

void CDeviceManager::OnAccessDenialEnded(const std::string& path) {
    if (events_) events_->OnAccessDenialEnded(path);
}

void CDeviceManager::RetryFailedOpens() {
    const std::set<std::size_t> pending = std::exchange(failedOpens_, {});
    const SlotList slots = slots_();
    for (const std::size_t slot : pending) {
        if (slot >= slots.size() || !slots[slot].connected) continue;
        const auto kindRow = device_io::FindDeviceKindOfSlot(slots, slot);
        if (Entry* entry = kindRow ? EntryOf(*kindRow) : nullptr) OpenVendor(slots, slot, *entry);
    }
}

void CDeviceManager::SetLinkReachable(KindRow kindRow, bool reachable) {
    if (reachable) ShowOption(kindRow);
    else HideOption(kindRow);
}

// --- Device objects --------------------------------------------------------

CDeviceManager::Entry* CDeviceManager::EntryOf(KindRow kindRow) {
    Entry& entry = entries_.at(Index(kindRow));
    return entry.device ? &entry : nullptr;
}

CMorvaneUSBDevice* CDeviceManager::Device(KindRow kindRow) const { return entries_.at(Index(kindRow)).device.get(); }

IDeviceHost* CDeviceManager::Host(KindRow kindRow) const { return entries_.at(Index(kindRow)).host.get(); }

CDeviceManager::Entry* CDeviceManager::EnsureEntry(KindRow kindRow, const DeviceIdentity& identity) {
    if (Entry* existing = EntryOf(kindRow)) return existing;
    std::optional<DeviceObjects> built = factory_.Create(kindRow);
    if (!built || !built->device || !built->host) return nullptr;

    const device_io::DeviceKindRow& kind = device_io::DeviceKind(kindRow);
    const device_io::DevicePageRow& page = device_io::DevicePage(kindRow);
    CMorvaneUSBDevice& device = *built->device;
    device.SetPageLayoutName(std::string(PageLayoutOf(kindRow)));
    device.SetKeyCount(static_cast<std::size_t>(page.keyCount));
    device.SetLedCount(static_cast<std::size_t>(page.ledCount));
    device.SetKindRow(kindRow);
    device.SetPowerManaged(page.powerManaged);
    device.SetLogoLedIndex(page.logoLed);
    device.SetKindName(std::string(kind.kindName));
    device.SetIdentity(identity);
    device.SetLightNameIndex(kind.displayValues[3]);
    device.SetLightConfigName(std::string(page.lightingConfigName));
    device.SetHost(built->host.get());
    factory_.AttachPage(kindRow, device);

    built->host->ShowOption(false);
    Entry& entry = entries_.at(Index(kindRow));
    entry = Entry{std::move(built->host), std::move(built->device)};
    return &entry;
}

// --- Vendor channel ---------------------------------------------------------

void CDeviceManager::OpenVendor(const SlotList& slots, std::size_t slot, Entry& entry) {
    if (IsTwinCapable(slots[slot].deviceType)) OpenTwinCapable(slots, slot, entry);
    else OpenCableOnly(slots, slot, entry);
}

bool CDeviceManager::OpenChannel(Entry& entry, const SlotList& slots, std::size_t slot, bool wireless) {
    protocol::CDeviceTransport& transport = entry.device->Transport();
    const std::string& path = slots[slot].devicePath;
    bool opened = false;
    {
        const std::lock_guard lock(transport.IoLock());
        opened = OpenFramePath(wireless ? transport.WirelessChannel() : transport.WiredChannel(), path);
        if (opened) {
            transport.SetOpen(true);
            entry.device->SetIdentity(slots[DeviceSlotOf(slots, slot)]);
        }
    }
    if (!opened) NoteOpenFailed(slot, path);
    return opened;
}

void CDeviceManager::OpenTwinCapable(const SlotList& slots, std::size_t slot, Entry& entry) {
    const bool receiver = device_io::IsReceiverType(slots[slot].deviceType);
    const KindRow kindRow = entry.device->KindRow();
    if (ConnectedTwin(slots, slot)) {
        // Already open over the other link: a cable takes over, a receiver waits.
        if (!receiver) SwitchToCable(entry, slot, slots[slot].devicePath);
        return;
    }
    protocol::CDeviceTransport& transport = entry.device->Transport();
    if (!transport.IsOpen() && OpenChannel(entry, slots, slot, receiver))
        transport.SetLinkMode(receiver ? static_cast<int>(protocol::LinkMode::Wireless)
                                       : static_cast<int>(protocol::LinkMode::Wired));
    if (!receiver) ShowOption(kindRow);
    if (transport.IsOpen()) DeviceOptionTimers(*entry.device, *entry.host).ArmFirstSync();
}

// The mouse pad and the headset: wired only, and their link mode is never set,
// so they keep the transport's first chunk size.
void CDeviceManager::OpenCableOnly(const SlotList& slots, std::size_t slot, Entry& entry) {
    protocol::CDeviceTransport& transport = entry.device->Transport();
    if (transport.IsOpen()) return;
    OpenChannel(entry, slots, slot, /*wireless=*/false);
    ShowOption(entry.device->KindRow());
    if (transport.IsOpen()) DeviceOptionTimers(*entry.device, *entry.host).ArmFirstSync();
}

void CDeviceManager::SwitchToCable(Entry& entry, std::size_t cableSlot, const std::string& path) {
    CMorvaneUSBDevice& device = *entry.device;
    protocol::CDeviceTransport& transport = device.Transport();
    const bool opened = SwapChannel(transport, transport.WiredChannel(), path, protocol::LinkMode::Wired);
    if (!opened) {
        NoteOpenFailed(cableSlot, path);
        return;
    }
    device.OnTransportReopened();
    const KindRow kindRow = device.KindRow();
    ShowOption(kindRow);
    DeviceOptionTimers(device, *entry.host).ArmFirstSync();
    entry.host->PostMainMessage(DeviceMessage::kOptionLink, device_io::KindRowNumber(kindRow), 1);
    if (device.PowerManaged()) ReadPowerStateOf(device);
}

void CDeviceManager::SwitchToReceiver(Entry& entry, std::size_t receiverSlot, const std::string& path) {
    CMorvaneUSBDevice& device = *entry.device;
    protocol::CDeviceTransport& transport = device.Transport();
    // The cable is gone: its channel names a device that is no longer there.
    const bool opened = SwapChannel(transport, transport.WirelessChannel(), path, protocol::LinkMode::Wireless,
                                    &transport.WiredChannel());
    if (!opened) {
        NoteOpenFailed(receiverSlot, path);
        return;
    }
    device.OnTransportReopened();
    // The link query takes the command lock, so it runs after IoLock is released.
    if (device.PowerManaged()) {
        PollReceiverLink(device);
        ReadPowerStateOf(device);
    }
    entry.host->ArmTimer(TimerId::kLinkCheck, period::kLinkCheckFirstMs);
}

void CDeviceManager::CloseVendor(const SlotList& slots, std::size_t slot, Entry& entry) {
    const DeviceIdentity& own = slots[slot];
    protocol::CDeviceTransport& transport = entry.device->Transport();
    if (IsTwinCapable(own.deviceType)) {
        if (const TypeTexts* texts = TextsOf(own.deviceType)) TraceText(texts->lost);
        if (const auto twin = ConnectedTwin(slots, slot)) {
            if (!device_io::IsReceiverType(own.deviceType)) {
                SwitchToReceiver(entry, *twin, slots[*twin].devicePath);
            } else {
                // Still on the cable; only the receiver's channel goes.
                const std::lock_guard lock(transport.IoLock());
                transport.WirelessChannel().Close();
            }
            return;
        }
    }
    {
        const std::lock_guard lock(transport.IoLock());
        transport.SetOpen(false);
        transport.WiredChannel().Close();
        transport.WirelessChannel().Close();
    }
    HideOption(entry.device->KindRow());
}

// --- Companion channel --------------------------------------------------

// The receiver's companion channel is guarded by the companion transport's
// CompanionLock, the cable's by its IoLock. The notification thread takes
// neither, so stopping it under the lock cannot deadlock.
void CDeviceManager::OpenCompanion(const SlotList& slots, std::size_t slot, Entry& entry) {
    const bool wireless = device_io::IsReceiverType(slots[slot].deviceType);
    protocol::CDeviceTransport& companion = entry.device->CompanionTransport();
    const std::lock_guard lock(wireless ? companion.CompanionLock() : companion.IoLock());
    entry.device->OpenCompanion(slots[slot].devicePath, wireless);
}

void CDeviceManager::CloseCompanion(const SlotList& slots, std::size_t slot, Entry& entry) {
    const bool wireless = device_io::IsReceiverType(slots[slot].deviceType);
    protocol::CDeviceTransport& companion = entry.device->CompanionTransport();
    const std::lock_guard lock(wireless ? companion.CompanionLock() : companion.IoLock());
    entry.device->CloseCompanion(wireless);
}

// --- Option tabs ------------------------------------------------------------

bool CDeviceManager::AnyOptionVisible() const {
    for (const Entry& entry : entries_)
        if (entry.host && entry.host->OptionVisible()) return true;
    return false;
}

// Shows the tab; selects it when no other tab was visible.
void CDeviceManager::ShowOption(KindRow kindRow) {
    Entry* entry = EntryOf(kindRow);
    if (!entry) return;
    bool otherVisible = false;
    for (const KindRow other : device_io::kAllKindRows) {
        const IDeviceHost* host = entries_[Index(other)].host.get();
        if (other != kindRow && host && host->OptionVisible()) otherVisible = true;
    }
    if (!entry->host->OptionVisible()) entry->host->ShowOption(true);
    if (!otherVisible) Select(kindRow);
}

// Hides the tab; a selected tab hands the selection to the first visible one.
void CDeviceManager::HideOption(KindRow kindRow) {
    Entry* entry = EntryOf(kindRow);
    if (!entry) return;
    AdoptShownSelection();
    entry->host->ShowOption(false);
    if (selected_ != kindRow) return;
    std::optional<KindRow> next;
    for (const KindRow other : device_io::kAllKindRows) {
        const IDeviceHost* host = entries_[Index(other)].host.get();
        if (host && host->OptionVisible()) {
            next = other;
            break;
        }
    }
    Select(next);
}

void CDeviceManager::AdoptShownSelection() {
    for (const KindRow row : device_io::kAllKindRows) {
        const IDeviceHost* host = entries_[Index(row)].host.get();
        if (host && host->OptionVisible() && host->OptionSelected()) {
            selected_ = row;
            return;
        }
    }
}

void CDeviceManager::Select(std::optional<KindRow> kindRow) {
    if (selected_ == kindRow) return;
    selected_ = kindRow;
    if (events_) events_->OnSelectionChanged(kindRow);
}

void CDeviceManager::NoteOpenFailed(std::size_t slot, const std::string& path) {
    failedOpens_.insert(slot);
    if (events_) events_->OnOpenFailed(slot, path);
}

// --- Delivery on the UI thread -----------------------------------------

void ScanListenerOnUiThread::OnDeviceArrived(std::size_t slot) {
    dispatcher_.RunSync([this, slot] { target_.OnDeviceArrived(slot); });
}

void ScanListenerOnUiThread::OnDeviceRemoved(std::size_t slot) {
    dispatcher_.RunSync([this, slot] { target_.OnDeviceRemoved(slot); });
}

void ScanListenerOnUiThread::OnFirstScanCompleted() {
    dispatcher_.RunSync([this] { target_.OnFirstScanCompleted(); });
}

void ScanListenerOnUiThread::OnAccessDenied(const std::string& path) {
    dispatcher_.RunSync([this, path] { target_.OnAccessDenied(path); });
}

void ScanListenerOnUiThread::OnAccessDenialEnded(const std::string& path) {
    dispatcher_.RunSync([this, path] { target_.OnAccessDenialEnded(path); });
}

}  // namespace vandrel::devices
