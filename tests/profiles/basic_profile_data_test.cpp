#include "profiles/basic_profile_data.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "platform/file_guard.h"
#include "platform/file_io.h"
#include "platform/folders.h"
#include "profiles/json_file_store.h"
#include "support/temp_folder.h"

namespace vandrel::profiles {
namespace {

using testing::TempFolder;

class BasicProfileTest : public ::testing::Test {
protected:
    void SetUp() override {
        folder.Write("template.Json", R"({"profilename": "", "profileUUID": "",
            "Device": [{"LightInfo": {"SelectItem": 3, "Light": 4}, "LightList": []}]})");
        profile.SetTemplatePath(folder / "template.Json");
        profile.SetProfilePath(path);
    }
    Json::Value File() const { return store.ReadJson(path); }
    void LoadText(const std::string& text) {
        folder.Write("p.Json", text);
        profile.Load(path);
    }

    TempFolder folder;
    CJsonFileStore store;
    CBasicProfiledata profile;
    const std::string path = folder / "p.Json";
};

TEST_F(BasicProfileTest, LoadOfAMissingProfileCreatesItFromTheTemplate) {
    const Json::Value section = profile.Load(path);
    EXPECT_EQ(section["LightInfo"]["SelectItem"].asInt(), 3);
    EXPECT_EQ(File()["Device"][0], section);
    EXPECT_EQ(File().getMemberNames(), std::vector<std::string>{"Device"});
}

TEST_F(BasicProfileTest, LoadWithoutSectionAddsTheTemplateSectionAndKeepsTheNames) {
    LoadText(R"({"profilename": "mine", "profileUUID": "2024_01_01_00_00_00_000", "extra": [1]})");
    const Json::Value file = File();
    EXPECT_EQ(file["profilename"].asString(), "mine");
    EXPECT_EQ(file["profileUUID"].asString(), "2024_01_01_00_00_00_000");
    EXPECT_EQ(file["extra"][0].asInt(), 1);
    EXPECT_EQ(file["Device"][0]["LightInfo"]["SelectItem"].asInt(), 3);
}

TEST_F(BasicProfileTest, SaveIntoANewFileWritesOnlyTheDeviceKey) {
    profile.SetLightInfo(1, 0, 0, 0);
    ASSERT_EQ(profile.Save(), WriteStatus::Ok);
    EXPECT_EQ(File().getMemberNames(), std::vector<std::string>{"Device"});
    EXPECT_EQ(File()["Device"][0]["LightInfo"]["SelectItem"].asInt(), 1);
}

TEST_F(BasicProfileTest, LightRecordsRoundTripThroughTheFile) {
    const LightWords words = {0x01020407, 0xC0B0A001, 0x02000000, 0x0105};
    const AudioLightWords audioWords = {0x30201006, 0x01605040, 0x00000001};
    profile.Load(path);
    profile.SetLightInfo(words[0], words[1], words[2], words[3]);
    profile.SetAudioLightInfo(audioWords[0], audioWords[1], audioWords[2]);
    ASSERT_EQ(profile.Save(), WriteStatus::Ok);

    CBasicProfiledata reader;
    reader.Load(path);
    EXPECT_EQ(ToWords(reader.GetLightInfo()), words);
    EXPECT_EQ(ToWords(reader.GetAudioLightInfo()), audioWords);
}

TEST_F(BasicProfileTest, FlagsReadAsTruthValues) {
    const std::vector<std::pair<std::string, int>> cases = {{"5", 1}, {"0", 0}, {"true", 1}, {"-1", 1}, {"\"yes\"", 0}};
    for (const auto& [stored, expected] : cases) {
        LoadText(R"({"Device": [{"LightInfo": {"MultiColor": )" + stored + R"(},
                                 "AudioLightInfo": {"7ColorFlags": )" +
                 stored + "}}]}");
        EXPECT_EQ(profile.GetLightInfo().MultiColor, expected) << stored;
        EXPECT_EQ(profile.GetAudioLightInfo().SevenColorFlags, expected) << stored;
    }
}

TEST_F(BasicProfileTest, ValuesOfTheWrongTypeReadAsDefaults) {
    LoadText(R"({"Device": [{"LightInfo": {"Speed": "fast", "Light": [2], "Red": 300, "Green": {"x": 1}},
                             "KeyList": [{"Assignment": "left"}, 7, {"Assignment": 1048833}],
                             "LightList": {"not": "an array"}}]})");
    const LightInfo info = profile.GetLightInfo();
    EXPECT_EQ(info.Speed, 0);
    EXPECT_EQ(info.Light, 0);
    EXPECT_EQ(info.Red, 255);  // clamped, not cut to its low byte
    EXPECT_EQ(info.Green, 0);
    const std::vector<KeyEntry> keys = profile.GetKeyList();
    ASSERT_EQ(keys.size(), 3u);
    EXPECT_EQ(keys[0].assignment, KeyCode{});
    EXPECT_EQ(keys[1].assignment, KeyCode{});
    EXPECT_EQ(keys[2].assignment, (KeyCode{0x10, 0x01, 0x01}));
    EXPECT_TRUE(profile.GetLightList().empty());
}

