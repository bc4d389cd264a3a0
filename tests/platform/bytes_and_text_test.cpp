// The byte helpers and the case-blind comparison: both directions of each
// split and join on the edges of their ranges, and reads and writes that stay
// inside their buffer.
#include <array>
#include <cstdint>

#include <gtest/gtest.h>

#include "platform/bytes.h"
#include "platform/text_compare.h"

namespace vandrel::platform {
namespace {

TEST(BytesTest, SplitsAndJoinsBytesAndHalves) {
    struct Case {
        std::uint32_t word;
        std::uint8_t low, high;
        std::uint16_t lowHalf, highHalf;
    };
    const Case cases[] = {
        {0x00000000, 0x00, 0x00, 0x0000, 0x0000},
        {0x12345678, 0x78, 0x56, 0x5678, 0x1234},
        {0xFFFF00FF, 0xFF, 0x00, 0x00FF, 0xFFFF},
        {0x0001FF00, 0x00, 0xFF, 0xFF00, 0x0001},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.word);
        EXPECT_EQ(LowByte(c.word), c.low);
        EXPECT_EQ(HighByte(c.word), c.high);
        EXPECT_EQ(JoinBytes(c.low, c.high), c.word & 0xFFFF);
        EXPECT_EQ(LowHalf(c.word), c.lowHalf);
        EXPECT_EQ(HighHalf(c.word), c.highHalf);
        EXPECT_EQ(Half(c.word, 0), c.lowHalf);
        EXPECT_EQ(Half(c.word, 1), c.highHalf);
        EXPECT_EQ(JoinHalves(c.highHalf, c.lowHalf), c.word);
    }
}

TEST(BytesTest, LittleEndianValuesStayInsideTheirBuffer) {
    std::array<std::uint8_t, 4> bytes{0xAA, 0xAA, 0xAA, 0xAA};
    WriteLe16(bytes, 1, 0x1234);
    EXPECT_EQ(bytes, (std::array<std::uint8_t, 4>{0xAA, 0x34, 0x12, 0xAA}));
    EXPECT_EQ(ReadLe16(bytes, 1), 0x1234);
    WriteLe16(bytes, 3, 0x5678);  // one byte short
    WriteLe16(bytes, 9, 0x5678);
    EXPECT_EQ(bytes, (std::array<std::uint8_t, 4>{0xAA, 0x34, 0x12, 0xAA}));
    EXPECT_EQ(ReadLe16(bytes, 3), 0);
    EXPECT_EQ(ReadLe16(bytes, 9), 0);
}

TEST(TextCompareTest, FoldsOnlyAsciiLetters) {
    struct Case {
        std::string_view a, b;
        bool equal;
    };
    const Case cases[] = {
        {"GNOME", "gnome", true}, {"X-Cinnamon", "x-cinnamon", true},
        {"Click", "click", true}, {"click", "clicks", false},
        {"", "", true},           {"@", "`", false},        // not letters
        {"[", "{", false},        {"\xC4", "\xE4", false},  // bytes above ASCII compare as they are
    };
    for (const Case& c : cases) EXPECT_EQ(EqualsIgnoringCase(c.a, c.b), c.equal) << c.a << " / " << c.b;
}

TEST(TextCompareTest, FindsWithoutRegardToCase) {
    EXPECT_EQ(FindIgnoringCase("?VID_320F&PID_5078", "pid_"), 10u);
    EXPECT_EQ(FindIgnoringCase("?vid_320f", "&mi_"), std::string_view::npos);
    EXPECT_EQ(FindIgnoringCase("abc", ""), 0u);
}

}  // namespace
}  // namespace vandrel::platform
