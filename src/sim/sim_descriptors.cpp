#include "sim/sim_descriptors.h"

#include <algorithm>
#include <array>
#include <initializer_list>

#include "platform/bytes.h"

namespace vandrel::sim {
namespace {

// Collection 1: keyboard, report id 1 (modifier bits, reserved byte, six keys).
constexpr std::uint8_t kKeyboardCollection[] = {
    0x05, 0x01, 0x09, 0x06, 0xA1, 0x01, 0x85, 0x01, 0x05, 0x07, 0x19, 0xE0, 0x29, 0xE7, 0x15, 0x00,
    0x25, 0x01, 0x75, 0x01, 0x95, 0x08, 0x81, 0x02, 0x75, 0x08, 0x95, 0x01, 0x81, 0x01, 0x15, 0x00,
    0x26, 0xFF, 0x00, 0x19, 0x00, 0x2A, 0xFF, 0x00, 0x75, 0x08, 0x95, 0x06, 0x81, 0x00, 0xC0,
};

// Collection 2: system control, report id 2 (power down, sleep, wake up).
constexpr std::uint8_t kSystemCollection[] = {
    0x05, 0x01, 0x09, 0x80, 0xA1, 0x01, 0x85, 0x02, 0x19, 0x81, 0x29, 0x83, 0x15, 0x00,
    0x25, 0x01, 0x75, 0x01, 0x95, 0x03, 0x81, 0x02, 0x95, 0x05, 0x81, 0x01, 0xC0,
};

constexpr std::uint8_t kConsumerOpen[] = {0x05, 0x0C, 0x09, 0x01, 0xA1, 0x01};
constexpr std::uint8_t kVendorOpen[] = {0x06, 0x1C, 0xFF, 0x09, 0x92, 0xA1, 0x01};
constexpr std::uint8_t kVendorPage[] = {0x06, 0x1C, 0xFF};
constexpr std::uint8_t kEnd[] = {0xC0};

// The notification input: report id 3, Logical Minimum 1, Logical Maximum
// 0xFFFF (a four-byte item, so that it stays positive), Usage Minimum 1,
// Usage Maximum 0xFFFF, one 16-bit array element.
constexpr std::uint8_t kNotificationInput[] = {
    0x85, 0x03, 0x15, 0x01, 0x27, 0xFF, 0xFF, 0x00, 0x00, 0x19,
    0x01, 0x2A, 0xFF, 0xFF, 0x75, 0x10, 0x95, 0x01, 0x81, 0x00,
};

// Report id 4: 63 vendor bytes in and out (64 with the id).
constexpr std::uint8_t kFrameReports[] = {
    0x85, 0x04, 0x09, 0x01, 0x15, 0x00, 0x26, 0xFF, 0x00, 0x75, 0x08,
    0x95, 0x3F, 0x81, 0x02, 0x09, 0x02, 0x95, 0x3F, 0x91, 0x02,
};

// Report id 0xFF: the headset's LED output, 16 bytes after the id.
constexpr std::uint8_t kHeadsetLedOutput[] = {0x85, 0xFF, 0x09, 0x03, 0x95, 0x10, 0x91, 0x02};

std::vector<std::uint8_t> Join(std::initializer_list<std::span<const std::uint8_t>> parts) {
    std::vector<std::uint8_t> joined;
    for (const auto part : parts) joined.insert(joined.end(), part.begin(), part.end());
    return joined;
}

const std::vector<std::uint8_t> kFourCollections = Join({
    kKeyboardCollection,
    kSystemCollection,
    kConsumerOpen,
    kNotificationInput,
    kEnd,
    kVendorOpen,
    kFrameReports,
    kEnd,
});

const std::vector<std::uint8_t> kHeadset = Join({
    kConsumerOpen,
    kNotificationInput,
    kVendorPage,
    kFrameReports,
    kHeadsetLedOutput,
    kEnd,
});

platform::HidCollectionCaps Caps(std::uint16_t usagePage, std::uint16_t usage, std::uint16_t input,
                                 std::uint16_t output, std::vector<std::uint8_t> ids) {
    platform::HidCollectionCaps caps;
    caps.usagePage = usagePage;
    caps.usage = usage;
    caps.inputReportLength = input;
    caps.outputReportLength = output;
    caps.reportIds = std::move(ids);
    return caps;
}

const std::array<SimCollectionLayout, 3> kCollections{{
    {SimCollection::Vendor, 3, Caps(0xFF1C, 0x92, 64, 64, {kFrameReportId}), {kFrameReportId}, {kFrameReportId}},
    {SimCollection::Companion, 2, Caps(0x000C, 0x01, 3, 0, {kNotificationReportId}), {kNotificationReportId}, {}},
    {SimCollection::Single,
     0,
     Caps(0x000C, 0x01, 64, 64, {kNotificationReportId, kFrameReportId, kHeadsetLedReportId}),
     {kNotificationReportId, kFrameReportId},
     {kFrameReportId, kHeadsetLedReportId}},
}};

}  // namespace

const SimCollectionLayout& CollectionLayout(SimCollection collection) {
    return *std::find_if(kCollections.begin(), kCollections.end(),
                         [collection](const SimCollectionLayout& s) { return s.collection == collection; });
}

std::span<const std::uint8_t> InterfaceDescriptor(SimCollection collection) {
    return collection == SimCollection::Single ? kHeadset : kFourCollections;
}

std::vector<std::uint8_t> NotificationReport(std::uint16_t value) {
    return {kNotificationReportId, platform::LowByte(value), platform::HighByte(value)};
}

}  // namespace vandrel::sim
