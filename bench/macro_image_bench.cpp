// Building the macro image a device takes, from the files on disk, as every
// upload does: 50 macros whose events fill the largest macro memory a device
// can report (255 units of 128 bytes) to the last byte, each event file read
// and parsed once. Reported per image, with the image's size.
#include <benchmark/benchmark.h>

#include <unistd.h>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "macros/macro_file.h"
#include "macros/macro_image.h"
#include "macros/macro_list.h"
#include "profiles/json_file_store.h"

namespace {

using namespace vandrel::macros;
namespace fs = std::filesystem;

constexpr std::size_t kMacros = 50;
constexpr std::uint8_t kLargestMemory = 255;
constexpr std::uint8_t kKeyEvent = 10;

class MacroFolder {
public:
    MacroFolder() {
        folder_ = (fs::temp_directory_path() / ("vandrel-macro-bench-" + std::to_string(::getpid()))).string() + "/";
        fs::create_directories(folder_);
        // 16 + 6 N + 4 E = capacity: E events in all, spread over the macros.
        const std::size_t capacity = MacroCapacity(kLargestMemory);
        const std::size_t events = (capacity - kImageHeaderSize - kMacros * (2 + kBlockHeaderSize)) / kEventRecordSize;
        Json::Value list;
        for (std::size_t m = 0; m < kMacros; ++m) {
            const std::size_t count = events / kMacros + (m < events % kMacros ? 1 : 0);
            MacroFile file{"macro_" + std::to_string(m + 1), "bench-" + std::to_string(m), {}};
            for (std::size_t e = 0; e < count; ++e)
                file.events.push_back({kKeyEvent, static_cast<std::uint8_t>(4 + e % 26), e % 2 == 0,
                                       static_cast<std::uint16_t>(e * 7 % 1000)});
            if (WriteMacroFile(MacroFilePath(folder_, file.id), file) != vandrel::profiles::WriteStatus::Ok)
                std::abort();
            list["MacroInfo"][Json::ArrayIndex(m)]["MacroName"] = file.name;
            list["MacroInfo"][Json::ArrayIndex(m)]["Guid"] = file.id;
            used_.push_back(static_cast<std::uint8_t>(m));
        }
        if (vandrel::profiles::CJsonFileStore().WriteJson(MacroListPath(folder_), list) !=
            vandrel::profiles::WriteStatus::Ok)
            std::abort();
    }
    ~MacroFolder() { fs::remove_all(folder_); }

    const std::string& Path() const { return folder_; }
    const std::vector<std::uint8_t>& Used() const { return used_; }

private:
    std::string folder_;
    std::vector<std::uint8_t> used_;
};

void BM_FullCapacityImageFromFiles(benchmark::State& state) {
    const MacroFolder folder;
    std::size_t size = 0;
    for (auto _ : state) {
        const MacroImage image = MacroImageFromFolder(folder.Path(), folder.Used(), MacroCapacity(kLargestMemory));
        if (image.result != kMacrosSent) state.SkipWithError("the image does not fit");
        size = image.bytes.size();
        benchmark::DoNotOptimize(image.bytes.data());
    }
    state.counters["image bytes"] = static_cast<double>(size);
    state.counters["capacity"] = static_cast<double>(MacroCapacity(kLargestMemory));
}
BENCHMARK(BM_FullCapacityImageFromFiles)->Unit(benchmark::kMillisecond);

}  // namespace
