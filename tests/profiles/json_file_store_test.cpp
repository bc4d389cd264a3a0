#include "profiles/json_file_store.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <regex>
#include <set>
#include <string>
#include <vector>

#include "platform/file_guard.h"
#include "platform/file_io.h"
#include "platform/trace.h"
#include "profiles/basic_profile_data.h"
#include "support/temp_folder.h"

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

TEST_F(JsonFileStoreTest, CommentsAreAcceptedAndNotKept) {
    folder.Write("commented", "// saved by hand\n{ \"a\" : 1 /* one */ }");
    const Json::Value value = store.ReadJson(folder / "commented");
    EXPECT_EQ(value["a"].asInt(), 1);
    EXPECT_EQ(StyledText(value), "{\n   \"a\" : 1\n}\n\n");
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
    ASSERT_EQ(profile.Save(), WriteStatus::Ok);

    const std::string golden = std::string(VANDREL_GOLDEN_DIR) + "/small_profile.Json";
    std::ifstream file(golden, std::ios::binary);
    const std::string expected{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
    ASSERT_FALSE(expected.empty()) << golden;
    EXPECT_EQ(folder.Read("p.Json"), expected);
}

TEST_F(JsonFileStoreTest, FailedRenameLeavesThePreviousFileAndNoTemporary) {
    const std::string path = folder / "p.Json";
    ASSERT_EQ(store.WriteJson(path, Json::Value("before")), WriteStatus::Ok);

    std::vector<std::string> trace;
    platform::SetTraceEnabled(true);
    platform::SetTraceSink([&trace](std::string_view line) { trace.emplace_back(line); });
    const CJsonFileStore crashing([](const char*, const char*) {
        errno = EIO;
        return -1;
    });
    EXPECT_EQ(crashing.WriteJson(path, Json::Value("after")), WriteStatus::Failed);
    platform::SetTraceSink(nullptr);
    platform::SetTraceEnabled(false);

    EXPECT_EQ(store.ReadJson(path).asString(), "before");
    EXPECT_EQ(folder.Files(), std::set<std::string>{"p.Json"});
    ASSERT_FALSE(trace.empty());
    EXPECT_NE(trace.back().find(path), std::string::npos);
}

TEST_F(JsonFileStoreTest, WriteIntoAMissingFolderFails) {
    EXPECT_EQ(store.WriteJson(folder / "no/such/folder/p.Json", Json::Value(1)), WriteStatus::Failed);
}

// A document the user may have: how it is read, and what is on disk after.
TEST_F(JsonFileStoreTest, DamagedDocumentsAreSetAsideOrLeftAlone) {
    enum class After { kInPlace, kSetAside, kProtected };
    struct Case {
        const char* name;
        std::string text;
        int openFault;    // errno of an injected open failure, or 0
        int backupFault;  // errno of an injected backup failure, or 0
        After after;
    };
    const std::vector<Case> cases = {
        {"valid", R"({"profilelist": []})", 0, 0, After::kInPlace},
        {"empty", "", 0, 0, After::kInPlace},
        {"truncated", R"({"profilelist": [)", 0, 0, After::kSetAside},
        {"not an object", "[1, 2, 3]", 0, 0, After::kSetAside},
        {"trailing garbage", R"({"a": 1}}}}garbage)", 0, 0, After::kSetAside},
        {"no access", R"({"a": 1})", EACCES, 0, After::kSetAside},
        {"no access, disk full", R"({"a": 1})", EACCES, ENOSPC, After::kProtected},
        {"garbage, disk full", "garbage", 0, ENOSPC, After::kProtected},
    };
    for (const Case& c : cases) {
        platform::FileGuard::Instance().ResetForTests();
        TempFolder scratch;
        const std::string path = scratch / "ProfileList.ini";
        scratch.Write("ProfileList.ini", c.text);
        platform::SetFileFaultForTests([&c, &path](platform::FileStep step, const std::string& at) {
            if (at != path) return 0;
            return step == platform::FileStep::kOpenForRead ? c.openFault : c.backupFault;
        });
        const Json::Value document = store.ReadDocument(path);
        platform::SetFileFaultForTests({});

        EXPECT_EQ(document.isObject(), c.after == After::kInPlace && !c.text.empty()) << c.name;
        EXPECT_EQ(scratch.Exists("ProfileList.ini"), c.after != After::kSetAside) << c.name;
        if (c.after != After::kSetAside) {
            EXPECT_EQ(scratch.Read("ProfileList.ini"), c.text) << c.name;
        }
        if (c.after == After::kSetAside) {
            EXPECT_EQ(scratch.BackupText("ProfileList.ini"), c.text) << c.name;
        }
        EXPECT_EQ(platform::FileGuard::Instance().IsProtected(path), c.after == After::kProtected) << c.name;
        // A protected file is never written over in this run.
        const bool written = store.WriteJson(path, Json::Value(Json::objectValue)) == WriteStatus::Ok;
        EXPECT_EQ(written, c.after != After::kProtected) << c.name;
        if (!written) {
            EXPECT_EQ(scratch.Read("ProfileList.ini"), c.text) << c.name;
        }
    }
    platform::FileGuard::Instance().ResetForTests();
}

TEST_F(JsonFileStoreTest, DocumentOverTheSizeCapIsSetAside) {
    const std::string path = folder / "big.Json";
    folder.Write("big.Json", "{}");
    std::filesystem::resize_file(path, platform::kMaxReadSize + 1);  // sparse: costs no disk
    EXPECT_TRUE(store.ReadDocument(path).isNull());
    EXPECT_FALSE(folder.Exists("big.Json"));
    ASSERT_EQ(folder.Backups("big.Json").size(), 1u);
    EXPECT_EQ(std::filesystem::file_size(folder / folder.Backups("big.Json").front()), platform::kMaxReadSize + 1);
    platform::FileGuard::Instance().ResetForTests();
}

TEST_F(JsonFileStoreTest, BrokenUtf8IsRepairedWithoutLosingTheCharactersAfterIt) {
    Json::Value document(Json::objectValue);
    document["profilename"] = std::string(
        "ab\xC3"
        "cd\xFF"
        "e");
    document[std::string("k\xE4y")] = 1;
    ASSERT_EQ(store.WriteJson(folder / "p.Json", document), WriteStatus::Ok);
    const Json::Value read = store.ReadJson(folder / "p.Json");
    EXPECT_EQ(read["profilename"].asString(),
              "ab\xEF\xBF\xBD"
              "cd\xEF\xBF\xBD"
              "e");
    EXPECT_EQ(read["k\xEF\xBF\xBDy"].asInt(), 1);
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