TEST_F(BasicProfileTest, SectionsOfTheWrongShapeAreReplacedByTheTemplate) {
    const std::vector<std::string> files = {
        R"({"Device": "mouse"})",
        R"({"Device": [5]})",
        R"({"Device": {"0": {}}})",
        R"({"profilename": 3})",
    };
    for (const std::string& text : files) {
        LoadText(text);
        EXPECT_EQ(profile.GetLightInfo().SelectItem, 3) << text;
        EXPECT_EQ(File()["Device"][0]["LightInfo"]["SelectItem"].asInt(), 3) << text;
    }
}

TEST_F(BasicProfileTest, UnparsableProfileIsKeptAsBackupBeforeTheTemplateReplacesIt) {
    const std::string damaged = R"({"profilename": "mine", "Device": [{"LightInfo": {"SelectItem": 9)";
    LoadText(damaged);
    EXPECT_EQ(folder.BackupText("p.Json"), damaged);
    EXPECT_EQ(profile.GetLightInfo().SelectItem, 3);
    EXPECT_EQ(File()["Device"][0]["LightInfo"]["SelectItem"].asInt(), 3);
}

TEST_F(BasicProfileTest, MissingTemplateLeavesDefaults) {
    profile.SetTemplatePath(folder / "none.Json");
    profile.Load(path);
    EXPECT_EQ(profile.GetLightInfo(), LightInfo{});
    EXPECT_TRUE(profile.GetKeyList().empty());
    EXPECT_TRUE(profile.GetLightList().empty());
}

TEST_F(BasicProfileTest, LightListNullElementIsAnInvalidZeroEntry) {
    LoadText(R"({"Device": [{"LightList": [null, {"LEDREGMode": 2, "LEDBrightness": 3, "LEDSpeed": 4,
        "LEDDirection": 9, "LEDMultiColor": true, "red": 1, "green": 2, "blue": 258}]}]})");  // blue clamps
    const std::vector<LightListEntry> list = profile.GetLightList();
    ASSERT_EQ(list.size(), 2u);
    EXPECT_EQ(list[0], LightListEntry{});
    EXPECT_EQ(list[1], (LightListEntry{2, 3, 4, 1, 1, 1, 2, 255, 1}));
}

TEST(KeyCodePacking, MatchesTheTableOfCases) {
    struct Case {
        KeyCode code;
        std::int32_t packed;
    };
    const std::vector<Case> cases = {
        {{0x10, 0x01, 0x00}, 0x100100}, {{0x16, 0x90, 0x01}, 0x169001}, {{0xD0, 0xA2, 0x05}, 0xD0A205},
        {{0x20, 0x80, 0x00}, 0x208000}, {{0x00, 0x00, 0x00}, 0},        {{0xFF, 0xFF, 0xFF}, 0xFFFFFF},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(PackKeyCode(c.code), c.packed);
        EXPECT_EQ(UnpackKeyCode(c.packed), c.code);
    }
    EXPECT_EQ(UnpackKeyCode(0x7F100100), (KeyCode{0x10, 0x01, 0x00}));  // bits above 23 are not part of it
}

TEST_F(BasicProfileTest, SetKeyListChangesOnlyTheAssignmentsOfItsEntries) {
    LoadText(R"({"Device": [{"KeyList": [
        {"Assignment": 1, "DefaultAssignment": 11}, {"Assignment": 2, "DefaultAssignment": 12},
        {"Assignment": 3, "DefaultAssignment": 13}, {"Assignment": 4, "DefaultAssignment": 14},
        {"Assignment": 5, "DefaultAssignment": 15, "Note": "kept"}]}]})");
    std::vector<KeyEntry> keys = profile.GetKeyList();
    keys.resize(3);
    for (KeyEntry& key : keys) key.assignment = {0x20, 0x00, 0x29};
    profile.SetKeyList(keys);
    ASSERT_EQ(profile.Save(), WriteStatus::Ok);

    const Json::Value list = File()["Device"][0]["KeyList"];
    ASSERT_EQ(list.size(), 5u);
    for (Json::ArrayIndex i = 0; i < 5; ++i) {
        EXPECT_EQ(list[i]["Assignment"].asInt(), i < 3 ? 0x200029 : static_cast<int>(i) + 1);
        EXPECT_EQ(list[i]["DefaultAssignment"].asInt(), static_cast<int>(i) + 11);
    }
    EXPECT_EQ(list[4]["Note"].asString(), "kept");
}

