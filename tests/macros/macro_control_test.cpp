#include "macros/macro_control.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include "profiles/json_file_store.h"
#include "support/fake_page_view.h"
#include "support/temp_folder.h"

namespace vandrel::macros {
namespace {

using platform::ListRow;
using platform::RowCell;
using testing::FakePageView;
using testing::TempFolder;
namespace controls = macro_controls;

// The panel's controls on a fake page, its folder "user/" of a temporary
// folder: a file beside that folder shows whether anything reached outside.
class MacroControlTest : public ::testing::Test {
protected:
    MacroControlTest()
        : page_{controls::kNameList,     controls::kNameEdit,    controls::kActionList,   controls::kActionLayout,
                controls::kMoveLayout,   controls::kAddButton,   controls::kDeleteButton, controls::kRenameButton,
                controls::kImportButton, controls::kExportButton} {
        std::filesystem::create_directory(temp_ / "user");
        panel_.SetMacroFolder(User());
    }

    std::string User() const { return temp_ / "user/"; }
    void WriteList(std::string_view text) const { temp_.Write("user/macro.config", text); }
    Json::Value ListFile() const { return profiles::ParseJson(temp_.Read("user/macro.config")); }
    std::vector<ListRow> Rows() const { return page_.Rows(controls::kActionList); }
    void Select(int index) {
        page_.SetCurrentIndex(controls::kNameList, index);
        panel_.ShowSelectedMacro();
    }
    bool MacroControlsEnabled() const {
        for (const std::string_view name : {controls::kActionLayout, controls::kMoveLayout, controls::kExportButton,
                                            controls::kDeleteButton, controls::kRenameButton})
            if (!page_.Enabled(name)) return false;
        return true;
    }
    bool AnyMacroControlEnabled() const {
        for (const std::string_view name : {controls::kActionLayout, controls::kMoveLayout, controls::kExportButton,
                                            controls::kDeleteButton, controls::kRenameButton})
            if (page_.Enabled(name)) return true;
        return false;
    }

    TempFolder temp_;
    FakePageView page_;
    CMacroControlUI panel_{page_};
};

TEST_F(MacroControlTest, ListShowsTheNamesAndANewMacroTakesTheFirstFreeName) {
    WriteList(R"({"MacroInfo": [{"MacroName": "macro_1", "Guid": "a"}, {"MacroName": "Macro_2", "Guid": "b"}]})");
    panel_.LoadMacroList();
    EXPECT_EQ(page_.Items(controls::kNameList), (std::vector<std::string>{"macro_1", "Macro_2"}));
    EXPECT_EQ(panel_.SelectedMacro(), -1);

    EXPECT_EQ(panel_.AddMacro(), "macro_3");
    EXPECT_EQ(panel_.MacroNames(), (std::vector<std::string>{"macro_1", "Macro_2", "macro_3"}));
    EXPECT_EQ(page_.Items(controls::kNameList), panel_.MacroNames());
    // The new macro is selected and shown, without events yet.
    EXPECT_EQ(panel_.SelectedMacro(), 2);
    EXPECT_TRUE(MacroControlsEnabled());
    EXPECT_TRUE(Rows().empty());
    EXPECT_EQ(ListFile()["MacroInfo"][2]["MacroName"].asString(), "macro_3");
}

TEST_F(MacroControlTest, NoFolderLoadsNothing) {
    CMacroControlUI panel(page_);
    page_.SetItems(controls::kNameList, {"kept"});
    panel.LoadMacroList();
    EXPECT_EQ(page_.Items(controls::kNameList), std::vector<std::string>{"kept"});
    EXPECT_TRUE(panel.MacroNames().empty());
}

TEST_F(MacroControlTest, RenameRefusesBlankAndTakenNamesAndEmptiesTheEditWhenDone) {
    WriteList(R"({"MacroInfo": [{"MacroName": "macro_1", "Guid": "a"}, {"MacroName": "other", "Guid": "b"}]})");
    panel_.LoadMacroList();
    EXPECT_EQ(panel_.RenameMacro(), (RenameOutcome{"", -1})) << "no selection";

    Select(0);
    const std::string before = temp_.Read("user/macro.config");
    struct Case {
        std::string typed;
        RenameOutcome outcome;
    };
    // The macro compares equal to itself: MACRO_1 is taken by macro_1.
    for (const Case& c :
         {Case{"MACRO_1", {"", 0}}, Case{"OTHER", {"", 0}}, Case{"", {"IsEmpty", -1}}, Case{" \t ", {"IsEmpty", -1}}}) {
        page_.SetText(controls::kNameEdit, c.typed);
        EXPECT_EQ(panel_.RenameMacro(), c.outcome) << '"' << c.typed << '"';
        EXPECT_EQ(page_.Text(controls::kNameEdit), c.typed) << "a refused name stays for correction";
    }
    EXPECT_EQ(temp_.Read("user/macro.config"), before);

    page_.SetText(controls::kNameEdit, "Schnell");
    EXPECT_EQ(panel_.RenameMacro(), (RenameOutcome{"Schnell", 0}));
    EXPECT_EQ(page_.Text(controls::kNameEdit), "");
    EXPECT_EQ(page_.Items(controls::kNameList), (std::vector<std::string>{"Schnell", "other"}));
    EXPECT_EQ(panel_.SelectedMacro(), 0);
    EXPECT_EQ(ListFile()["MacroInfo"][0]["MacroName"].asString(), "Schnell");
}

TEST_F(MacroControlTest, RowsShowNamesActionsAndDelaysOfEveryKind) {
    panel_.SetMacroFolder(User());
    ASSERT_EQ(panel_.AddMacro(), "macro_1");
    const std::string id = ReadMacroList(User())[0].id;
    temp_.Write("user/" + id + ".mac", R"({"Events": [
        {"Type": 10, "Button": 4, "Action": "down", "Delay": "12"},
        {"Type": 9, "Button": 2, "Action": "up", "Delay": 7},
        {"Type": 1, "Button": 16, "Action": "down", "Delay": "0"},
        {"Type": 4, "Button": 30, "Action": "down", "Delay": "65535"},
        {"Type": 5, "Button": 3, "Action": "up", "Delay": "5"},
        {"Type": 2, "Button": 1, "Action": "down", "Delay": "5"}]})");
    Select(0);

