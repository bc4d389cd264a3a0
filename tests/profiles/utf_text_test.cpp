#include "profiles/utf_text.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace vandrel::profiles {
namespace {

TEST(UtfText, ValidTextSurvivesBothDirections) {
    const std::vector<std::string> texts = {"", "profile1", "Grüße", "游戏配置", "emoji 🎮 pad", "a\u00A0b"};
    for (const std::string& text : texts) {
        EXPECT_EQ(ToUtf8(FromUtf8(text)), text);
        EXPECT_EQ(SanitizeUtf8(text), text);
        EXPECT_TRUE(IsValidUtf8(text)) << text;
    }
    EXPECT_EQ(FromUtf8("游戏"), u"游戏");
    EXPECT_EQ(FromUtf8("🎮"), std::u16string({0xD83C, 0xDFAE}));
}

TEST(UtfText, BrokenUtf8IsReplaced) {
    const std::string r = "\xEF\xBF\xBD";  // U+FFFD
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"a\x80"
         "b",
         "a" + r + "b"},                      // stray continuation byte
        {"\xC3", r},                          // truncated two-byte sequence
        {"\xE6\xB8", r},                      // truncated three-byte sequence, one replacement
        {"\xC0\xAF", r + r},                  // overlong '/'
        {"\xED\xA0\x80", r + r + r},          // encoded surrogate
        {"\xF4\x90\x80\x80", r + r + r + r},  // above U+10FFFF
        {"\xFF"
         "x",
         r + "x"},
    };
    for (const auto& [broken, expected] : cases) {
        EXPECT_EQ(SanitizeUtf8(broken), expected);
        EXPECT_EQ(ToUtf8(FromUtf8(broken)), expected);
        EXPECT_FALSE(IsValidUtf8(broken)) << expected;
    }
}

TEST(UtfText, UnpairedSurrogatesAreReplaced) {
    EXPECT_EQ(ToUtf8(std::u16string({u'a', 0xD800, u'b'})),
              "a\xEF\xBF\xBD"
              "b");
    EXPECT_EQ(ToUtf8(std::u16string({0xDC00})), "\xEF\xBF\xBD");
}

TEST(UtfText, CaseIsIgnoredForLatinLettersOnly) {
    EXPECT_TRUE(EqualsIgnoringCase(u"Profile1", u"pROFILE1"));
    EXPECT_TRUE(EqualsIgnoringCase(u"游戏", u"游戏"));
    EXPECT_FALSE(EqualsIgnoringCase(u"profile1", u"profile12"));
    EXPECT_FALSE(EqualsIgnoringCase(u"a[", u"A{"));
}

TEST(UtfText, BlankIsEmptyOrWhiteSpace) {
    EXPECT_TRUE(IsBlank(u""));
    EXPECT_TRUE(IsBlank(u"   "));
    EXPECT_TRUE(IsBlank(u"\t\u3000"));
    EXPECT_FALSE(IsBlank(u" a "));
}

}  // namespace
}  // namespace vandrel::profiles