TEST_F(BasicProfileTest, OtherSectionIsIndependent) {
    folder.Write("other.Json", R"({"Device": [{"KeyList": [{"Assignment": 5}]}]})");
    profile.Load(path);
    profile.LoadOther(folder / "other.Json");
    profile.SetOtherKeyList({{0, {0x70, 0x01, 0x00}, 0, {}}});
    ASSERT_EQ(profile.SaveOther(folder / "other.Json"), WriteStatus::Ok);

    EXPECT_EQ(store.ReadJson(folder / "other.Json")["Device"][0]["KeyList"][0]["Assignment"].asInt(), 0x700100);
    EXPECT_TRUE(profile.GetKeyList().empty());
    EXPECT_EQ(profile.GetOtherKeyList()[0].assignment, (KeyCode{0x70, 0x01, 0x00}));
}

// ---- Saving from the document kept in memory ----

TEST_F(BasicProfileTest, SaveWritesTheKeptDocumentWithoutReadingTheFile) {
    LoadText(R"({"profilename": "mine", "profileUUID": "2024_01_01_00_00_00_000", "extra": [1],
                 "Device": [{"LightInfo": {"SelectItem": 4}, "Unknown": {"kept": true}}]})");
    // A read now would fail and move the file aside.
    platform::SetFileFaultForTests(
        [this](platform::FileStep, const std::string& at) { return at == path ? EACCES : 0; });
    profile.SetLightInfo(1, 0, 0, 0);
    const WriteStatus saved = profile.Save();
    platform::SetFileFaultForTests({});
    platform::FileGuard::Instance().ResetForTests();

    ASSERT_EQ(saved, WriteStatus::Ok);
    EXPECT_TRUE(folder.Backups("p.Json").empty());
    const Json::Value file = File();
    EXPECT_EQ(file["profilename"].asString(), "mine");
    EXPECT_EQ(file["profileUUID"].asString(), "2024_01_01_00_00_00_000");
    EXPECT_EQ(file["extra"][0].asInt(), 1);
    EXPECT_EQ(file["Device"][0]["LightInfo"]["SelectItem"].asInt(), 1);
    EXPECT_TRUE(file["Device"][0]["Unknown"]["kept"].asBool());
}

// Another writer changes the file between a load and a save (a rename writes
// "profilename" into it): the save keeps that change and adds its own.
TEST_F(BasicProfileTest, ChangeOfAnotherWriterSurvivesTheNextSave) {
    struct Writer {
        const char* name;
        std::function<void(const std::string& text)> write;
    };
    const std::vector<Writer> writers = {
        {"a new file renamed into place",
         [this](const std::string& text) { ASSERT_TRUE(platform::WriteFileAtomically(path, text)); }},
        {"the same file written over",
         [this](const std::string& text) { std::ofstream(path, std::ios::binary) << text; }},
    };
    for (const Writer& writer : writers) {
        LoadText(R"({"profilename": "old", "Device": [{"LightInfo": {"SelectItem": 4}}]})");
        Json::Value changed = File();
        changed["profilename"] = "renamed";
        changed["note"] = "added";
        writer.write(StyledText(changed));

        profile.SetLightInfo(2, 0, 0, 0);
        ASSERT_EQ(profile.Save(), WriteStatus::Ok) << writer.name;
        const Json::Value file = File();
        EXPECT_EQ(file["profilename"].asString(), "renamed") << writer.name;
        EXPECT_EQ(file["note"].asString(), "added") << writer.name;
        EXPECT_EQ(file["Device"][0]["LightInfo"]["SelectItem"].asInt(), 2) << writer.name;
    }
}

// A reset to defaults loads the template's section and saves it into the
// profile file, whose names stay.
TEST_F(BasicProfileTest, SectionLoadedFromTheTemplateIsSavedWithTheProfilesNames) {
    LoadText(R"({"profilename": "mine", "profileUUID": "2024_01_01_00_00_00_000",
                 "Device": [{"LightInfo": {"SelectItem": 9}}]})");
    const std::string templateText = folder.Read("template.Json");
    profile.Load(folder / "template.Json");
    ASSERT_EQ(profile.Save(), WriteStatus::Ok);

    const Json::Value file = File();
    EXPECT_EQ(file["profilename"].asString(), "mine");
    EXPECT_EQ(file["profileUUID"].asString(), "2024_01_01_00_00_00_000");
    EXPECT_EQ(file["Device"][0]["LightInfo"]["SelectItem"].asInt(), 3);
    EXPECT_EQ(folder.Read("template.Json"), templateText);
}

