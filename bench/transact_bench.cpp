// Round trips through CDeviceTransport against the simulated devices: single
// logged frames, and chunked writes on either link.
#include <benchmark/benchmark.h>

#include <vector>

#include "protocol/commands.h"
#include "protocol/device_transport.h"
#include "sim/sim_backend.h"
#include "sim/sim_models.h"

namespace {

using namespace vandrel;

// A transport opened on a simulated device over the given link mode.
class SimDevice {
public:
    SimDevice(sim::SimKind kind, int linkMode) {
        const bool receiver = linkMode == static_cast<int>(protocol::LinkMode::Wireless);
        const sim::SimLink link = receiver ? sim::SimLink::Receiver : sim::SimLink::Cable;
        backend_.Plug(kind, link);
        device_io::CHidChannel& channel = receiver ? transport_.WirelessChannel() : transport_.WiredChannel();
        opened_ = channel.OpenPath(sim::SimBackend::VendorPath(kind, link), true, true, true, false);
        transport_.SetOpen(true);
        transport_.SetLinkMode(linkMode);
    }

    bool Opened() const { return opened_; }
    protocol::CDeviceTransport& Transport() { return transport_; }

private:
    sim::SimBackend backend_;
    protocol::CDeviceTransport transport_{backend_};
    bool opened_ = false;
};

void BM_TransactRoundTrip(benchmark::State& state) {
    SimDevice mouse(sim::SimKind::Mouse, 1);
    if (!mouse.Opened()) return state.SkipWithError("simulated mouse did not open");
    protocol::Frame request = protocol::MakeRequest(protocol::cmd::kSequenceBegin);
    protocol::StampChecksum(request);
    protocol::Frame reply{};
    for (auto _ : state) {
        const protocol::Status status =
            mouse.Transport().Transact(request.data(), request.size(), reply.data(), reply.size(), nullptr);
        if (status != protocol::Status::Ok) return state.SkipWithError("transaction failed");
        benchmark::DoNotOptimize(reply);
    }
    state.counters["frames/s"] =
        benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_TransactRoundTrip);

// A chunked write of `bytes` bytes, reported as frames per second.
template <typename Write>
void RunChunkedWrite(benchmark::State& state, SimDevice& device, std::size_t bytes, Write write) {
    if (!device.Opened()) return state.SkipWithError("simulated device did not open");
    protocol::CDeviceTransport& transport = device.Transport();
    std::vector<std::uint8_t> data(bytes);
    for (std::size_t i = 0; i < data.size(); ++i) data[i] = static_cast<std::uint8_t>(i);
    const std::size_t framesPerWrite = (data.size() + transport.ChunkSize() - 1) / transport.ChunkSize();
    for (auto _ : state) {
        if (write(transport, data) != protocol::Status::Ok) return state.SkipWithError("chunked write failed");
    }
    state.counters["frames/s"] =
        benchmark::Counter(static_cast<double>(state.iterations() * framesPerWrite), benchmark::Counter::kIsRate);
    state.counters["frames/write"] = static_cast<double>(framesPerWrite);
}

// The argument of the chunked benchmarks is the link mode (1 cable, 2 receiver).

// 512 bytes through the chunked-transfer routine: 10 frames on the cable, 22
// on the receiver. The simulated mouse keeps a key map of its own size (33
// bytes), so its 4 KiB macro memory takes the 512 bytes.
void BM_ChunkedWrite512(benchmark::State& state) {
    SimDevice mouse(sim::SimKind::Mouse, static_cast<int>(state.range(0)));
    RunChunkedWrite(state, mouse, 512,
                    [](auto& t, const auto& data) { return protocol::CMD_WRITE_MACROS(t, data.data(), data.size()); });
}
BENCHMARK(BM_ChunkedWrite512)->Arg(1)->Arg(2);

// The keyboard's whole key map (3 bytes per key slot) with command 0x09.
void BM_KeyMapWrite(benchmark::State& state) {
    SimDevice keyboard(sim::SimKind::Keyboard, static_cast<int>(state.range(0)));
    if (!keyboard.Transport().SetMemorySize(
            static_cast<std::uint16_t>(sim::ModelOf(sim::SimKind::Keyboard).factoryKeys.size() * 3)))
        return state.SkipWithError("the keyboard's key map does not fit the transport");
    RunChunkedWrite(state, keyboard, keyboard.Transport().MemorySize(),
                    [](auto& t, const auto& data) { return protocol::CMD_WRITE_KEY_MAP(t, data.data(), 0); });
}
BENCHMARK(BM_KeyMapWrite)->Arg(1)->Arg(2);

}  // namespace
