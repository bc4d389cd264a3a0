// The device kinds the program has a class for: one row per kind, naming
// the row of the four-kind table it serves, the factory of its device (the
// device is also the logic of its page), the page layout, and the operations
// its page binds. The window builds tabs,
// pages and devices from these rows and routes an operation to a device only
// when the device's row binds it; a kind with no row gets the device base,
// which shows its tab and page and does nothing more.
//
// Adding a kind is a folder under devices/ and one row in device_kinds.cpp;
// tests add rows of their own for as long as a registration lives.
#pragma once

#include <cstddef>
#include <functional>
#include <memory>
#include <span>
#include <string_view>
#include <vector>

#include "device_io/device_tables.h"
#include "devices/operations.h"
#include "devices/usb_device.h"
#include "platform/hid_backend.h"

namespace vandrel::devices {

// What a factory gets to make a device.
struct DeviceContext {
    platform::IHidBackend& backend;
    int screenWidth = 0;  // the primary screen, 0 when unknown
    int screenHeight = 0;
};

struct DeviceKindEntry {
    device_io::KindRow kindRow = device_io::KindRow::Mouse;
    std::string_view pageLayout;  // empty: the layout the kind's page row names
    std::function<std::unique_ptr<CMorvaneUSBDevice>(const DeviceContext&)> create;
    std::span<const Operation> operations;  // what the page's controls may run on the device

    bool Binds(Operation operation) const;
};

class DeviceKindRegistry {
public:
    // Holds the built-in kinds.
    static DeviceKindRegistry& Instance();

    // The row of a kind; a row added later hides an earlier one of the same kind.
    const DeviceKindEntry* Find(device_io::KindRow kindRow) const;

    // Adds a row for as long as the returned registration lives.
    class Registration {
    public:
        Registration(DeviceKindRegistry& registry, std::size_t id) : registry_(&registry), id_(id) {}
        Registration(Registration&& other) noexcept;
        Registration& operator=(Registration&&) = delete;
        Registration(const Registration&) = delete;
        Registration& operator=(const Registration&) = delete;
        ~Registration();

    private:
        DeviceKindRegistry* registry_;
        std::size_t id_;
    };
    [[nodiscard]] Registration Add(DeviceKindEntry entry);

    explicit DeviceKindRegistry(std::vector<DeviceKindEntry> builtIn);

private:
    struct Row {
        std::size_t id;
        DeviceKindEntry entry;
    };
    void Remove(std::size_t id);

    std::vector<Row> rows_;
    std::size_t nextId_ = 0;
};

// The page layout of a kind: its row's, or the one the kind's page row names.
std::string_view PageLayoutOf(device_io::KindRow kindRow);

// The kinds built into the program (device_kinds.cpp).
std::vector<DeviceKindEntry> BuiltInDeviceKinds();

}  // namespace vandrel::devices
