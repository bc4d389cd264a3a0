// The supported-device table: twins, the cable type of each receiver, and the
// simulated devices that stand for its rows.
#include <gtest/gtest.h>

#include <optional>

#include "device_io/device_tables.h"
#include "device_io/hid_channel.h"
#include "sim/sim_backend.h"
#include "sim/sim_models.h"

namespace vandrel::device_io {
namespace {

TEST(SupportedDevices, TwinsLinkBothWaysByProductIdInTheSameRole) {
    // The counterpart slot of each slot: vendor with vendor, companion with companion.
    const std::optional<std::size_t> expected[] = {2, 3, 0, 1, 6, 7, 4, 5, std::nullopt, std::nullopt, std::nullopt};
    const auto& rows = SupportedDeviceTable();
    ASSERT_EQ(std::size(expected), rows.size());
    for (std::size_t i = 0; i < rows.size(); ++i) {
        SCOPED_TRACE(::testing::Message() << "row " << i);
        const auto twin = TwinSlot(rows, i);
        EXPECT_EQ(twin, expected[i]);
        if (!twin) continue;
        const DeviceIdentity& own = rows[i];
        const DeviceIdentity& other = rows[*twin];
        EXPECT_EQ(TwinSlot(rows, *twin), i);
        EXPECT_EQ(other.productId, own.twinProductId);
        EXPECT_EQ(own.productId, other.twinProductId);
        EXPECT_EQ(other.role, own.role);
        EXPECT_NE(IsReceiverType(own.deviceType), IsReceiverType(other.deviceType));
        EXPECT_EQ(CableType(own.deviceType), CableType(other.deviceType));
    }
}

TEST(SupportedDevices, TwinOfAProductIdNoSlotHasIsNone) {
    SlotList slots = MakeSlotList();
    slots[4].twinProductId = 0x9999;
    EXPECT_FALSE(TwinSlot(slots, 4));
    EXPECT_FALSE(TwinSlot(slots, slots.size()));
}

TEST(SupportedDevices, TheReceiverOfEachCableKindMapsToItsCableType) {
    struct Case {
        DeviceType type;
        DeviceType cable;
    };
    const Case cases[] = {
        {DeviceType::MouseReceiver, DeviceType::Mouse}, {DeviceType::KeyboardReceiver, DeviceType::Keyboard},
        {DeviceType::Mouse, DeviceType::Mouse},         {DeviceType::Keyboard, DeviceType::Keyboard},
        {DeviceType::MousePad, DeviceType::MousePad},   {DeviceType::Headset, DeviceType::Headset},
    };
    for (const Case& c : cases) EXPECT_EQ(CableType(c.type), c.cable) << TypeNumber(c.type);

    // Through the table: each kind's receiver rows, if it has any, find that kind.
    const auto& rows = SupportedDeviceTable();
    for (const KindRow kind : kAllKindRows) {
        const DeviceKindRow& row = DeviceKind(kind);
        for (const DeviceRole role : {DeviceRole::Vendor, DeviceRole::Companion}) {
            const auto cable = FindRowByType(row.deviceType, role);
            if (!cable) continue;
            const auto receiver = TwinSlot(rows, *cable);
            if (!receiver) continue;
            SCOPED_TRACE(row.kindName);
            EXPECT_TRUE(IsReceiverType(rows[*receiver].deviceType));
            EXPECT_EQ(CableType(rows[*receiver].deviceType), row.deviceType);
            EXPECT_EQ(FindDeviceKindOfSlot(rows, *receiver), kind);
        }
    }
}

// What the simulator serves is what the scan looks for: each collection it
// offers, opened, is a row of the table of the model's type (or its
// receiver's) in the collection's role.
TEST(SupportedDevices, EachSimModelsIdsAreARowOfTheSupportedTable) {
    struct Case {
        sim::SimKind kind;
        DeviceType cable;
        std::optional<DeviceType> receiver;
    };
    const Case cases[] = {
        {sim::SimKind::Mouse, DeviceType::Mouse, DeviceType::MouseReceiver},
        {sim::SimKind::Keyboard, DeviceType::Keyboard, DeviceType::KeyboardReceiver},
        {sim::SimKind::MousePad, DeviceType::MousePad, std::nullopt},
        {sim::SimKind::Headset, DeviceType::Headset, std::nullopt},
    };
    ASSERT_EQ(std::size(cases), sim::kAllSimKinds.size());
    for (const Case& c : cases) {
        SCOPED_TRACE(sim::ModelOf(c.kind).name);
        EXPECT_EQ(sim::HasReceiver(c.kind), c.receiver.has_value());
        sim::SimBackend backend;
        for (const sim::SimLink link : {sim::SimLink::Cable, sim::SimLink::Receiver}) {
            const std::optional<DeviceType> type = link == sim::SimLink::Cable ? c.cable : c.receiver;
            if (!type) {
                EXPECT_EQ(sim::SimBackend::VendorPath(c.kind, link), "");
                continue;
            }
            backend.Plug(c.kind, link);
            struct Collection {
                std::string path;
                DeviceRole role;
            };
            const bool single = c.kind == sim::SimKind::Headset;
            const Collection collections[] = {
                {sim::SimBackend::VendorPath(c.kind, link), DeviceRole::Vendor},
                {sim::SimBackend::CompanionPath(c.kind, link), single ? DeviceRole::Vendor : DeviceRole::Companion},
            };
            for (const Collection& collection : collections) {
                SCOPED_TRACE(collection.path);
                CHidChannel channel(backend);
                ASSERT_TRUE(channel.OpenPath(collection.path, true, false, true, false));
                DeviceIdentity seen;
                seen.vendorId = channel.VendorId();
                seen.productId = channel.ProductId();
                seen.interfaceNumber = static_cast<std::uint16_t>(channel.InterfaceNumber());
                seen.collectionNumber = static_cast<std::uint16_t>(channel.CollectionNumber());
                seen.usagePage = channel.UsagePage();
                seen.usage = channel.Usage();
                const auto row = FindRowByInterface(seen);
                ASSERT_TRUE(row);
                EXPECT_EQ(SupportedDeviceTable()[*row].deviceType, *type);
                EXPECT_EQ(SupportedDeviceTable()[*row].role, collection.role);
            }
        }
    }
}

}  // namespace
}  // namespace vandrel::device_io
