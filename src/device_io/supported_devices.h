// The supported USB interfaces: one row per interface the program talks to.
// Each physical device has a vendor collection (64-byte frames) and a
// companion collection (notifications); mice and keyboards that also work
// through a 2.4 GHz receiver have two more rows linked to the cable rows as
// twins. The headset's single consumer collection serves as its vendor
// interface.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>

namespace vandrel::device_io {

// What a row of the table is. The values are the numbers the devices' own
// tables use; TypeNumber gives them where a number leaves the program.
enum class DeviceType : std::uint16_t {
    Keyboard = 1,
    Mouse = 2,
    MousePad = 3,
    MouseReceiver = 6,
    Headset = 7,
    KeyboardReceiver = 9,
};

enum class DeviceRole : std::uint16_t {
    Vendor = 0,       // the 64-byte frames
    Companion = 255,  // the notifications
};

constexpr std::uint16_t TypeNumber(DeviceType type) { return static_cast<std::uint16_t>(type); }

struct DeviceIdentity {
    std::uint16_t vendorId = 0;
    std::uint16_t productId = 0;
    std::uint16_t interfaceNumber = 0;
    std::uint16_t collectionNumber = 0;
    DeviceType deviceType{};  // none until a table row gives it
    DeviceRole role = DeviceRole::Vendor;
    std::uint16_t connected = 0;
    std::uint16_t usagePage = 0;
    std::uint16_t usage = 0;
    // The product id of the same device over its other link (cable or
    // receiver); 0 when it has none. See TwinSlot.
    std::uint16_t twinProductId = 0;
    std::string devicePath{};  // empty while the slot is free

