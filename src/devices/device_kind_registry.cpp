#include "devices/device_kind_registry.h"

#include <algorithm>
#include <utility>

#include "device_io/device_tables.h"

namespace vandrel::devices {

bool DeviceKindEntry::Binds(Operation operation) const {
    return std::ranges::find(operations, operation) != operations.end();
}

DeviceKindRegistry& DeviceKindRegistry::Instance() {
    static DeviceKindRegistry registry(BuiltInDeviceKinds());
    return registry;
}

DeviceKindRegistry::DeviceKindRegistry(std::vector<DeviceKindEntry> builtIn) {
    for (DeviceKindEntry& entry : builtIn) rows_.push_back({nextId_++, std::move(entry)});
}

const DeviceKindEntry* DeviceKindRegistry::Find(device_io::KindRow kindRow) const {
    const auto row =
        std::ranges::find(rows_.rbegin(), rows_.rend(), kindRow, [](const Row& r) { return r.entry.kindRow; });
    return row == rows_.rend() ? nullptr : &row->entry;
}

DeviceKindRegistry::Registration DeviceKindRegistry::Add(DeviceKindEntry entry) {
    const std::size_t id = nextId_++;
    rows_.push_back({id, std::move(entry)});
    return Registration(*this, id);
}

void DeviceKindRegistry::Remove(std::size_t id) {
    std::erase_if(rows_, [id](const Row& r) { return r.id == id; });
}

DeviceKindRegistry::Registration::Registration(Registration&& other) noexcept
    : registry_(std::exchange(other.registry_, nullptr)), id_(other.id_) {}

DeviceKindRegistry::Registration::~Registration() {
    if (registry_ != nullptr) registry_->Remove(id_);
}

std::string_view PageLayoutOf(device_io::KindRow kindRow) {
    const DeviceKindEntry* entry = DeviceKindRegistry::Instance().Find(kindRow);
    if (entry != nullptr && !entry->pageLayout.empty()) return entry->pageLayout;
    return device_io::DevicePage(kindRow).pageLayout;
}

}  // namespace vandrel::devices
