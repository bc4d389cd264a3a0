// The whole program with a simulated mouse, offscreen: the window, the scan,
// the device manager, the mouse, its page and the profile files, through the
// real widgets and real files in a temporary folder.
#include <algorithm>
#include <memory>

#include <QAbstractButton>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QSlider>
#include <QTimer>
#include <QtTest>

#include <json/json.h>

#include "app/control_table.h"
#include "app/main_window.h"
#include "device_io/device_tables.h"
#include "devices/mouse/mouse_device.h"
#include "platform/folders.h"
#include "profiles/json_file_store.h"
#include "program_files.h"
#include "protocol/report_frame.h"
#include "sim/sim_backend.h"
#include "ui/controls/device_option.h"
#include "ui/find_control.h"
#include "ui/skin.h"
#include "ui/text_resources.h"

using namespace vandrel;
using sim::SimKind;
using sim::SimLink;

namespace {

constexpr int kWaitMs = 5000;
constexpr std::uint8_t kSequenceBegin = 0x01;
constexpr std::uint8_t kSequenceEnd = 0x02;
constexpr std::uint8_t kReadInfo = 0x03;
constexpr std::uint8_t kReadKeyMap = 0x07;
constexpr std::uint8_t kWriteAt = 0x06;
constexpr std::uint8_t kLightStream = 0x12;

struct Request {
    std::uint8_t command;
    int length;
    int offset;
    bool operator==(const Request&) const = default;
};

// The settings requests the mouse received: no stream, power or link polls.
std::vector<Request> SettingsRequests(const sim::SimFirmware& firmware) {
    std::vector<Request> requests;
    for (const auto& record : firmware.Frames()) {
        const protocol::Frame& f = record.frame;
        const std::uint8_t command = f[3];
        if (command != kSequenceBegin && command != kSequenceEnd && command != kWriteAt) continue;
        requests.push_back({command, f[4], f[5] | f[6] << 8});
    }
    return requests;
}

bool Received(const sim::SimFirmware& firmware, std::uint8_t command) {
    const auto frames = firmware.Frames();
    return std::ranges::any_of(frames, [command](const auto& r) { return r.frame[3] == command; });
}

QString LanguageText(const char* id) { return ui::TextResources::Instance().Text(QLatin1String(id)); }

}  // namespace

class MouseEndToEndTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { testing::UseProgramFiles(temp_); }

    void init() {
        backend_ = std::make_unique<sim::SimBackend>();
        firmware_ = &backend_->Plug(SimKind::Mouse, SimLink::Cable);
        window_ =
            std::make_unique<app::CMainWnd>(*backend_, nullptr, nullptr, app::CMainWnd::Settings{.useTray = false});
        window_->Prepare();
        QTRY_VERIFY_WITH_TIMEOUT(window_->FirstScanDone(), kWaitMs);
        QTRY_VERIFY_WITH_TIMEOUT(Mouse() != nullptr, kWaitMs);
        // Connected: the information block is read and the page shows it.
        QTRY_VERIFY_WITH_TIMEOUT(Mouse()->Info()[5] != 0, kWaitMs);
        QTRY_VERIFY_WITH_TIMEOUT(Control<QSlider>("DPI_slider_1")->maximum() > 0, kWaitMs);
    }

    void cleanup() {
        window_.reset();
        backend_.reset();
    }

    void mouseTabAppearsSelectedAndItsSettingsReachMouseAndFile() {
        ui::CDeviceOptionUI* tab = Tab();
        QVERIFY(tab->OptionVisible());
        QVERIFY(tab->IsSelected());
        QVERIFY(window_->Page().Visible("No_device_Link") == false);

        // DPI stage 1 (the second) to a new position.
        auto* slider = Control<QSlider>("DPI_slider_1");
        const int position = std::min(slider->maximum(), 42);
        firmware_->ClearFrames();
        slider->setValue(position);
        const std::vector<Request> expected{
            {kSequenceBegin, 0, 0}, {kWriteAt, 56, 0}, {kWriteAt, 10, 56}, {kSequenceEnd, 0, 0}};
        QTRY_COMPARE_WITH_TIMEOUT(SettingsRequests(*firmware_), expected, kWaitMs);
        const std::vector<std::uint8_t> memory = firmware_->ReadRegion(sim::SimRegion::Settings);
        const std::size_t stage = 14 + 9 * 1;
        QCOMPARE(memory[stage + 2] | memory[stage + 3] << 8, position);
        QCOMPARE(Stages()[1]["StageDPIX"].asInt(), position);
        QCOMPARE(Control<QLineEdit>("DPI_edit_1")->text(),
                 QString::number(devices::mouse::ResolutionOf(Mouse()->Sensor(), position)));

        // Report rate option 3.
        Control<QAbstractButton>("polling_rate_option_3")->click();
        QTRY_COMPARE_WITH_TIMEOUT(int(firmware_->ReadRegion(sim::SimRegion::Settings)[11]), 3, kWaitMs);

        // Brightness through the lighting panel.
        auto* brightness = Control<QSlider>("deng_light_slider");
        const int level = brightness->value() == 2 ? 3 : 2;
        brightness->setValue(level);
        QTRY_COMPARE_WITH_TIMEOUT(int(firmware_->ReadRegion(sim::SimRegion::Settings)[2]), level, kWaitMs);
        QCOMPARE(Section()["LightInfo"]["Light"].asInt(), level);

        // The mouse says it switched to onboard profile 3, DPI stage 2.
        firmware_->SendNotificationValue(0x1123);
        QTRY_VERIFY_WITH_TIMEOUT(Control<QAbstractButton>("DPI_select_check_2")->isChecked(), kWaitMs);
        QVERIFY(Control<QAbstractButton>("onboard_profile_option_3")->isChecked());
    }

    void cableAndReceiverComeAndGo() {
        sim::SimFirmware& firmware = *firmware_;
        backend_->Plug(SimKind::Mouse, SimLink::Receiver);
        QTest::qWait(400);
        QVERIFY(!Mouse()->Transport().IsWireless());

        backend_->Unplug(SimKind::Mouse, SimLink::Cable);
        QTRY_VERIFY_WITH_TIMEOUT(Mouse()->Transport().IsWireless(), kWaitMs);
        QVERIFY(Tab()->OptionVisible());
        QVERIFY(Mouse()->Transport().IsOpen());

        backend_->Unplug(SimKind::Mouse, SimLink::Receiver);
        QTRY_VERIFY_WITH_TIMEOUT(!Tab()->OptionVisible(), kWaitMs);
        QVERIFY(window_->Page().Visible("No_device_Link"));
        QVERIFY(window_->CurrentDevice() == nullptr);

        firmware.ClearFrames();
        backend_->Plug(SimKind::Mouse, SimLink::Cable);
        QTRY_VERIFY_WITH_TIMEOUT(Tab()->OptionVisible() && Tab()->IsSelected(), kWaitMs);
        QVERIFY(!window_->Page().Visible("No_device_Link"));
        // Read again: information block and key map.
        QTRY_VERIFY_WITH_TIMEOUT(Received(firmware, kReadInfo) && Received(firmware, kReadKeyMap), kWaitMs);
    }

    // The mouse's colours reach it on change; while the system sleeps the
    // program lets go of its lighting, and after the wake-up it streams again.
    void streamFollowsTheLightingAndLetsGoDuringSleep() {
        sim::SimFirmware& firmware = *firmware_;
        QTRY_VERIFY_WITH_TIMEOUT(Received(firmware, kLightStream), kWaitMs);
        QVERIFY(Mouse()->LivePreview());
        QVERIFY(!Mouse()->WindowHidden());

        window_->OnSleepChanged(true);
        QVERIFY(!Mouse()->HostLighting());
        QTest::qWait(50);  // a frame on the wire when sleep came
        firmware.ClearFrames();
        Mouse()->SetLedColour(0, 0xFF0000FFu);
        QTest::qWait(100);
        QVERIFY(!Received(firmware, kLightStream));

        window_->OnSleepChanged(false);
        QTRY_VERIFY_WITH_TIMEOUT(Received(firmware, kLightStream), kWaitMs);

        // Hidden to the tray, the page's previews are not painted.
        window_->hide();
        QVERIFY(Mouse()->WindowHidden());
        window_->show();
        QVERIFY(!Mouse()->WindowHidden());
    }

    void profilesThroughThePage() {
        const std::string folder = platform::UserDataFolder(Mouse()->KindName());
        const auto list = [&] { return profiles::CJsonFileStore().ReadJson(platform::ProfileListPath(folder)); };
        const auto entries = [&] { return list()["profilelist"]; };
        const int before = static_cast<int>(entries().size());
        const std::string firstName = entries()[0]["profilename"].asString();
        const std::string firstId = entries()[0]["profileUUID"].asString();

        // Add.
        Control<QAbstractButton>("device_add_btn")->click();
        QCOMPARE(static_cast<int>(entries().size()), before + 1);
        const std::string addedId = entries()[before]["profileUUID"].asString();
        QVERIFY(QFile::exists(QString::fromStdString(platform::ProfileFilePath(folder, addedId))));
        QCOMPARE(Control<QComboBox>("device_profile_combo")->count(), before + 1);
        // The new profile is selected, in the file, on the page and in the mouse.
        QCOMPARE(list()["profileselect"].asInt(), before);
        QCOMPARE(Control<QComboBox>("device_profile_combo")->currentIndex(), before);
        QCOMPARE(Mouse()->ProfileName(), addedId);

        // Rename to a name that is taken: the message box says so, nothing changes.
        QString shown;
        QTimer::singleShot(200, [&] {
            QWidget* box = QApplication::activeModalWidget();
            QVERIFY(box != nullptr);
            shown = qobject_cast<QLabel*>(ui::FindControl(box, QStringLiteral("MessageText")))->text();
            qobject_cast<QAbstractButton*>(ui::FindControl(box, QStringLiteral("confirm_btn")))->click();
        });
        Control<QLineEdit>("device_profile_name_edit")->setText(QString::fromStdString(firstName));
        Control<QAbstractButton>("device_profile_edit_save_btn")->click();
        QCOMPARE(shown, LanguageText("message_text_5"));
        QVERIFY(entries()[before]["profilename"].asString() != firstName);

        // A free name is taken.
        Control<QLineEdit>("device_profile_name_edit")->setText(QStringLiteral("Tournament"));
        Control<QAbstractButton>("device_profile_edit_save_btn")->click();
        QCOMPARE(entries()[before]["profilename"].asString(), std::string("Tournament"));

        // Switch back to the first profile: after the combo's delay.
        Control<QComboBox>("device_profile_combo")->setCurrentIndex(0);
        QTRY_COMPARE_WITH_TIMEOUT(Mouse()->ProfileName(), firstId, kWaitMs);
        QCOMPARE(list()["profileselect"].asInt(), 0);

        // Delete the added one.
        Control<QComboBox>("device_profile_combo")->setCurrentIndex(before);
        QTRY_COMPARE_WITH_TIMEOUT(Mouse()->ProfileName(), addedId, kWaitMs);
        Control<QAbstractButton>("device_sub_btn")->click();
        QCOMPARE(static_cast<int>(entries().size()), before);
        for (const Json::Value& entry : entries()) QVERIFY(entry["profileUUID"].asString() != addedId);
        QCOMPARE(Control<QComboBox>("device_profile_combo")->count(), before);
    }

