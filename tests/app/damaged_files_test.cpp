// The program's start with a damaged file of the user in its place, offscreen,
// with a simulated mouse: the start completes, the user's bytes are still on
// disk afterwards (in place or in a backup beside them), nothing is written
// outside the program's folders, and the notice line says which file was set
// aside.
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <memory>
#include <set>

#include <QElapsedTimer>
#include <QLabel>
#include <QTemporaryDir>
#include <QtTest>

#include "app/main_window.h"
#include "devices/mouse/mouse_device.h"
#include "platform/file_guard.h"
#include "platform/file_io.h"
#include "platform/folders.h"
#include "program_files.h"
#include "sim/sim_backend.h"
#include "ui/find_control.h"

using namespace vandrel;
namespace fs = std::filesystem;

namespace {

constexpr int kStartBoundMs = 5000;
constexpr const char* kList = "data/VANDREL/mouse/ProfileList.ini";
constexpr const char* kProfile = "data/VANDREL/mouse/P1.Json";
constexpr const char* kSettings = "config/VANDREL/settings.ini";
constexpr const char* kGoodList =
    R"({"profilelist": [{"profilename": "mine", "profileUUID": "P1", "profileislink": 0, "profilelinkmame": ""}],
        "profileselect": 0})";

std::string ReadBytes(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// What stands at a path, told apart well enough to find it again after a move.
std::string Fingerprint(const fs::path& path) {
    const fs::file_status status = fs::symlink_status(path);
    if (fs::is_symlink(status)) return "link to " + fs::read_symlink(path).string();
    if (fs::is_fifo(status)) return "pipe";
    if (fs::is_directory(status)) return "folder";
    if (!fs::is_regular_file(status)) return "none";
    const auto size = fs::file_size(path);
    // A sparse file over the cap is compared by size: reading it is the point.
    return size > 1024 * 1024 ? "file of " + std::to_string(size) + " bytes" : "file: " + ReadBytes(path);
}

ino_t InodeOf(const fs::path& path) {
    struct stat info {};
    return ::lstat(path.c_str(), &info) == 0 ? info.st_ino : 0;
}

// Every path below `root`, relative to it.
std::set<std::string> Tree(const fs::path& root) {
    std::set<std::string> paths;
    for (auto it = fs::recursive_directory_iterator(root); it != fs::recursive_directory_iterator(); ++it)
        paths.insert(it->path().lexically_relative(root).string());
    return paths;
}

struct Case {
    const char* name;
    const char* damaged;  // the file in question, relative to the temporary root
    std::function<void(const fs::path& file)> make;
    platform::FileStep faultStep;  // injected for the damaged file only
    int fault;                     // errno, or 0 for none
    bool leftInPlace;              // the backup cannot be made: the file stays as it is
};

void WriteText(const fs::path& file, const std::string& text) { std::ofstream(file, std::ios::binary) << text; }

const std::vector<Case>& Cases() {
    using platform::FileStep;
    static const std::vector<Case> cases = {
        {"settings: a named pipe", kSettings, [](const fs::path& f) { ::mkfifo(f.c_str(), 0600); },
         FileStep::kOpenForRead, 0, false},
        {"settings: a link to /dev/zero", kSettings, [](const fs::path& f) { fs::create_symlink("/dev/zero", f); },
         FileStep::kOpenForRead, 0, false},
        {"settings: a folder", kSettings, [](const fs::path& f) { fs::create_directories(f / "inside"); },
         FileStep::kOpenForRead, 0, false},
        {"profile: no access", kProfile, [](const fs::path& f) { WriteText(f, R"({"Device": [{}]})"); },
         FileStep::kOpenForRead, EACCES, false},
        {"list: no access", kList, [](const fs::path& f) { WriteText(f, kGoodList); }, FileStep::kOpenForRead, EACCES,
         false},
        {"profile: over the cap", kProfile,
         [](const fs::path& f) {
             WriteText(f, "{}");
             fs::resize_file(f, platform::kMaxReadSize + 1);
         },
         FileStep::kOpenForRead, 0, false},
        {"profile: garbage", kProfile, [](const fs::path& f) { WriteText(f, "\x01garbage\xFF"); },
         FileStep::kOpenForRead, 0, false},
        {"profile: trailing garbage", kProfile,
         [](const fs::path& f) { WriteText(f, R"({"Device": [{}]}}}}garbage)"); }, FileStep::kOpenForRead, 0, false},
        {"profile: wrong type", kProfile, [](const fs::path& f) { WriteText(f, R"(["Device"])"); },
         FileStep::kOpenForRead, 0, false},
        {"list: strings as entries", kList,
         [](const fs::path& f) {
             WriteText(f,
                       R"({"profilelist": ["x", {"profilename": "mine", "profileUUID": "P1"}], "profileselect": 1})");
         },
         FileStep::kOpenForRead, 0, false},
        {"profile: garbage, disk full for the copy", kProfile, [](const fs::path& f) { WriteText(f, "garbage"); },
         FileStep::kBackup, ENOSPC, true},
        {"list: garbage, disk full for the copy", kList, [](const fs::path& f) { WriteText(f, "[garbage"); },
         FileStep::kBackup, ENOSPC, true},
        {"profile: garbage, old .bak is a folder", kProfile,
         [](const fs::path& f) {
             fs::create_directories(f.string() + ".bak");
             WriteText(f, "garbage");
         },
         FileStep::kOpenForRead, 0, false},
    };
    return cases;
}

}  // namespace

