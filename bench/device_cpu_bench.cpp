// CPU use of one device's lighting over a few seconds of wall time: a cable
// mouse with 15 LEDs animating a colour cycle at speed 4 and streaming its
// colours every 5 ms, against the same device with a static effect (lighting
// thread parked, stream still refreshed), and fully idle (host lighting off).
//
// What is measured is the whole process's CPU time (every thread) over a
// fixed wall window, reported as "CPU%" = CPU time / wall time x 100; 100 is
// one core busy. The simulated device runs in this process, so its firmware's
// work on each frame is part of the figure. The "echo" cases replace the
// simulator with a device that hands each report straight back, so the
// difference between "sim" and "echo" is the simulator's share.
//
// The window's 5 ms timer (1000) is played by a thread of this benchmark that
// calls RefreshPreview on that cadence; its own CPU is reported apart as
// "timer CPU%".
#include <benchmark/benchmark.h>

#include <time.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <span>
#include <thread>
#include <vector>

#include "devices/lighting_thread.h"
#include "devices/usb_device.h"
#include "lighting/engine.h"
#include "lighting/engine_tables.h"
#include "platform/hid_backend.h"
#include "platform/tick_source.h"
#include "protocol/commands.h"
#include "protocol/report_frame.h"
#include "sim/sim_backend.h"

namespace {

using namespace vandrel;
using Clock = std::chrono::steady_clock;
using Seconds = std::chrono::duration<double>;

constexpr std::size_t kMouseLeds = 15;
constexpr std::chrono::milliseconds kStreamPeriod{5};
constexpr std::chrono::milliseconds kWarmUp{200};
constexpr std::chrono::seconds kWindow{3};
constexpr std::uint8_t kColourCycle = 3;  // the mode number only picks the interval row
constexpr std::uint8_t kFastest = 4;

Seconds CpuClock(clockid_t clock) {
    timespec now{};
    clock_gettime(clock, &now);
    return Seconds(static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9);
}

// ---------------------------------------------------------------------------
// A device that answers each report with the report itself: the cheapest
// possible device, to take the simulator's work out of the figures.

class EchoDevice final : public platform::IHidDevice {
public:
    explicit EchoDevice(platform::HidDeviceInfo info) : info_(std::move(info)) {}

    const platform::HidDeviceInfo& Info() const override { return info_; }

    platform::IoResult Read(std::span<std::uint8_t> buffer, int timeoutMs) override {
        std::unique_lock lock(mutex_);
        const auto ready = [this] { return !pending_.empty() || cancelled_; };
        if (timeoutMs == platform::kInfiniteTimeout) changed_.wait(lock, ready);
        else if (!changed_.wait_for(lock, std::chrono::milliseconds(timeoutMs), ready))
            return {platform::IoStatus::TimedOut, 0};
        if (cancelled_) {
            cancelled_ = false;
            return {platform::IoStatus::Cancelled, 0};
        }
        const std::size_t n = std::min(buffer.size(), pending_.size());
        std::copy_n(pending_.begin(), n, buffer.begin());
        pending_.clear();
        return {platform::IoStatus::Ok, n};
    }

    platform::IoResult Write(std::span<const std::uint8_t> report, int /*timeoutMs*/) override {
        {
            std::lock_guard lock(mutex_);
            pending_.assign(report.begin(), report.end());
        }
        writes_.fetch_add(1, std::memory_order_relaxed);
        changed_.notify_all();
        return {platform::IoStatus::Ok, report.size()};
    }

    void Cancel() override {
        {
            std::lock_guard lock(mutex_);
            cancelled_ = true;
        }
        changed_.notify_all();
    }

    std::uint64_t Writes() const { return writes_.load(); }

private:
    const platform::HidDeviceInfo info_;
    std::mutex mutex_;
    std::condition_variable changed_;
    std::vector<std::uint8_t> pending_;
    bool cancelled_ = false;
    std::atomic<std::uint64_t> writes_{0};
};

// Serves the simulator's paths with the simulator's identities, but echoes.
class EchoBackend final : public platform::IHidBackend {
public:
    explicit EchoBackend(sim::SimBackend& identities) : identities_(identities) {}

