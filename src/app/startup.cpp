#include "app/startup.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <sstream>
#include <string_view>
#include <vector>

#include <QApplication>
#include <QEvent>
#include <QGuiApplication>
#include <QScreen>
#include <QTimer>

#include "app/control_table.h"
#include "app/main_window.h"
#include "app/message_bus.h"
#include "app/private_fonts.h"
#include "app/registered_messages.h"
#include "platform/build_info.h"
#include "platform/folders.h"
#include "platform/hid_backend.h"
#include "platform/trace.h"
#include "sim/sim_backend.h"
#include "ui/dpi.h"
#include "ui/qt_text.h"
#include "ui/skin.h"

namespace vandrel::app {
namespace {

constexpr int kExitOk = 0;
constexpr int kExitUsage = 2;
constexpr int kExitNoDisplay = 3;
constexpr int kExitScreenshotFailed = 4;
// After the first scan the pages read their devices (first sync after
// 500 ms); the picture is taken once that has happened.
constexpr int kScreenshotDelayMs = 1500;

// Set in the environment, the program says on stderr when its main window
// first paints (start-up benchmark, bench/startup.sh).
constexpr const char* kReportFirstFrame = "VANDREL_REPORT_FIRST_FRAME";

// Taken while the program's static objects are made, before main.
const std::chrono::steady_clock::time_point processStart = std::chrono::steady_clock::now();

constexpr const char* kUsage =
    "usage: vandrel [--simulate[=DEVICES]] [--trace] [--hidden] [--screenshot FILE]\n"
    "       vandrel --help | --version\n"
    "\n"
    "  --simulate         use simulated devices instead of the real ones\n"
    "  --simulate=DEVICES only these, separated by commas: mouse, mouse-receiver,\n"
    "                     keyboard, keyboard-receiver, mousepad, headset\n"
    "  --trace            print the device frames and diagnostics on stderr\n"
    "  --hidden           start in the tray: the window shows when a device is\n"
    "                     plugged in or the program is started again\n"
    "  --screenshot FILE  render the main window to FILE (PNG) after the first\n"
    "                     device scan and exit; works without a display, and\n"
    "                     alongside a running instance\n"
    "  -h, --help         show this help and exit\n"
    "  --version          show the version and exit\n";

struct SimulatedName {
    std::string_view name;
    sim::SimKind kind;
    sim::SimLink link;
};
constexpr SimulatedName kSimulatedNames[] = {
    {"mouse", sim::SimKind::Mouse, sim::SimLink::Cable},
    {"mouse-receiver", sim::SimKind::Mouse, sim::SimLink::Receiver},
    {"keyboard", sim::SimKind::Keyboard, sim::SimLink::Cable},
    {"keyboard-receiver", sim::SimKind::Keyboard, sim::SimLink::Receiver},
    {"mousepad", sim::SimKind::MousePad, sim::SimLink::Cable},
    {"headset", sim::SimKind::Headset, sim::SimLink::Cable},
};

// The names, separated by commas, as the usage gives them.
std::string SimulatedNames() {
    std::string names;
    for (const SimulatedName& row : kSimulatedNames) names += (names.empty() ? "" : ", ") + std::string(row.name);
    return names;
}

const SimulatedName* SimulatedDevice(std::string_view name) {
    for (const SimulatedName& row : kSimulatedNames)
        if (row.name == name) return &row;
    return nullptr;
}

// Benchmarks and screenshots start a simulated device with a settings
// record of their choosing: VANDREL_SIM_RECORD="keyboard:00 0b 04 ..." is
// the record of onboard profile 0 in hexadecimal bytes. Anything it does not
// parse as a whole record is left alone.
void WriteSimulatedRecord(sim::SimBackend& backend) {
    const char* text = std::getenv("VANDREL_SIM_RECORD");
    if (text == nullptr) return;
    const std::string_view value(text);
    const std::size_t colon = value.find(':');
    const SimulatedName* row = colon == std::string_view::npos ? nullptr : SimulatedDevice(value.substr(0, colon));
    sim::SimFirmware* firmware = row != nullptr ? backend.Firmware(row->kind) : nullptr;
    if (firmware == nullptr) return;
    std::vector<std::uint8_t> record;
    std::istringstream hex{std::string(value.substr(colon + 1))};
    for (unsigned byte = 0; hex >> std::hex >> byte;) record.push_back(static_cast<std::uint8_t>(byte));
    if (!firmware->WriteRecord(0, record)) std::fprintf(stderr, "VANDREL_SIM_RECORD: not a whole record\n");
}

std::unique_ptr<sim::SimBackend> MakeSimulated(const std::vector<std::string>& names) {
    auto backend = names.empty() ? sim::SimBackend::WithDefaultDevices() : std::make_unique<sim::SimBackend>();
    for (const std::string& name : names)
        if (const SimulatedName* row = SimulatedDevice(name)) backend->Plug(row->kind, row->link);
    WriteSimulatedRecord(*backend);
    return backend;
}

bool HasDisplay() {
    const char* platform = std::getenv("QT_QPA_PLATFORM");
    if (platform != nullptr && *platform != '\0') return true;  // chosen explicitly (offscreen, vnc, ...)
    for (const char* variable : {"DISPLAY", "WAYLAND_DISPLAY"}) {
        const char* value = std::getenv(variable);
        if (value != nullptr && *value != '\0') return true;
    }
    return false;
}

// Prints "vandrel: first frame N ms" at the first paint of the widget it
// watches; then it stops watching.
class FirstFrameReport : public QObject {
public:
    explicit FirstFrameReport(QWidget& window) : QObject(&window) { window.installEventFilter(this); }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint) {
            watched->removeEventFilter(this);
            const std::chrono::duration<double, std::milli> elapsed = std::chrono::steady_clock::now() - processStart;
            std::fprintf(stderr, "vandrel: first frame %.1f ms\n", elapsed.count());
        }
        return false;
    }
};