class DamagedFilesTest : public QObject {
    Q_OBJECT

private slots:
    void startCompletesAndKeepsTheUsersBytes_data() {
        QTest::addColumn<int>("index");
        for (std::size_t i = 0; i < Cases().size(); ++i) QTest::newRow(Cases()[i].name) << static_cast<int>(i);
    }

    void startCompletesAndKeepsTheUsersBytes() {
        QFETCH(int, index);
        const Case& c = Cases()[static_cast<std::size_t>(index)];
        QTemporaryDir temp;
        testing::UseProgramFiles(temp);
        const fs::path root = temp.path().toStdString();
        fs::create_directories(root / "config/VANDREL");
        fs::create_directories(root / "data/VANDREL/mouse");
        if (std::string(c.damaged) != kList) WriteText(root / kList, kGoodList);
        const fs::path damaged = root / c.damaged;
        c.make(damaged);
        const std::string original = Fingerprint(damaged);
        const std::set<std::string> defaults = Tree(VANDREL_BIN_DIR "/DefaultData/");
        if (c.fault != 0) {
            // Like a real lack of access, the fault belongs to the user's file,
            // not to a new one the program writes after moving it aside.
            const auto inode = InodeOf(damaged);
            platform::SetFileFaultForTests([&c, damaged, inode](platform::FileStep step, const std::string& path) {
                return step == c.faultStep && path == damaged.string() && InodeOf(damaged) == inode ? c.fault : 0;
            });
        }

        QElapsedTimer started;
        started.start();
        {
            sim::SimBackend backend;
            backend.Plug(sim::SimKind::Mouse, sim::SimLink::Cable);
            app::CMainWnd window(backend, nullptr, nullptr, app::CMainWnd::Settings{.useTray = false});
            window.Prepare();
            QTRY_VERIFY_WITH_TIMEOUT(window.FirstScanDone(), kStartBoundMs);
            QTRY_VERIFY_WITH_TIMEOUT(
                dynamic_cast<devices::CMorvaneMouseDevice*>(window.CurrentDevice()) != nullptr &&
                    !dynamic_cast<devices::CMorvaneMouseDevice*>(window.CurrentDevice())->GetProfilePath().empty(),
                kStartBoundMs);
            QVERIFY2(started.elapsed() < kStartBoundMs, "the start took too long");

            // The notice line names the file, in the window's own language.
            auto* notice = qobject_cast<QLabel*>(ui::FindControl(window.Root(), QStringLiteral("device_notice")));
            QVERIFY(notice != nullptr);
            const QString name = QString::fromStdString(damaged.filename().string());
            QTRY_VERIFY2_WITH_TIMEOUT(notice->isVisible() && notice->text().contains(name), qPrintable(notice->text()),
                                      kStartBoundMs);
        }
        platform::SetFileFaultForTests({});
        platform::FileGuard::Instance().ResetForTests();

        // The bytes are where they were, or in a backup beside them.
        std::set<std::string> places;
        if (Fingerprint(damaged) == original) places.insert(damaged.filename().string());
        for (const auto& entry : fs::directory_iterator(damaged.parent_path())) {
            const std::string file = entry.path().filename().string();
            const std::string prefix = damaged.filename().string() + ".";
            if (file.rfind(prefix, 0) == 0 && file.ends_with(".bak") && file.size() > prefix.size() + 4 &&
                Fingerprint(entry.path()) == original)
                places.insert(file);
        }
        QVERIFY2(!places.empty(), "the original is gone");
        if (c.leftInPlace) QCOMPARE(Fingerprint(damaged), original);
        // A list that could not be replaced names no new profile: none is written.
        if (c.leftInPlace && std::string(c.damaged) == kList) {
            for (const auto& entry : fs::directory_iterator(damaged.parent_path()))
                QVERIFY2(entry.path().extension() != ".Json", entry.path().c_str());
        }

        // Nothing outside the program's two folders, nothing in the templates.
        for (const std::string& path : Tree(root)) {
            const bool inside = path == "config" || path == "data" || path.rfind("config/VANDREL", 0) == 0 ||
                                path.rfind("data/VANDREL", 0) == 0;
            QVERIFY2(inside, path.c_str());
        }
        QCOMPARE(Tree(VANDREL_BIN_DIR "/DefaultData/"), defaults);
    }
};

QTEST_MAIN(DamagedFilesTest)
#include "damaged_files_test.moc"
