// The kind, page and model tables and the lookup of a slot's kind.
#include "device_io/device_tables.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <string_view>

namespace vandrel::device_io {
namespace {

struct SlotKindCase {
    std::size_t slot;
    std::string_view kindName;
};

TEST(DeviceKind, EverySlotFindsTheKindOfItsCableRow) {
    const SlotList slots = MakeSlotList();
    const SlotKindCase cases[] = {
        {0, "keyboard"}, {1, "keyboard"}, {2, "keyboard"}, {3, "keyboard"},  // receiver keyboard, mapped to its cable twin like a receiver mouse
        {4, "mouse"},    {5, "mouse"},    {6, "mouse"},    {7, "mouse"},    {8, "MousePad"},
        {9, "MousePad"}, {10, "HD"},
    };
    for (const auto& c : cases) {
        const auto kind = FindDeviceKindOfSlot(slots, c.slot);
        ASSERT_TRUE(kind.has_value()) << "slot " << c.slot;
        EXPECT_EQ(DeviceKind(*kind).kindName, c.kindName) << "slot " << c.slot;
    }
}

TEST(DeviceKind, ReceiverWithoutCableTwinAndUnknownKeysFindNoKind) {
    SlotList slots = MakeSlotList();
    slots[2].twinProductId = 0;
    slots[6].twinProductId = 0;
    EXPECT_FALSE(FindDeviceKindOfSlot(slots, 2));
    EXPECT_FALSE(FindDeviceKindOfSlot(slots, 6));
    EXPECT_FALSE(FindDeviceKindOfSlot(slots, slots.size()));

    const KindKey unknown[] = {
        {0x320F, 0x5001, DeviceType::KeyboardReceiver},  // the receiver's own PID is no kind
        {0x320F, 0x221D, DeviceType::Mouse},
        {0x320F, 0x221C, DeviceType::Keyboard},
        {0, 0, {}},
    };
    for (const auto& key : unknown)
        EXPECT_FALSE(FindDeviceKind(key)) << key.productId << "/" << TypeNumber(key.deviceType);
}

TEST(DeviceKind, EachKindIsTheCableVendorRowOfTheSupportedTable) {
    for (const auto& kind : DeviceKindTable()) {
        bool found = false;
        for (const auto& row : SupportedDeviceTable())
            found |= row.vendorId == kind.vendorId && row.productId == kind.productId &&
                     row.deviceType == kind.deviceType && row.role == DeviceRole::Vendor &&
                     !IsReceiverType(row.deviceType);
        EXPECT_TRUE(found) << kind.kindName;
        EXPECT_EQ(FindDeviceKindByName(kind.kindName),
                  FindDeviceKind({kind.vendorId, kind.productId, kind.deviceType}));
    }
}

TEST(DeviceKind, EachRowNamesItsOwnPosition) {
    ASSERT_EQ(DeviceKindTable().size(), kKindCount);
    ASSERT_EQ(DevicePageTable().size(), kKindCount);
    for (const KindRow row : kAllKindRows) {
        EXPECT_EQ(DeviceKind(row).row, row);
        EXPECT_EQ(&DeviceKind(row), &DeviceKindTable()[Index(row)]);
        EXPECT_EQ(&DevicePage(row), &DevicePageTable()[Index(row)]);
    }
    EXPECT_EQ(FindDeviceKindByName("mouse"), KindRow::Mouse);
    EXPECT_EQ(FindDeviceKindByName("HD"), KindRow::Headset);
}

// A row crosses a device message as a number and comes back only when the
// number names a row.
TEST(DeviceKind, RowNumbersRoundTripAndOthersAreRejected) {
    for (const KindRow row : kAllKindRows) EXPECT_EQ(KindRowOfNumber(KindRowNumber(row)), row);
    // 256 and 2^32 name row 0 once cut to a byte or a 32-bit int.
    for (const std::int64_t number : {std::int64_t{-1}, std::int64_t{4}, std::int64_t{256}, std::int64_t{1} << 32,
                                      std::numeric_limits<std::int64_t>::min()})
        EXPECT_FALSE(KindRowOfNumber(number)) << number;
}

TEST(DeviceKind, LayoutPathsUseForwardSlashes) {
    for (const auto& kind : DeviceKindTable()) EXPECT_EQ(kind.optionLayout.find('\\'), std::string_view::npos);
    for (const auto& page : DevicePageTable()) EXPECT_EQ(page.pageLayout.find('\\'), std::string_view::npos);
    EXPECT_EQ(kPowerPanelLayout.find('\\'), std::string_view::npos);
}

TEST(ModelCatalogue, FindsModelsByCodeAndGivesTheLastRowsVersion) {
    const auto keyboard = FindModelByCode("QT40M61C");
    ASSERT_TRUE(keyboard);
    EXPECT_EQ(ModelCatalogue()[*keyboard].displayName, "Pellmark Tarn");
    EXPECT_FALSE(FindModelByCode("qt40m61c"));
    EXPECT_EQ(CatalogueVersion(), "1.0.0.0");
}

}  // namespace
}  // namespace vandrel::device_io
