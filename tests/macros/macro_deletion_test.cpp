#include "macros/macro_deletion.h"

#include <gtest/gtest.h>
#include <cerrno>

#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "macros/macro_control.h"
#include "profiles/basic_profile_data.h"
#include "profiles/json_file_store.h"
#include "profiles/profile_list.h"
#include "support/fake_page_view.h"
#include "support/temp_folder.h"

namespace vandrel::macros {
namespace {

using profiles::KeyCode;
using profiles::KeyEntry;
using testing::FakePageView;
using testing::TempFolder;
namespace controls = macro_controls;

constexpr KeyCode kDefault{0x20, 0x00, 0x04};

KeyEntry Key(KeyCode assignment) { return {0, assignment, 0, kDefault}; }
KeyEntry OnMacro(std::uint8_t macro, std::uint8_t type = 0x70) { return Key({type, macro, 0}); }

TEST(RenumberAfterDelete, KeysOnTheMacroGetTheirDefaultAndLaterOnesMoveDown) {
    std::vector<KeyEntry> keys = {OnMacro(0),       OnMacro(1),        OnMacro(2),
                                  OnMacro(3, 0x71), Key({0x20, 0, 1}), Key({0x72, 2, 0})};
    EXPECT_TRUE(RenumberAfterDelete(keys, 1));
    EXPECT_EQ(keys, (std::vector<KeyEntry>{OnMacro(0), Key(kDefault), OnMacro(1), OnMacro(2, 0x71), Key({0x20, 0, 1}),
                                           Key({0x72, 2, 0})}));

    std::vector<KeyEntry> untouched = {OnMacro(0), Key({0x72, 5, 0}), Key({0x20, 0, 9})};
    const std::vector<KeyEntry> before = untouched;
    EXPECT_FALSE(RenumberAfterDelete(untouched, 1));
    EXPECT_EQ(untouched, before);
}

// A device folder with three macros and three profile files: the current
// one (whose keys the device holds) and two others.
class MacroDeletionTest : public ::testing::Test {
protected:
    MacroDeletionTest() {
        std::filesystem::create_directory(temp_ / "user");
        panel_.SetMacroFolder(User());
        for (int i = 0; i < 3; ++i) panel_.AddMacro();
        for (const MacroInfo& macro : ReadMacroList(User()))
            temp_.Write("user/" + macro.id + ".mac", R"({"Events": []})");
        WriteProfile("user/other_a.Json", {OnMacro(0), OnMacro(1), OnMacro(2, 0x71)});
        WriteProfile("user/other_b.Json", {OnMacro(1, 0x71), Key({0x20, 0, 7})});
        others_ = {temp_ / "user/other_a.Json", temp_ / "user/other_b.Json", temp_ / "user/missing.Json"};
        page_.SetCurrentIndex(controls::kNameList, 1);
    }

    std::string User() const { return temp_ / "user/"; }

    void WriteProfile(const std::string& name, const std::vector<KeyEntry>& keys) const {
        Json::Value list(Json::arrayValue);
        for (const KeyEntry& key : keys) {
            Json::Value element(Json::objectValue);
            element["Index"] = key.index;
            element["Assignment"] = profiles::PackKeyCode(key.assignment);
            element["DefaultIndex"] = key.defaultIndex;
            element["DefaultAssignment"] = profiles::PackKeyCode(key.defaultAssignment);
            list.append(element);
        }
        Json::Value document(Json::objectValue);
        document["profilename"] = "kept";
        document["Device"][0]["KeyList"] = list;
        temp_.Write(name, Json::writeString(Json::StreamWriterBuilder(), document));
    }
    // The current functions of a profile file's keys.
    std::vector<KeyCode> ProfileKeys(const std::string& name) const {
        profiles::CBasicProfiledata profile;
        profile.LoadOther(temp_ / name);
        std::vector<KeyCode> codes;
        for (const KeyEntry& key : profile.GetOtherKeyList()) codes.push_back(key.assignment);
        return codes;
    }
    // Every file of the folder with its bytes.
    std::map<std::string, std::string> Snapshot() const {
        std::map<std::string, std::string> files;
        for (const auto& entry : std::filesystem::recursive_directory_iterator(temp_.Path()))
            if (entry.is_regular_file())
                files[entry.path().string()] = temp_.Read(entry.path().string().substr(temp_.Path().size()));
        return files;
    }

