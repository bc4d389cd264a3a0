#include "sim/sim_backend.h"

#include <algorithm>
#include <stdexcept>
#include <utility>

#include "platform/device_path.h"
#include "sim/sim_descriptors.h"
#include "sim/sim_hid_device.h"
#include "sim/sim_models.h"

namespace vandrel::sim {
namespace {

constexpr std::uint16_t kVersionNumber = 0x0100;

std::size_t LinkIndex(SimLink link) { return static_cast<std::size_t>(link); }

bool LinkExists(SimKind kind, SimLink link) { return link == SimLink::Cable || HasReceiver(kind); }

// One path the back end serves.
struct Target {
    SimKind kind;
    SimLink link;
    SimCollection collection;
};

std::vector<SimCollection> CollectionsOf(SimKind kind) {
    if (!HasCompanion(kind)) return {SimCollection::Single};
    return {SimCollection::Companion, SimCollection::Vendor};
}

std::vector<Target> AllTargets() {
    std::vector<Target> targets;
    for (const SimKind kind : kAllSimKinds)
        for (const SimLink link : {SimLink::Cable, SimLink::Receiver})
            if (LinkExists(kind, link))
                for (const SimCollection collection : CollectionsOf(kind)) targets.push_back({kind, link, collection});
    return targets;
}

// The single collection serves as the vendor collection.
const device_io::DeviceIdentity& RowOf(const Target& t) {
    const auto role =
        t.collection == SimCollection::Companion ? device_io::DeviceRole::Companion : device_io::DeviceRole::Vendor;
    return *SupportedRow(t.kind, t.link, role);  // every target has its row (AllTargets, PathFor)
}

std::string PathOf(const Target& t) {
    const device_io::DeviceIdentity& row = RowOf(t);
    const platform::PathNumbers numbers{row.vendorId, row.productId, row.interfaceNumber,
                                        row.collectionNumber != 0 ? std::optional<std::uint32_t>(row.collectionNumber)
                                                                  : std::nullopt};
    return "sim:" + std::string(ModelOf(t.kind).name) + (t.link == SimLink::Receiver ? "-receiver" : "") +
           platform::FormatPathNumbers(numbers);
}

std::optional<Target> Resolve(const std::string& path) {
    for (const Target& t : AllTargets())
        if (PathOf(t) == path) return t;
    return std::nullopt;
}

std::string PathFor(SimKind kind, SimLink link, SimCollection collection) {
    if (!LinkExists(kind, link)) return {};
    if (!HasCompanion(kind)) collection = SimCollection::Single;
    return PathOf({kind, link, collection});
}

platform::HidDeviceInfo InfoOf(const Target& t) {
    const SimCollectionLayout& layout = CollectionLayout(t.collection);
    const auto descriptor = InterfaceDescriptor(t.collection);
    platform::HidDeviceInfo info;
    const device_io::DeviceIdentity& row = RowOf(t);
    info.vendorId = row.vendorId;
    info.productId = row.productId;
    info.versionNumber = kVersionNumber;
    info.caps = layout.caps;
    info.reportDescriptor.assign(descriptor.begin(), descriptor.end());
    info.collectionIndex = layout.index;
    return info;
}

}  // namespace

SimBackend::SimBackend() = default;
SimBackend::~SimBackend() = default;

std::unique_ptr<SimBackend> SimBackend::WithDefaultDevices() {
    auto backend = std::make_unique<SimBackend>();
    backend->Plug(SimKind::Mouse, SimLink::Cable);
    backend->Plug(SimKind::Mouse, SimLink::Receiver);
    backend->Plug(SimKind::Keyboard, SimLink::Cable);
    backend->Plug(SimKind::MousePad);
    backend->Plug(SimKind::Headset);
    return backend;
}

SimFirmware& SimBackend::Plug(SimKind kind, SimLink link) {
    if (!LinkExists(kind, link)) throw std::invalid_argument("this simulated device has no receiver");
    SimFirmware* firmware = nullptr;
    bool changed = false;
    {
        std::lock_guard lock(mutex_);
        Slot& slot = SlotOf(kind);
        if (!slot.firmware) {
            slot.firmware = std::make_shared<SimFirmware>(kind);
            slot.firmware->SetReceiverOutOfRange(slot.outOfRange);
        }
        changed = !std::exchange(slot.plugged[LinkIndex(link)], true);
        firmware = slot.firmware.get();
    }
    if (changed) changes_.Notify();
    return *firmware;
}

void SimBackend::Unplug(SimKind kind, SimLink link) {
    if (!LinkExists(kind, link)) return;
    bool changed = false;
    {
        std::lock_guard lock(mutex_);
        Slot& slot = SlotOf(kind);
        changed = std::exchange(slot.plugged[LinkIndex(link)], false);
        if (slot.firmware) slot.firmware->DisconnectLink(link);
    }
    if (changed) changes_.Notify();
}

void SimBackend::SetAccessDenied(SimKind kind, SimLink link, bool denied) {
    if (!LinkExists(kind, link)) return;
    bool changed = false;
    {
        std::lock_guard lock(mutex_);
        changed = std::exchange(SlotOf(kind).denied[LinkIndex(link)], denied) != denied;
    }
    if (changed) changes_.Notify();
}

void SimBackend::SetOutOfRange(SimKind kind, bool outOfRange) {
    std::lock_guard lock(mutex_);
    Slot& slot = SlotOf(kind);
    slot.outOfRange = outOfRange;
    if (slot.firmware) slot.firmware->SetReceiverOutOfRange(outOfRange);
}

SimFirmware* SimBackend::Firmware(SimKind kind) {
    std::lock_guard lock(mutex_);
    return SlotOf(kind).firmware.get();
}

std::string SimBackend::VendorPath(SimKind kind, SimLink link) { return PathFor(kind, link, SimCollection::Vendor); }

std::string SimBackend::CompanionPath(SimKind kind, SimLink link) {
    return PathFor(kind, link, SimCollection::Companion);
}

std::optional<std::vector<std::string>> SimBackend::Enumerate() {
    std::lock_guard lock(mutex_);
    std::vector<std::string> paths;
    for (const Target& t : AllTargets())
        if (IsPlugged(t.kind, t.link)) paths.push_back(PathOf(t));
    std::sort(paths.begin(), paths.end());
    return paths;
}

std::unique_ptr<platform::IHidDevice> SimBackend::Open(const std::string& path, platform::OpenMode mode,
                                                       platform::OpenError* error) {
    const std::optional<Target> target = Resolve(path);
    std::lock_guard lock(mutex_);
    if (!target || !IsPlugged(target->kind, target->link)) {
        if (error) *error = platform::OpenError::NotFound;
        return nullptr;
    }
    // An open for neither reading nor writing needs no access, as on hidraw.
    if (SlotOf(target->kind).denied[LinkIndex(target->link)] && (mode.read || mode.write)) {
        if (error) *error = platform::OpenError::AccessDenied;
        return nullptr;
    }
    const std::shared_ptr<SimFirmware>& firmware = SlotOf(target->kind).firmware;
    auto device = std::make_unique<SimHidDevice>(firmware, target->link, target->collection, mode, InfoOf(*target));
    firmware->Attach(device->Queue(), target->link, target->collection != SimCollection::Vendor);
    if (error) *error = platform::OpenError::None;
    return device;
}

bool SimBackend::IsPresent(const std::string& path) {
    const std::optional<Target> target = Resolve(path);
    std::lock_guard lock(mutex_);
    return target && IsPlugged(target->kind, target->link);
}

std::unique_ptr<platform::ChangeWatch> SimBackend::WatchChanges(std::function<void()> onChange) {
    return changes_.Add(std::move(onChange));
}

bool SimBackend::IsPlugged(SimKind kind, SimLink link) const {
    return slots_[static_cast<std::size_t>(kind)].plugged[LinkIndex(link)];
}

}  // namespace vandrel::sim
