#include "profiles/json_file_store.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <fstream>
#include <iterator>
#include <regex>
#include <set>
#include <string>
#include <vector>

#include "platform/trace.h"
#include "profiles/basic_profile_data.h"
#include "temp_folder.h"

namespace vandrel::profiles {
namespace {

using testing::TempFolder;

class JsonFileStoreTest : public ::testing::Test {
protected:
    TempFolder folder;
    CJsonFileStore store;
};

TEST_F(JsonFileStoreTest, UnusableFilesReadAsNull) {
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"empty", ""},
        {"truncated", R"({"profilelist": [{"profilename": "a")"},
        {"not json", "profile1"},
        {"deep nesting", std::string(100000, '[')},
    };
    for (const auto& [name, text] : cases) {
        folder.Write(name, text);
        EXPECT_TRUE(store.ReadJson(folder / name).isNull()) << name;
    }
    EXPECT_TRUE(store.ReadJson(folder / "missing").isNull());
}

TEST_F(JsonFileStoreTest, CommentsAreAccepted) {
    folder.Write("commented", "// saved by hand\n{ \"a\" : 1 /* one */ }");
    EXPECT_EQ(store.ReadJson(folder / "commented")["a"].asInt(), 1);
}

TEST_F(JsonFileStoreTest, WrittenProfileIsStyledTextWithIndentThree) {
    folder.Write("template.Json", R"({"Device": [{"LightList": [], "KeyList": [
        {"Assignment": 1048832, "DefaultAssignment": 1048832}]}]})");
    folder.Write("p.Json", R"({"profilename": "游戏", "profileUUID": "2024_03_05_14_07_09_042"})");

    CBasicProfiledata profile;
    profile.SetTemplatePath(folder / "template.Json");
    profile.SetProfilePath(folder / "p.Json");
    profile.Load(folder / "p.Json");
    profile.SetLightInfo(0x01020405, 0x30201001, 0x01000000, 0x0302);
    profile.SetKeyList({{0, {0x10, 0x02, 0x00}, 0, {}}});
    ASSERT_EQ(profile.Save(), kWriteOk);

    const std::string golden = std::string(VANDREL_GOLDEN_DIR) + "/small_profile.Json";
    std::ifstream file(golden, std::ios::binary);
    const std::string expected{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
    ASSERT_FALSE(expected.empty()) << golden;
    EXPECT_EQ(folder.Read("p.Json"), expected);
}

TEST_F(JsonFileStoreTest, FailedRenameLeavesThePreviousFileAndNoTemporary) {
    const std::string path = folder / "p.Json";
    ASSERT_EQ(store.WriteJson(path, Json::Value("before")), kWriteOk);

    std::vector<std::string> trace;
    platform::SetTraceEnabled(true);
    platform::SetTraceSink([&trace](std::string_view line) { trace.emplace_back(line); });
    const CJsonFileStore crashing([](const char*, const char*) {
        errno = EIO;
        return -1;
    });
    EXPECT_EQ(crashing.WriteJson(path, Json::Value("after")), kWriteFailed);
    platform::SetTraceSink(nullptr);
    platform::SetTraceEnabled(false);

    EXPECT_EQ(store.ReadJson(path).asString(), "before");
    EXPECT_EQ(folder.Files(), std::set<std::string>{"p.Json"});
    ASSERT_FALSE(trace.empty());
    EXPECT_NE(trace.back().find(path), std::string::npos);
}

TEST_F(JsonFileStoreTest, WriteIntoAMissingFolderFails) {
    EXPECT_EQ(store.WriteJson(folder / "no/such/folder/p.Json", Json::Value(1)), kWriteFailed);
}

TEST_F(JsonFileStoreTest, UnusableDocumentIsKeptAsBackup) {
    struct Case {
        std::string text;
        bool keptAsBackup;
    };
    const std::vector<Case> cases = {
        {"{\"profilelist\": [", true},
        {"[1, 2, 3]", true},
        {"{\"profilelist\": []}", false},
        {"", false},
    };
    for (const Case& c : cases) {
        TempFolder scratch;
        scratch.Write("ProfileList.ini", c.text);
        const Json::Value document = store.ReadDocument(scratch / "ProfileList.ini");
        EXPECT_EQ(document.isObject(), !c.keptAsBackup && !c.text.empty()) << c.text;
        EXPECT_EQ(scratch.Exists("ProfileList.ini.bak"), c.keptAsBackup) << c.text;
        if (c.keptAsBackup) {
            EXPECT_EQ(scratch.Read("ProfileList.ini.bak"), c.text);
        }
    }
}

TEST(NewProfileId, HasTheTimeFormatAndNeverRepeats) {
    const std::regex format(R"(\d{4}_\d{2}_\d{2}_\d{2}_\d{2}_\d{2}_\d{3})");
    std::set<std::string> ids;
    for (int i = 0; i < 2000; ++i) {
        const std::string id = CJsonFileStore::NewProfileId();
        ASSERT_TRUE(std::regex_match(id, format)) << id;
        ids.insert(id);
    }
    EXPECT_EQ(ids.size(), 2000u);
}

TEST(FileTitle, IsTheNameWithoutFolderAndExtension) {
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"/home/u/game.Json", "game"},        {"game.json", "game"}, {"/a/b.c/x", "x"},
        {"/a/archive.tar.gz", "archive.tar"}, {"/a/.Json", ""},      {"", ""},
    };
    for (const auto& [path, title] : cases) EXPECT_EQ(CJsonFileStore::FileTitle(path), title) << path;
}

}  // namespace
}  // namespace vandrel::profiles
