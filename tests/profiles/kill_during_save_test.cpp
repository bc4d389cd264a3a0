// A process saving the keyboard profile (the largest document) in a loop is
// killed at random moments: the file is always the old or the new version,
// and what the kills leave behind is gone after the next start's clean-up.
#include <signal.h>
#include <sys/time.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <random>
#include <string>
#include <thread>

#include "platform/file_backup.h"
#include "platform/file_io.h"
#include "platform/folders.h"
#include "profiles/json_file_store.h"
#include "support/temp_folder.h"

namespace vandrel::profiles {
namespace {

TEST(KillDuringSave, FileIsAlwaysTheOldOrTheNewVersion) {
    testing::TempFolder folder;
    const Json::Value keyboard = CJsonFileStore().ReadJson(platform::DefaultTemplatePath("keyboard"));
    ASSERT_TRUE(keyboard.isObject());
    std::array<Json::Value, 2> versions = {keyboard, keyboard};
    versions[0]["profilename"] = "old";
    versions[1]["profilename"] = "new";
    const std::array<std::string, 2> texts = {StyledText(versions[0]), StyledText(versions[1])};
    const std::string path = folder / "keyboard.Json";
    ASSERT_EQ(CJsonFileStore().WriteJson(path, versions[0]), WriteStatus::Ok);

    std::mt19937 random(20261210);
    std::uniform_int_distribution<int> moment(0, 20000);  // microseconds, a few saves long
    constexpr int kKills = 100;
    for (int kill = 0; kill < kKills; ++kill) {
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            // Killed somewhere in a write: the file left behind is what counts.
            for (std::size_t i = 1;; ++i) static_cast<void>(CJsonFileStore().WriteJson(path, versions[i % 2]));
        }
        std::this_thread::sleep_for(std::chrono::microseconds(moment(random)));
        ::kill(child, SIGKILL);
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        const platform::FileRead read = platform::ReadFileSafely(path);
        ASSERT_TRUE(read.Ok()) << "after kill " << kill;
        ASSERT_TRUE(read.text == texts[0] || read.text == texts[1]) << "after kill " << kill;
    }

    // The next start removes temporary files older than a minute: age what
    // the kills left as if that minute had passed.
    int leftOver = 0;
    for (const auto& entry : std::filesystem::directory_iterator(folder.Path())) {
        if (entry.path().filename().string().rfind(std::string(platform::kTemporaryPrefix), 0) != 0) continue;
        ++leftOver;
        const auto then = std::chrono::system_clock::to_time_t(std::chrono::system_clock::now()) - 120;
        const timeval times[2] = {{then, 0}, {then, 0}};
        ::utimes(entry.path().c_str(), times);
    }
    RecordProperty("temporary_files_left_by_kills", leftOver);
    platform::RemoveStaleTemporaries(folder.Path());
    EXPECT_EQ(folder.Files(), std::set<std::string>{"keyboard.Json"});
}

}  // namespace
}  // namespace vandrel::profiles