    std::optional<std::vector<std::string>> Enumerate() override { return identities_.Enumerate(); }
    bool IsPresent(const std::string& path) override { return identities_.IsPresent(path); }

    std::unique_ptr<platform::IHidDevice> Open(const std::string& path, platform::OpenMode mode,
                                               platform::OpenError* error) override {
        const std::unique_ptr<platform::IHidDevice> simulated = identities_.Open(path, mode, error);
        if (!simulated) return nullptr;
        auto echo = std::make_unique<EchoDevice>(simulated->Info());
        opened_ = echo.get();
        return echo;
    }

    std::uint64_t Writes() const { return opened_ != nullptr ? opened_->Writes() : 0; }

private:
    sim::SimBackend& identities_;
    EchoDevice* opened_ = nullptr;
};

// ---------------------------------------------------------------------------
// The device under test and what drives it.

enum class Lighting { Animating, Static, Idle };
enum class Responder { Simulator, Echo };

// The window's timer 1000: RefreshPreview every 5 ms until destroyed.
class StreamTimer {
public:
    explicit StreamTimer(devices::CMorvaneUSBDevice& device) : worker_([this, &device] { Run(device); }) {}
    ~StreamTimer() {
        stop_.store(true);
        worker_.join();
    }
    StreamTimer(const StreamTimer&) = delete;
    StreamTimer& operator=(const StreamTimer&) = delete;

    // The timer thread's CPU time up to its last tick.
    Seconds OwnCpu() const { return Seconds(ownCpu_.load()); }

private:
    void Run(devices::CMorvaneUSBDevice& device) {
        auto next = Clock::now();
        while (!stop_.load()) {
            next += kStreamPeriod;
            std::this_thread::sleep_until(next);
            device.RefreshPreview();
            ownCpu_.store(CpuClock(CLOCK_THREAD_CPUTIME_ID).count());
        }
    }

    std::atomic<bool> stop_{false};
    std::atomic<double> ownCpu_{0.0};
    std::thread worker_;
};

// A cable mouse with 15 LEDs, its vendor channel opened on the cable (link
// mode 1), and the lighting thread that runs its effect.
class CableMouse {
public:
    CableMouse(Responder responder, Lighting lighting) : echo_(simulator_) {
        firmware_ = &simulator_.Plug(sim::SimKind::Mouse);
        platform::IHidBackend& backend =
            responder == Responder::Echo ? static_cast<platform::IHidBackend&>(echo_) : simulator_;
        device_ = std::make_unique<devices::CMorvaneUSBDevice>(backend);

        device_io::DeviceIdentity identity;
        identity.deviceType = device_io::DeviceType::Mouse;
        device_->SetIdentity(identity);
        device_->SetLedCount(kMouseLeds);
        protocol::CDeviceTransport& transport = device_->Transport();
        opened_ = transport.WiredChannel().OpenPath(sim::SimBackend::VendorPath(sim::SimKind::Mouse), true, true, true,
                                                    false);
        transport.SetLinkMode(static_cast<int>(protocol::LinkMode::Wired));
        transport.SetOpen(true);

        engine_.light.SelectItem = kColourCycle;
        engine_.light.Light = kFastest;  // brightness level 4
        engine_.light.Speed = kFastest;
        engine_.light.MultiColor = 1;
        animating_ = lighting == Lighting::Animating;
        if (!animating_) lighting::StepStatic(engine_, device_->Leds());
        if (lighting == Lighting::Idle) device_->SetHostLighting(false);

        thread_ = std::make_unique<devices::LightingThread>(
            ticks_, devices::LightingSchedule{[this] { return NextStep(); }, [this] { RunStep(); }});
        firmware_->ClearFrames();
    }
    ~CableMouse() { thread_->Stop(); }

