// Loading and saving the largest profile document: a keyboard profile with ten
// custom colour groups of 126 key colours each, from the shipped template.
// CPU figures are the process's CPU time, the kernel's work for the file
// included.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/folders.h"
#include "profiles/keyboard_profile_data.h"

namespace {

using namespace vandrel::profiles;

constexpr int kGroups = 10;
constexpr int kKeys = 126;

// A scratch folder holding one full keyboard profile; removed at the end.
class KeyboardProfileFile {
public:
    KeyboardProfileFile() {
        std::string pattern = (std::filesystem::temp_directory_path() / "vandrel-bench-XXXXXX").string();
        if (::mkdtemp(pattern.data()) == nullptr) std::abort();
        folder_ = pattern;
        path_ = folder_ + "/profile.Json";

        CKeyboardProfiledata profile;
        profile.SetTemplatePath(vandrel::platform::DefaultTemplatePath("keyboard"));
        profile.SetProfilePath(path_);
        profile.Load(path_);
        for (int group = 0; group < kGroups; ++group) profile.SetKeyColors(group, Colours(group));
        if (profile.Save() != WriteStatus::Ok) std::abort();
    }
    KeyboardProfileFile(const KeyboardProfileFile&) = delete;
    KeyboardProfileFile& operator=(const KeyboardProfileFile&) = delete;
    ~KeyboardProfileFile() { std::filesystem::remove_all(folder_); }

    const std::string& Path() const { return path_; }

    static std::vector<KeyColour> Colours(int seed) {
        std::vector<KeyColour> colours(kKeys);
        for (int k = 0; k < kKeys; ++k) {
            colours[static_cast<std::size_t>(k)] = {static_cast<std::uint8_t>(k * 2 + seed),
                                                    static_cast<std::uint8_t>(k), static_cast<std::uint8_t>(255 - k),
                                                    255};
        }
        return colours;
    }

private:
    std::string folder_;
    std::string path_;
};

// What a keyboard reads when a profile is selected.
void ReadSelectedProfile(CKeyboardProfiledata& profile, const std::string& path) {
    profile.SetProfilePath(path);
    profile.Load(path);
    benchmark::DoNotOptimize(profile.GetKeyList());
    benchmark::DoNotOptimize(profile.GetLightInfo());
    benchmark::DoNotOptimize(profile.GetKeyboardSystem());
    for (int group = 0; group < kGroups; ++group) benchmark::DoNotOptimize(profile.GetKeyColors(group, kKeys));
}

void BM_LoadKeyboardProfile(benchmark::State& state) {
    const KeyboardProfileFile file;
    for (auto _ : state) {
        CKeyboardProfiledata profile;
        ReadSelectedProfile(profile, file.Path());
    }
}
BENCHMARK(BM_LoadKeyboardProfile)->Unit(benchmark::kMicrosecond)->MeasureProcessCPUTime();

// One per-key colour change: store the group, save the whole file atomically.
void BM_SaveKeyboardProfile(benchmark::State& state) {
    const KeyboardProfileFile file;
    CKeyboardProfiledata profile;
    profile.SetProfilePath(file.Path());
    profile.Load(file.Path());
    int group = 0;
    for (auto _ : state) {
        profile.SetKeyColors(group, KeyboardProfileFile::Colours(group + 1));
        if (profile.Save() != WriteStatus::Ok) state.SkipWithError("save failed");
        group = (group + 1) % kGroups;
    }
}
BENCHMARK(BM_SaveKeyboardProfile)->Unit(benchmark::kMicrosecond)->MeasureProcessCPUTime();

// A profile selected, one per-key colour change, the file saved: the whole
// round trip a keyboard makes. The CPU column is the process's CPU time; the
// time column also holds the waits for the file and folder to reach the disk.
void BM_LoadAndSaveKeyboardProfile(benchmark::State& state) {
    const KeyboardProfileFile file;
    int group = 0;
    for (auto _ : state) {
        CKeyboardProfiledata profile;
        ReadSelectedProfile(profile, file.Path());
        profile.SetKeyColors(group, KeyboardProfileFile::Colours(group + 1));
        if (profile.Save() != WriteStatus::Ok) state.SkipWithError("save failed");
        group = (group + 1) % kGroups;
    }
}
BENCHMARK(BM_LoadAndSaveKeyboardProfile)->Unit(benchmark::kMicrosecond)->MeasureProcessCPUTime();

}  // namespace