TEST_F(BasicProfileTest, SaveUnderAnotherSectionIndexLeavesTheLoadedOneInTheFile) {
    LoadText(R"({"Device": [{"LightInfo": {"SelectItem": 4}}, {"LightInfo": {"SelectItem": 5}}]})");
    profile.SetSectionIndex(1);
    profile.SetLightInfo(6, 0, 0, 0);
    ASSERT_EQ(profile.Save(), WriteStatus::Ok);

    const Json::Value file = File();
    EXPECT_EQ(file["Device"][0]["LightInfo"]["SelectItem"].asInt(), 4);
    EXPECT_EQ(file["Device"][1]["LightInfo"]["SelectItem"].asInt(), 6);
}

// A profile that could neither be read nor moved aside runs on the template
// and is never written over.
TEST_F(BasicProfileTest, ProfileLeftInPlaceIsNeverSaved) {
    const std::string damaged = R"({"profilename": "mine", "Device": [)";
    folder.Write("p.Json", damaged);
    platform::SetFileFaultForTests([this](platform::FileStep step, const std::string& at) {
        if (at != path) return 0;
        return step == platform::FileStep::kOpenForRead ? EACCES : ENOSPC;
    });
    profile.Load(path);
    platform::SetFileFaultForTests({});
    profile.SetLightInfo(1, 0, 0, 0);
    EXPECT_EQ(profile.Save(), WriteStatus::Failed);
    platform::FileGuard::Instance().ResetForTests();
    EXPECT_EQ(folder.Read("p.Json"), damaged);
}

TEST_F(BasicProfileTest, PathSetters) {
    profile.SetProfilePath("");
    EXPECT_EQ(profile.GetProfilePath(), path);
    profile.SetLightConfigPath(folder / "zelbor_light.config");
    profile.SetLightConfigPath("");
    EXPECT_EQ(profile.GetLightConfigPath(), "");
}

class EffectStepTest : public BasicProfileTest {
protected:
    void SetUp() override {
        BasicProfileTest::SetUp();
        std::filesystem::create_directories(kind + "sub");
        platform::SetDefaultDataFolder(defaults.Path());
    }
    void TearDown() override { platform::SetDefaultDataFolder(""); }

    // Selects custom effect `effect` of the kind's light configuration, whose
    // step file is named `guid`.
    std::vector<EffectStep> StepsOf(int effect, const std::string& guid) {
        Json::Value config;
        config["LightInfo"][0][effect]["Guid"] = guid;
        config["LightInfo"][0][effect]["LightName"] = "mine";
        EXPECT_EQ(store.WriteJson(kind + "zelbor_light.config", config), WriteStatus::Ok);
        profile.Load(path);
        profile.SetLightInfo(static_cast<std::uint32_t>(effect), 0, 0, 0);
        profile.LoadLightConfig(kind + "zelbor_light.config");
        return profile.GetEffectSteps();
    }

    TempFolder defaults;
    const std::string kind = folder / "kind/";
};

TEST_F(EffectStepTest, StepFileIsFoundInTheUserFolderThenInTheDefaultData) {
    const std::string steps = R"({"LEDEffectList": [
        {"LEDREGMode": 1, "LEDBrightness": 4, "LEDSpeed": 2, "LEDDirection": 1, "LEDMultiColor": 0,
         "red": 10, "green": 20, "blue": 30, "Time": 1500, "Cyle": 2}, null]})";
    defaults.Write("shipped.light", steps);
    folder.Write("kind/own.light", R"({"LEDEffectList": [{"Time": 7}]})");
    defaults.Write("own.light", steps);

    const std::vector<EffectStep> shipped = StepsOf(1, "shipped");
    ASSERT_EQ(shipped.size(), 2u);
    EXPECT_EQ(shipped[0], (EffectStep{1, 4, 2, 1, 0, 10, 20, 30, 1500, 2}));
    EXPECT_EQ(shipped[1], EffectStep{});

    const std::vector<EffectStep> own = StepsOf(0, "own");
    ASSERT_EQ(own.size(), 1u);
    EXPECT_EQ(own[0].time, 7);
}

TEST_F(EffectStepTest, GuidThatIsNoPlainFileNameIsRefused) {
    const std::string step = R"({"LEDEffectList": [{"Time": 1}]})";
    for (const char* file : {"x.light", "kind/sub/x.light", "kind/.light", "kind/.hidden.light", "kind/x.light"}) {
        folder.Write(file, step);
    }
    for (const char* guid : {"", "../x", "sub/x", "..", ".hidden"}) {
        EXPECT_TRUE(StepsOf(0, guid).empty()) << guid;
    }
    EXPECT_EQ(StepsOf(0, "x").size(), 1u);
}

}  // namespace
}  // namespace vandrel::profiles
