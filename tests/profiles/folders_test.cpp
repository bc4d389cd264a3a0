#include "platform/folders.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "support/scoped_env.h"
#include "support/temp_folder.h"

namespace vandrel::platform {
namespace {

using testing::TempFolder;

using testing::ScopedEnv;

TEST(Folders, PathsAreJoinedWithOneSlash) {
    struct Case {
        std::string folder, name, path;
    };
    const std::vector<Case> cases = {
        {"/a", "b", "/a/b"}, {"/a/", "b", "/a/b"}, {"/a/", "/b", "/a/b"}, {"", "b", "b"}, {"/a/", "", "/a/"},
    };
    for (const Case& c : cases) EXPECT_EQ(JoinPath(c.folder, c.name), c.path);
    EXPECT_EQ(FolderOf("/a/b/c.Json"), "/a/b/");
    EXPECT_EQ(FolderOf("c.Json"), "");
    EXPECT_EQ(ProfileFilePath("/u/mouse/", "2024_01_01_00_00_00_000"), "/u/mouse/2024_01_01_00_00_00_000.Json");
    EXPECT_EQ(LightConfigPath("/u/mouse", "zelbor_light"), "/u/mouse/zelbor_light.config");
}

TEST(Folders, PlainFileNamesStayInTheirFolder) {
    for (const char* name : {"2024_03_05_14_07_09_042", "{8F2C-11}", "a.b", "mouse"})
        EXPECT_TRUE(IsPlainFileName(name)) << name;
    for (const char* name : {"", ".", "..", "../x", "a/b", "/abs", ".hidden", "a b", "a\\b", "名字"}) {
        EXPECT_FALSE(IsPlainFileName(name)) << name;
    }
    EXPECT_FALSE(IsPlainFileName(std::string(201, 'a')));
}

TEST(Folders, SafeFileNamesAreOneFileInTheirFolder) {
    const std::vector<std::string> safe = {"my profile", "名字", "a\\b", "x..y", std::string(200, 'a')};
    const std::vector<std::string> unsafe = {
        "", ".", "..", "../x", "a/b", ".hidden", std::string("a\0b", 3), std::string(201, 'a')};
    for (const std::string& name : safe) EXPECT_TRUE(IsSafeFileName(name)) << name;
    for (const std::string& name : unsafe) EXPECT_FALSE(IsSafeFileName(name)) << name;
}

TEST(Folders, UserDataFolderIsCreatedLevelByLevel) {
    TempFolder home;
    const ScopedEnv xdg("XDG_DATA_HOME", home / "xdg/data");
    const std::string folder = UserDataFolder("MousePad");
    EXPECT_EQ(folder, home / "xdg/data/VANDREL/MousePad/");
    EXPECT_TRUE(std::filesystem::is_directory(folder));
    EXPECT_EQ(UserDataFolder("../escape"), "");
}

TEST(Folders, UserDataFolderDefaultsToLocalShare) {
    for (const std::optional<std::string>& xdg :
         {std::optional<std::string>(), std::optional<std::string>("relative/path")}) {
        TempFolder home;
        const ScopedEnv homeVariable("HOME", home.Path());
        const ScopedEnv xdgVariable("XDG_DATA_HOME", xdg);
        EXPECT_EQ(UserDataFolder("HD"), home / ".local/share/VANDREL/HD/");
        EXPECT_TRUE(std::filesystem::is_directory(home / ".local/share/VANDREL/HD"));
    }
}

TEST(Folders, DefaultDataFolderSearchOrder) {
    const ScopedEnv none("VANDREL_DATA_DIR", std::nullopt);
    // The build tree links the repository's DefaultData beside the test program.
    EXPECT_EQ(DefaultDataFolder(), ExecutableFolder() + "DefaultData/");
    EXPECT_TRUE(std::filesystem::exists(DefaultTemplatePath("mouse")));
    {
        const ScopedEnv variable("VANDREL_DATA_DIR", "/opt/data");
        EXPECT_EQ(DefaultDataFolder(), "/opt/data/");
        SetDefaultDataFolder("/set/by/test");
        EXPECT_EQ(DefaultDataFolder(), "/set/by/test/");
        EXPECT_EQ(DefaultLightNamesPath(), "/set/by/test/default_light.json");
        SetDefaultDataFolder("");
        EXPECT_EQ(DefaultDataFolder(), "/opt/data/");
    }
}

}  // namespace
}  // namespace vandrel::platform
