// The numbers of a device path: read in any case, with the absent and the
// empty number told apart, and written back in the form the back ends give.
#include <gtest/gtest.h>

#include "platform/device_path.h"

namespace vandrel::platform {
namespace {

TEST(DevicePathTest, ReadsTheHexNumberAfterAMarkerInAnyCase) {
    struct Case {
        const char* path;
        std::string_view marker;
        std::optional<std::uint32_t> expected;
    };
    const Case cases[] = {
        {"/dev/hidraw3?vid_320f&pid_5078&mi_01&col04", kVendorMarker, 0x320F},
        {"/dev/hidraw3?vid_320f&pid_5078&mi_01&col04", kProductMarker, 0x5078},
        {"/dev/hidraw3?vid_320f&pid_5078&mi_01&col04", kInterfaceMarker, 0x01},
        {"/dev/hidraw3?vid_320f&pid_5078&mi_01&col04", kCollectionMarker, 0x04},
        {"\\\\?\\HID#VID_320F&PID_5078&MI_02&COL0A#7&1", kCollectionMarker, 0x0A},  // upper case, Windows form
        {"\\\\?\\HID#VID_320F&PID_5078&MI_02#7&1", kVendorMarker, 0x320F},
        {"sim:headset?vid_0c76&pid_1630&mi_03", kCollectionMarker, std::nullopt},  // absent
        {"sim:mouse?vid_&pid_221c", kVendorMarker, 0},                             // no digit
        {"x?vid_123456789", kVendorMarker, 0x12345678},                            // at most 8 digits
        {"x?vid_12g4", kVendorMarker, 0x12},                                       // stops at a non-digit
        {"x?pid_5078", "&mi_", std::nullopt},
    };
    for (const Case& c : cases) EXPECT_EQ(PathNumberAfter(c.path, c.marker), c.expected) << c.path << " " << c.marker;
}

TEST(DevicePathTest, FormatsWhatItReads) {
    struct Case {
        PathNumbers numbers;
        const char* text;
    };
    const Case cases[] = {
        {{0x320F, 0x5078, 0x01, 0x04}, "?vid_320f&pid_5078&mi_01&col04"},
        {{0x0C76, 0x1630, 0x03, std::nullopt}, "?vid_0c76&pid_1630&mi_03"},
        {{0x046D, 0xC077, std::nullopt, std::nullopt}, "?vid_046d&pid_c077"},
        {{0x046D, 0xC077, std::nullopt, 0x12}, "?vid_046d&pid_c077&col12"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(FormatPathNumbers(c.numbers), c.text);
        EXPECT_EQ(ReadPathNumbers(std::string("/dev/hidraw0") + c.text), c.numbers) << c.text;
    }
}

}  // namespace
}  // namespace vandrel::platform
