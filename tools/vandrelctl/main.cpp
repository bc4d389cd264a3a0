// vandrelctl: the command-line tool over the device layers.
//
//   vandrelctl --help | --version
//   vandrelctl [--simulate] list
//   vandrelctl [--simulate] [--trace] info PATH
//   vandrelctl [--simulate] [--trace] send PATH HEX...
//
// "send" takes the frame from byte 3 on (command, length, offset low and high,
// byte 7, payload); the report id, the zero padding and the checksum are
// filled in here.
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "device_io/hid_channel.h"
#include "device_io/supported_devices.h"
#include "interface_list.h"
#include "platform/build_info.h"
#include "platform/bytes.h"
#include "platform/trace.h"
#include "platform/udev_rule.h"
#include "protocol/commands.h"
#include "protocol/device_transport.h"
#include "sim/sim_backend.h"

namespace {

using namespace vandrel;

constexpr int kExitOk = 0;
constexpr int kExitDevice = 1;
constexpr int kExitUsage = 2;

constexpr const char* kUsage =
    "usage: vandrelctl [--simulate] [--trace] COMMAND\n"
    "       vandrelctl --help | --version\n"
    "\n"
    "commands:\n"
    "  list                 show the supported device interfaces present\n"
    "  info PATH            read the information block of a device\n"
    "  send PATH HEX...     send one frame (bytes from the command on) and print the reply\n"
    "\n"
    "options:\n"
    "  --simulate           use simulated devices instead of the real ones\n"
    "  --trace              print every frame sent and received\n"
    "  -h, --help           show this help and exit\n"
    "  --version            show the version and exit\n";

struct Options {
    bool simulate = false;
    bool trace = false;
    bool help = false;
    bool version = false;
    std::vector<std::string> words;
};

// Nothing for a command line that cannot run, after saying why on stderr.
std::optional<Options> ParseArgs(int argc, char** argv) {
    Options options;
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        if (arg == "--simulate") options.simulate = true;
        else if (arg == "--trace") options.trace = true;
        else if (arg == "-h" || arg == "--help") options.help = true;
        else if (arg == "--version") options.version = true;
        else if (arg.size() > 1 && arg.starts_with('-')) {
            std::fprintf(stderr, "vandrelctl: unknown option '%s'\n", argv[i]);
            return std::nullopt;
        } else options.words.emplace_back(arg);
    }
    if (options.words.empty() && !options.help && !options.version) {
        std::fprintf(stderr, "vandrelctl: no command given\n");
        return std::nullopt;
    }
    return options;
}

std::string Hex(const std::uint8_t* bytes, std::size_t count) {
    std::string out;
    char buf[4];
    for (std::size_t i = 0; i < count; ++i) {
        std::snprintf(buf, sizeof buf, i ? " %02x" : "%02x", bytes[i]);
        out += buf;
    }
    return out;
}

int List() {
    if (!tool::ListInterfaces(stdout, platform::AdviseUdevAccess(platform::ThisProgramsUdevFacts()))) {
        std::fprintf(stderr, "vandrelctl: cannot list HID devices\n");
        return kExitDevice;
    }
    return kExitOk;
}

// Opens the transport on PATH over the link its product id implies.
bool OpenTransport(protocol::CDeviceTransport& transport, const std::string& path) {
    const auto pid = static_cast<std::uint16_t>(device_io::PathNumber(path, "pid_"));
    const auto vid = static_cast<std::uint16_t>(device_io::PathNumber(path, "vid_"));
    bool receiver = false;
    for (const auto& row : device_io::SupportedDeviceTable())
        if (row.vendorId == vid && row.productId == pid) receiver = device_io::IsReceiverType(row.deviceType);

    auto& channel = receiver ? transport.WirelessChannel() : transport.WiredChannel();
    if (!channel.OpenPath(path, true, true, true, false)) {
        const std::string why = tool::OpenFailureText(channel.LastOpenError(),
                                                      platform::AdviseUdevAccess(platform::ThisProgramsUdevFacts()));
        std::fprintf(stderr, "vandrelctl: %s: %s\n", path.c_str(), why.c_str());
        return false;
    }
    // Only a collection with an output report of a whole frame takes frames;
    // writing one elsewhere would only fail.
    if (channel.OutputReportLength() < protocol::kFrameSize) {
        std::fprintf(stderr,
                     "vandrelctl: %s: the collection (usage %04x:%04x) takes no frames; "
                     "use the device's vendor collection (see 'vandrelctl list')\n",
                     path.c_str(), channel.UsagePage(), channel.Usage());
        return false;
    }
    transport.SetLinkMode(receiver ? 2 : 1);
    transport.SetOpen(true);
    return true;
}

const char* StatusText(protocol::Status status) {
    switch (status) {
        case protocol::Status::Ok: return "ok";
        case protocol::Status::ReadFailed: return "no answer (time-out, or no matching reply)";
        case protocol::Status::WriteFailed: return "write failed (device gone?)";
        case protocol::Status::NoDevice: return "the receiver has no device behind it (out of range or off)";
        case protocol::Status::RefusedFF: return "refused by the device (0xFF)";
        case protocol::Status::RefusedFE: return "refused by the device (0xFE)";
        case protocol::Status::BadBank: return "bad memory bank";
        default: return "unknown status";
    }
}