    // Connected, twin and path do not take part in identity.
    friend bool operator==(const DeviceIdentity& a, const DeviceIdentity& b) {
        return a.vendorId == b.vendorId && a.productId == b.productId && a.interfaceNumber == b.interfaceNumber &&
               a.collectionNumber == b.collectionNumber && a.deviceType == b.deviceType && a.role == b.role &&
               a.usagePage == b.usagePage && a.usage == b.usage;
    }
};

inline constexpr std::uint16_t kVendorMorvane = 0x320F;
inline constexpr std::uint16_t kVendorHeadset = 0x0C76;

// The two collections of interface 1 of the mice, keyboards and the pad.
inline constexpr std::uint16_t kVendorCollection = 4;
inline constexpr std::uint16_t kCompanionCollection = 3;
inline constexpr std::uint16_t kUsagePageVendor = 0xFF1C;
inline constexpr std::uint16_t kUsageVendor = 0x92;
inline constexpr std::uint16_t kUsagePageConsumer = 0x000C;
inline constexpr std::uint16_t kUsageConsumer = 0x01;

// Slot index = row index.
inline const std::array<DeviceIdentity, 11>& SupportedDeviceTable() {
    static const std::array<DeviceIdentity, 11> rows = {{
        {.vendorId = kVendorMorvane,
         .productId = 0x5078,
         .interfaceNumber = 1,
         .collectionNumber = kVendorCollection,
         .deviceType = DeviceType::Keyboard,
         .role = DeviceRole::Vendor,
         .usagePage = kUsagePageVendor,
         .usage = kUsageVendor,
         .twinProductId = 0x5001},
        {.vendorId = kVendorMorvane,
         .productId = 0x5078,
         .interfaceNumber = 1,
         .collectionNumber = kCompanionCollection,
         .deviceType = DeviceType::Keyboard,
         .role = DeviceRole::Companion,
         .usagePage = kUsagePageConsumer,
         .usage = kUsageConsumer,
         .twinProductId = 0x5001},
        {.vendorId = kVendorMorvane,
         .productId = 0x5001,
         .interfaceNumber = 1,
         .collectionNumber = kVendorCollection,
         .deviceType = DeviceType::KeyboardReceiver,
         .role = DeviceRole::Vendor,
         .usagePage = kUsagePageVendor,
         .usage = kUsageVendor,
         .twinProductId = 0x5078},
        {.vendorId = kVendorMorvane,
         .productId = 0x5001,
         .interfaceNumber = 1,
         .collectionNumber = kCompanionCollection,
         .deviceType = DeviceType::KeyboardReceiver,
         .role = DeviceRole::Companion,
         .usagePage = kUsagePageConsumer,
         .usage = kUsageConsumer,
         .twinProductId = 0x5078},
        {.vendorId = kVendorMorvane,
         .productId = 0x221C,
         .interfaceNumber = 1,
         .collectionNumber = kVendorCollection,
         .deviceType = DeviceType::Mouse,
         .role = DeviceRole::Vendor,
         .usagePage = kUsagePageVendor,
         .usage = kUsageVendor,
         .twinProductId = 0x221D},
        {.vendorId = kVendorMorvane,
         .productId = 0x221C,
         .interfaceNumber = 1,
         .collectionNumber = kCompanionCollection,
         .deviceType = DeviceType::Mouse,
         .role = DeviceRole::Companion,
         .usagePage = kUsagePageConsumer,
         .usage = kUsageConsumer,
         .twinProductId = 0x221D},
        {.vendorId = kVendorMorvane,
         .productId = 0x221D,
         .interfaceNumber = 1,
         .collectionNumber = kVendorCollection,
         .deviceType = DeviceType::MouseReceiver,
         .role = DeviceRole::Vendor,
         .usagePage = kUsagePageVendor,
         .usage = kUsageVendor,
         .twinProductId = 0x221C},
        {.vendorId = kVendorMorvane,
         .productId = 0x221D,
         .interfaceNumber = 1,
         .collectionNumber = kCompanionCollection,
         .deviceType = DeviceType::MouseReceiver,
         .role = DeviceRole::Companion,
         .usagePage = kUsagePageConsumer,
         .usage = kUsageConsumer,
         .twinProductId = 0x221C},
        {.vendorId = kVendorMorvane,
         .productId = 0x1004,
         .interfaceNumber = 1,
         .collectionNumber = kVendorCollection,
         .deviceType = DeviceType::MousePad,
         .role = DeviceRole::Vendor,
         .usagePage = kUsagePageVendor,
         .usage = kUsageVendor},
        {.vendorId = kVendorMorvane,
         .productId = 0x1004,
         .interfaceNumber = 1,
         .collectionNumber = kCompanionCollection,
         .deviceType = DeviceType::MousePad,
         .role = DeviceRole::Companion,
         .usagePage = kUsagePageConsumer,
         .usage = kUsageConsumer},
        // One consumer collection, no "&col" in the path.
        {.vendorId = kVendorHeadset,
         .productId = 0x1630,
         .interfaceNumber = 3,
         .collectionNumber = 0,
         .deviceType = DeviceType::Headset,
         .role = DeviceRole::Vendor,
         .usagePage = kUsagePageConsumer,
         .usage = kUsageConsumer},
    }};
    return rows;
}

inline bool IsReceiverType(DeviceType type) {
    return type == DeviceType::MouseReceiver || type == DeviceType::KeyboardReceiver;
}

// The slot of the same device over its other link: the slot of the same
// vendor and role whose product id the slot names as its twin. Nothing when
// the slot names no twin or no slot has that product id.
// (The list is not called "slots": Qt defines that name as a macro.)
inline std::optional<std::size_t> TwinSlot(std::span<const DeviceIdentity> slotList, std::size_t slot) {
    if (slot >= slotList.size() || slotList[slot].twinProductId == 0) return std::nullopt;
    const DeviceIdentity& own = slotList[slot];
    for (std::size_t i = 0; i < slotList.size(); ++i) {
        const DeviceIdentity& s = slotList[i];
        if (s.vendorId == own.vendorId && s.productId == own.twinProductId && s.role == own.role) return i;
    }
    return std::nullopt;
}

// The first row of a type in a role.
inline std::optional<std::size_t> FindRowByType(DeviceType type, DeviceRole role) {
    const auto& rows = SupportedDeviceTable();
    for (std::size_t i = 0; i < rows.size(); ++i)
        if (rows[i].deviceType == type && rows[i].role == role) return i;
    return std::nullopt;
}

// The first row equal on the four numbers a path carries (the scan's pre-match).
inline std::optional<std::size_t> FindRowByPathNumbers(std::uint16_t vid, std::uint16_t pid,
                                                       std::uint16_t interfaceNumber, std::uint16_t collectionNumber) {
    const auto& rows = SupportedDeviceTable();
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const auto& r = rows[i];
        if (r.vendorId == vid && r.productId == pid && r.interfaceNumber == interfaceNumber &&
            r.collectionNumber == collectionNumber)
            return i;
    }
    return std::nullopt;
}

// The slots the scan fills: a copy of the table rows, in table order. Only
// connected and devicePath change once the copy is made.
using SlotList = std::array<DeviceIdentity, 11>;

inline SlotList MakeSlotList() { return SupportedDeviceTable(); }

inline bool IsFreeSlot(const DeviceIdentity& slot) { return slot.connected == 0 && slot.devicePath.empty(); }

// Equal on the six numbers an opened interface tells: VID, PID, interface,
// collection, usage page and usage (type and role come from the table).
inline bool SameInterface(const DeviceIdentity& a, const DeviceIdentity& b) {
    return a.vendorId == b.vendorId && a.productId == b.productId && a.interfaceNumber == b.interfaceNumber &&
           a.collectionNumber == b.collectionNumber && a.usagePage == b.usagePage && a.usage == b.usage;
}

// The first row equal on the six numbers (the scan's full match).
inline std::optional<std::size_t> FindRowByInterface(const DeviceIdentity& candidate) {
    const auto& rows = SupportedDeviceTable();
    for (std::size_t i = 0; i < rows.size(); ++i)
        if (SameInterface(rows[i], candidate)) return i;
    return std::nullopt;
}

}  // namespace vandrel::device_io
