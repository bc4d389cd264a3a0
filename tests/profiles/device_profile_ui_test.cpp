// The profile list on real files in a temporary folder, through a fake page.
#include "profiles/device_profile_ui.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <set>
#include <string>
#include <vector>

#include "platform/file_guard.h"
#include "platform/file_io.h"
#include "platform/folders.h"
#include "profiles/basic_profile_data.h"
#include "profiles/json_file_store.h"
#include "support/fake_page_view.h"
#include "support/temp_folder.h"

namespace vandrel::profiles {
namespace {

using testing::FakePageView;
using testing::TempFolder;

constexpr const char* kCombo = "device_profile_combo";
constexpr const char* kNameEdit = "device_profile_name_edit";

const std::vector<std::string_view> kTabs = {"deng_Op_tab",   "key_Op_tab",        "macro_Op_tab", "system_Op_tab",
                                             "cursor_Op_tab", "6533_voice_Op_tab", "magic_Op_tab", "Virtual7.1_Op_tab"};

class ProfileListTest : public ::testing::Test {
protected:
    ProfileListTest() : view{kCombo, kNameEdit, "profile_menu_layout"} {
        for (const std::string_view tab : kTabs) view.Add(tab);
        folder.Write("template.Json", R"({"profilename": "", "profileUUID": "",
            "Device": [{"LightInfo": {"SelectItem": 2}, "CustomEQNameInfo": [], "CustomEQHzValueInfo": []}]})");
        std::filesystem::create_directory(user);
        panel.SetDeviceKind(kKindMouse);
        panel.SetPaths(user, folder / "template.Json");
    }

    std::vector<std::string> Names() const { return view.Items(kCombo); }
    Json::Value List() const { return store.ReadJson(platform::ProfileListPath(user)); }
    std::string IdAt(int index) const { return List()["profilelist"][index]["profileUUID"].asString(); }
    Json::Value ProfileAt(int index) const { return store.ReadJson(platform::ProfileFilePath(user, IdAt(index))); }
    // Profile files in the user folder.
    std::set<std::string> ProfileFiles() const {
        std::set<std::string> files;
        for (const auto& entry : std::filesystem::directory_iterator(user)) {
            if (entry.path().extension() == ".Json") files.insert(entry.path().filename().string());
        }
        return files;
    }
    void Select(int index) { panel.SelectProfileEntry(index); }

    TempFolder folder;
    const std::string user = folder / "user/";
    FakePageView view;
    CJsonFileStore store;
    CDeviceProfileUI panel{view};
};

TEST_F(ProfileListTest, FirstStartCreatesProfile1FromTheTemplate) {
    panel.InitProfiles();
    EXPECT_EQ(Names(), std::vector<std::string>{"profile1"});
    EXPECT_EQ(panel.CurrentIndex(), 0);
    EXPECT_EQ(view.Text(kNameEdit), "profile1");

    const Json::Value list = List();
    ASSERT_EQ(list["profilelist"].size(), 1u);
    EXPECT_EQ(list["profileselect"].asInt(), 0);
    EXPECT_EQ(list["profilelist"][0]["profileislink"].asInt(), 0);
    EXPECT_EQ(list["profilelist"][0]["profilelinkmame"].asString(), "");
    EXPECT_EQ(panel.CurrentProfileId(), IdAt(0));

    const Json::Value profile = ProfileAt(0);
    EXPECT_EQ(profile["profilename"].asString(), "profile1");
    EXPECT_EQ(profile["profileUUID"].asString(), IdAt(0));
    EXPECT_EQ(profile["Device"][0]["LightInfo"]["SelectItem"].asInt(), 2);
    EXPECT_EQ(panel.ProfileCount(), 1);
    EXPECT_EQ(panel.ProfilePath(0), platform::ProfileFilePath(user, IdAt(0)));
}

TEST_F(ProfileListTest, AddStopsAtFiftyProfiles) {
    panel.InitProfiles();
    for (int i = 2; i <= 50; ++i) ASSERT_TRUE(panel.AddProfile()) << i;
    EXPECT_FALSE(panel.AddProfile());

    ASSERT_EQ(Names().size(), 50u);
    EXPECT_EQ(Names().back(), "profile50");
    EXPECT_EQ(List()["profilelist"].size(), 50u);
    EXPECT_EQ(List()["profileselect"].asInt(), 49);
    EXPECT_EQ(ProfileFiles().size(), 50u);
    EXPECT_EQ(panel.CurrentIndex(), 0);  // adding does not move the combo
}

TEST_F(ProfileListTest, AddNamesIgnoreLetterCase) {
    folder.Write("user/ProfileList.ini", R"({"profilelist": [
        {"profilename": "Profile1", "profileUUID": "a1"}, {"profilename": "PROFILE2", "profileUUID": "a2"}],
        "profileselect": 1})");
    panel.InitProfiles();
    ASSERT_TRUE(panel.AddProfile());
    EXPECT_EQ(Names().back(), "profile3");
}

