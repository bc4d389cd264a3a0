// The program shell offscreen: message box, power panel, device tab icons,
// pixel density rules, the language of every open window, the program's
// fonts and when device pages are built.
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <memory>

#include <QAbstractButton>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QSlider>
#include <QStackedWidget>
#include <QTimer>
#include <QtTest>

#include "app/about_wnd.h"
#include "app/control_table.h"
#include "app/desktop_settings.h"
#include "app/main_window.h"
#include "app/msg_wnd.h"
#include "app/notify_dispatch.h"
#include "app/private_fonts.h"
#include "device_io/device_tables.h"
#include "devices/mouse/mouse_device.h"
#include "devices/mouse/mouse_dpi.h"
#include "platform/build_info.h"
#include "platform/folders.h"
#include "platform/trace.h"
#include "profiles/device_profile_ui.h"
#include "program_files.h"
#include "sim/sim_backend.h"
#include "ui/controls/device_key_button.h"
#include "ui/controls/device_option.h"
#include "ui/controls/device_power.h"
#include "ui/dpi.h"
#include "ui/find_control.h"
#include "ui/layout_loader.h"
#include "ui/menu.h"
#include "ui/qt_text.h"
#include "ui/skin.h"
#include "ui/text_resources.h"

using namespace vandrel;

namespace {

template <typename T>
std::unique_ptr<T> LoadControl(const char* layout) {
    ui::LayoutLoader loader(ui::GlobalControlFactory());
    QWidget* root = loader.Load(ui::Skin::Instance().LayoutPath(QLatin1String(layout)));
    return std::unique_ptr<T>(qobject_cast<T*>(root));
}

QString ImageOf(QWidget* root, const char* name) {
    return ui::FindControl(root, QLatin1String(name))->property(ui::kImageProperty).toString();
}

// A device that notes the page it is given.
class PageNotingDevice : public devices::CMorvaneUSBDevice {
public:
    using CMorvaneUSBDevice::CMorvaneUSBDevice;
    void Attach(platform::IPageView& page) override {
        given = &page;
        CMorvaneUSBDevice::Attach(page);
    }
    const platform::IPageView* given = nullptr;
};

constexpr device_io::KindRow kKeyboardRow = device_io::KindRow::Keyboard;
constexpr device_io::KindRow kMousePadRow = device_io::KindRow::MousePad;
constexpr device_io::KindRow kHeadsetRow = device_io::KindRow::Headset;

}  // namespace

class ShellTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { testing::UseProgramFiles(temp_); }

    void controlClassesAreRegisteredInTableOrder() {
        const std::vector<QString> names = ui::GlobalControlFactory().Names();
        QCOMPARE(names.size(), app::kControlClassOrder.size());
        for (std::size_t i = 0; i < names.size(); ++i)
            QCOMPARE(names[i],
                     QString::fromLatin1(app::kControlClassOrder[i].data(), app::kControlClassOrder[i].size()));
        // Layouts name them by tag.
        QVERIFY(ui::GlobalControlFactory().Knows(QStringLiteral("DeviceOption")));
        QVERIFY(ui::GlobalControlFactory().Knows(QStringLiteral("circleprogress")));
    }

    void messageBoxReturnsTheButtonThatClosedIt_data() {
        QTest::addColumn<int>("mode");
        QTest::addColumn<QString>("button");
        QTest::addColumn<int>("result");
        QTest::newRow("ok mode, close") << 0 << "closebtn" << 0;
        QTest::newRow("ok mode, confirm") << 0 << "confirm_btn" << 1;
        QTest::newRow("ok-cancel mode, cancel") << 1 << "cancel_btn" << 0;
        QTest::newRow("ok-cancel mode, confirm") << 1 << "CONFIRM_BTN" << 1;
    }
    void messageBoxReturnsTheButtonThatClosedIt() {
        QFETCH(int, mode);
        QFETCH(QString, button);
        QFETCH(int, result);
        bool cancelShown = true;
        QTimer::singleShot(0, [&] {
            QWidget* box = QApplication::activeModalWidget();
            QVERIFY(box != nullptr);
            cancelShown = !ui::FindControl(box, QStringLiteral("cancel_btn"))->isHidden();
            auto* target = qobject_cast<QAbstractButton*>(ui::FindControl(box, button.toLower()));
            QVERIFY(target != nullptr);
            target->click();
        });
        QCOMPARE(app::ShowMessage(nullptr, QString(), QStringLiteral("message_text_5"), 96, true,
                                  static_cast<app::MessageButtons>(mode)),
                 result);
        QCOMPARE(cancelShown, mode == 1);
    }

    void messageBoxTakesOnlyKnownDensities() {
        app::CMsgWnd box(nullptr);
        box.SetDpi(144);
        QCOMPARE(box.WindowDpi(), 144);
        box.SetDpi(100);
        QCOMPARE(box.WindowDpi(), 96);
        QCOMPARE(ui::CurrentDpi(), 96);
    }

    void densityRules() {
        QCOMPARE(ui::MonitorDpi(1920, 1080), 144);
        QCOMPARE(ui::MonitorDpi(1500, 1080), 96);
        QCOMPARE(ui::MonitorDpi(1920, 960), 96);
        for (const int dpi : {48, 72, 96, 120, 144, 168, 192}) QCOMPARE(ui::CheckedDpi(dpi, "x"), dpi);
        for (const int dpi : {0, 97, 200, -96}) QCOMPARE(ui::CheckedDpi(dpi, "x"), 96);
        QCOMPARE(ui::ScaledStyleSheet(QStringLiteral("a { margin: 10px 1px 0px; width: 13px; }"), 144),
                 QStringLiteral("a { margin: 15px 2px 0px; width: 20px; }"));
    }

    void menusOpenOnTheAlignedSideOfThePoint() {
        using namespace ui::menu_align;
        const QRect screen(0, 0, 1920, 1080);
        const QSize menu(200, 120);
        QCOMPARE(ui::MenuOrigin({500, 500}, menu, kLeft | kTop, screen), QPoint(500, 500));
        QCOMPARE(ui::MenuOrigin({500, 500}, menu, kRight | kBottom, screen), QPoint(300, 380));
        // A tray at the bottom edge: the menu opens above the point.
        QCOMPARE(ui::MenuOrigin({1800, 1020}, menu, kRight | kBottom, screen), QPoint(1600, 900));
        // Kept on the screen.
        QCOMPARE(ui::MenuOrigin({1900, 1070}, menu, kLeft | kTop, screen), QPoint(1720, 960));
        QCOMPARE(ui::MenuOrigin({10, 10}, menu, kRight | kBottom, screen), QPoint(0, 0));
    }

    void densityScalesFromTheBaseEveryTime() {
        QWidget window;
        auto* child = new QWidget(&window);
        child->setGeometry(10, 20, 100, 40);
        child->setMinimumSize(100, 40);
        ui::ApplyDpi(&window, 144);
        QCOMPARE(child->geometry(), QRect(15, 30, 150, 60));
        ui::ApplyDpi(&window, 192);
        ui::ApplyDpi(&window, 96);
        QCOMPARE(child->geometry(), QRect(10, 20, 100, 40));
        QCOMPARE(child->minimumSize(), QSize(100, 40));
    }

    void powerReports_data() {
        QTest::addColumn<int>("kind");
        QTest::addColumn<QByteArray>("report");
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("progress");
        QTest::addColumn<bool>("progressShown");
        QTest::addColumn<QString>("status");
        QTest::addColumn<bool>("wirelessMark");
        QTest::newRow("mouse 80% on battery") << profiles::kKindMouse << QByteArray("\x50\x02\x00\x00\x00\x00", 6)
                                              << "80%" << 20 << true << "file='power/power.png'" << false;
        QTest::newRow("mouse charging over the receiver")
            << profiles::kKindMouse << QByteArray("\x37\x01\x00\x01\x00\x00", 6) << "55%" << 45 << false
            << "file='power/wuxian_powering.png'" << true;
        QTest::newRow("mouse charging on the cable")
            << profiles::kKindMouse << QByteArray("\x37\x01\x00\x00\x00\x00", 6) << "55%" << 45 << true
            << "file='power/powering.png'" << false;
        QTest::newRow("charged") << profiles::kKindMouse << QByteArray("\x64\x00\x00\x00\x00\x00", 6) << "100%" << 0
                                 << true << "file='power/powered.png'" << false;
    }
    void powerReports() {
        QFETCH(int, kind);
        QFETCH(QByteArray, report);
        auto panel = LoadControl<ui::CMpDevicePowerUI>("XML/CustomControlXML/MpDevicePower.xml");
        QVERIFY(panel != nullptr);
        panel->SetKind(kind, 0);
        panel->Update(reinterpret_cast<const std::uint8_t*>(report.constData()),
                      static_cast<std::size_t>(report.size()));
        QTEST(qobject_cast<QLabel*>(ui::FindControl(panel.get(), QStringLiteral("device_power_value")))->text(),
              "text");
        auto* bar = qobject_cast<QProgressBar*>(ui::FindControl(panel.get(), QStringLiteral("device_Power_progress")));
        QTEST(bar->value(), "progress");
        QTEST(!bar->isHidden(), "progressShown");
        QTEST(ImageOf(panel.get(), "device_power_status"), "status");
        // The picture itself comes from the skin.
        QVERIFY(!qobject_cast<QLabel*>(ui::FindControl(panel.get(), QStringLiteral("device_power_status")))
                     ->pixmap()
                     .isNull());
        QTEST(!ui::FindControl(panel.get(), QStringLiteral("device_wuxian_logo"))->isHidden(), "wirelessMark");
    }

    void mousePadShowsThePhoneOnItsSurface() {
        auto panel = LoadControl<ui::CMpDevicePowerUI>("XML/CustomControlXML/MpDevicePower.xml");
        QVERIFY(panel != nullptr);
        panel->SetKind(profiles::kKindMousePad, 0);
        const struct {
            std::uint8_t code;
            const char* image;
        } cases[] = {{1, "file='power/Phone_type_iphone.png'"},
                     {2, "file='power/Phone_type_samsung.png'"},
                     {3, "file='power/Phone_type_other.png'"},
                     {7, "file='power/Phone_type_no_device.png'"}};
        for (const auto& c : cases) {
            const std::uint8_t report[6] = {50, 2, 0, 0, 0, c.code};
            panel->Update(report, sizeof report);
            QCOMPARE(ImageOf(panel.get(), "device_phone_type"), QLatin1String(c.image));
        }
        // A report that is too short reads as zeros beyond its end.
        const std::uint8_t shortReport[1] = {42};
        panel->Update(shortReport, 1);
        QCOMPARE(ImageOf(panel.get(), "device_phone_type"), QStringLiteral("file='power/Phone_type_no_device.png'"));
        QCOMPARE(ImageOf(panel.get(), "device_power_status"), QStringLiteral("file='power/powered.png'"));
    }

    void tabIconsFollowKindAndSynchronisedMark() {
        auto option = LoadControl<ui::CDeviceOptionUI>("XML/CustomControlXML/DeviceOption.xml");
        QVERIFY(option != nullptr);
        option->SetKind(profiles::kKindMouse, 0);
        QCOMPARE(option->ShownNormalIcon(), QStringLiteral("common/device_ico/ms_device_normal.png"));
        option->SetSynchronised(true);
        QVERIFY(option->IsSynchronised());
        QCOMPARE(option->ShownNormalIcon(), QStringLiteral("common/device_ico/ms_device_synchro_normal.png"));
        QCOMPARE(option->ShownSelectedIcon(), QStringLiteral("common/device_ico/ms_device_synchro_selected.png"));
        option->SetSynchronised(false);
        QCOMPARE(option->ShownNormalIcon(), QStringLiteral("common/device_ico/ms_device_normal.png"));
        QCOMPARE(option->ShownSelectedIcon(), QStringLiteral("common/device_ico/ms_device_selected.png"));

        option->SetKind(profiles::kKindMousePad, 1);
        QCOMPARE(option->Icons().normal, QStringLiteral("common/device_ico/soft_mp_device_normal.png"));
        option->SetKind(profiles::kKindMousePad, 2);  // neither soft nor hard: keeps what it had
        QCOMPARE(option->Icons().normal, QStringLiteral("common/device_ico/soft_mp_device_normal.png"));
        option->SetKind(9, 0);  // no kind
        QCOMPARE(option->Icons().tooltipId, QStringLiteral("unknow_device_name_text"));
    }

    void tabHostsItsDeviceTimersFromAnyThread() {
        auto option = LoadControl<ui::CDeviceOptionUI>("XML/CustomControlXML/DeviceOption.xml");
        QVERIFY(option != nullptr);
        sim::SimBackend backend;
        devices::CMorvaneUSBDevice device(backend);
        option->SetDevice(&device);
        using devices::TimerId;
        std::thread worker([&] { option->ArmTimer(TimerId::kResync, 10000); });
        worker.join();
        QTRY_VERIFY(option->IsTimerArmed(TimerId::kResync));
        option->KillTimer(TimerId::kResync);
        QVERIFY(!option->IsTimerArmed(TimerId::kResync));
        // Once detached (the device is going), nothing is armed any more.
        option->ArmTimer(TimerId::kStream, 5);
        option->Detach();
        QVERIFY(!option->IsTimerArmed(TimerId::kStream));
        option->ArmTimer(TimerId::kFirstSync, 5);
        QVERIFY(!option->IsTimerArmed(TimerId::kFirstSync));
    }

    void languageChangesEveryOpenWindow() {
        sim::SimBackend nothingPlugged;
        app::CMainWnd window(nothingPlugged, nullptr, nullptr, {.useTray = false});
        window.ApplyLanguage(0);
        window.show();
        app::CAboutWnd about(&window);
        about.SetVersion(QStringLiteral("1.0.0.0"));
        about.show();
        const auto title = [&] { return QString::fromStdString(window.Page().Text("No_device_title")); };
        const auto version = [&] { return QString::fromStdString(about.Page().Text("software_ver_label")); };
        const auto licence = [&] { return QString::fromStdString(about.Page().Text("about_licence")); };
        QCOMPARE(title(), QStringLiteral("No device connected"));
        QCOMPARE(version(), QStringLiteral("Version 1.0.0.0"));
        const QString programVersion = ui::ToQt(platform::build::kProgramVersion);
        QCOMPARE(licence(), QStringLiteral("VANDREL %1 is free software under the GNU General Public License, "
                                           "version 3 or later (GPL-3.0-or-later).")
                                .arg(programVersion));

        window.ApplyLanguage(1);
        QCOMPARE(title(), QStringLiteral("未连接设备"));
        QCOMPARE(version(), QStringLiteral("版本 1.0.0.0"));
        QVERIFY(licence().startsWith(QStringLiteral("VANDREL %1 是自由软件").arg(programVersion)));

        // Remembered in the settings file, and read back by the next start.
        app::LanguageSwitcher next(platform::SettingsIni::InConfigFolder(app::kSettingsFile), nullptr);
        next.LoadCatalogue();
        QCOMPARE(next.RememberedIndex(), 1);

        window.ApplyLanguage(0);
        QCOMPARE(title(), QStringLiteral("No device connected"));
        // An index the list does not have is English.
        window.ApplyLanguage(1);
        window.ApplyLanguage(57);
        QCOMPARE(window.LanguageIndex(), 0);
        QCOMPARE(version(), QStringLiteral("Version 1.0.0.0"));
    }

    void forgottenLanguageFallsBackToEnglish() {
        platform::SettingsIni ini = platform::SettingsIni::InConfigFolder(app::kSettingsFile);
        ini.Load();
        ini.Set(app::kSettingsSection, app::kLanguageKey, "1049");  // no such language any more
        QVERIFY(ini.Save());
        app::LanguageSwitcher switcher(platform::SettingsIni::InConfigFolder(app::kSettingsFile), nullptr);
        switcher.LoadCatalogue();
        QCOMPARE(switcher.RememberedIndex(), 0);
        ini.Set(app::kSettingsSection, app::kLanguageKey, "not a number");
        QVERIFY(ini.Save());
        QCOMPARE(switcher.RememberedIndex(), 0);
    }

    void dispatchRoutesByIndexedPrefixThenExactName() {
        using app::Operation;
        const struct {
            const char* type;
            const char* control;
            std::optional<Operation> operation;
            int index;
        } cases[] = {
            {"valuechanged", "DPI_slider_2", Operation::DpiSlider, 2},
            {"movevaluechanged", "DPI_slider_4", Operation::DpiSliderMoving, 4},
            {"click", "key_3", Operation::KeyClick, 3},
            {"click", "CLOSEBTN", Operation::HideToTray, -1},
            {"click", "device_export_btn", Operation::ProfileDuplicate, -1},
            {"click", "device_copy_btn", Operation::ProfileExport, -1},
            {"click", "profile_fun_spread_btn", Operation::ProfileFold, -1},
            {"click", "PROFILE_FUN_SPREAD_BTN", std::nullopt, -1},  // that row compares case
            {"selectchanged", "polling_rate_option_3", Operation::ReportRate, 3},
            {"killfocus", "zelbor_DPI_edit_2", Operation::ZelborDpiEdit, 2},
            {"itemselect", "device_profile_combo", Operation::ProfileChosen, -1},
            {"click", "no_such_button", std::nullopt, -1},
            {"textchanged", "DPI_edit_1", std::nullopt, -1},
        };
        for (const auto& c : cases) {
            const auto route = app::RouteOf({c.type, c.control, 0, 0});
            QVERIFY2(route.has_value() == c.operation.has_value(), c.control);
            if (!route) continue;
            QVERIFY2(route->operation == *c.operation, c.control);
            QCOMPARE(route->index, c.index);
        }
    }

    void windowOperationsWithoutADevice() {
        sim::SimBackend nothingPlugged;
        app::CMainWnd window(nothingPlugged, nullptr, nullptr, {.useTray = false});
        auto* edit = new QLineEdit(window.Root());
        edit->setObjectName(QStringLiteral("zelbor_DPI_edit_2"));
        auto* slider = new QSlider(window.Root());
        slider->setObjectName(QStringLiteral("zelbor_DPI_slider_2"));
        slider->setRange(0, 10000);
        const struct {
            const char* typed;
            const char* shown;
        } cases[] = {{"150", "200"}, {"9000", "6500"}, {"4000", "4000"}, {"fast", "200"}};
        for (const auto& c : cases) {
            edit->setText(QLatin1String(c.typed));
            window.Notify({"killfocus", "zelbor_DPI_edit_2", 0, 0});
            QCOMPARE(edit->text(), QLatin1String(c.shown));
            QCOMPARE(slider->value(), QString::fromLatin1(c.shown).toInt());
        }

        // Without a device, a device's control does nothing; a row of a later
        // feature says so once.
        std::vector<std::string> lines;
        platform::SetTraceEnabled(true);
        platform::SetTraceSink([&](std::string_view line) { lines.emplace_back(line); });
        window.Notify({"click", "key_3", 0, 0});
        window.Notify({"valuechanged", "DPI_slider_1", 7, 0});
        window.Notify({"click", "macro_btn_save", 0, 0});
        window.Notify({"click", "macro_btn_save", 0, 0});
        platform::SetTraceSink(nullptr);
        platform::SetTraceEnabled(false);
        const auto said =
            std::ranges::count_if(lines, [](const std::string& l) { return l.starts_with("not in this version"); });
        QCOMPARE(said, 1);  // macro_btn_save, once; key_3 needs a device to say anything
    }

    void ledPreviewsTakeTheirColourWithoutRestyling() {
        QWidget page;
        page.setObjectName(QStringLiteral("page"));
        auto* led = qobject_cast<ui::CDeviceKeyButtonUI*>(
            ui::GlobalControlFactory().Create(QStringLiteral("DeviceKeyButton"), &page));
        QVERIFY(led != nullptr);
        led->setObjectName(QStringLiteral("led_3"));
        auto* swatch = new QPushButton(&page);
        swatch->setObjectName(QStringLiteral("swatch"));
        ui::WidgetPageView view(&page);
        view.SetColour("led_3", 0xFF19D3FF);
        QCOMPARE(led->PreviewColour(), QColor(0x19, 0xD3, 0xFF));
        QVERIFY(led->styleSheet().isEmpty());
        QCOMPARE(view.Colour("led_3"), 0xFF19D3FFu);
        // A plain control shows the colour by its style sheet.
        view.SetColour("swatch", 0xFFFF0000);
        QVERIFY(swatch->styleSheet().contains(QStringLiteral("255, 0, 0")));
        QCOMPARE(view.Colour("swatch"), 0xFFFF0000u);
    }

    void desktopSettingsByDesktop() {
        using app::DesktopPanel;
        const auto program = [](const char* desktop, DesktopPanel panel) {
            const auto command = app::DesktopSettingsCommand(desktop, panel);
            if (!command) return std::string("-");
            std::string text = command->program;
            for (const std::string& a : command->arguments) text += " " + a;
            return text;
        };
        QCOMPARE(program("GNOME", DesktopPanel::Mouse), std::string("gnome-control-center mouse"));
        QCOMPARE(program("ubuntu:GNOME", DesktopPanel::Keyboard), std::string("gnome-control-center keyboard"));
        QCOMPARE(program("KDE", DesktopPanel::Mouse), std::string("systemsettings kcm_mouse"));
        QCOMPARE(program("XFCE", DesktopPanel::Keyboard), std::string("xfce4-keyboard-settings"));
        QCOMPARE(program("", DesktopPanel::Mouse), std::string("-"));
        QCOMPARE(program("SomethingElse", DesktopPanel::Mouse), std::string("-"));
    }

    // The pages number their buttons "windowdeviceset_"n: 0 keyboard, 1 mouse.
    void desktopSettingsButtonNumbers() {
        using app::DesktopPanel;
        QCOMPARE(app::DesktopPanelOfButton(0), std::optional(DesktopPanel::Keyboard));
        QCOMPARE(app::DesktopPanelOfButton(1), std::optional(DesktopPanel::Mouse));
        QCOMPARE(app::DesktopPanelOfButton(-1), std::optional<DesktopPanel>());
        QCOMPARE(app::DesktopPanelOfButton(2), std::optional<DesktopPanel>());
    }

    void privateFontsShareOneFileAndNeverOpenWhatIsNoFile() {
        const QString source = QStringLiteral("/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf");
        if (!QFileInfo(source).isFile()) QSKIP("fonts-dejavu-core is not installed");
        QTemporaryDir folder;
        const auto slotPath = [&](std::size_t slot) {
            const std::string_view name = app::kPrivateFontFiles[slot];
            return folder.filePath(QString::fromLatin1(name.data(), static_cast<qsizetype>(name.size())));
        };
        // One font under three names (a copy, a link to it, a second hard
        // link); a named pipe that nothing writes to in the other slot.
        QVERIFY(QFile::copy(source, slotPath(0)));
        QVERIFY(QFile::link(slotPath(0), slotPath(2)));
        QCOMPARE(::link(QFile::encodeName(slotPath(0)).constData(), QFile::encodeName(slotPath(3)).constData()), 0);
        QCOMPARE(::mkfifo(QFile::encodeName(slotPath(1)).constData(), 0600), 0);

        const app::PrivateFonts fonts(folder.path());
        QVERIFY(!fonts.Loaded(1));
        const QStringList families = fonts.Families(0);
        QVERIFY(families.contains(QStringLiteral("DejaVu Sans")));
        QCOMPARE(fonts.Families(2), families);
        QCOMPARE(fonts.Families(3), families);
    }

    void devicePagesAreBuiltWhenFirstShownOrByTheDeadline() {
        sim::SimBackend nothingPlugged;
        PageNotingDevice shown(nothingPlugged);
        PageNotingDevice notShown(nothingPlugged);
        app::CMainWnd window(nothingPlugged, nullptr, nullptr, {.useTray = false});
        app::DevicePages& pages = window.Pages();
        const struct {
            device_io::KindRow row;
            PageNotingDevice& device;
        } kinds[] = {{kKeyboardRow, shown}, {kHeadsetRow, notShown}};
        std::vector<devices::DeviceObjects> made;
        for (const auto& kind : kinds) {
            auto objects = pages.Create(kind.row);
            QVERIFY(objects.has_value());
            made.push_back(std::move(*objects));
            pages.AttachPage(kind.row, kind.device);
            QVERIFY(pages.Widgets(kind.row)->page == nullptr);
            QVERIFY(kind.device.given == nullptr);
        }

        // Turned to, a page is there before anything can show it.
        window.Page().SetCurrentPage(app::kPageSwitch, pages.Widgets(kKeyboardRow)->pageIndex);
        QVERIFY(pages.Widgets(kKeyboardRow)->page != nullptr);
        QVERIFY(shown.given == pages.Widgets(kKeyboardRow)->pageView.get());
        QVERIFY(notShown.given == nullptr);
        // The other one within the deadline, though the window never painted.
        QTRY_VERIFY_WITH_TIMEOUT(notShown.given != nullptr, 10 * app::kPageDeadlineMs);
        QVERIFY(notShown.given == pages.Widgets(kHeadsetRow)->pageView.get());

        // A page fills the page switch as if it were one of its pages.
        window.show();
        const auto* pageSwitch = ui::FindControl(window.Root(), QLatin1String(app::kPageSwitch));
        QTRY_COMPARE(pages.Widgets(kKeyboardRow)->page->size(), pageSwitch->size());
    }

    void aDeviceLetGoBeforeItsPageIsBuiltIsNotGivenIt() {
        sim::SimBackend nothingPlugged;
        PageNotingDevice device(nothingPlugged);
        app::CMainWnd window(nothingPlugged, nullptr, nullptr, {.useTray = false});
        auto objects = window.Pages().Create(kMousePadRow);
        QVERIFY(objects.has_value());
        window.Pages().AttachPage(kMousePadRow, device);
        window.Pages().DetachDevices();
        QTRY_VERIFY(window.Pages().Widgets(kMousePadRow)->page != nullptr);
        QVERIFY(device.given == nullptr);
    }

    // The mouse arrives second: the first frame shows the headset's page, and
    // the mouse's page is built later, but before the mouse's first
    // synchronisation shows its settings there.
    void aDeviceNotShownFirstHasItsPageForItsFirstSynchronisation_data() {
        QTest::addColumn<bool>("startHidden");
        QTest::newRow("window shown") << false;
        QTest::newRow("started in the tray") << true;
    }
    void aDeviceNotShownFirstHasItsPageForItsFirstSynchronisation() {
        QFETCH(bool, startHidden);
        sim::SimBackend backend;
        backend.Plug(sim::SimKind::Headset);
        backend.Plug(sim::SimKind::Mouse);
        app::CMainWnd window(backend, nullptr, nullptr, {.useTray = false, .startHidden = startHidden});
        window.Prepare();
        QTRY_VERIFY(window.FirstScanDone());
        const std::optional<device_io::KindRow> mouseRow = device_io::FindDeviceKindByName("mouse");
        QVERIFY(mouseRow.has_value());
        QVERIFY2(window.CurrentKind() != mouseRow, "the mouse's page is not the one shown first");
        const auto* mouse = dynamic_cast<const devices::CMorvaneMouseDevice*>(window.Manager().Device(*mouseRow));
        QVERIFY(mouse != nullptr);
        // Its information block is read at its first synchronisation, which
        // also shows the sensor's range on the page.
        QTRY_VERIFY(mouse->Info()[5] != 0);
        const auto* slider = qobject_cast<const QSlider*>(
            ui::FindControl(window.Pages().Widgets(*mouseRow)->page.data(), QStringLiteral("DPI_slider_1")));
        QVERIFY(slider != nullptr);
        QCOMPARE(slider->maximum(), devices::mouse::SliderRange(mouse->Sensor()).maximum);
    }

private:
    QTemporaryDir temp_;
};

QTEST_MAIN(ShellTest)
#include "shell_test.moc"
