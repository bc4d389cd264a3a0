// A device the user may not open, in the whole program offscreen: the
// simulator denies opening it, as a hidraw node that no udev rule gave the
// user access to. The no-device panel then says a device is there but denied
// instead of "No device connected", a notice under the tab strip names the
// commands that give access and stays while another device works, and both
// go once the denied device opens or is unplugged.
//
// With VANDREL_TEST_SHOTS=FOLDER set, the window is saved as a PNG picture in
// each denied state.
#include <memory>

#include <QDir>
#include <QLabel>
#include <QtTest>

#include "app/access_notice.h"
#include "app/main_window.h"
#include "device_io/device_tables.h"
#include "devices/mouse/mouse_device.h"
#include "platform/udev_rule.h"
#include "program_files.h"
#include "sim/sim_backend.h"
#include "ui/controls/device_option.h"
#include "ui/dpi.h"
#include "ui/find_control.h"
#include "ui/skin.h"
#include "ui/text_resources.h"

using namespace vandrel;
using device_io::KindRow;
using sim::SimKind;
using sim::SimLink;

namespace {

constexpr int kWaitMs = 5000;

QString LanguageText(const char* id) { return ui::TextResources::Instance().Text(QLatin1String(id)); }

QString ExpectedCommands() {
    return QString::fromStdString(platform::JoinCommands(app::AccessNotice::DefaultAdvice()));
}

}  // namespace

class AccessNoticeTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() {
        testing::UseProgramFiles(temp_);
        // The program's look, so that the notice is measured (and pictured)
        // in the fonts a user sees.
        ui::SetBaseStyleSheet(ui::Skin::Instance().StyleSheet());
    }

    void cleanup() {
        window_.reset();
        backend_.reset();
    }

    void aDeniedDeviceAloneIsNamedNotMissing() {
        Start({}, SimKind::Keyboard);
        QTRY_VERIFY_WITH_TIMEOUT(NoticeShown(), kWaitMs);
        QVERIFY(window_->Page().Visible("No_device_Link"));
        QCOMPARE(Text("No_device_title"), LanguageText("no_access_title_text"));
        QVERIFY(Text("No_device_title") != QStringLiteral("No device connected"));
        QCOMPARE(Text("No_device_tip"), LanguageText("no_access_tip_text"));
        const QString english = Text(app::kAccessNoticeText);
        QVERIFY2(english.contains(QStringLiteral("udev rule")), qPrintable(english));
        QCOMPARE(Text(app::kAccessNoticeCommands), ExpectedCommands());
        QVERIFY(
            Text(app::kAccessNoticeCommands).contains(QStringLiteral("sudo udevadm trigger --subsystem-match=hidraw")));
        VerifyNoticeWhole();
        SaveShot(QStringLiteral("access-denied-only.png"));

        // The explanation and the panel follow the language; the commands stay.
        window_->ApplyLanguage(1);
        QCOMPARE(Text("No_device_title"), LanguageText("no_access_title_text"));
        QVERIFY(Text("No_device_title") != QStringLiteral("未连接设备"));
        QVERIFY(Text(app::kAccessNoticeText) != english);
        QVERIFY(Text(app::kAccessNoticeText).contains(QStringLiteral("udev")));
        QVERIFY(!Text(app::kAccessNoticeText).startsWith(QStringLiteral("access_notice_")));
        QCOMPARE(Text(app::kAccessNoticeCommands), ExpectedCommands());
        VerifyNoticeWhole();
        SaveShot(QStringLiteral("access-denied-only-chinese.png"));
        window_->ApplyLanguage(0);
        QCOMPARE(Text(app::kAccessNoticeText), english);

        backend_->Unplug(SimKind::Keyboard);
        QTRY_VERIFY_WITH_TIMEOUT(!NoticeShown(), kWaitMs);
        QCOMPARE(Text("No_device_title"), QStringLiteral("No device connected"));
        QCOMPARE(Text("No_device_tip"), LanguageText("no_device_tip_text"));
    }

    void theNoticeStaysBesideAWorkingDeviceUntilTheDenialEnds_data() {
        QTest::addColumn<bool>("accessGiven");
        QTest::newRow("access given") << true;
        QTest::newRow("unplugged") << false;
    }
    void theNoticeStaysBesideAWorkingDeviceUntilTheDenialEnds() {
        QFETCH(bool, accessGiven);
        Start({SimKind::Mouse}, SimKind::Keyboard);
        QTRY_VERIFY_WITH_TIMEOUT(TabShown(KindRow::Mouse), kWaitMs);
        QTRY_VERIFY_WITH_TIMEOUT(NoticeShown(), kWaitMs);
        QCOMPARE(window_->CurrentKind(), std::optional(KindRow::Mouse));
        QVERIFY(!window_->Page().Visible("No_device_Link"));
        QCOMPARE(Text(app::kAccessNoticeCommands), ExpectedCommands());
        // Its first synchronisation has shown the mouse's settings on its page.
        const auto* mouse =
            dynamic_cast<const devices::CMorvaneMouseDevice*>(window_->Manager().Device(KindRow::Mouse));
        QVERIFY(mouse != nullptr);
        QTRY_VERIFY_WITH_TIMEOUT(mouse->Info()[5] != 0, kWaitMs);
        QTest::qWait(300);
        QVERIFY2(NoticeShown(), "the notice stays while the mouse works");
        VerifyNoticeWhole();
        if (accessGiven) SaveShot(QStringLiteral("access-denied-beside-a-working-mouse.png"));
        const int pageWithNotice = PageHeight();

        if (accessGiven) backend_->SetAccessDenied(SimKind::Keyboard, SimLink::Cable, false);
        else backend_->Unplug(SimKind::Keyboard);
        QTRY_VERIFY_WITH_TIMEOUT(!NoticeShown(), kWaitMs);
        if (accessGiven) {
            QTRY_VERIFY_WITH_TIMEOUT(TabShown(KindRow::Keyboard), kWaitMs);
        } else {
            QVERIFY(!TabShown(KindRow::Keyboard));
        }
        QVERIFY(TabShown(KindRow::Mouse));
        QCOMPARE(Text("No_device_title"), QStringLiteral("No device connected"));
        // The window grew by the notice and shrinks back: the page kept its height.
        QTRY_COMPARE(PageHeight(), pageWithNotice);
    }

