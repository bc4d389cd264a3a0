// The quick reader against jsoncpp's reader with the file store's settings:
// ParseJson gives jsoncpp's value for every text, whichever of the two read
// it, and the quick reader takes exactly the plain texts.
#include "profiles/plain_json_parser.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "platform/folders.h"
#include "profiles/json_file_store.h"

namespace vandrel::profiles {
namespace {

Json::Value JsoncppValue(const std::string& text) {
    Json::CharReaderBuilder builder;
    builder["allowComments"] = true;
    builder["collectComments"] = false;
    builder["failIfExtra"] = true;
    const std::unique_ptr<Json::CharReader> reader(builder.newCharReader());
    Json::Value root;
    std::string errors;
    try {
        if (reader->parse(text.data(), text.data() + text.size(), &root, &errors)) return root;
    } catch (const std::exception&) {}
    return Json::Value();
}

// Equal values of equal types; the styled text also tells -0.0 from 0.0.
void ExpectSame(const Json::Value& actual, const Json::Value& expected, const std::string& name) {
    constexpr std::size_t kShown = 300;
    const std::string actualText = Json::StyledWriter().write(actual);
    const std::string expectedText = Json::StyledWriter().write(expected);
    EXPECT_TRUE(actual == expected && actualText == expectedText)
        << name << "\nread: " << actualText.substr(0, kShown) << "\njsoncpp: " << expectedText.substr(0, kShown);
}

std::string Repeat(const std::string& text, int count) {
    std::string out;
    for (int i = 0; i < count; ++i) out += text;
    return out;
}

// More distinct member names than the parser's name pool keeps.
std::string ManyNames() {
    std::string text = "{";
    for (int i = 0; i < 5000; ++i) {
        text += (i > 0 ? ",\"name" : "\"name") + std::to_string(i) + "\":" + std::to_string(i);
    }
    return text + "}";
}

TEST(PlainJsonParser, ReadsWhatJsoncppReads) {
    struct Case {
        std::string name;
        std::string text;
        bool plain;  // read by the quick reader
    };
    const std::vector<Case> cases = {
        {"empty object", "{}", true},
        {"empty array", " [ ] ", true},
        {"styled object", "{\n   \"a\" : 1,\n   \"b\" : [ 1, 2 ]\n}\n\n", true},
        {"members out of order and repeated", R"({"b": 1, "a": 2, "b": [3]})", true},
        {"scalar roots", "\"text\"", true},
        {"zero and minus zero", "[0, -0, -0.0, 0.0]", true},
        {"64-bit limits", "[-9223372036854775808, 9223372036854775807, 9223372036854775808, 18446744073709551615]",
         true},
        {"doubles", "[1.5, 1e5, 1E+5, 2.5e-3, 1.7976931348623157e308, 4.9e-324, 0.1, 123456789012345678901234]", false},
        {"doubles that fit", "[1.5, 1e5, 1E+5, 2.5e-3, 1.7976931348623157e308, 0.1, -3.25e2]", true},
        {"literals", "[true, false, null]", true},
        {"escapes", R"(["\" \\ \/ \b \f \n \r \t", "\u0041\u00e9\u6e38\ud83c\udfae\u0000x"])", true},
        {"raw UTF-8 and broken bytes", "[\"\xE6\xB8\xB8\xE6\x88\x8F\", \"\xFF\xC3\"]", true},
        {"objects of one shape and of others",
         R"([{"R": 1, "G": 2}, {"R": 3, "G": 4}, {"G": 5, "R": 6}, {"R": 7}, {"R": 8, "G": 9, "B": 0},
             {"R": {"x": 1}, "G": 2}, {"R": "s", "G": null}, {"R": 1, "G": 2}, {"\u0052": 1, "G": 2},
             {"R\u0000": 1, "G": 2}, {"R": [], "G": 2}, {"R": 1, "G": 2}])",
         true},
        {"trailing comma in an object of the last shape", R"([{"R": 1, "G": 2}, {"R": 1, "G": 2,}])", false},
        {"arrays of one shape and of others",
         R"([[{"a": 1}, {"a": 2}], [{"a": 3}, {"a": 4}], [{"a": 5}], [{"a": 6}, {"a": 7}, {"a": 8}],
             [{"b": 1}, {"a": 2}], [[1], {"a": 2}], [{"a": [1]}, {"a": 2}], [1, 2], [], [[]], [{}], [{}], {}])",
         true},
        {"elements too high to copy", "[[[[1]]], [[[2]]], [[[3], [4]]]]", true},
        {"comment in an element of the last shape", R"([{"a": 1}, {"a": /* c */ 2}])", false},
        {"element of the last shape cut short", R"([[{"a": 1}], [{"a": 2})", false},
        {"a shape meeting nested objects 40 deep",
         R"([{"a": 1, "b": 2}, )" + Repeat(R"({"a": )", 40) + "0" + Repeat(R"(, "c": 0})", 40) + "]", true},
        {"more names than the name pool keeps", ManyNames(), true},
        {"nesting to the reader's limit", Repeat("[", 1000) + Repeat("]", 1000), true},
        {"nesting beyond the reader's limit", Repeat("[", 1000) + "0" + Repeat("]", 1000), false},
        {"comments", "// saved by hand\n{ \"a\" : 1 /* one */ }\n// end", false},
        {"comment between name and colon", R"({"a" /* c */ : 1})", false},
        {"comment in an empty array", "[ /* c */ ]", false},
        {"trailing comma in an object", R"({"a": 1,})", false},
        {"trailing comma in an array", "[1,]", false},
        {"byte order mark", "\xEF\xBB\xBF{\"a\": 1}", false},
        {"NUL after the root", std::string("{\"a\": 1}\0junk", 13), false},
        {"leading zero", "[01]", false},
        {"point without digits", "[1.]", false},
        {"beyond 64 bits", "[18446744073709551616, -9223372036854775809]", false},
        {"beyond the double range", "[1e400]", false},
        {"surrogate escapes out of pairs", R"(["\ud800\u0041", "\udc00"])", false},
        {"control character in a string", "[\"a\x01z\"]", false},
        {"bad escape", R"(["\x"])", false},
        {"cut short", R"({"a": [1, 2)", false},
        {"unterminated string", "\"abc", false},
        {"misspelt literal", "[tru]", false},
        {"garbage after the root", R"({"a": 1}})", false},
        {"white space only", " \n", false},
        {"empty", "", false},
    };
    for (const Case& c : cases) {
        const Json::Value expected = JsoncppValue(c.text);
        Json::Value quick;
        EXPECT_EQ(ParsePlainJson(c.text, quick), c.plain) << c.name;
        if (c.plain) ExpectSame(quick, expected, c.name);
        ExpectSame(ParseJson(c.text), expected, c.name);
    }
}

TEST(PlainJsonParser, ReadsEveryTemplateAndTestProfile) {
    std::vector<std::filesystem::path> files;
    for (const std::string& folder : {platform::DefaultDataFolder(), std::string(VANDREL_GOLDEN_DIR)}) {
        for (const auto& entry : std::filesystem::directory_iterator(folder)) files.push_back(entry.path());
    }
    ASSERT_GT(files.size(), 1u);
    for (const std::filesystem::path& file : files) {
        std::ifstream in(file, std::ios::binary);
        const std::string text{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
        Json::Value quick;
        EXPECT_TRUE(ParsePlainJson(text, quick)) << file;
        ExpectSame(quick, JsoncppValue(text), file.string());
    }
}

}  // namespace
}  // namespace vandrel::profiles