TEST_F(ProfileListTest, DeleteKeepsOneAndMovesTheSelection) {
    struct Case {
        int selected;
        int expectedSelection;
        std::vector<std::string> remaining;
    };
    const std::vector<Case> cases = {
        {0, 0, {"profile2", "profile3"}},
        {1, 0, {"profile1", "profile3"}},
        {2, 1, {"profile1", "profile2"}},
    };
    for (const Case& c : cases) {
        TempFolder scratch;
        std::filesystem::create_directory(scratch / "user");
        CDeviceProfileUI list(view);
        list.SetPaths(scratch / "user/", folder / "template.Json");
        view.SetItems(kCombo, {});
        list.InitProfiles();
        list.AddProfile();
        list.AddProfile();
        list.SelectProfileEntry(c.selected);
        const std::string deleted = list.CurrentProfileId();

        ASSERT_TRUE(list.DeleteProfile());
        EXPECT_EQ(Names(), c.remaining);
        EXPECT_EQ(list.CurrentIndex(), c.expectedSelection);
        EXPECT_EQ(view.Text(kNameEdit), c.remaining[static_cast<std::size_t>(c.expectedSelection)]);
        EXPECT_EQ(store.ReadJson(scratch / "user/ProfileList.ini")["profileselect"].asInt(), c.expectedSelection);
        EXPECT_FALSE(scratch.Exists("user/" + deleted + ".Json"));
        EXPECT_NE(list.CurrentProfileId(), deleted);
    }
}

TEST_F(ProfileListTest, DeleteRefusesTheLastProfile) {
    panel.InitProfiles();
    EXPECT_FALSE(panel.DeleteProfile());
    EXPECT_EQ(Names().size(), 1u);
    EXPECT_EQ(ProfileFiles().size(), 1u);
}

TEST_F(ProfileListTest, CopyTwiceGivesCopyThenCopyCopy) {
    panel.InitProfiles();
    ASSERT_EQ(panel.RenameProfile(u"a"), 1);
    Json::Value source = ProfileAt(0);
    source["Device"][0]["LightInfo"]["SelectItem"] = 7;
    ASSERT_EQ(store.WriteJson(platform::ProfileFilePath(user, IdAt(0)), source), WriteStatus::Ok);

    ASSERT_TRUE(panel.CopyProfile());
    ASSERT_TRUE(panel.CopyProfile());
    EXPECT_EQ(Names(), (std::vector<std::string>{"a", "a copy", "a copy copy"}));
    EXPECT_EQ(List()["profileselect"].asInt(), 0);
    for (int i = 1; i <= 2; ++i) {
        const Json::Value copy = ProfileAt(i);
        EXPECT_EQ(copy["profilename"].asString(), Names()[static_cast<std::size_t>(i)]);
        EXPECT_EQ(copy["profileUUID"].asString(), IdAt(i));
        EXPECT_EQ(copy["Device"][0]["LightInfo"]["SelectItem"].asInt(), 7);
    }
    EXPECT_EQ(ProfileFiles().size(), 3u);
}