private:
    void Start(std::initializer_list<SimKind> working, SimKind denied) {
        backend_ = std::make_unique<sim::SimBackend>();
        for (const SimKind kind : working) backend_->Plug(kind);
        backend_->Plug(denied);
        backend_->SetAccessDenied(denied, SimLink::Cable, true);
        window_ =
            std::make_unique<app::CMainWnd>(*backend_, nullptr, nullptr, app::CMainWnd::Settings{.useTray = false});
        window_->Prepare();
        QTRY_VERIFY_WITH_TIMEOUT(window_->FirstScanDone(), kWaitMs);
        // Shown, at the size it takes for the screen.
        QTRY_VERIFY_WITH_TIMEOUT(window_->isVisible() && window_->width() >= app::kAdaptedWidth, kWaitMs);
    }

    QString Text(const char* name) const { return QString::fromStdString(window_->Page().Text(name)); }
    int PageHeight() const { return ui::FindControl(window_->Root(), QStringLiteral("device_switch"))->height(); }
    bool NoticeShown() const { return window_->Page().Visible(app::kAccessNoticeRow); }
    bool TabShown(KindRow kind) const {
        const app::KindWidgets* widgets = window_->Pages().Widgets(kind);
        return widgets != nullptr && widgets->option && widgets->option->OptionVisible();
    }

    // Every line of the notice fits in what the window gives it.
    void VerifyNoticeWhole() {
        for (const char* name : {app::kAccessNoticeText, app::kAccessNoticeCommands}) {
            const auto* label = qobject_cast<const QLabel*>(ui::FindControl(window_->Root(), QLatin1String(name)));
            QVERIFY(label != nullptr);
            QTRY_VERIFY2(label->isVisible() && label->height() >= label->heightForWidth(label->width()), name);
        }
    }

    void SaveShot(const QString& name) {
        const QString folder = qEnvironmentVariable("VANDREL_TEST_SHOTS");
        if (folder.isEmpty()) return;
        QVERIFY(QDir().mkpath(folder));
        QVERIFY(window_->grab().save(QDir(folder).filePath(name)));
    }

    QTemporaryDir temp_;
    std::unique_ptr<sim::SimBackend> backend_;
    std::unique_ptr<app::CMainWnd> window_;
};

QTEST_MAIN(AccessNoticeTest)
#include "access_notice_test.moc"
