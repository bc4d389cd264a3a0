// How long the window waits for the mouse while a key-map upload runs: a
// mouse behind its receiver, every request answered 2 ms late, uploads a
// macro list that fills its whole macro memory (information byte 18) with a
// key on each macro. While the upload runs on the mouse's command worker, the
// benchmark's thread plays the UI thread and calls, over and over, what a
// user does on the page meanwhile: a DPI stage typed, a lighting change, the
// power-state timer, a key selected and assigned.
//
// Counters (per upload, averaged over the iterations unless said otherwise):
//   upload ms      wall time from the start of the upload to its end
//   longest UI ms  the longest single UI-thread call of all iterations (max),
//                  and apart for each kind of call
//   UI calls       calls made while the upload ran
//   record ms      from the end of the upload until the settings records the
//                  UI calls queued are on the mouse
#include <benchmark/benchmark.h>

#include <json/json.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "devices/mouse/mouse_device.h"
#include "macros/macro_file.h"
#include "macros/macro_image.h"
#include "platform/folders.h"
#include "platform/manual_tick_source.h"
#include "profiles/json_file_store.h"
#include "protocol/commands.h"
#include "sim/sim_backend.h"
#include "sim/sim_firmware.h"
#include "sim/sim_models.h"

namespace {

using namespace vandrel;
using Clock = std::chrono::steady_clock;
using Millis = std::chrono::duration<double, std::milli>;

constexpr std::chrono::milliseconds kReceiverDelay{2};
constexpr std::size_t kMacroInfoByte = devices::CMorvaneMouseDevice::kMacroUnitsByte;

// A scratch user folder ($XDG_DATA_HOME) for the mouse's profiles and
// macros; removed at the end.
class ScratchUserFolder {
public:
    ScratchUserFolder() {
        std::string pattern = (std::filesystem::temp_directory_path() / "vandrel-bench-XXXXXX").string();
        if (::mkdtemp(pattern.data()) == nullptr) std::abort();
        folder_ = pattern;
        ::setenv("XDG_DATA_HOME", folder_.c_str(), 1);
    }
    ScratchUserFolder(const ScratchUserFolder&) = delete;
    ScratchUserFolder& operator=(const ScratchUserFolder&) = delete;
    ~ScratchUserFolder() {
        ::unsetenv("XDG_DATA_HOME");
        std::filesystem::remove_all(folder_);
    }

private:
    std::string folder_;
};

// `macros` macros whose image is as large as `capacity` bytes allows.
std::vector<std::vector<macros::MacroEvent>> MacrosFilling(std::size_t capacity, std::size_t macros) {
    const std::size_t headers = macros::MacroImageSize(std::vector<std::vector<macros::MacroEvent>>(macros));
    const std::size_t events = (capacity - headers) / macros::kEventRecordSize;
    std::vector<std::vector<macros::MacroEvent>> list(macros);
    for (std::size_t e = 0; e < events; ++e) {
        list[e % macros].push_back({macros::kKeyEvent, static_cast<std::uint8_t>(4 + e % 26), e % 2 == 0,
                                    static_cast<std::uint16_t>(10 + e % 50)});
    }
    return list;
}

void WriteMacroList(const std::string& folder, const std::vector<std::vector<macros::MacroEvent>>& list) {
    std::filesystem::create_directories(folder);
    Json::Value config;
    for (std::size_t m = 0; m < list.size(); ++m) {
        const std::string id = "bench-" + std::to_string(m);
        const auto index = static_cast<Json::ArrayIndex>(m);
        config["MacroInfo"][index]["MacroName"] = "m" + std::to_string(m);
        config["MacroInfo"][index]["Guid"] = id;
        if (macros::WriteMacroFile(folder + id + ".mac", {"m", id, list[m]}) != profiles::WriteStatus::Ok) std::abort();
    }
    if (profiles::CJsonFileStore().WriteJson(folder + "macro.config", config) != profiles::WriteStatus::Ok)
        std::abort();
}

// The mouse on its receiver, connected, every key position on a macro of
// its own, the macros filling its macro memory.
class SlowReceiverMouse {
public:
    SlowReceiverMouse() {
        firmware_ = &simulator_.Plug(sim::SimKind::Mouse, sim::SimLink::Receiver);
        const std::size_t capacity = macros::MacroCapacity(firmware_->ReadRegion(sim::SimRegion::Info)[kMacroInfoByte]);
        WriteMacroList(platform::UserDataFolder("mouse"), MacrosFilling(capacity, devices::mouse::kKeyPositions));

        mouse_ = std::make_unique<devices::CMorvaneMouseDevice>(simulator_, &ticks_);
        devices::CMorvaneMouseDevice& m = *mouse_;
        m.SetKeyCount(devices::mouse::kKeyPositions);
        m.SetLedCount(15);
        m.SetKindRow(device_io::KindRow::Mouse);
        m.SetPowerManaged(true);
        m.SetLightNameIndex(1);
        device_io::DeviceIdentity identity;
        identity.deviceType = device_io::DeviceType::MouseReceiver;
        m.SetIdentity(identity);
        protocol::CDeviceTransport& t = m.Transport();
        if (!t.WirelessChannel().OpenPath(sim::SimBackend::VendorPath(sim::SimKind::Mouse, sim::SimLink::Receiver),
                                          true, true, true, false))
            std::abort();
        t.SetLinkMode(static_cast<int>(protocol::LinkMode::Wireless));
        t.SetOpen(true);
        m.Connect();
        if (!m.KeyMapRead()) std::abort();
        for (std::size_t p = 0; p < devices::mouse::kKeyPositions; ++p) {
            const auto position = static_cast<std::uint16_t>(p);
            m.SetKeyAssignment(static_cast<int>(p), {position,
                                                     {macros::kMacroKeyType, static_cast<std::uint8_t>(p), 0},
                                                     position,
                                                     devices::mouse::kFactoryKeyCodes[p]});
        }
        firmware_->SetReceiverDelay(kReceiverDelay);
    }