TEST_F(ProfileListTest, ImportAddsSuffixesAndAlwaysAFreshIdentifier) {
    panel.InitProfiles();
    folder.Write("x.Json", R"({"profilename": "whatever", "profileUUID": "../../x",
                                 "Device": [{"LightInfo": {"SelectItem": 9}}]})");
    folder.Write("user/.Json", "{}");
    const std::set<std::string> outside = folder.Files();

    for (int i = 0; i < 3; ++i) ASSERT_TRUE(panel.ImportProfile(folder / "x.Json"));
    EXPECT_EQ(Names(), (std::vector<std::string>{"profile1", "x", "x(1)", "x(1)(2)"}));
    for (int i = 1; i <= 3; ++i) {
        const Json::Value imported = ProfileAt(i);
        EXPECT_TRUE(platform::IsPlainFileName(IdAt(i)));
        EXPECT_EQ(imported["profileUUID"].asString(), IdAt(i));
        EXPECT_EQ(imported["profilename"].asString(), Names()[static_cast<std::size_t>(i)]);
        EXPECT_EQ(imported["Device"][0]["LightInfo"]["SelectItem"].asInt(), 9);
    }
    EXPECT_EQ(folder.Files(), outside);
    EXPECT_FALSE(folder.Exists("user/.Json"));
    EXPECT_EQ(ProfileFiles().size(), 4u);
}

TEST_F(ProfileListTest, ImportRefusesFilesThatAreNoProfiles) {
    panel.InitProfiles();
    const std::vector<std::string> texts = {"", "[1]", R"({"profilename": "a"})",
                                            R"({"profilename": 1, "profileUUID": "b"})"};
    for (const std::string& text : texts) {
        folder.Write("bad.Json", text);
        EXPECT_FALSE(panel.ImportProfile(folder / "bad.Json")) << text;
    }
    EXPECT_EQ(Names().size(), 1u);
}

TEST_F(ProfileListTest, RenameResults) {
    panel.InitProfiles();
    panel.AddProfile();
    Select(1);
    struct Case {
        std::u16string name;
        int result;
        std::string shown;
    };
    const std::vector<Case> cases = {
        {u"   ", 2, "profile2"},      {u"", 2, "profile2"}, {u"PROFILE1", 0, "profile2"},
        {u"Profile2", 1, "Profile2"}, {u"游戏", 1, "游戏"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(panel.RenameProfile(c.name), c.result);
        EXPECT_EQ(Names()[1], c.shown);
        EXPECT_EQ(List()["profilelist"][1]["profilename"].asString(), c.shown);
        EXPECT_EQ(ProfileAt(1)["profilename"].asString(), c.shown);
    }
    EXPECT_EQ(view.Text(kNameEdit), "游戏");
    EXPECT_EQ(panel.EditedName(), u"游戏");
}

// Names come from the list and go to the page as given: what the combo
// shows is never read back, so a combo that shows other texts (a language's
// translation of a name that spells a text id) changes no check.
TEST_F(ProfileListTest, NamesComeFromTheListNotFromTheCombo) {
    folder.Write("user/ProfileList.ini", R"({"profilelist": [
        {"profilename": "message_text_5", "profileUUID": "a1"}, {"profilename": "work", "profileUUID": "a2"}],
        "profileselect": 0})");
    panel.InitProfiles();
    const FakePageView::Control& combo = *view.Find(kCombo);
    EXPECT_EQ(combo.itemIsId, (std::vector<bool>{false, false}));
    EXPECT_FALSE(view.Find(kNameEdit)->textIsId);

    view.Find(kCombo)->items = {"shown first", "shown second"};
    Select(1);
    EXPECT_EQ(view.Text(kNameEdit), "work");
    EXPECT_EQ(panel.RenameProfile(u"message_text_5"), CDeviceProfileUI::kRenameTaken);
    EXPECT_EQ(panel.RenameProfile(u"shown first"), CDeviceProfileUI::kRenamed);
    EXPECT_EQ(Names(), (std::vector<std::string>{"message_text_5", "shown first"}));
    EXPECT_FALSE(view.Find(kNameEdit)->textIsId);

    view.Find(kCombo)->items = {"x", "y"};
    ASSERT_TRUE(panel.CopyProfile());
    EXPECT_EQ(Names(), (std::vector<std::string>{"message_text_5", "shown first", "shown first copy"}));
}