    TempFolder temp_;
    FakePageView page_{controls::kNameList, controls::kActionList, controls::kNameEdit};
    CMacroControlUI panel_{page_};
    std::vector<std::string> others_;
    std::vector<std::string> asked_;
};

TEST_F(MacroDeletionTest, DeletingMacro1OfThreeRenumbersEveryProfile) {
    const std::vector<MacroInfo> before = ReadMacroList(User());
    const std::vector<KeyEntry> deviceKeys = {OnMacro(1), OnMacro(2), OnMacro(0)};

    const MacroDeletion result = DeleteMacroEverywhere(panel_, others_, deviceKeys, [this](std::string_view id) {
        asked_.emplace_back(id);
        return true;
    });

    EXPECT_EQ(asked_, (std::vector<std::string>{"message_text_4", "message_text_2"}));
    EXPECT_EQ(result.deleted, 1);
    ASSERT_TRUE(result.deviceKeys.has_value());
    EXPECT_EQ(*result.deviceKeys, (std::vector<KeyEntry>{Key(kDefault), OnMacro(1), OnMacro(0)}));
    EXPECT_EQ(ReadMacroList(User()), (std::vector<MacroInfo>{before[0], before[2]}));
    EXPECT_FALSE(temp_.Exists("user/" + before[1].id + ".mac"));
    EXPECT_EQ(ProfileKeys("user/other_a.Json"), (std::vector<KeyCode>{{0x70, 0, 0}, kDefault, {0x71, 1, 0}}));
    EXPECT_EQ(ProfileKeys("user/other_b.Json"), (std::vector<KeyCode>{kDefault, {0x20, 0, 7}}));
    EXPECT_EQ(profiles::ParseJson(temp_.Read("user/other_a.Json"))["profilename"].asString(), "kept");
    EXPECT_FALSE(temp_.Exists("user/missing.Json")) << "no profile is made for a missing file";
}

TEST_F(MacroDeletionTest, AMacroTheDeviceDoesNotUseIsDeletedAfterOneQuestion) {
    const MacroDeletion result =
        DeleteMacroEverywhere(panel_, others_, {OnMacro(0), Key({0x20, 0, 5})}, [this](std::string_view id) {
            asked_.emplace_back(id);
            return true;
        });
    EXPECT_EQ(asked_, std::vector<std::string>{"message_text_4"});
    EXPECT_EQ(result.deleted, 1);
    EXPECT_FALSE(result.deviceKeys.has_value()) << "the device's keys did not change";
    EXPECT_EQ(ReadMacroList(User()).size(), 2u);
    EXPECT_EQ(ProfileKeys("user/other_b.Json")[0], kDefault);
}

TEST_F(MacroDeletionTest, DecliningEitherQuestionChangesNoFile) {
    const std::map<std::string, std::string> before = Snapshot();
    const std::vector<KeyEntry> deviceKeys = {OnMacro(1)};
    for (const std::string_view declined : {kAskDeleteMacro, kAskDeleteUsedMacro}) {
        asked_.clear();
        const MacroDeletion result = DeleteMacroEverywhere(panel_, others_, deviceKeys, [&](std::string_view id) {
            asked_.emplace_back(id);
            return id != declined;
        });
        EXPECT_EQ(result.deleted, -1) << declined;
        EXPECT_FALSE(result.deviceKeys.has_value()) << declined;
        EXPECT_EQ(asked_.back(), declined);
        EXPECT_EQ(Snapshot(), before) << declined;
        EXPECT_EQ(panel_.MacroNames().size(), 3u) << declined;
    }
}

TEST_F(MacroDeletionTest, NothingSelectedDeletesNothing) {
    page_.SetCurrentIndex(controls::kNameList, -1);
    const std::map<std::string, std::string> before = Snapshot();
    const MacroDeletion result =
        DeleteMacroEverywhere(panel_, others_, {OnMacro(1)}, [](std::string_view) { return true; });
    EXPECT_EQ(result.deleted, -1);
    EXPECT_EQ(Snapshot(), before);
}

TEST_F(MacroDeletionTest, KeysStayWhenTheListCannotBeWritten) {
    const std::string before = temp_.Read("user/other_a.Json");
    // Every write of the list fails at its last step.
    panel_.SetMacroFolder(User(), profiles::CJsonFileStore([](const char*, const char*) {
                              errno = EIO;
                              return -1;
                          }));
    panel_.LoadMacroList();
    page_.SetCurrentIndex(controls::kNameList, 1);

    const MacroDeletion result =
        DeleteMacroEverywhere(panel_, others_, {OnMacro(1)}, [](std::string_view) { return true; });
    EXPECT_FALSE(result.deviceKeys.has_value());
    EXPECT_EQ(temp_.Read("user/other_a.Json"), before);
    EXPECT_EQ(ReadMacroList(User()).size(), 3u);
}

TEST(OtherProfileFiles, EveryProfileButTheCurrentInListOrder) {
    TempFolder temp;
    temp.Write("ProfileList.ini", R"({"profilelist": [
        {"profilename": "one", "profileUUID": "2026_01_01_00_00_00_001"},
        {"profilename": "two", "profileUUID": "2026_01_01_00_00_00_002"},
        {"profilename": "three", "profileUUID": "2026_01_01_00_00_00_003"}], "profileselect": 1})");
    profiles::CProfileList list;
    list.SetPaths(temp.Path(), "");
    EXPECT_EQ(OtherProfileFiles(list, "2026_01_01_00_00_00_002"),
              (std::vector<std::string>{temp / "2026_01_01_00_00_00_001.Json", temp / "2026_01_01_00_00_00_003.Json"}));
}

}  // namespace
}  // namespace vandrel::macros
