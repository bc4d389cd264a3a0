#include "macros/macro_list.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "profiles/json_file_store.h"
#include "support/temp_folder.h"

namespace vandrel::macros {
namespace {

using testing::TempFolder;

// The macro list lives in "user/" of a temporary folder, so that a file
// beside that folder shows whether anything reached outside it.
class MacroListTest : public ::testing::Test {
protected:
    MacroListTest() { std::filesystem::create_directory(temp_ / "user"); }

    std::string User() const { return temp_ / "user/"; }
    void WriteList(std::string_view text) const { temp_.Write("user/macro.config", text); }
    Json::Value ListFile() const { return profiles::ParseJson(temp_.Read("user/macro.config")); }
    CMacroList Loaded() const {
        CMacroList list(User());
        list.Load();
        return list;
    }

    TempFolder temp_;
};

TEST_F(MacroListTest, NewMacroTakesTheFirstNameNoMacroHasIgnoringCase) {
    WriteList(R"({"MacroInfo": [{"MacroName": "macro_1", "Guid": "a"}, {"MacroName": "Macro_2", "Guid": "b"}]})");
    CMacroList list = Loaded();

    EXPECT_EQ(list.Add(), "macro_3");

    const Json::Value file = ListFile();
    ASSERT_EQ(file["MacroInfo"].size(), 3u);
    EXPECT_EQ(file["MacroInfo"][2]["MacroName"].asString(), "macro_3");
    const std::string id = file["MacroInfo"][2]["Guid"].asString();
    EXPECT_TRUE(IsMacroId(id)) << id;
    EXPECT_EQ(list.Macros()[2], (MacroInfo{"macro_3", id}));
    EXPECT_EQ(list.EventFilePath(2), User() + id + ".mac");
}

TEST_F(MacroListTest, NewMacrosGetIdentifiersOfTheirOwn) {
    CMacroList list = Loaded();
    EXPECT_EQ(list.Add(), "macro_1");
    EXPECT_EQ(list.Add(), "macro_2");
    EXPECT_NE(list.Macros()[0].id, list.Macros()[1].id);
    EXPECT_EQ(ReadMacroList(User()), list.Macros());
}

TEST_F(MacroListTest, AFullListTakesNoMore) {
    CMacroList list = Loaded();
    for (std::size_t i = 0; i < kMaxMacros; ++i) ASSERT_FALSE(list.Add().empty());
    const std::string before = temp_.Read("user/macro.config");

    EXPECT_EQ(list.Add(), "");
    EXPECT_EQ(list.Size(), kMaxMacros);
    EXPECT_EQ(temp_.Read("user/macro.config"), before);
}

TEST_F(MacroListTest, RenameRefusesEmptyAndTakenNames) {
    struct Case {
        std::size_t index;
        std::string name;
        RenameResult result;
    };
    const std::vector<Case> cases = {
        {0, "MACRO_1", RenameResult::NameTaken},  // its own name in other letters
        {0, "macro_2", RenameResult::NameTaken}, {1, "", RenameResult::EmptyName},
        {1, " \t ", RenameResult::EmptyName},    {2, "jump", RenameResult::NoSuchMacro},
    };
    WriteList(R"({"MacroInfo": [{"MacroName": "macro_1", "Guid": "a"}, {"MacroName": "Macro_2", "Guid": "b"}]})");
    const std::string before = temp_.Read("user/macro.config");
    for (const Case& c : cases) {
        CMacroList list = Loaded();
        EXPECT_EQ(list.Rename(c.index, c.name), c.result) << c.name;
        EXPECT_EQ(list.Names(), (std::vector<std::string>{"macro_1", "Macro_2"})) << c.name;
        EXPECT_EQ(temp_.Read("user/macro.config"), before) << c.name;
    }
}

TEST_F(MacroListTest, RenameWritesTheNameAndKeepsWhatItDoesNotKnow) {
    WriteList(R"({"Other": 1, "MacroInfo": [{"MacroName": "macro_1", "Guid": "a", "Extra": 2}]})");
    CMacroList list = Loaded();

    EXPECT_EQ(list.Rename(0, "Jump ü"), RenameResult::Renamed);

    const Json::Value file = ListFile();
    EXPECT_EQ(file["MacroInfo"][0]["MacroName"].asString(), "Jump ü");
    EXPECT_EQ(file["MacroInfo"][0]["Guid"].asString(), "a");
    EXPECT_EQ(file["MacroInfo"][0]["Extra"].asInt(), 2);
    EXPECT_EQ(file["Other"].asInt(), 1);
}

TEST_F(MacroListTest, DeletingTheMiddleMacroRemovesItsEventFileOnly) {
    WriteList(R"({"MacroInfo": [{"MacroName": "m0", "Guid": "a"}, {"MacroName": "m1", "Guid": "b"},
                                {"MacroName": "m2", "Guid": "c"}]})");
    for (const char* name : {"user/a.mac", "user/b.mac", "user/c.mac"}) temp_.Write(name, "{}");
    CMacroList list = Loaded();