void TakeScreenshot(CMainWnd& window, const std::string& file) {
    window.show();
    const bool saved = window.grab().save(QString::fromStdString(file), "PNG");
    if (!saved) std::fprintf(stderr, "vandrel: cannot write the screenshot %s\n", file.c_str());
    window.Quit();
    QCoreApplication::exit(saved ? kExitOk : kExitScreenshotFailed);
}

}  // namespace

std::optional<StartOptions> ParseStartOptions(int argc, char** argv, std::string& error) {
    StartOptions options;
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        if (arg == "--simulate") options.simulate = true;
        else if (arg.starts_with("--simulate=")) {
            options.simulate = true;
            std::string_view list = arg.substr(std::string_view("--simulate=").size());
            while (!list.empty()) {
                const std::size_t comma = list.find(',');
                const std::string_view name = list.substr(0, comma);
                if (!SimulatedDevice(name)) {
                    error = "unknown simulated device " + std::string(name) + " (" + SimulatedNames() + ")";
                    return std::nullopt;
                }
                options.simulated.emplace_back(name);
                list = comma == std::string_view::npos ? std::string_view() : list.substr(comma + 1);
            }
        } else if (arg == "--trace") options.trace = true;
        else if (arg == "--hidden") options.hidden = true;
        else if (arg == "--screenshot") {
            if (i + 1 >= argc || std::string_view(argv[i + 1]).empty()) {
                error = "--screenshot needs a file name";
                return std::nullopt;
            }
            options.screenshot = argv[++i];
        } else if (arg == "-h" || arg == "--help") options.help = true;
        else if (arg == "--version") options.version = true;
        else {
            error = "unknown option " + std::string(arg);
            return std::nullopt;
        }
    }
    return options;
}

