#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "support/temp_folder.h"
#include "ui/language_texts.h"
#include "ui/text_format.h"

namespace vandrel::ui {
namespace {

struct FormatCase {
    const char* name;
    std::string templateText;
    std::vector<std::string> args;
    std::string expected;
};

class FormatTextTest : public ::testing::TestWithParam<FormatCase> {};

TEST_P(FormatTextTest, FillsByPositionAndKeepsEverythingElse) {
    const FormatCase& c = GetParam();
    EXPECT_EQ(FormatText(c.templateText, c.args), c.expected);
}

INSTANTIATE_TEST_SUITE_P(Cases, FormatTextTest,
                         ::testing::Values(FormatCase{"NoPlaceholders", "plain text", {"unused"}, "plain text"},
                                           FormatCase{"SequentialInOrder",
                                                      "%s has %d keys and %u zones",
                                                      {"K1", "104", "3"},
                                                      "K1 has 104 keys and 3 zones"},
                                           FormatCase{"WideString", "name: %ls", {"Mouse"}, "name: Mouse"},
                                           FormatCase{"Numbered", "%2 before %1", {"a", "b"}, "b before a"},
                                           FormatCase{"NumberedRepeated", "%1-%1", {"x"}, "x-x"},
                                           FormatCase{"Percent", "100%% done", {}, "100% done"},
                                           FormatCase{
                                               "ArgumentHoldingPlaceholder", "%s and %s", {"%s", "b"}, "%s and b"},
                                           FormatCase{"StraySWithoutArgument", "name %s", {}, "name %s"},
                                           FormatCase{"MoreTakersThanArgs", "%s %s %s", {"a"}, "a %s %s"},
                                           FormatCase{"NumberedBeyondArgs", "%3", {"a"}, "%3"},
                                           FormatCase{"WriteCountIsNotAPlaceholder", "x%ny", {"a"}, "x%ny"},
                                           FormatCase{"HugeWidthIsNotAPlaceholder", "%999999d", {"a"}, "%999999d"},
                                           FormatCase{"LoneTrailingPercent", "50%", {"a"}, "50%"},
                                           FormatCase{"PercentZeroIsNotNumbered", "%0", {"a"}, "%0"},
                                           FormatCase{"UnknownConversion", "%x %p", {"a"}, "%x %p"}),
                         [](const ::testing::TestParamInfo<FormatCase>& info) { return std::string(info.param.name); });

// A fresh folder for the files of one test, removed afterwards.
class TempFolder : public ::testing::Test {
protected:
    std::string Write(const std::string& name, const std::string& text) const {
        const std::string path = (folder_ / name).string();
        std::ofstream(path, std::ios::binary) << text;
        return path;
    }

    const testing::TempFolder temp_;
    const std::filesystem::path folder_{temp_.Path()};
};

using LanguageCatalogueTest = TempFolder;

TEST_F(LanguageCatalogueTest, ReadsEntriesInOrderAndSkipsWrongTypes) {
    LanguageCatalogue catalogue;
    ASSERT_TRUE(catalogue.Load(Write("Language.config", R"({"Language": [
        {"Language_name": "English", "Language_file": "English.json", "Language_ID": 1033},
        {"Language_name": 7, "Language_file": "Bad.json", "Language_ID": 1},
        "not an object",
        {"Language_name": "Deutsch", "Language_file": "Deutsch.json", "Language_ID": "1031"},
        {"Language_name": "Huge", "Language_file": "Huge.json", "Language_ID": 1e30},
        {"Language_name": "Francais", "Language_file": "Francais.json", "Language_ID": 1036},
        {"Language_name": "Again", "Language_file": "Again.json", "Language_ID": 1036}
    ]})")));

    ASSERT_EQ(catalogue.Entries().size(), 3u);
    const auto second = catalogue.At(1);
    ASSERT_TRUE(second.has_value());
    EXPECT_EQ(second->name, "Francais");
    EXPECT_EQ(second->file, "Francais.json");
    EXPECT_EQ(second->id, 1036);

    EXPECT_EQ(catalogue.IndexOfId(1036), 1);  // the first match wins
    EXPECT_EQ(catalogue.IndexOfName("Again"), 2);
    EXPECT_FALSE(catalogue.At(3).has_value());
    EXPECT_FALSE(catalogue.At(-1).has_value());
}

TEST_F(LanguageCatalogueTest, UnknownChoiceFallsBackToEnglish) {
    LanguageCatalogue catalogue;
    ASSERT_TRUE(catalogue.Load(
        Write("Language.config",
              R"({"Language": [{"Language_name": "English", "Language_file": "e.json", "Language_ID": 1033},
                                                      {"Language_name": "Deutsch", "Language_file": "d.json", "Language_ID": 1031}]})")));
    EXPECT_EQ(catalogue.IndexOfId(520), kFallbackLanguageIndex);
    EXPECT_EQ(catalogue.IndexOfName("Klingon"), kFallbackLanguageIndex);
}

TEST_F(LanguageCatalogueTest, UnusableFilesGiveAnEmptyCatalogue) {
    const std::vector<std::string> texts = {"", "{", "[]", R"({"Language": {}})", R"({"Language": [1, 2]})"};
    for (const std::string& text : texts) {
        LanguageCatalogue catalogue;
        EXPECT_FALSE(catalogue.Load(Write("Language.config", text))) << text;
        EXPECT_TRUE(catalogue.Entries().empty()) << text;
        EXPECT_EQ(catalogue.IndexOfId(1033), kFallbackLanguageIndex) << text;
        EXPECT_FALSE(catalogue.At(0).has_value()) << text;
    }
    LanguageCatalogue missing;
    EXPECT_FALSE(missing.Load((folder_ / "absent.config").string()));
}

using LanguageTextsTest = TempFolder;

TEST_F(LanguageTextsTest, LooksUpTextsAndShowsTheIdOfAMissingOne) {
    LanguageTexts texts;
    ASSERT_TRUE(texts.Load(Write("English.json", R"({"message_text_5": "A profile with this name already exists.",
                                                      "message_text_6": 42})")));
    EXPECT_EQ(texts.Text("message_text_5"), "A profile with this name already exists.");
    EXPECT_EQ(texts.Text("message_text_6"), "message_text_6");  // not a string
    EXPECT_EQ(texts.Text("message_text_99"), "message_text_99");
}

TEST_F(LanguageTextsTest, BadFileEmptiesTheTable) {
    LanguageTexts texts;
    for (const std::string& text : {std::string("{broken"), std::string(R"(["a"])")}) {
        ASSERT_TRUE(texts.Load(Write("English.json", R"({"a": "A"})")));
        EXPECT_FALSE(texts.Load(Write("Other.json", text))) << text;
        EXPECT_TRUE(texts.Empty()) << text;
        EXPECT_EQ(texts.Text("a"), "a") << text;
    }
    EXPECT_FALSE(texts.Load((folder_ / "absent.json").string()));
    EXPECT_TRUE(texts.Empty());
}

}  // namespace
}  // namespace vandrel::ui