TEST_F(ProfileListTest, ResetOfAHeadsetKeepsItsCustomEqualiser) {
    for (const int kind : {kKindHeadset, kKindMouse}) {
        TempFolder scratch;
        std::filesystem::create_directory(scratch / "user");
        CDeviceProfileUI list(view);
        list.SetDeviceKind(kind);
        list.SetPaths(scratch / "user/", folder / "template.Json");
        view.SetItems(kCombo, {});
        list.InitProfiles();
        const std::string file = scratch / ("user/" + list.CurrentProfileId() + ".Json");

        Json::Value profile = store.ReadJson(file);
        Json::Value& section = profile["Device"][0];
        section["CustomEQNameInfo"][0]["Name"] = "低音";
        section["CustomEQHzValueInfo"][0][0]["value"] = 6;
        section["LightInfo"]["SelectItem"] = 8;
        profile["profilename"] = "kept";
        ASSERT_EQ(store.WriteJson(file, profile), WriteStatus::Ok);
        list.RenameProfile(u"kept");

        ASSERT_TRUE(list.ResetProfile());
        const Json::Value reset = store.ReadJson(file);
        EXPECT_EQ(reset["profilename"].asString(), "kept");
        EXPECT_EQ(reset["profileUUID"].asString(), list.CurrentProfileId());
        EXPECT_EQ(reset["Device"][0]["LightInfo"]["SelectItem"].asInt(), 2);
        const bool kept = kind == kKindHeadset;
        EXPECT_EQ(reset["Device"][0]["CustomEQNameInfo"].size(), kept ? 1u : 0u) << kind;
        EXPECT_EQ(reset["Device"][0]["CustomEQHzValueInfo"].size(), kept ? 1u : 0u) << kind;
    }
}

// The device's profile data and the panel write the same file. A rename is
// kept by the device's next save; after a reset the device loads the file
// again (as it does), and its next save brings back nothing of before.
TEST_F(ProfileListTest, DeviceSavesKeepTheRenameAndFollowTheReset) {
    panel.InitProfiles();
    const std::string file = platform::ProfileFilePath(user, panel.CurrentProfileId());
    CBasicProfiledata device;
    device.SetTemplatePath(folder / "template.Json");
    device.SetProfilePath(file);
    device.Load(file);
    device.SetLightInfo(7, 0, 0, 0);
    ASSERT_EQ(device.Save(), WriteStatus::Ok);

    ASSERT_EQ(panel.RenameProfile(u"renamed"), CDeviceProfileUI::kRenamed);
    device.SetLightInfo(8, 0, 0, 0);
    ASSERT_EQ(device.Save(), WriteStatus::Ok);
    EXPECT_EQ(ProfileAt(0)["profilename"].asString(), "renamed");
    EXPECT_EQ(ProfileAt(0)["Device"][0]["LightInfo"]["SelectItem"].asInt(), 8);

    ASSERT_TRUE(panel.ResetProfile());
    device.Load(file);
    device.SetAudioLightInfo(1, 0, 0);
    ASSERT_EQ(device.Save(), WriteStatus::Ok);
    const Json::Value profile = ProfileAt(0);
    EXPECT_EQ(profile["profilename"].asString(), "renamed");
    EXPECT_EQ(profile["Device"][0]["LightInfo"]["SelectItem"].asInt(), 2);
    EXPECT_EQ(profile["Device"][0]["AudioLightInfo"]["AudioMode"].asInt(), 1);
}

TEST_F(ProfileListTest, ExportWritesTheSelectedProfile) {
    panel.InitProfiles();
    panel.AddProfile();
    Select(1);
    ASSERT_TRUE(panel.ExportProfile(folder / "exported.json"));
    EXPECT_EQ(store.ReadJson(folder / "exported.json"), ProfileAt(1));
    EXPECT_FALSE(panel.ExportProfile(folder / "no/such/folder/x.json"));
}

TEST_F(ProfileListTest, FailedWritesAreReported) {
    panel.InitProfiles();
    CDeviceProfileUI failing(view, CJsonFileStore([](const char*, const char*) { return -1; }));
    failing.SetPaths(user, folder / "template.Json");
    EXPECT_FALSE(failing.AddProfile());
    EXPECT_FALSE(failing.CopyProfile());
    EXPECT_FALSE(failing.ResetProfile());
    EXPECT_EQ(failing.RenameProfile(u"new name"), CDeviceProfileUI::kRenameNotSaved);
    EXPECT_EQ(Names(), std::vector<std::string>{"profile1"});  // the combo follows the file
    EXPECT_EQ(List()["profilelist"].size(), 1u);
}