int RunProgram(int argc, char** argv) {
    std::string error;
    const std::optional<StartOptions> options = ParseStartOptions(argc, argv, error);
    if (!options) {
        std::fprintf(stderr, "vandrel: %s\n%s", error.c_str(), kUsage);
        return kExitUsage;
    }
    if (options->help) {
        std::fputs(kUsage, stdout);
        return kExitOk;
    }
    if (options->version) {
        std::printf("vandrel %.*s\n", static_cast<int>(platform::build::kProgramVersion.size()),
                    platform::build::kProgramVersion.data());
        return kExitOk;
    }
    if (!HasDisplay()) {
        if (options->screenshot.empty()) {
            std::fputs(
                "vandrel: no graphical session (neither DISPLAY nor WAYLAND_DISPLAY is set).\n"
                "Start it from a desktop session, or try it headless:\n"
                "  vandrel --simulate --screenshot shot.png   (renders the main window to a PNG)\n"
                "  QT_QPA_PLATFORM=offscreen vandrel --simulate\n",
                stderr);
            return kExitNoDisplay;
        }
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    platform::SetTraceEnabled(options->trace);

    QApplication application(argc, argv);
    QApplication::setApplicationName(QString::fromLatin1(kAppTitle.data(), static_cast<qsizetype>(kAppTitle.size())));
    QApplication::setApplicationVersion(ui::ToQt(platform::build::kProgramVersion));
    // The desktop entry's name: Wayland compositors match the window to it.
    QGuiApplication::setDesktopFileName(QStringLiteral("org.vandrel.Vandrel"));
    QApplication::setQuitOnLastWindowClosed(false);

    MessageBus bus;
    // A screenshot is this process's own: it neither hands over to a running
    // instance nor claims the name.
    const MessageBus::Claim claim = options->screenshot.empty() ? bus.ClaimInstance() : MessageBus::Claim::NoBus;
    if (claim == MessageBus::Claim::AlreadyRunning) {
        // The running instance comes to the front; this one shows nothing.
        bus.CallInstance(QStringLiteral("TitleMessage"), 0, kTitleFromSecondInstance);
        return kExitOk;
    }
    // The fonts only once this is the instance that stays: a second start
    // hands over at once.
    const PrivateFonts fonts(QString::fromStdString(platform::ProgramDataFolder("Font")));
    if (claim == MessageBus::Claim::NoBus && options->screenshot.empty())
        std::fprintf(stderr, "vandrel: no session bus (%s): single instance and messages between programs are off\n",
                     bus.LastError().toLocal8Bit().constData());

    ui::Skin::Instance().SetFolder(ui::DefaultSkinFolder());
    ui::SetBaseStyleSheet(ui::Skin::Instance().StyleSheet());
    RegisterProgramControls(ui::GlobalControlFactory());

    std::unique_ptr<sim::SimBackend> simulated;
    if (options->simulate) simulated = MakeSimulated(options->simulated);
    platform::IHidBackend& backend = simulated ? *simulated : platform::DefaultHidBackend();

    int code = kExitOk;
    {
        CMainWnd window(backend, claim == MessageBus::Claim::Owner ? &bus : nullptr, &fonts,
                        CMainWnd::Settings{.useTray = options->screenshot.empty(),
                                           .startHidden = options->hidden && options->screenshot.empty()});
        if (QScreen* screen = QGuiApplication::primaryScreen())
            window.move(screen->availableGeometry().center() - window.rect().center());
        if (!options->screenshot.empty()) {
            QObject::connect(&window, &CMainWnd::FirstScanCompleted, &window, [&window, file = options->screenshot] {
                QTimer::singleShot(kScreenshotDelayMs, &window, [&window, file] { TakeScreenshot(window, file); });
            });
        }
        if (qEnvironmentVariableIsSet(kReportFirstFrame)) new FirstFrameReport(window);  // owned by the window
        window.show();
        window.Prepare();
        code = QApplication::exec();
        window.StopWorkers();
    }
    // The fonts go last, after every window that used them.
    return code;
}

}  // namespace vandrel::app
