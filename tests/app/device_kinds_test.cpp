// A device kind defined only in this test: a registry row, a factory and a
// device with one capability. The whole program (scan, device manager, tabs,
// pages, dispatch) finds it and routes its page's controls to it, and a
// control whose operation the device cannot run does nothing and is said once.
#include <algorithm>
#include <array>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include <QAbstractButton>
#include <QTemporaryDir>
#include <QtTest>

#include "app/main_window.h"
#include "device_io/device_tables.h"
#include "devices/device_kind_registry.h"
#include "lighting/light_control.h"
#include "platform/trace.h"
#include "profiles/profile_records.h"
#include "program_files.h"
#include "sim/sim_backend.h"
#include "ui/controls/device_option.h"
#include "ui/find_control.h"

using namespace vandrel;

namespace {

constexpr int kWaitMs = 5000;

// The pad's lighting as the lighting panel drives it: what it was given.
class RecordingLighting final : public lighting::ILightingDevice {
public:
    int PanelKind() const override { return profiles::kKindMousePad; }
    bool IsOpen() const override { return true; }
    void SetPaused(bool paused) override { this->paused = paused; }
    profiles::LightInfo GetLighting() const override { return light; }
    void SetLighting(const profiles::LightInfo& info) override { light = info; }
    void SaveProfile() override {}
    int ApplyProfileLighting() override { return 1; }
    protocol::Status WriteLightRecord(int, int, int, int, int) override {
        ++writes;
        return protocol::Status::Ok;
    }

    profiles::LightInfo light;
    bool paused = false;
    int writes = 0;
};

// Offers system settings and lighting (without a panel); records what
// reaches it.
class RecordingPad final : public devices::CMorvaneUSBDevice,
                           public devices::ISystemSettings,
                           public devices::ILighting {
public:
    explicit RecordingPad(platform::IHidBackend& backend) : CMorvaneUSBDevice(backend) {
        Offer<ISystemSettings>(*this);
        Offer<ILighting>(*this);
    }
    ~RecordingPad() override { Shutdown(); }

    devices::DeviceStatus SetReportRate(int option) override { return Note("report rate " + std::to_string(option)); }
    devices::DeviceStatus SetSystemValue(devices::SystemSetting, int) override { return Note("system"); }
    lighting::ILightingDevice& LightingDevice() override { return lighting; }
    lighting::CLightControlUI* LightPanel() override { return nullptr; }
    devices::DeviceStatus SetLighting(const profiles::LightInfo& info) override {
        lighting.SetLighting(info);
        return protocol::Status::Ok;
    }

    std::vector<std::string> calls;
    RecordingLighting lighting;

private:
    devices::DeviceStatus Note(std::string call) {
        calls.push_back(std::move(call));
        return protocol::Status::Ok;
    }
};

// The row binds one operation: the report rate.
constexpr std::array kPadOperations{devices::Operation::ReportRate};

device_io::KindRow PadRow() { return device_io::KindRow::MousePad; }

devices::DeviceKindEntry PadKind(RecordingPad** made) {
    return {
        .kindRow = PadRow(),
        .pageLayout = "XML/DeviceXml/mousedevice.xml",  // a page with report-rate options
        .create =
            [made](const devices::DeviceContext& context) {
                auto pad = std::make_unique<RecordingPad>(context.backend);
                *made = pad.get();
                return std::unique_ptr<devices::CMorvaneUSBDevice>(std::move(pad));
            },
        .operations = kPadOperations,
    };
}

}  // namespace

class DeviceKindsTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { testing::UseProgramFiles(temp_); }

    void init() {
        platform::SetTraceEnabled(true);
        platform::SetTraceSink([this](std::string_view line) {
            const std::lock_guard lock(traceMutex_);
            trace_.emplace_back(line);
        });
        registration_ = std::make_unique<devices::DeviceKindRegistry::Registration>(
            devices::DeviceKindRegistry::Instance().Add(PadKind(&pad_)));
        backend_ = std::make_unique<sim::SimBackend>();
        backend_->Plug(sim::SimKind::MousePad);
        window_ =
            std::make_unique<app::CMainWnd>(*backend_, nullptr, nullptr, app::CMainWnd::Settings{.useTray = false});
        window_->Prepare();
        QTRY_VERIFY_WITH_TIMEOUT(window_->FirstScanDone(), kWaitMs);
        QTRY_VERIFY_WITH_TIMEOUT(pad_ != nullptr && window_->CurrentDevice() == pad_, kWaitMs);
        QTRY_VERIFY_WITH_TIMEOUT(window_->Pages().Widgets(PadRow())->pageView != nullptr, kWaitMs);
    }

    void cleanup() {
        window_.reset();
        backend_.reset();
        registration_.reset();
        pad_ = nullptr;
        platform::SetTraceSink(nullptr);
        platform::SetTraceEnabled(false);
    }

    void theScanFindsTheKindAndItsTabIsSelected() {
        const ui::CDeviceOptionUI* tab = window_->Pages().Widgets(PadRow())->option;
        QVERIFY(tab != nullptr);
        QVERIFY(tab->OptionVisible());
        QVERIFY(tab->IsSelected());
        QCOMPARE(window_->CurrentKind(), std::optional<device_io::KindRow>(PadRow()));
    }

    void aClickOnThePageReachesTheDeviceWithItsValue() {
        Control<QAbstractButton>("polling_rate_option_2")->click();
        QCOMPARE(pad_->calls, std::vector<std::string>{"report rate 2"});

        // An option losing its mark runs nothing.
        window_->Notify({"selectchanged", "polling_rate_option_2", 0, 0});
        QCOMPARE(pad_->calls, std::vector<std::string>{"report rate 2"});
    }

    // Rows the device cannot run: an operation its row does not bind, or a
    // capability it does not offer. Each does nothing and is said once.
    void rowsTheDeviceCannotRunDoNothingAndAreSaidOnce() {
        struct Row {
            const char* type;
            const char* control;
            const char* traced;
        };
        const Row rows[] = {
            {"valuechanged", "DPI_slider_1", "not on this device (DPI stages): DPI_slider_1"},
            {"click", "device_add_btn", "not on this device (profiles): device_add_btn"},
            {"click", "default_btn", "not on this device (profiles): default_btn"},
            {"click", "device_reset_btn", "not on this device (profiles): device_reset_btn"},
            {"valuechanged", "deng_light_slider", "not on this device (lighting): deng_light_slider"},
            {"click", "deng_same_mode", "not on this device (lighting): deng_same_mode"},
        };
        for (const Row& row : rows) {
            for (int i = 0; i < 2; ++i) window_->Notify({row.type, row.control, 1, 0});
            QVERIFY2(TraceCount(row.traced) == 1, row.control);
        }
        QVERIFY(pad_->calls.empty());
        QCOMPARE(window_->CurrentDevice(), pad_);  // still there: no box was waiting, nothing crashed
    }

    // Same mode from the mouse reaches the other kind's lighting, translated
    // into its effects; the mouse's panel offers it only beside a second
    // device with lighting.
    void sameModeReachesTheOtherDevicesLighting() {
        backend_->Plug(sim::SimKind::Mouse);
        QTRY_VERIFY_WITH_TIMEOUT(window_->Manager().Device(device_io::KindRow::Mouse) != nullptr, kWaitMs);
        auto* mouse = window_->Manager().Device(device_io::KindRow::Mouse)->Capability<devices::ILighting>();
        QVERIFY(mouse != nullptr);
        QTRY_VERIFY_WITH_TIMEOUT(mouse->LightPanel() != nullptr, kWaitMs);  // once its page is built
        QTRY_VERIFY_WITH_TIMEOUT(window_->Pages().Widgets(device_io::KindRow::Mouse)->option->OptionVisible(), kWaitMs);
        const auto mouseShown = [this] { return window_->CurrentKind() == device_io::KindRow::Mouse; };
        for (const char* arrow : {"device_select_next", "device_select_prev"})
            for (int i = 0; i < 4 && !mouseShown(); ++i) window_->Notify({"click", arrow, 0, 0});
        QVERIFY(mouseShown());

        // Mouse breathing (its effect 2) in a colour, shown on its panel.
        profiles::LightInfo breathing{
            .SelectItem = 2, .Light = 3, .Speed = 1, .Fx = 1, .Red = 10, .Green = 20, .Blue = 30};
        QCOMPARE(mouse->SetLighting(breathing), protocol::Status::Ok);
        mouse->LightPanel()->ShowLightInfo(breathing);
        platform::IPageView& mousePage = *window_->Pages().Widgets(device_io::KindRow::Mouse)->pageView;
        QVERIFY(mousePage.Visible("deng_same_mode"));

        window_->Notify({"click", "deng_same_mode", 0, 0});
        const profiles::LightInfo got = pad_->lighting.light;
        QCOMPARE(int{got.SelectItem}, 2);  // breathing on a pad
        QCOMPARE(int{got.Light}, 3);
        QCOMPARE(int{got.Speed}, 1);
        QCOMPARE(int{got.Fx}, 1);
        QCOMPARE(int{got.Red}, 10);
        QCOMPARE(int{got.Blue}, 30);
        QVERIFY(pad_->lighting.paused);
        QCOMPARE(pad_->lighting.writes, 1);

        // Without the pad the mouse is alone: the button goes.
        backend_->Unplug(sim::SimKind::MousePad);
        QTRY_VERIFY_WITH_TIMEOUT(!mousePage.Visible("deng_same_mode"), kWaitMs);
    }

private:
    template <class T>
    T* Control(const char* name) {
        QWidget* page = window_->Pages().Widgets(PadRow())->page;
        auto* control = qobject_cast<T*>(ui::FindControl(page, QLatin1String(name)));
        if (control == nullptr) qFatal("no control %s", name);
        return control;
    }

    int TraceCount(const std::string& line) {
        const std::lock_guard lock(traceMutex_);
        return static_cast<int>(std::ranges::count(trace_, line));
    }

    QTemporaryDir temp_;
    std::unique_ptr<devices::DeviceKindRegistry::Registration> registration_;
    std::unique_ptr<sim::SimBackend> backend_;
    std::unique_ptr<app::CMainWnd> window_;
    RecordingPad* pad_ = nullptr;
    std::mutex traceMutex_;
    std::vector<std::string> trace_;
};

QTEST_MAIN(DeviceKindsTest)
#include "device_kinds_test.moc"
