// The key table's edges and key capture: codes it does not list, the native
// offset, and the keys no capture takes. The rows themselves are checked one
// by one against the key catalogue in tests/keys.
#include <gtest/gtest.h>

#include <set>

#include "platform/key_capture.h"
#include "platform/key_table.h"

namespace vandrel::platform {
namespace {

TEST(KeyTableTest, ListsEachEvdevCodeOnce) {
    std::set<std::uint16_t> seen;
    for (const KeyTableRow& row : KeyTableRows()) EXPECT_TRUE(seen.insert(row.evdevCode).second) << row.evdevCode;
}

TEST(KeyTableTest, CodesItDoesNotListAreNoKey) {
    // Gaps between the listed codes, codes past them, and a native scan code
    // below the offset (it would wrap round to a huge evdev code).
    for (const std::uint32_t code : {0u, 84u, 85u, 90u, 91u, 95u, 101u, 112u, 113u, 114u, 115u, 116u, 117u, 118u, 120u,
                                     128u, 183u, 255u, 0x10000u}) {
        EXPECT_EQ(KeyRecordForEvdevCode(code), std::nullopt) << code;
        EXPECT_EQ(KeyRecordForNativeScanCode(code + kNativeScanCodeOffset), std::nullopt) << code;
    }
    for (const std::uint32_t native : {0u, 1u, 7u})
        EXPECT_EQ(KeyRecordForNativeScanCode(native), std::nullopt) << native;
}

TEST(KeyTableTest, NativeScanCodeIsTheEvdevCodePlusEight) {
    EXPECT_EQ(KeyRecordForNativeScanCode(9), (KeyRecord{0x01, false, 0x1B}));   // Esc
    EXPECT_EQ(KeyRecordForNativeScanCode(38), (KeyRecord{0x1E, false, 'A'}));   // A
    EXPECT_EQ(KeyRecordForNativeScanCode(104), (KeyRecord{0x1C, true, 0x01}));  // keypad Enter
    EXPECT_EQ(KeyRecordForNativeScanCode(135), (KeyRecord{0x5D, true, 0x5D}));  // App
}

TEST(KeyCaptureTest, GivesTheRecordOfEveryCapturableKeyAndNothingElse) {
    const KeyCapture capture;
    int captured = 0;
    for (std::uint32_t native = 0; native < 300; ++native) {
        const std::optional<KeyRecord> record = KeyRecordForNativeScanCode(native);
        const bool capturable = record && record->virtualKey != 0 && record->virtualKey != kNotCapturableVirtualKey;
        EXPECT_EQ(capture.Press(native), capturable ? record : std::nullopt) << native;
        captured += capturable ? 1 : 0;
    }
    // 113 keys, of which K14, K132, K133 and K151 have virtual key 0xFF.
    EXPECT_EQ(captured, 109);
}

TEST(KeyCaptureTest, KeysWithVirtualKeyFFAreNotCaptured) {
    const KeyCapture capture;
    for (const std::uint32_t evdev : {124u, 92u, 93u, 122u}) {
        ASSERT_TRUE(KeyRecordForEvdevCode(evdev)) << evdev;  // known to the table, yet not captured
        EXPECT_EQ(capture.Press(evdev + kNativeScanCodeOffset), std::nullopt) << evdev;
    }
    EXPECT_EQ(capture.Press(86 + kNativeScanCodeOffset), (KeyRecord{0x56, false, 0xE2}));  // K45 is captured
}

TEST(KeyCaptureTest, UsesItsOwnOffset) {
    const KeyCapture evdevCapture(0);
    EXPECT_EQ(evdevCapture.Press(30), (KeyRecord{0x1E, false, 'A'}));
    EXPECT_EQ(evdevCapture.Press(0), std::nullopt);
    const KeyCapture nativeCapture;
    EXPECT_EQ(nativeCapture.Press(30), (KeyRecord{0x16, false, 'U'}));  // evdev 22
    EXPECT_EQ(nativeCapture.Press(3), std::nullopt);
}

}  // namespace
}  // namespace vandrel::platform
