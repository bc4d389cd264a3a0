// The safe reader, backups of unusable files, the file guard and the
// clean-up of temporary files, on real files in a temporary folder.
#include <sys/stat.h>
#include <sys/time.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "platform/file_backup.h"
#include "platform/file_guard.h"
#include "platform/file_io.h"
#include "platform/settings_ini.h"
#include "support/temp_folder.h"

namespace vandrel::platform {
namespace {

namespace fs = std::filesystem;

class FileKeepingTest : public ::testing::Test {
protected:
    void SetUp() override { FileGuard::Instance().ResetForTests(); }
    void TearDown() override {
        SetFileFaultForTests({});
        FileGuard::Instance().ResetForTests();
    }

    std::string Path(const std::string& name) const { return (folder_ / name).string(); }
    void Write(const std::string& name, const std::string& text) const {
        std::ofstream(Path(name), std::ios::binary) << text;
    }
    std::string Read(const std::string& path) const {
        std::ifstream in(path, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }
    std::vector<std::string> Backups(const std::string& name) const {
        std::vector<std::string> found;
        for (const auto& entry : fs::directory_iterator(folder_)) {
            const std::string file = entry.path().filename().string();
            if (file.rfind(name + ".", 0) == 0 && file.size() > name.size() + 4 && file.ends_with(".bak"))
                found.push_back(file);
        }
        std::sort(found.begin(), found.end());
        return found;
    }

    const testing::TempFolder temp_;
    const fs::path folder_{temp_.Path()};
};

TEST_F(FileKeepingTest, ReaderTellsMissingUnreadableTooLargeAndReadApart) {
    Write("plain", "text");
    Write("big", "x");
    fs::resize_file(Path("big"), 2048);
    ASSERT_EQ(::mkfifo(Path("pipe").c_str(), 0600), 0);
    fs::create_symlink("/dev/zero", Path("zero"));
    fs::create_directory(Path("folder"));
    fs::create_symlink(Path("nowhere"), Path("dangling"));
    struct Case {
        const char* name;
        ReadStatus status;
    };
    const std::vector<Case> cases = {
        {"plain", ReadStatus::kRead},      {"missing", ReadStatus::kMissing}, {"dangling", ReadStatus::kMissing},
        {"pipe", ReadStatus::kUnreadable}, {"zero", ReadStatus::kUnreadable}, {"folder", ReadStatus::kUnreadable},
        {"big", ReadStatus::kTooLarge},
    };
    for (const Case& c : cases) {
        const FileRead read = ReadFileSafely(Path(c.name), 1024);  // a pipe must not block here
        EXPECT_EQ(read.status, c.status) << c.name;
        EXPECT_EQ(read.reason.empty(), c.status == ReadStatus::kRead || c.status == ReadStatus::kMissing) << c.name;
    }
    EXPECT_EQ(ReadFileSafely(Path("plain")).text, "text");

    SetFileFaultForTests([](FileStep step, const std::string&) { return step == FileStep::kOpenForRead ? EACCES : 0; });
    const FileRead denied = ReadFileSafely(Path("plain"));
    EXPECT_EQ(denied.status, ReadStatus::kUnreadable);
    EXPECT_NE(denied.reason.find("ermission"), std::string::npos) << denied.reason;
}

TEST_F(FileKeepingTest, SetAsideNeverReplacesAndKeepsTheNewestGenerations) {
    std::vector<std::string> contents;
    for (int i = 0; i < kBackupGenerations + 2; ++i) {
        contents.push_back("damage " + std::to_string(i));
        Write("p.Json", contents.back());
        const auto backup = SetAside(Path("p.Json"));
        ASSERT_TRUE(backup);
        EXPECT_FALSE(fs::exists(Path("p.Json")));
    }
    const std::vector<std::string> kept = Backups("p.Json");
    ASSERT_EQ(kept.size(), static_cast<std::size_t>(kBackupGenerations));
    for (int i = 0; i < kBackupGenerations; ++i)
        EXPECT_EQ(Read(Path(kept[static_cast<std::size_t>(i)])), contents[static_cast<std::size_t>(i + 2)]);

    // A folder in the file's place is moved whole and never pruned.
    fs::create_directories(Path("settings.ini/inside"));
    ASSERT_TRUE(SetAside(Path("settings.ini")));
    ASSERT_EQ(Backups("settings.ini").size(), 1u);
    EXPECT_TRUE(fs::is_directory(Path(Backups("settings.ini").front() + "/inside")));
}

TEST_F(FileKeepingTest, FailedBackupProtectsTheFileFromEveryWrite) {
    Write("ProfileList.ini", "garbage");
    std::vector<FileNotice> heard;
    FileGuard::Instance().SetSink([&heard](const FileNotice& notice) { heard.push_back(notice); });
    SetFileFaultForTests([](FileStep step, const std::string&) { return step == FileStep::kBackup ? ENOSPC : 0; });

    EXPECT_FALSE(SetAsideOrProtect(Path("ProfileList.ini"), "not valid JSON"));
    EXPECT_FALSE(SetAsideOrProtect(Path("ProfileList.ini"), "not valid JSON"));  // said once
    EXPECT_FALSE(WriteFileAtomically(Path("ProfileList.ini"), "{}"));
    EXPECT_EQ(Read(Path("ProfileList.ini")), "garbage");
    ASSERT_EQ(heard.size(), 1u);
    EXPECT_EQ(heard[0].kind, FileNotice::Kind::kLeftInPlace);
    EXPECT_EQ(heard[0].path, Path("ProfileList.ini"));

    SetFileFaultForTests({});
    Write("other.Json", "garbage");
    EXPECT_TRUE(SetAsideOrProtect(Path("other.Json"), "not valid JSON"));
    ASSERT_EQ(heard.size(), 2u);
    EXPECT_EQ(heard[1].kind, FileNotice::Kind::kSetAside);
    EXPECT_EQ(Read(heard[1].backup), "garbage");
}

TEST_F(FileKeepingTest, NoticesBeforeTheSinkWaitForIt) {
    FileGuard::Instance().Post({FileNotice::Kind::kSetAside, "/a", "why", "/a.bak"});
    std::vector<std::string> heard;
    FileGuard::Instance().SetSink([&heard](const FileNotice& notice) { heard.push_back(notice.path); });
    FileGuard::Instance().Post({FileNotice::Kind::kSetAside, "/b", "why", "/b.bak"});
    EXPECT_EQ(heard, (std::vector<std::string>{"/a", "/b"}));
}

TEST_F(FileKeepingTest, RewrittenUnreadableFileBecomesReadableByItsOwner) {
    Write("p.Json", "old");
    ASSERT_EQ(::chmod(Path("p.Json").c_str(), 0), 0);
    ASSERT_TRUE(WriteFileAtomically(Path("p.Json"), "new"));
    struct stat info {};
    ASSERT_EQ(::stat(Path("p.Json").c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0600, 0600u);
}

TEST_F(FileKeepingTest, OnlyOurOldTemporaryFilesAreRemoved) {
    fs::create_directories(Path("mouse"));
    const auto age = [this](const std::string& name, int seconds) {
        Write(name, "x");
        const auto when = std::chrono::system_clock::now() - std::chrono::seconds(seconds);
        const timeval times[2] = {{std::chrono::system_clock::to_time_t(when), 0},
                                  {std::chrono::system_clock::to_time_t(when), 0}};
        ::utimes(Path(name).c_str(), times);
    };
    age(".vandrel-abc123", 120);
    age("mouse/.vandrel-def456", 120);
    age("mouse/.vandrel-new789", 5);
    age("mouse/.vandrel-toolong1", 120);
    age("mouse/p.Json", 120);
    EXPECT_EQ(RemoveStaleTemporaries(folder_.string()), 2);
    EXPECT_FALSE(fs::exists(Path(".vandrel-abc123")));
    EXPECT_FALSE(fs::exists(Path("mouse/.vandrel-def456")));
    for (const char* kept : {"mouse/.vandrel-new789", "mouse/.vandrel-toolong1", "mouse/p.Json"})
        EXPECT_TRUE(fs::exists(Path(kept))) << kept;
}

// What may stand where the settings file should be: loading never blocks nor
// grows without bound, and the original is kept aside before a new file is
// saved.
TEST_F(FileKeepingTest, SettingsFileThatIsNoFileIsSetAsideBeforeSaving) {
    const auto makePipe = [](const std::string& path) { ASSERT_EQ(::mkfifo(path.c_str(), 0600), 0); };
    const auto makeZero = [](const std::string& path) { fs::create_symlink("/dev/zero", path); };
    const auto makeFolder = [](const std::string& path) { fs::create_directory(path); };
    const auto makeHuge = [](const std::string& path) {
        std::ofstream(path) << "[x]\n";
        fs::resize_file(path, 2 * 1024 * 1024);
    };
    const std::vector<std::pair<const char*, std::function<void(const std::string&)>>> cases = {
        {"pipe", makePipe}, {"link to /dev/zero", makeZero}, {"folder", makeFolder}, {"huge", makeHuge}};
    for (const auto& [name, make] : cases) {
        fs::remove_all(Path("settings.ini"));
        for (const std::string& backup : Backups("settings.ini")) fs::remove_all(Path(backup));
        FileGuard::Instance().ResetForTests();
        make(Path("settings.ini"));

        SettingsIni ini(Path("settings.ini"));
        EXPECT_FALSE(ini.Load()) << name;
        ASSERT_EQ(Backups("settings.ini").size(), 1u) << name;
        ini.Set("Language", "id", "2052");
        EXPECT_TRUE(ini.Save()) << name;
        SettingsIni again(Path("settings.ini"));
        EXPECT_TRUE(again.Load()) << name;
        EXPECT_EQ(again.Get("Language", "id"), "2052") << name;
    }
}

}  // namespace
}  // namespace vandrel::platform