// Lists the user may have edited: which entries stay, which profile is
// selected, and whether the original was kept as a backup first.
TEST_F(ProfileListTest, UnusableListEntriesAreLeftOutAndTheSelectionFollowsItsProfile) {
    struct Case {
        const char* name;
        std::string text;
        std::vector<std::string> names;
        std::string selectedId;  // "" when a new profile1 is expected
        bool keptAsBackup;
    };
    const auto entry = [](const char* name, const char* id) {
        return std::string(R"({"profilename": ")") + name + R"(", "profileUUID": )" + id + "}";
    };
    const auto list = [](const std::vector<std::string>& entries, int select) {
        std::string text = R"({"profilelist": [)";
        for (std::size_t i = 0; i < entries.size(); ++i) text += (i ? ", " : "") + entries[i];
        return text + R"(], "profileselect": )" + std::to_string(select) + "}";
    };
    const std::vector<Case> cases = {
        {"escaping id",
         list({entry("first", R"("P1")"), entry("x", R"("../x")"), entry("second", R"("P2")")}, 2),
         {"first", "second"},
         "P2",
         true},
        {"duplicate id",
         list({entry("first", R"("P1")"), entry("again", R"("P1")"), entry("second", R"("P2")")}, 1),
         {"first", "second"},
         "P1",
         true},
        {"id with a blank",
         list({entry("mine", R"("my profile")"), entry("b", R"("b1")")}, 0),
         {"mine", "b"},
         "my profile",
         false},
        {"numeric id", list({entry("a", "5"), entry("b", R"("b1")")}, 1), {"b"}, "b1", true},
        {"strings as entries",
         list({R"("x")", entry("a", R"("a1")"), R"("y")", entry("b", R"("b1")")}, 3),
         {"a", "b"},
         "b1",
         true},
        {"dropped selection", list({entry("a", R"("a1")"), entry("x", R"("../x")")}, 1), {"a"}, "a1", true},
        {"id not UTF-8", list({entry("a", "\"\xFF\""), entry("b", R"("b1")")}, 1), {"b"}, "b1", true},
        {"select out of range", list({entry("a", R"("a1")")}, 99), {"a"}, "a1", false},
        {"truncated",
         R"({"profilelist": [{"profilename": "a", "profileUUID": "a1"}, {"profilen)",
         {"profile1"},
         "",
         true},
        {"array", R"([{"profilename": "a", "profileUUID": "a1"}])", {"profile1"}, "", true},
        {"list of the wrong type", R"({"profilelist": "none", "profileselect": "0"})", {"profile1"}, "", true},
    };
    for (const Case& c : cases) {
        platform::FileGuard::Instance().ResetForTests();
        TempFolder scratch;
        std::filesystem::create_directories(scratch / "deep/user");
        scratch.Write("deep/user/ProfileList.ini", c.text);
        CDeviceProfileUI panel(view);
        panel.SetPaths(scratch / "deep/user/", folder / "template.Json");
        view.SetItems(kCombo, {});

        panel.InitProfiles();
        EXPECT_EQ(Names(), c.names) << c.name;
        if (!c.selectedId.empty()) {
            EXPECT_EQ(panel.CurrentProfileId(), c.selectedId) << c.name;
        }
        const Json::Value saved = store.ReadJson(scratch / "deep/user/ProfileList.ini");
        const int selected = saved["profileselect"].asInt();
        EXPECT_EQ(saved["profilelist"][selected]["profileUUID"].asString(), panel.CurrentProfileId()) << c.name;
        EXPECT_EQ(scratch.BackupText("deep/user/ProfileList.ini"), c.keptAsBackup ? c.text : "") << c.name;

        // Whatever the list said, nothing is ever written outside the folder.
        panel.AddProfile();
        panel.CopyProfile();
        panel.ResetProfile();
        panel.DeleteProfile();
        EXPECT_EQ(scratch.Files(), std::set<std::string>{"deep"}) << c.name;
        EXPECT_FALSE(std::filesystem::exists(scratch / "x.Json")) << c.name;
        for (const Json::Value& kept : store.ReadJson(scratch / "deep/user/ProfileList.ini")["profilelist"])
            EXPECT_TRUE(platform::IsSafeFileName(kept["profileUUID"].asString())) << c.name;
    }
    platform::FileGuard::Instance().ResetForTests();
}