private:
    devices::CMorvaneMouseDevice* Mouse() const {
        return window_ ? dynamic_cast<devices::CMorvaneMouseDevice*>(window_->CurrentDevice()) : nullptr;
    }
    ui::CDeviceOptionUI* Tab() const {
        const auto row = device_io::FindDeviceKindByName("mouse");
        return window_->Pages().Widgets(*row)->option.data();
    }
    template <typename T>
    T* Control(const char* name) const {
        const auto row = device_io::FindDeviceKindByName("mouse");
        auto* control =
            qobject_cast<T*>(ui::FindControl(window_->Pages().Widgets(*row)->page.data(), QLatin1String(name)));
        if (control == nullptr) qFatal("the mouse page has no %s", name);
        return control;
    }
    Json::Value Section() const { return profiles::CJsonFileStore().ReadJson(Mouse()->GetProfilePath())["Device"][0]; }
    Json::Value Stages() const { return Section()["DPIStages"]["StageDPIs"]; }

    QTemporaryDir temp_;
    std::unique_ptr<sim::SimBackend> backend_;
    sim::SimFirmware* firmware_ = nullptr;
    std::unique_ptr<app::CMainWnd> window_;
};

QTEST_MAIN(MouseEndToEndTest)
#include "mouse_end_to_end_test.moc"
