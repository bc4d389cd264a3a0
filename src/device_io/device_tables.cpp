#include "device_io/device_tables.h"

namespace vandrel::device_io {
namespace {

using enum DeviceType;

constexpr std::string_view kOptionLayout = "XML/CustomControlXML/DeviceOption.xml";
constexpr std::string_view kHeaderContainer = "tab_header_device";
constexpr std::string_view kPowerContainer = "device_power_switch";
constexpr std::string_view kLightingConfig = "zelbor_light";

// Every kind's option button and power panel go in the same places.
constexpr DeviceKindRow Kind(KindRow row, std::string_view kindName, std::array<int, 4> displayValues,
                             std::uint16_t vendorId, std::uint16_t productId, DeviceType cableType) {
    return {.row = row,
            .kindName = kindName,
            .optionLayout = kOptionLayout,
            .headerContainer = kHeaderContainer,
            .powerContainer = kPowerContainer,
            .displayValues = displayValues,
            .vendorId = vendorId,
            .productId = productId,
            .deviceType = cableType};
}

// The last column is the kind's cable type.
constexpr std::array<DeviceKindRow, kKindCount> kKinds{
    Kind(KindRow::Mouse, "mouse", {0, 0, 0, 1}, kVendorMorvane, 0x221C, Mouse),
    Kind(KindRow::Keyboard, "keyboard", {1, 1, -1, 0}, kVendorMorvane, 0x5078, Keyboard),
    Kind(KindRow::MousePad, "MousePad", {2, 2, 1, 2}, kVendorMorvane, 0x1004, MousePad),
    Kind(KindRow::Headset, "HD", {3, 3, -1, 3}, kVendorHeadset, 0x1630, Headset),
};

constexpr std::array<DevicePageRow, kKindCount> kPages{{
    {15, 11, true, -1, "XML/DeviceXml/mousedevice.xml", kLightingConfig},
    {170, 170, false, -1, "XML/DeviceXml/keyboarddevice.xml", kLightingConfig},
    {15, 0, false, -1, "XML/DeviceXml/mousepaddevice.xml", kLightingConfig},
    {13, 0, false, -1, "XML/DeviceXml/da6533device.xml", kLightingConfig},
}};

constexpr std::array<ModelCatalogueRow, 4> kModels{{
    {{1, 1, 0}, "ZELBOR", "QT40M53C", "MS", "MS", ""},
    {{1, 1, 0}, "ZELBOR", "QT40M61C", "KB", "Pellmark Tarn", ""},
    {{2, 1, 0}, "ZELBOR", "QT40M74C_1", "R62", "R62", ""},
    {{0, 1, 0}, "ZELBOR", "ALL", "R62_BX3_BX2", "AP", "1.0.0.0"},
}};

constexpr bool RowsInOrder() {
    for (const KindRow row : kAllKindRows)
        if (kKinds[Index(row)].row != row) return false;
    return true;
}
static_assert(RowsInOrder(), "each kind row stands at its own position");

struct CableOfReceiver {
    DeviceType receiverType;
    DeviceType cableType;
};

constexpr std::array<CableOfReceiver, 2> kCableOfReceiver{{
    {MouseReceiver, Mouse},
    {KeyboardReceiver, Keyboard},
}};

}  // namespace

std::span<const DeviceKindRow> DeviceKindTable() { return kKinds; }
std::span<const DevicePageRow> DevicePageTable() { return kPages; }
std::span<const ModelCatalogueRow> ModelCatalogue() { return kModels; }
const DeviceKindRow& DeviceKind(KindRow row) { return kKinds.at(Index(row)); }
const DevicePageRow& DevicePage(KindRow row) { return kPages.at(Index(row)); }

DeviceType CableType(DeviceType deviceType) {
    for (const auto& entry : kCableOfReceiver)
        if (entry.receiverType == deviceType) return entry.cableType;
    return deviceType;
}

KindKey KindKeyOfSlot(std::span<const DeviceIdentity> slots, std::size_t slot) {
    if (slot >= slots.size()) return {};
    const DeviceIdentity& own = slots[slot];
    KindKey key{own.vendorId, own.productId, CableType(own.deviceType)};
    if (!IsReceiverType(own.deviceType)) return key;
    if (const auto twin = TwinSlot(slots, slot)) {
        key.vendorId = slots[*twin].vendorId;
        key.productId = slots[*twin].productId;
    } else {
        key.deviceType = own.deviceType;  // no cable twin: nothing to map it to
    }
    return key;
}

std::optional<KindRow> FindDeviceKind(const KindKey& key) {
    for (const DeviceKindRow& kind : kKinds)
        if (KindKey{kind.vendorId, kind.productId, kind.deviceType} == key) return kind.row;
    return std::nullopt;
}

std::optional<KindRow> FindDeviceKindOfSlot(std::span<const DeviceIdentity> slots, std::size_t slot) {
    if (slot >= slots.size()) return std::nullopt;
    return FindDeviceKind(KindKeyOfSlot(slots, slot));
}

std::optional<KindRow> FindDeviceKindByName(std::string_view kindName) {
    for (const DeviceKindRow& kind : kKinds)
        if (kind.kindName == kindName) return kind.row;
    return std::nullopt;
}

std::optional<std::size_t> FindModelByCode(std::string_view modelCode) {
    for (std::size_t i = 0; i < kModels.size(); ++i)
        if (kModels[i].modelCode == modelCode) return i;
    return std::nullopt;
}

std::string_view CatalogueVersion() { return kModels.back().version; }

}  // namespace vandrel::device_io