int Info(const std::string& path) {
    protocol::CDeviceTransport transport;
    if (!OpenTransport(transport, path)) return kExitDevice;

    std::uint8_t info[protocol::kInfoBlockSize] = {};
    // Only the read's status is reported: a device that misses the opening
    // frame fails the read too, and the closing one changes nothing read.
    static_cast<void>(protocol::CMD_SEQUENCE_BEGIN(transport));
    const protocol::Status status = protocol::CMD_READ_INFO(transport, info);
    static_cast<void>(protocol::CMD_SEQUENCE_END(transport));
    if (status != protocol::Status::Ok) {
        std::fprintf(stderr, "vandrelctl: %s: information block not read: %s (%d)\n", path.c_str(), StatusText(status),
                     protocol::ToInt(status));
        return kExitDevice;
    }
    const auto u16 = [&](std::size_t at) { return unsigned{platform::ReadLe16(info, at)}; };
    std::printf("information block: %s\n", Hex(info, sizeof info).c_str());
    std::printf("key slots:        %u\n", info[5]);
    std::printf("sensor code:      0x%04x\n", u16(9));
    std::printf("DPI step:         %u\n", info[11]);
    std::printf("highest position: %u\n", u16(12));
    std::printf("lowest DPI:       %u\n", u16(14));
    std::printf("macro capacity:   %u bytes\n", info[18] * 128u);
    return kExitOk;
}

std::optional<std::vector<std::uint8_t>> ParseHexBytes(const std::vector<std::string>& words) {
    std::vector<std::uint8_t> bytes;
    for (const auto& word : words) {
        std::string_view w = word;
        if (w.starts_with("0x") || w.starts_with("0X")) w.remove_prefix(2);
        if (w.empty() || w.size() > 2) return std::nullopt;
        unsigned value = 0;
        for (const char c : w) {
            const int digit = (c >= '0' && c <= '9')   ? c - '0'
                              : (c >= 'a' && c <= 'f') ? c - 'a' + 10
                              : (c >= 'A' && c <= 'F') ? c - 'A' + 10
                                                       : -1;
            if (digit < 0) return std::nullopt;
            value = value * 16 + static_cast<unsigned>(digit);
        }
        bytes.push_back(static_cast<std::uint8_t>(value));
    }
    return bytes;
}

int Send(const std::string& path, const std::vector<std::string>& hexWords) {
    const auto bytes = ParseHexBytes(hexWords);
    constexpr std::size_t kMaxFromCommand = protocol::kFrameSize - protocol::frame::kCommand;
    if (!bytes || bytes->empty() || bytes->size() > kMaxFromCommand) {
        std::fprintf(stderr, "vandrelctl: send takes 1 to %zu hexadecimal bytes (00..ff) from the command byte on\n",
                     kMaxFromCommand);
        return kExitUsage;
    }
    protocol::Frame request = protocol::MakeRequest((*bytes)[0]);
    std::copy(bytes->begin(), bytes->end(), request.begin() + protocol::frame::kCommand);
    protocol::StampChecksum(request);

    protocol::CDeviceTransport transport;
    if (!OpenTransport(transport, path)) return kExitDevice;

    protocol::Frame reply{};
    std::size_t read = 0;
    protocol::Status status;
    {
        std::lock_guard lock(transport.CommandLock());
        status = transport.Transact(request.data(), request.size(), reply.data(), reply.size(), &read);
    }
    status = protocol::ReplyStatus(status, reply);
    if (read > 0) std::printf("reply:  %s\n", Hex(reply.data(), reply.size()).c_str());
    std::printf("status: %d (%s)\n", protocol::ToInt(status), StatusText(status));
    return status == protocol::Status::Ok ? kExitOk : kExitDevice;
}

// The commands: name, how many words they take after the name and what those
// are, and what they run.
struct Command {
    std::string_view name;
    std::size_t fewestArgs;
    std::size_t mostArgs;
    const char* takes;
    int (*run)(const std::vector<std::string>& args);
};

constexpr std::size_t kAnyCount = std::numeric_limits<std::size_t>::max();

constexpr Command kCommands[] = {
    {"list", 0, 0, "no arguments", [](const std::vector<std::string>&) { return List(); }},
    {"info", 1, 1, "PATH", [](const std::vector<std::string>& args) { return Info(args[0]); }},
    {"send", 2, kAnyCount, "PATH HEX...",
     [](const std::vector<std::string>& args) {
         return Send(args[0], {args.begin() + 1, args.end()});
     }},
};

// Runs the command the words name; a name or a word count that does not fit
// is said by name, with the usage.
int RunCommand(const std::vector<std::string>& words) {
    const std::string& name = words[0];
    const std::vector<std::string> args(words.begin() + 1, words.end());
    for (const Command& command : kCommands) {
        if (command.name != name) continue;
        if (args.size() >= command.fewestArgs && args.size() <= command.mostArgs) return command.run(args);
        std::fprintf(stderr, "vandrelctl: '%s' takes %s\n", name.c_str(), command.takes);
        std::fputs(kUsage, stderr);
        return kExitUsage;
    }
    std::fprintf(stderr, "vandrelctl: unknown command '%s'\n", name.c_str());
    std::fputs(kUsage, stderr);
    return kExitUsage;
}

}  // namespace

int main(int argc, char** argv) {
    const auto options = ParseArgs(argc, argv);
    if (!options) {
        std::fputs(kUsage, stderr);
        return kExitUsage;
    }
    if (options->help) {
        std::fputs(kUsage, stdout);
        return kExitOk;
    }
    if (options->version) {
        std::printf("vandrelctl %.*s\n", static_cast<int>(platform::build::kProgramVersion.size()),
                    platform::build::kProgramVersion.data());
        return kExitOk;
    }
    // Line-buffered output keeps the printed results in order with the trace,
    // which goes to stderr.
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    platform::SetTraceEnabled(options->trace);

    std::unique_ptr<sim::SimBackend> simulated;
    if (options->simulate) {
        simulated = sim::SimBackend::WithDefaultDevices();
        platform::SetDefaultHidBackend(simulated.get());
    }

    const int result = RunCommand(options->words);

    platform::SetDefaultHidBackend(nullptr);
    return result;
}