    EXPECT_TRUE(list.Delete(1));

    EXPECT_EQ(list.Macros(), (std::vector<MacroInfo>{{"m0", "a"}, {"m2", "c"}}));
    EXPECT_EQ(ReadMacroList(User()), list.Macros());
    EXPECT_TRUE(temp_.Exists("user/a.mac"));
    EXPECT_FALSE(temp_.Exists("user/b.mac"));
    EXPECT_TRUE(temp_.Exists("user/c.mac"));
    EXPECT_FALSE(list.Delete(2));
}

TEST_F(MacroListTest, UnusableFilesReadAsAnEmptyList) {
    for (const char* text : {"", "not json", "[1, 2]", R"({"MacroInfo": 5})", R"({"MacroInfo": {"a": 1}})"}) {
        WriteList(text);
        EXPECT_EQ(Loaded().Size(), 0u) << text;
        EXPECT_EQ(ReadMacroList(User()).size(), 0u) << text;
    }
    std::filesystem::remove(User() + "macro.config");
    EXPECT_EQ(Loaded().Size(), 0u);
}

TEST_F(MacroListTest, ElementsOfTheWrongTypeKeepTheNumbersOfTheOthers) {
    WriteList(R"({"MacroInfo": [5, {"MacroName": 7, "Guid": ["x"]}, {"MacroName": "m2", "Guid": "c"}]})");
    const std::vector<MacroInfo> expected = {{"", ""}, {"", ""}, {"m2", "c"}};
    EXPECT_EQ(Loaded().Macros(), expected);
    EXPECT_EQ(ReadMacroList(User()), expected);
    EXPECT_EQ(Loaded().EventFilePath(0), "");
}

TEST_F(MacroListTest, IdentifiersThatLeaveTheFolderNameNoFile) {
    temp_.Write("x.mac", "outside");
    temp_.Write("user/x.mac", "inside");
    WriteList(R"({"MacroInfo": [{"MacroName": "m0", "Guid": "../x"}, {"MacroName": "m1", "Guid": "/tmp/x"},
                                {"MacroName": "m2", "Guid": ".."}, {"MacroName": "m3", "Guid": "x.mac/../x"}]})");
    CMacroList list = Loaded();
    for (std::size_t i = 0; i < list.Size(); ++i) EXPECT_EQ(list.EventFilePath(i), "") << i;

    while (list.Size() > 0) EXPECT_TRUE(list.Delete(0));

    EXPECT_EQ(temp_.Read("x.mac"), "outside");
    EXPECT_EQ(temp_.Read("user/x.mac"), "inside");
}

TEST(MacroIdTest, OnlyPlainIdentifiersNameFiles) {
    EXPECT_TRUE(IsMacroId(profiles::CJsonFileStore::NewProfileId()));
    for (const char* id : {"2024_01_02_03_04_05_006", "{0F-ab_c}"}) EXPECT_TRUE(IsMacroId(id)) << id;
    for (const char* id : {"", ".", "..", "../x", "a/b", "a.b", "a b", "a\\b"}) EXPECT_FALSE(IsMacroId(id)) << id;
    EXPECT_FALSE(IsMacroId(std::string(201, 'a')));
    EXPECT_EQ(MacroFilePath("/f/", "../x"), "");
    EXPECT_EQ(MacroFilePath("/f/", "a"), "/f/a.mac");
    EXPECT_EQ(MacroListPath("/f/"), "/f/macro.config");
}

}  // namespace
}  // namespace vandrel::macros
