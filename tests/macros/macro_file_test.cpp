#include "macros/macro_file.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "macros/macro_list.h"
#include "support/temp_folder.h"

namespace vandrel::macros {
namespace {

using testing::TempFolder;

TEST(MacroEventTest, ValuesFromTheFileAreMadeSafe) {
    struct Case {
        const char* object;
        MacroEvent event;
    };
    const std::vector<Case> cases = {
        {R"({"Type": 10, "Button": 4, "Action": "down", "Delay": "300"})", {10, 4, true, 300}},
        {R"({"Type": 9, "Button": 2, "Action": "up", "Delay": 300})", {9, 2, false, 300}},
        {R"({"Type": 10, "Delay": "-5"})", {10, 0, false, 0}},
        {R"({"Type": 10, "Delay": "99999"})", {10, 0, false, 65535}},
        {R"({"Type": 10, "Delay": 99999})", {10, 0, false, 65535}},
        {R"({"Type": 10, "Delay": "99999999999999999999999"})", {10, 0, false, 65535}},
        {R"({"Type": 10, "Delay": "12ms"})", {10, 0, false, 12}},
        {R"({"Type": 10, "Delay": " +65535"})", {10, 0, false, 65535}},
        {R"({"Type": 10, "Delay": "later"})", {10, 0, false, 0}},
        {R"({"Type": 10, "Delay": 2.9})", {10, 0, false, 2}},
        {R"({"Type": 10, "Delay": [1]})", {10, 0, false, 0}},
        {R"({"Type": 200, "Action": "down"})", {200 & 0x7F, 0, true, 0}},
        {R"({"Type": -1})", {0x7F, 0, false, 0}},
        {R"({"Type": "10", "Button": "4"})", {0, 0, false, 0}},
        {R"({"Button": 300})", {0, 255, false, 0}},
        {R"({"Button": -3})", {0, 0, false, 0}},
        {R"({"Action": "DOWN"})", {0, 0, false, 0}},
        {R"({"Action": 1})", {0, 0, false, 0}},
        {R"(5)", {}},
        {R"("down")", {}},
    };
    for (const Case& c : cases) EXPECT_EQ(EventFromJson(profiles::ParseJson(c.object)), c.event) << c.object;
}

TEST(MacroFileTest, WrittenFileReadsBackWithDelaysAsText) {
    TempFolder temp;
    const MacroFile file{"Jump ü", "g1", {{10, 4, true, 300}, {10, 4, false, 0}, {kMoveYEvent, 20, true, 65535}}};

    ASSERT_EQ(WriteMacroFile(temp / "g1.mac", file), profiles::WriteStatus::Ok);

    EXPECT_EQ(ReadMacroFile(temp / "g1.mac"), file);
    const Json::Value document = profiles::ParseJson(temp.Read("g1.mac"));
    EXPECT_EQ(document["Version"].asInt(), 64);
    EXPECT_EQ(document["Events"][0]["Delay"], Json::Value("300"));
    EXPECT_EQ(document["Events"][1]["Action"], Json::Value("up"));
}

TEST(MacroFileTest, UnusableFilesAreMacrosWithoutEvents) {
    TempFolder temp;
    struct Case {
        const char* text;
        std::size_t events;
    };
    const std::vector<Case> cases = {
        {"", 0},
        {"garbage", 0},
        {"[]", 0},
        {R"({"Events": 5, "MacroName": 3})", 0},
        {R"({"Events": {"a": {"Type": 10}}})", 0},
        {R"({"Events": [1, "x", null, {"Type": 10}]})", 4},
    };
    for (const Case& c : cases) {
        temp.Write("m.mac", c.text);
        const MacroFile file = ReadMacroFile(temp / "m.mac");
        EXPECT_EQ(file.events.size(), c.events) << c.text;
        EXPECT_EQ(file.name, "") << c.text;
    }
    EXPECT_TRUE(ReadMacroFile(temp / "missing.mac").events.empty());
}

class MacroListFilesTest : public ::testing::Test {
protected:
    MacroListFilesTest() {
        std::filesystem::create_directory(temp_ / "user");
        temp_.Write("user/macro.config",
                    R"({"MacroInfo": [{"MacroName": "macro_1", "Guid": "a"}, {"MacroName": "out", "Guid": "../x"}]})");
        list_.Load();
    }

    TempFolder temp_;
    CMacroList list_{temp_ / "user/"};
};

TEST_F(MacroListFilesTest, EventsAreSavedUnderTheMacrosCurrentName) {
    const std::vector<MacroEvent> events = {{kKeyEvent, 4, true, 50}, {kKeyEvent, 4, false, 0}};
    ASSERT_EQ(list_.Rename(0, "Jump"), RenameResult::Renamed);

    ASSERT_EQ(list_.SaveEvents(0, events), profiles::WriteStatus::Ok);

    EXPECT_EQ(ReadMacroFile(temp_ / "user/a.mac"), (MacroFile{"Jump", "a", events}));
    EXPECT_EQ(list_.Events(0), events);
}

TEST_F(MacroListFilesTest, AnIdentifierOutsideTheFolderIsNeitherReadNorWritten) {
    const std::string outside = R"({"Events": [{"Type": 10, "Button": 4}]})";
    temp_.Write("x.mac", outside);

    EXPECT_TRUE(list_.Events(1).empty());
    EXPECT_EQ(list_.SaveEvents(1, {{kKeyEvent, 5, true, 1}}), profiles::WriteStatus::Failed);
    EXPECT_EQ(list_.Export(1, temp_ / "exported.mac"), profiles::WriteStatus::Failed);
    EXPECT_TRUE(list_.Delete(1));

    EXPECT_EQ(temp_.Read("x.mac"), outside);
    EXPECT_FALSE(temp_.Exists("exported.mac"));
}

TEST_F(MacroListFilesTest, AnExportedMacroComesBackAsANewMacroWithItsOwnFileUnchanged) {
    ASSERT_EQ(list_.SaveEvents(0, {{kMouseButtonEvent, 1, true, 20}}), profiles::WriteStatus::Ok);
    const std::string original = temp_.Read("user/a.mac");

    ASSERT_EQ(list_.Export(0, temp_ / "exported.mac"), profiles::WriteStatus::Ok);
    EXPECT_EQ(temp_.Read("exported.mac"), original);

    EXPECT_EQ(list_.Import(temp_ / "exported.mac"), "macro_2");
    ASSERT_EQ(list_.Size(), 3u);
    const std::string id = list_.Macros()[2].id;
    EXPECT_NE(id, "a");
    EXPECT_EQ(temp_.Read("user/" + id + ".mac"), original);
    EXPECT_EQ(ReadMacroFile(list_.EventFilePath(2)).name, "macro_1");  // the inner name stays until saved

    EXPECT_EQ(list_.Import(""), "");
    EXPECT_EQ(list_.Size(), 3u);
}

}  // namespace
}  // namespace vandrel::macros