    const std::vector<ListRow> rows = Rows();
    ASSERT_EQ(rows.size(), 6u);
    const std::vector<std::vector<RowCell>> expected = {
        {{"keyboard_key_A", "macro_label_keyboard_style"},
         {"macro_action_down", "macro_label_down_style"},
         {"12", "macro_label_text_style"}},
        {{"keyboard_key_LShift", "macro_label_keyboard_style"},
         {"macro_action_up", "macro_label_up_style"},
         {"7", "macro_label_text_style"}},
        {{"macro_mouse_forward", "macro_label_mouse_style"},
         {"macro_action_down", "macro_label_down_style"},
         {"0", "macro_label_text_style"}},
        {{"macro_mouse_move_left", "macro_label_mouse_style"},
         {"30", "macro_label_text_style"},
         {"65535", "macro_label_text_style"}},
        {{"macro_mouse_move_down", "macro_label_mouse_style"},
         {"3", "macro_label_text_style"},
         {"5", "macro_label_text_style"}},
        {{"", "macro_label_mouse_style"},
         {"macro_action_down", "macro_label_down_style"},
         {"5", "macro_label_text_style"}},
    };
    for (std::size_t i = 0; i < rows.size(); ++i) EXPECT_EQ(rows[i].cells, expected[i]) << "row " << i;
    EXPECT_EQ(panel_.Events()[3], (MacroEvent{kMoveXEvent, 30, true, 65535}));
}

TEST_F(MacroControlTest, RowTextsGoThroughTheLanguage) {
    CMacroControlUI panel(page_, [](std::string_view id) { return "<" + std::string(id) + ">"; });
    panel.SetMacroFolder(User());
    ASSERT_FALSE(panel.AddMacro().empty());
    const std::string id = ReadMacroList(User())[0].id;
    temp_.Write("user/" + id + ".mac", R"({"Events": [{"Type": 1, "Button": 1, "Action": "up", "Delay": "3"}]})");
    panel.ShowSelectedMacro();
    ASSERT_EQ(Rows().size(), 1u);
    EXPECT_EQ(Rows()[0].cells[0].text, "<macro_mouse_left>");
    EXPECT_EQ(Rows()[0].cells[1].text, "<macro_action_up>");
    EXPECT_EQ(Rows()[0].cells[2].text, "3") << "numbers are not translated";
}