    devices::CMorvaneMouseDevice& Mouse() { return *mouse_; }

    void WaitIdle() const {
        while (!mouse_->CommandsIdle()) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }

private:
    ScratchUserFolder scratch_;
    sim::SimBackend simulator_;
    platform::ManualTickSource ticks_;
    sim::SimFirmware* firmware_ = nullptr;
    std::unique_ptr<devices::CMorvaneMouseDevice> mouse_;
};

// The UI thread's calls, taken in turn; `n` counts the calls made.
struct UiCall {
    const char* name;
    void (*run)(devices::CMorvaneMouseDevice&, std::size_t n);
};
constexpr UiCall kUiCalls[] = {
    {"DPI", [](devices::CMorvaneMouseDevice& m,
               std::size_t n) { static_cast<void>(m.SetDpiStage(2, n % 8 == 0 ? 1600 : 3200)); }},
    {"lighting",
     [](devices::CMorvaneMouseDevice& m, std::size_t n) {
         profiles::LightInfo light = m.RunningLight();
         light.Light = static_cast<std::uint8_t>(n % 5);
         static_cast<void>(m.SetLighting(light));
     }},
    {"power", [](devices::CMorvaneMouseDevice& m, std::size_t) { m.ReadPowerState(); }},
    {"key",
     [](devices::CMorvaneMouseDevice& m, std::size_t n) {
         const std::size_t position = n % devices::mouse::kKeyPositions;
         m.SelectKey(static_cast<int>(position));
         m.SetKeyAssignment(static_cast<int>(position), m.KeyList()[position]);
     }},
};

void BM_UiDuringFullMacroUpload(benchmark::State& state) {
    SlowReceiverMouse device;
    devices::CMorvaneMouseDevice& m = device.Mouse();
    std::array<Millis, std::size(kUiCalls)> longest{};
    double uploadMs = 0;
    double recordMs = 0;
    double calls = 0;
    for (auto _ : state) {
        const auto start = Clock::now();
        m.UploadMacrosAndKeyMap();
        std::size_t n = 0;
        while (m.Uploading()) {
            const std::size_t kind = n % std::size(kUiCalls);
            const auto before = Clock::now();
            kUiCalls[kind].run(m, n);
            longest[kind] = std::max(longest[kind], Millis(Clock::now() - before));
            ++n;
        }
        const auto uploaded = Clock::now();
        device.WaitIdle();  // the queued records go out
        uploadMs += Millis(uploaded - start).count();
        recordMs += Millis(Clock::now() - uploaded).count();
        calls += static_cast<double>(n);
    }
    const auto iterations = static_cast<double>(state.iterations());
    state.counters["upload ms"] = uploadMs / iterations;
    state.counters["longest UI ms"] = std::ranges::max(longest).count();
    for (std::size_t kind = 0; kind < std::size(kUiCalls); ++kind)
        state.counters[std::string("longest ") + kUiCalls[kind].name + " ms"] = longest[kind].count();
    state.counters["UI calls"] = calls / iterations;
    state.counters["record ms"] = recordMs / iterations;
}
BENCHMARK(BM_UiDuringFullMacroUpload)->Iterations(5)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
