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
#include <string>

namespace vandrel::device_io {

enum DeviceType : std::uint16_t {
    DEVICE_KEYBOARD = 1,
    DEVICE_MOUSE = 2,
    DEVICE_MOUSEPAD = 3,
    DEVICE_MOUSE_RECEIVER = 6,
    DEVICE_HEADSET = 7,
    DEVICE_KEYBOARD_RECEIVER = 9,
};

enum DeviceRole : std::uint16_t { ROLE_VENDOR = 0, ROLE_COMPANION = 255 };

struct DeviceIdentity {
    std::uint16_t vendorId = 0;
    std::uint16_t productId = 0;
    std::uint16_t interfaceNumber = 0;
    std::uint16_t collectionNumber = 0;
    std::uint16_t deviceType = 0;
    std::uint16_t role = ROLE_VENDOR;
    std::uint16_t connected = 0;
    std::uint16_t usagePage = 0;
    std::uint16_t usage = 0;
    std::uint16_t hasTwin = 0;
    std::uint16_t twinIndex = 0;
    std::string devicePath;

    // Connected, twin fields and path do not take part in identity.
    friend bool operator==(const DeviceIdentity& a, const DeviceIdentity& b) {
        return a.vendorId == b.vendorId && a.productId == b.productId && a.interfaceNumber == b.interfaceNumber &&
               a.collectionNumber == b.collectionNumber && a.deviceType == b.deviceType && a.role == b.role &&
               a.usagePage == b.usagePage && a.usage == b.usage;
    }
};

inline constexpr std::uint16_t kVendorMorvane = 0x320F;
inline constexpr std::uint16_t kVendorHeadset = 0x0C76;

// Slot index = row index.
inline const std::array<DeviceIdentity, 11>& SupportedDeviceTable() {
    static const std::array<DeviceIdentity, 11> rows = {{
        {0x320F, 0x5078, 1, 4, DEVICE_KEYBOARD, ROLE_VENDOR, 0, 0xFF1C, 0x92, 1, 2, {}},
        {0x320F, 0x5078, 1, 3, DEVICE_KEYBOARD, ROLE_COMPANION, 0, 0x000C, 0x01, 1, 3, {}},
        {0x320F, 0x5001, 1, 4, DEVICE_KEYBOARD_RECEIVER, ROLE_VENDOR, 0, 0xFF1C, 0x92, 1, 0, {}},
        {0x320F, 0x5001, 1, 3, DEVICE_KEYBOARD_RECEIVER, ROLE_COMPANION, 0, 0x000C, 0x01, 1, 1, {}},
        {0x320F, 0x221C, 1, 4, DEVICE_MOUSE, ROLE_VENDOR, 0, 0xFF1C, 0x92, 1, 6, {}},
        {0x320F, 0x221C, 1, 3, DEVICE_MOUSE, ROLE_COMPANION, 0, 0x000C, 0x01, 1, 7, {}},
        {0x320F, 0x221D, 1, 4, DEVICE_MOUSE_RECEIVER, ROLE_VENDOR, 0, 0xFF1C, 0x92, 1, 4, {}},
        {0x320F, 0x221D, 1, 3, DEVICE_MOUSE_RECEIVER, ROLE_COMPANION, 0, 0x000C, 0x01, 1, 5, {}},
        {0x320F, 0x1004, 1, 4, DEVICE_MOUSEPAD, ROLE_VENDOR, 0, 0xFF1C, 0x92, 0, 0, {}},
        {0x320F, 0x1004, 1, 3, DEVICE_MOUSEPAD, ROLE_COMPANION, 0, 0x000C, 0x01, 0, 0, {}},
        {0x0C76, 0x1630, 3, 0, DEVICE_HEADSET, ROLE_VENDOR, 0, 0x000C, 0x01, 0, 0, {}},
    }};
    return rows;
}

inline bool IsReceiverType(std::uint16_t type) {
    return type == DEVICE_MOUSE_RECEIVER || type == DEVICE_KEYBOARD_RECEIVER;
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