TEST_F(MacroControlTest, EditedAndEmptyDelaysAreSavedAndShownAsNumbers) {
    ASSERT_FALSE(panel_.AddMacro().empty());
    const std::string id = ReadMacroList(User())[0].id;
    temp_.Write("user/" + id + ".mac", R"({"Events": [
        {"Type": 10, "Button": 4, "Action": "down", "Delay": "12"},
        {"Type": 10, "Button": 4, "Action": "up", "Delay": "40"},
        {"Type": 1, "Button": 1, "Action": "down", "Delay": "8"}]})");
    panel_.ShowSelectedMacro();

    std::vector<ListRow> rows = Rows();
    ASSERT_EQ(rows.size(), 3u);
    rows[0].cells[2].text = "";
    rows[1].cells[2].text = "250";
    rows[2].cells[2].text = "99999";  // only a fake lets that through
    page_.SetRows(controls::kActionList, rows);
    panel_.SaveSelectedMacro();

    const MacroFile saved = ReadMacroFile(User() + id + ".mac");
    EXPECT_EQ(saved.name, "macro_1");
    EXPECT_EQ(saved.id, id);
    EXPECT_EQ(saved.events,
              (std::vector<MacroEvent>{
                  {kKeyEvent, 4, true, 0}, {kKeyEvent, 4, false, 250}, {kMouseButtonEvent, 1, true, 65535}}));
    const Json::Value document = profiles::ParseJson(temp_.Read("user/" + id + ".mac"));
    EXPECT_EQ(document["Events"][0]["Delay"], Json::Value("0")) << "delays are saved as text";
    EXPECT_EQ(document["Version"].asInt(), 64);
    EXPECT_EQ(Rows()[0].cells[2].text, "0");
    EXPECT_EQ(Rows()[2].cells[2].text, "65535");
    EXPECT_EQ(panel_.Events(), saved.events);
}

TEST_F(MacroControlTest, ARowWithoutItsEventEndsTheSavedList) {
    ASSERT_FALSE(panel_.AddMacro().empty());
    std::vector<ListRow> rows = {EventRow({kKeyEvent, 5, true, 1}), EventRow({kKeyEvent, 6, true, 2}),
                                 EventRow({kKeyEvent, 7, true, 3})};
    rows[1].userData.clear();
    page_.SetRows(controls::kActionList, rows);
    panel_.SaveSelectedMacro();
    EXPECT_EQ(ReadMacroFile(User() + ReadMacroList(User())[0].id + ".mac").events,
              (std::vector<MacroEvent>{{kKeyEvent, 5, true, 1}}));
}

TEST_F(MacroControlTest, DeleteSelectsTheFirstMacroAndAnEmptyListDisablesTheControls) {
    panel_.AddMacro();
    panel_.AddMacro();
    const std::vector<MacroInfo> macros = ReadMacroList(User());
    for (const MacroInfo& macro : macros) temp_.Write("user/" + macro.id + ".mac", R"({"Events": []})");

    EXPECT_EQ(panel_.DeleteMacro(), 1);
    EXPECT_FALSE(temp_.Exists("user/" + macros[1].id + ".mac"));
    EXPECT_EQ(panel_.SelectedMacro(), 0);
    EXPECT_TRUE(MacroControlsEnabled());

    EXPECT_EQ(panel_.DeleteMacro(), 0);
    EXPECT_EQ(panel_.SelectedMacro(), -1);
    EXPECT_FALSE(AnyMacroControlEnabled());
    EXPECT_TRUE(page_.Items(controls::kNameList).empty());
    EXPECT_EQ(ListFile()["MacroInfo"].size(), 0u);
    EXPECT_EQ(panel_.DeleteMacro(), -1) << "nothing selected";

    panel_.ShowSelectedMacro();
    EXPECT_FALSE(AnyMacroControlEnabled());
}

TEST_F(MacroControlTest, NoSelectionShowsNoRows) {
    ASSERT_FALSE(panel_.AddMacro().empty());
    page_.SetRows(controls::kActionList, {EventRow({kKeyEvent, 5, true, 1})});
    Select(-1);
    EXPECT_TRUE(Rows().empty());
    EXPECT_TRUE(panel_.Events().empty());
}

TEST_F(MacroControlTest, AnExportedMacroComesBackUnderANewIdentifierAndName) {
    ASSERT_EQ(panel_.AddMacro(), "macro_1");
    const std::string first = ReadMacroList(User())[0].id;
    page_.SetRows(controls::kActionList, {EventRow({kKeyEvent, 5, true, 1})});
    panel_.SaveSelectedMacro();
    const std::string exported = temp_ / "exported.mac";
    panel_.ExportMacro(exported);
    EXPECT_EQ(temp_.Read("exported.mac"), temp_.Read("user/" + first + ".mac"));

    EXPECT_EQ(panel_.ImportMacro(exported), "macro_2");
    const std::vector<MacroInfo> macros = ReadMacroList(User());
    ASSERT_EQ(macros.size(), 2u);
    EXPECT_NE(macros[1].id, first);
    EXPECT_EQ(temp_.Read("user/" + macros[1].id + ".mac"), temp_.Read("exported.mac")) << "copied byte for byte";
    const MacroFile imported = ReadMacroFile(User() + macros[1].id + ".mac");
    EXPECT_EQ(imported.name, "macro_1") << "the inner name stays until the first save";
    EXPECT_EQ(imported.id, first);
    EXPECT_EQ(panel_.SelectedMacro(), 1);
    EXPECT_EQ(panel_.Events(), (std::vector<MacroEvent>{{kKeyEvent, 5, true, 1}}));

    panel_.SaveSelectedMacro();
    const MacroFile saved = ReadMacroFile(User() + macros[1].id + ".mac");
    EXPECT_EQ(saved.name, "macro_2");
    EXPECT_EQ(saved.id, macros[1].id);

    EXPECT_EQ(panel_.ImportMacro(""), "");
    EXPECT_EQ(ReadMacroList(User()).size(), 2u);
}