    bool Opened() const { return opened_; }
    devices::CMorvaneUSBDevice& Device() { return *device_; }
    devices::LightingThread& Thread() { return *thread_; }
    std::uint64_t Steps() const { return steps_.load(); }
    std::uint64_t StreamFrames(Responder responder) const {
        if (responder == Responder::Echo) return echo_.Writes();
        std::uint64_t frames = 0;
        for (const auto& record : firmware_->Frames())
            if (record.frame[protocol::frame::kCommand] == protocol::cmd::kLightStream) ++frames;
        return frames;
    }

private:
    // Nothing to animate for a static effect: the thread parks.
    std::optional<std::uint32_t> NextStep() const {
        if (!animating_) return std::nullopt;
        return lighting::Interval(lighting::IntervalTable::kDevice, engine_.light.SelectItem, engine_.light.Speed);
    }
    void RunStep() {
        lighting::StepColourCycle(engine_, device_->Leds());
        steps_.fetch_add(1, std::memory_order_relaxed);
    }

    sim::SimBackend simulator_;
    EchoBackend echo_;
    sim::SimFirmware* firmware_ = nullptr;
    std::unique_ptr<devices::CMorvaneUSBDevice> device_;
    bool opened_ = false;
    bool animating_ = false;
    platform::SteadyTickSource ticks_;
    lighting::EngineState engine_;  // the lighting thread's alone once it runs
    std::atomic<std::uint64_t> steps_{0};
    std::unique_ptr<devices::LightingThread> thread_;
};

void BM_DeviceCpu(benchmark::State& state, Lighting lighting, Responder responder) {
    for (auto _ : state) {
        CableMouse mouse(responder, lighting);
        if (!mouse.Opened()) return state.SkipWithError("simulated mouse did not open");
        mouse.Thread().Start();
        std::optional<StreamTimer> timer;
        if (lighting != Lighting::Idle) timer.emplace(mouse.Device());
        std::this_thread::sleep_for(kWarmUp);

        const std::uint64_t steps = mouse.Steps();
        const std::uint64_t frames = mouse.StreamFrames(responder);
        const Seconds timerCpu = timer ? timer->OwnCpu() : Seconds{};
        const Seconds cpu = CpuClock(CLOCK_PROCESS_CPUTIME_ID);
        const auto start = Clock::now();
        std::this_thread::sleep_for(kWindow);
        const Seconds wall = Clock::now() - start;
        const Seconds used = CpuClock(CLOCK_PROCESS_CPUTIME_ID) - cpu;
        const Seconds timerUsed = timer ? timer->OwnCpu() - timerCpu : Seconds{};
        const auto stepsRun = static_cast<double>(mouse.Steps() - steps);
        const auto framesSent = static_cast<double>(mouse.StreamFrames(responder) - frames);
        timer.reset();

        state.SetIterationTime(wall.count());
        state.counters["CPU%"] = 100.0 * used.count() / wall.count();
        state.counters["timer CPU%"] = 100.0 * timerUsed.count() / wall.count();
        state.counters["steps/s"] = stepsRun / wall.count();
        state.counters["frames/s"] = framesSent / wall.count();
    }
}

// One wall window per case: the figure is a rate over it, not a per-iteration time.
void OneWindow(benchmark::internal::Benchmark* b) { b->Iterations(1)->UseManualTime()->Unit(benchmark::kMillisecond); }

BENCHMARK_CAPTURE(BM_DeviceCpu, animating_sim, Lighting::Animating, Responder::Simulator)->Apply(OneWindow);
BENCHMARK_CAPTURE(BM_DeviceCpu, static_streaming_sim, Lighting::Static, Responder::Simulator)->Apply(OneWindow);
BENCHMARK_CAPTURE(BM_DeviceCpu, idle_sim, Lighting::Idle, Responder::Simulator)->Apply(OneWindow);
BENCHMARK_CAPTURE(BM_DeviceCpu, animating_echo, Lighting::Animating, Responder::Echo)->Apply(OneWindow);
BENCHMARK_CAPTURE(BM_DeviceCpu, static_streaming_echo, Lighting::Static, Responder::Echo)->Apply(OneWindow);

}  // namespace
