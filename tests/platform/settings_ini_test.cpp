#include "platform/settings_ini.h"

#include <gtest/gtest.h>

#include <stdlib.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>

#include "support/temp_folder.h"

namespace vandrel::platform {
namespace {

// Points XDG_CONFIG_HOME at a fresh temporary folder for one test and puts
// the old value back afterwards.
class SettingsIniTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (const char* old = std::getenv("XDG_CONFIG_HOME")) oldConfigHome_ = old;
        ::setenv("XDG_CONFIG_HOME", (folder_ / "config").c_str(), 1);
    }
    void TearDown() override {
        if (oldConfigHome_) {
            ::setenv("XDG_CONFIG_HOME", oldConfigHome_->c_str(), 1);
        } else {
            ::unsetenv("XDG_CONFIG_HOME");
        }
    }

    std::string SettingsPath() const { return (folder_ / "config" / "VANDREL" / "settings.ini").string(); }

    void WriteSettings(const std::string& text) const {
        std::filesystem::create_directories(folder_ / "config" / "VANDREL");
        std::ofstream(SettingsPath(), std::ios::binary) << text;
    }

    std::string ReadSettings() const {
        std::ifstream file(SettingsPath(), std::ios::binary);
        std::ostringstream text;
        text << file.rdbuf();
        return text.str();
    }

    const testing::TempFolder temp_;
    const std::filesystem::path folder_{temp_.Path()};
    std::optional<std::string> oldConfigHome_;
};

TEST_F(SettingsIniTest, ConfigFolderIsCreatedUnderXdgConfigHome) {
    const SettingsIni ini = SettingsIni::InConfigFolder("settings.ini");
    EXPECT_EQ(ini.Path(), SettingsPath());
    EXPECT_TRUE(std::filesystem::is_directory(folder_ / "config" / "VANDREL"));
    EXPECT_TRUE(SettingsIni::InConfigFolder("../escape.ini").Path().empty());
}

TEST_F(SettingsIniTest, ReadsValuesBySectionAndKey) {
    WriteSettings("[General]\n  LANGUAGE = 1031 \r\nname=a=b\n[Other]\nLANGUAGE=7\n");
    SettingsIni ini = SettingsIni::InConfigFolder("settings.ini");
    ASSERT_TRUE(ini.Load());
    EXPECT_EQ(ini.Get("General", "LANGUAGE"), "1031");
    EXPECT_EQ(ini.Get("General", "name"), "a=b");
    EXPECT_EQ(ini.Get("Other", "LANGUAGE"), "7");
    EXPECT_EQ(ini.Get("General", "missing"), std::nullopt);
    EXPECT_EQ(ini.Get("Missing", "LANGUAGE"), std::nullopt);
}

TEST_F(SettingsIniTest, SetAndSaveKeepEverythingElse) {
    WriteSettings("; comment\n[General]\nLANGUAGE=1033\nthis line is not a setting\n\n[Unknown]\nx=1\n");
    SettingsIni ini = SettingsIni::InConfigFolder("settings.ini");
    ASSERT_TRUE(ini.Load());
    ini.Set("General", "LANGUAGE", "1031");
    ini.Set("General", "Theme", "dark");
    ini.Set("Window", "width", "800\n[General]");
    ASSERT_TRUE(ini.Save());

    EXPECT_EQ(ReadSettings(),
              "; comment\n[General]\nLANGUAGE=1031\nthis line is not a setting\nTheme=dark\n\n"
              "[Unknown]\nx=1\n[Window]\nwidth=800 [General]\n");
    SettingsIni again = SettingsIni::InConfigFolder("settings.ini");
    ASSERT_TRUE(again.Load());
    EXPECT_EQ(again.Get("General", "LANGUAGE"), "1031");
    EXPECT_EQ(again.Get("Window", "width"), "800 [General]");
    for (const auto& entry : std::filesystem::directory_iterator(folder_ / "config" / "VANDREL")) {
        EXPECT_EQ(entry.path().filename(), "settings.ini") << "temporary file left behind";
    }
}

TEST_F(SettingsIniTest, MissingFileStartsEmptyAndIsCreatedOnSave) {
    SettingsIni ini = SettingsIni::InConfigFolder("settings.ini");
    EXPECT_FALSE(ini.Load());
    EXPECT_EQ(ini.Get("General", "LANGUAGE"), std::nullopt);
    ini.Set("General", "LANGUAGE", "1033");
    ASSERT_TRUE(ini.Save());
    EXPECT_EQ(ReadSettings(), "[General]\nLANGUAGE=1033\n");
}

// A directory in the file's place makes the final rename fail: Save must
// say so and leave neither a temporary file nor a changed target behind.
TEST_F(SettingsIniTest, FailedSaveReportsFalseAndCleansUp) {
    const std::filesystem::path target = SettingsPath();
    std::filesystem::create_directories(target / "keep");
    SettingsIni ini(target.string());
    ini.Set("General", "LANGUAGE", "1031");
    EXPECT_FALSE(ini.Save());
    EXPECT_TRUE(std::filesystem::is_directory(target / "keep"));
    for (const auto& entry : std::filesystem::directory_iterator(target.parent_path())) {
        EXPECT_EQ(entry.path(), target) << "temporary file left behind";
    }
}

}  // namespace
}  // namespace vandrel::platform