TEST_F(MacroControlTest, MalformedFilesShowSafeRowsAndReachNothingOutsideTheFolder) {
    temp_.Write("x.mac", R"({"Events": []})");
    const std::string outside = temp_.Read("x.mac");
    WriteList(R"({"MacroInfo": [{"MacroName": "bad", "Guid": "../x"}, {"MacroName": 7, "Guid": "ok_1"}]})");
    temp_.Write("user/ok_1.mac", R"({"Events": [
        {"Type": 10, "Button": "Button", "Action": 3, "Delay": "-5"},
        {"Type": 200, "Button": 300, "Action": "down", "Delay": "99999"},
        {"Type": "10", "Button": 4, "Action": "up", "Delay": [1]},
        "not an event"]})");
    panel_.LoadMacroList();
    EXPECT_EQ(page_.Items(controls::kNameList), (std::vector<std::string>{"bad", ""}));

    Select(1);
    const std::vector<ListRow> rows = Rows();
    ASSERT_EQ(rows.size(), 4u);
    EXPECT_EQ(panel_.Events()[0], (MacroEvent{kKeyEvent, 0, false, 0}));
    EXPECT_EQ(rows[0].cells[2].text, "0");
    EXPECT_EQ(panel_.Events()[1].type, 200 & 0x7F);
    EXPECT_EQ(rows[1].cells[2].text, "65535");
    EXPECT_EQ(rows[2].cells[2].text, "0");
    EXPECT_EQ(panel_.Events()[3], MacroEvent{});

    // The macro whose identifier points outside: no rows, and neither
    // saving, exporting nor deleting it touches a file.
    Select(0);
    EXPECT_TRUE(Rows().empty());
    page_.SetRows(controls::kActionList, {EventRow({kKeyEvent, 5, true, 1})});
    panel_.SaveSelectedMacro();
    panel_.SaveMacroFile(temp_ / "elsewhere.mac");
    panel_.ExportMacro(temp_ / "exported.mac");
    EXPECT_EQ(panel_.DeleteMacro(), 0);
    EXPECT_EQ(temp_.Read("x.mac"), outside);
    EXPECT_EQ(temp_.Files(), (std::set<std::string>{"user", "x.mac"}));
    EXPECT_EQ(ReadMacroList(User()).size(), 1u);
}

TEST(DelayText, DigitsClampedAndAnythingElseZero) {
    struct Case {
        std::string_view text;
        std::uint16_t delay;
    };
    for (const Case& c : {Case{"", 0}, Case{"0", 0}, Case{" 42 ", 42}, Case{"65535", 65535}, Case{"65536", 65535},
                          Case{"99999999999999", 65535}, Case{"-5", 0}, Case{"12a", 0}, Case{"1 2", 0}})
        EXPECT_EQ(DelayFromText(c.text), c.delay) << '"' << c.text << '"';
}

TEST(EventNames, KeysByTheCatalogueAndMouseEventsByTheirOwnIds) {
    struct Case {
        MacroEvent event;
        std::string_view id;
    };
    for (const Case& c : {
             Case{{kKeyEvent, 0x04}, "keyboard_key_A"},
             Case{{kKeyEvent, 0x00}, ""},  // usage 0 is no key, not a modifier
             Case{{kModifierEvent, 0x01}, "keyboard_key_LCtrl"},
             Case{{kModifierEvent, 0x80}, "keyboard_key_RWin"},
             Case{{kModifierEvent, 0x03}, ""},
             Case{{kMouseButtonEvent, 0x02}, "macro_mouse_right"},
             Case{{kMouseButtonEvent, 0x04}, "macro_mouse_middle"},
             Case{{kMouseButtonEvent, 0x08}, "macro_mouse_back"},
             Case{{kMouseButtonEvent, 0x03}, ""},
             Case{{kMoveXEvent, 9, false}, "macro_mouse_move_right"},
             Case{{kMoveYEvent, 9, true}, "macro_mouse_move_up"},
             Case{{3, 1, true}, ""},
             Case{{77, 1, true}, ""},
         })
        EXPECT_EQ(EventNameId(c.event), c.id) << int(c.event.type) << '/' << int(c.event.button);
}

}  // namespace
}  // namespace vandrel::macros