// The list cannot be read nor kept aside: the page works on a list in memory,
// the file stays as it was and no profile file appears that no list names.
TEST_F(ProfileListTest, ListThatCannotBeSetAsideIsLeftAloneAndNoOrphanIsCreated) {
    const std::string path = platform::ProfileListPath(user);
    const std::string text = R"({"profilelist": [{"profilename": "mine", "profileUUID": "m1"}]})";
    folder.Write("user/ProfileList.ini", text);
    platform::SetFileFaultForTests(
        [&path](platform::FileStep, const std::string& at) { return at == path ? EACCES : 0; });
    for (int start = 0; start < 2; ++start) {
        view.SetItems(kCombo, {});
        CDeviceProfileUI again(view);
        again.SetPaths(user, folder / "template.Json");
        again.InitProfiles();
        EXPECT_EQ(Names(), std::vector<std::string>{"profile1"});
        EXPECT_FALSE(again.CurrentProfileId().empty());
        platform::FileGuard::Instance().ResetForTests();
    }
    platform::SetFileFaultForTests({});
    EXPECT_EQ(folder.Read("user/ProfileList.ini"), text);
    EXPECT_TRUE(ProfileFiles().empty());
}

TEST_F(ProfileListTest, NothingHappensWithoutTheCombo) {
    view.Remove(kCombo);
    panel.InitProfiles();
    EXPECT_FALSE(panel.AddProfile());
    EXPECT_EQ(panel.CurrentIndex(), -1);
    EXPECT_FALSE(std::filesystem::exists(platform::ProfileListPath(user)));
}

TEST_F(ProfileListTest, TabsByDeviceKind) {
    struct Case {
        int kind;
        std::set<std::string_view> hidden;
    };
    const std::set<std::string_view> noPc = {"cursor_Op_tab", "macro_Op_tab", "system_Op_tab", "key_Op_tab"};
    const std::vector<Case> cases = {
        {kKindKeyboard, {"cursor_Op_tab"}},
        {kKindMouse, {}},
        {kKindMousePad, noPc},
        {4, {"cursor_Op_tab", "macro_Op_tab", "key_Op_tab"}},
        {kKindHeadset, noPc},
    };
    for (const Case& c : cases) {
        FakePageView page{kCombo, kNameEdit};
        for (const std::string_view tab : kTabs) page.Add(tab).visible = tab.find("6533") == std::string_view::npos;
        CDeviceProfileUI list(page);
        list.SetDeviceKind(c.kind);
        list.SetPaths(user, folder / "template.Json");
        list.InitProfiles();
        for (const std::string_view tab : kTabs) {
            const bool shownOnlyForHeadset = tab == "6533_voice_Op_tab";
            const bool expected = !c.hidden.count(tab) && (!shownOnlyForHeadset || c.kind == kKindHeadset);
            EXPECT_EQ(page.Visible(tab), expected) << c.kind << " " << tab;
        }
    }
}

TEST_F(ProfileListTest, SelectTabSelectsExactlyOne) {
    for (const int n : {1, 5, 8, 0, 9}) {
        panel.SelectTab(n);
        for (std::size_t i = 0; i < kTabs.size(); ++i) {
            EXPECT_EQ(view.Selected(kTabs[i]), static_cast<int>(i) + 1 == n) << n << " " << kTabs[i];
        }
    }
    view.Remove("magic_Op_tab");
    panel.SelectTab(1);
    EXPECT_FALSE(view.Selected("deng_Op_tab"));  // not all eight tabs: nothing happens
}

TEST_F(ProfileListTest, MenuAndNameEditor) {
    panel.ShowMenu(true);
    EXPECT_TRUE(panel.MenuShown());
    panel.ShowMenu(false);
    EXPECT_FALSE(panel.MenuShown());
    view.SetText(kNameEdit, "bad \xFF name");
    EXPECT_EQ(panel.EditedName(), u"bad \uFFFD name");
}

}  // namespace
}  // namespace vandrel::profiles
