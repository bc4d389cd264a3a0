// The file store's writer against jsoncpp's StyledWriter, which wrote every
// file of the program before: the same bytes for every shipped template,
// every test profile, a full keyboard profile and a set of hostile values.
#include "profiles/styled_json_writer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <limits>
#include <string>
#include <vector>

#include "platform/folders.h"
#include "profiles/json_file_store.h"
#include "profiles/keyboard_profile_data.h"
#include "support/temp_folder.h"

namespace vandrel::profiles {
namespace {

// What the file store wrote for a value before it had its own writer.
std::string StyledWriterText(const Json::Value& value) {
    Json::Value repaired = value;
    RepairUtf8(repaired);
    return Json::StyledWriter().write(repaired) + "\n";
}

// Whether the writer wrote the value itself rather than leaving it to
// StyledWriter.
bool WrittenHere(const Json::Value& value) {
    std::string text;
    return CStyledJsonWriter(text).Write(value);
}

std::string ReadFile(const std::filesystem::path& path) {
    std::ifstream file(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

std::vector<std::filesystem::path> FilesIn(const std::filesystem::path& folder) {
    std::vector<std::filesystem::path> files;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        if (entry.is_regular_file()) files.push_back(entry.path());
    }
    std::sort(files.begin(), files.end());
    return files;
}

TEST(StyledJsonWriter, TemplatesAndTestProfilesGiveStyledWritersBytes) {
    std::vector<std::filesystem::path> files = FilesIn(platform::DefaultDataFolder());
    const std::vector<std::filesystem::path> golden = FilesIn(VANDREL_GOLDEN_DIR);
    ASSERT_FALSE(golden.empty());
    files.insert(files.end(), golden.begin(), golden.end());
    ASSERT_GT(files.size(), golden.size()) << "no templates in " << platform::DefaultDataFolder();
    for (const std::filesystem::path& file : files) {
        const std::string text = ReadFile(file);
        const Json::Value value = ParseJson(text);
        ASSERT_FALSE(value.isNull()) << file;
        EXPECT_TRUE(WrittenHere(value)) << file;
        EXPECT_EQ(StyledText(value), StyledWriterText(value)) << file;
    }
    for (const std::filesystem::path& file : golden) {
        const std::string text = ReadFile(file);
        EXPECT_EQ(StyledText(ParseJson(text)), text) << file << ": a written profile reads back to its own bytes";
    }
}

// Ten colour groups of 126 keys, groups 1 and 2 and 4 to 8 left out (they
// read as null), on the shipped template: the largest document there is.
TEST(StyledJsonWriter, FullKeyboardProfileGivesStyledWritersBytes) {
    testing::TempFolder folder;
    CKeyboardProfiledata keyboard;
    keyboard.SetTemplatePath(platform::DefaultTemplatePath("keyboard"));
    keyboard.Load(folder / "p.Json");
    for (const int group : {0, 3, 9}) {
        std::vector<KeyColour> colours(126);
        for (std::size_t k = 0; k < colours.size(); ++k) {
            colours[k] = {static_cast<std::uint8_t>(k), static_cast<std::uint8_t>(group), 255, 255};
        }
        keyboard.SetKeyColors(group, colours);
    }
    Json::Value document = CJsonFileStore().ReadJson(folder / "p.Json");
    document["Device"][0] = keyboard.Section();
    ASSERT_TRUE(document["Device"][0]["CustomLightMode"]["LightColorInfo"][1].isNull());
    EXPECT_TRUE(WrittenHere(document));
    EXPECT_EQ(StyledText(document), StyledWriterText(document));
}

Json::Value Object(std::initializer_list<std::pair<std::string, Json::Value>> members) {
    Json::Value object(Json::objectValue);
    for (const auto& [name, value] : members) object[name] = value;
    return object;
}

Json::Value Array(std::initializer_list<Json::Value> elements) {
    Json::Value array(Json::arrayValue);
    for (const Json::Value& element : elements) array.append(element);
    return array;
}

Json::Value Repeated(const Json::Value& element, int count) {
    Json::Value array(Json::arrayValue);
    for (int i = 0; i < count; ++i) array.append(element);
    return array;
}

Json::Value Nested(int depth) {
    Json::Value value = 7;
    for (int i = 0; i < depth; ++i) value = Array({value});
    return value;
}

Json::Value Commented() {
    Json::Value value = Object({{"a", 1}, {"b", Array({1, 2})}});
    value["a"].setComment(std::string("// the first"), Json::commentBefore);
    value["b"].setComment(std::string("// the second"), Json::commentAfterOnSameLine);
    return value;
}

TEST(StyledJsonWriter, HostileValuesGiveStyledWritersBytes) {
    struct Case {
        const char* name;
        Json::Value value;
        bool writtenHere;  // false: left to StyledWriter
    };
    constexpr double kInf = std::numeric_limits<double>::infinity();
    Json::Value holes(Json::arrayValue);
    holes[3] = "fourth";  // elements 0..2 are missing
    const std::string nulInText("a\0b", 3);
    const Json::Value emptyArray(Json::arrayValue);
    const Json::Value emptyObject(Json::objectValue);
    const std::vector<Case> cases = {
        {"quotes, backslashes, slash", "say \"hi\" \\ / end", true},
        {"control characters", std::string("\x01\b\f\n\r\t\x1f\x7f", 8) + nulInText, true},
        {"non-ASCII and beyond U+FFFF",
         "Gr\xC3\xBC\xC3\x9F"
         "e \xE6\xB8\xB8 \xF0\x9F\x8E\xAE \xEF\xBF\xBD",
         true},
        {"non-ASCII member names", Object({{"\xE6\xB8\xB8", 1}, {"\xF0\x9F\x8E\xAE", 2}}), true},
        {"member name with a NUL", Object({{nulInText, 1}, {"a", 2}}), true},
        {"broken UTF-8",
         Object({{"profilename",
                  "ab\xC3"
                  "cd\xFF"
                  "e"}}),
         false},
        {"broken UTF-8 in names that meet once repaired", Object({{"k\xE4y", 1}, {"k\xF6y", 2}}), false},
        {"broken UTF-8 after the NUL of a name", Object({{std::string("a\0\xFF", 3), 1}}), false},
        {"integers",
         Array({0, -1, Json::Value::minInt64, Json::Value::maxInt64, Json::Value(Json::Value::maxUInt64),
                Json::Value(0u), Json::Value(Json::UInt64(1) << 63)}),
         true},
        {"doubles",
         Array({0.0, -0.0, 0.1, 1.0, 2.5, 100.0, 1e16, 1e20, 1e21, 1e-7, 123456789012345680.0, 1e300, 5e-324, -3.14159,
                std::nan(""), kInf, -kInf}),
         true},
        {"truth values and null", Array({true, false, Json::Value()}), true},
        {"empty containers", Object({{"array", emptyArray}, {"object", emptyObject}}), true},
        {"nested empty containers", Array({emptyArray, emptyObject, Json::Value()}), true},
        {"arrays of filled containers", Array({Array({1, 2}), Array({3}), Object({{"a", emptyArray}})}), true},
        {"missing array elements", Object({{"list", holes}}), true},
        {"24 short elements on one line", Repeated(1, 24), true},
        {"25 short elements, one per line", Repeated(1, 25), true},
        {"one line of 73 characters", Array({std::string(67, 'x')}), true},
        {"one line of 74 characters, one per line", Array({std::string(68, 'x')}), true},
        {"long strings wrapping", Repeated("ten chars!", 10), true},
        {"deep nesting", Nested(100), true},
        {"scalar root", "just text", true},
        {"null root", Json::Value(), true},
        {"static strings", Object({{"s", Json::Value(Json::StaticString("static"))}}), true},
        {"comments", Commented(), false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(WrittenHere(c.value), c.writtenHere) << c.name;
        EXPECT_EQ(StyledText(c.value), StyledWriterText(c.value)) << c.name;
    }
}

TEST(StyledJsonWriter, AppendsAfterWhatIsThere) {
    const Json::Value value = Object({{"a", Array({1, 2})}});
    std::string text = "before";
    AppendStyledText(value, text);
    EXPECT_EQ(text, "before" + StyledWriterText(value));
}

}  // namespace
}  // namespace vandrel::profiles
