// The keyboard's page as the program loads it: the real layout through the
// program's control classes and window tags, with the program's style sheet
// and language texts, laid out at the size of the main window's page area.
// With VANDREL_TEST_SHOTS=folder it leaves a picture of each page tab there.
#include <algorithm>
#include <array>
#include <memory>
#include <set>
#include <string>

#include <QAbstractButton>
#include <QAbstractSlider>
#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>

#include "app/window_tags.h"
#include "devices/usb_device.h"
#include "lighting/light_control.h"
#include "program_files.h"
#include "ui/controls/device_key_button.h"
#include "ui/dpi.h"
#include "ui/find_control.h"
#include "ui/layout_loader.h"
#include "ui/skin.h"
#include "ui/text_resources.h"
#include "ui/widget_page_view.h"

using namespace vandrel;

namespace {

// The page area of the main window at 96 DPI.
constexpr QSize kPageSize(1000, 536);
constexpr int kKeyCount = 126;
// Key positions the keyboard has no key for.
const std::set<int> kEmptyPositions{18, 19, 20, 104};

const QString kLayout = QStringLiteral("XML/DeviceXml/keyboarddevice.xml");

QString KeyName(int n) { return QStringLiteral("key_%1").arg(n); }

QJsonObject ReadLanguage(const QString& file) {
    QFile f(ui::Skin::Instance().FilePath(QStringLiteral("lang/") + file));
    if (!f.open(QIODevice::ReadOnly)) return {};
    return QJsonDocument::fromJson(f.readAll()).object();
}

}  // namespace

class KeyboardPageTest : public QObject {
    Q_OBJECT

private:
    QTemporaryDir temp_;
    ui::ControlFactory tags_;
    std::unique_ptr<QWidget> page_;
    std::unique_ptr<ui::WidgetPageView> view_;

    template <typename T = QWidget>
    T* Find(const QString& name) const {
        return qobject_cast<T*>(ui::FindControl(page_.get(), name));
    }
    QWidget* Keyboard() const { return Find(QStringLiteral("keyboard_device_key_light")); }

    // A tab's pages as the device shows them when the tab is clicked.
    void ShowTab(int category) {
        const devices::PageSection section = devices::PageSectionFor(category, device_io::DeviceType::Keyboard);
        view_->SetCurrentPage(devices::kFunctionSwitch, section.functionPage);
        if (section.keyFunctionPage) view_->SetCurrentPage(devices::kKeyFunctionSwitch, *section.keyFunctionPage);
        QCoreApplication::processEvents();
    }

private slots:
    void initTestCase() {
        testing::UseProgramFiles(temp_);
        ui::SetBaseStyleSheet(ui::Skin::Instance().StyleSheet());
        app::RegisterWindowTags(tags_);
        QVERIFY(ui::TextResources::Instance().LoadLanguage(ui::Skin::Instance().FilePath("lang/English.json")));

        const QString path = ui::Skin::Instance().LayoutPath(kLayout);
        QVERIFY2(!path.isEmpty(), "the skin has no keyboard page");
        ui::LayoutLoader loader(ui::GlobalControlFactory(), &tags_);
        page_.reset(loader.Load(path));
        QVERIFY2(page_ != nullptr, qPrintable(loader.LastError()));
        ui::TextResources::Instance().ApplyTexts(page_.get());
        ui::ApplyDpi(page_.get(), 96);
        view_ = std::make_unique<ui::WidgetPageView>(page_.get());
        page_->resize(kPageSize);
        page_->show();
        QVERIFY(QTest::qWaitForWindowExposed(page_.get()));
    }

    void cleanupTestCase() {
        view_.reset();
        page_.reset();
    }

    // Every position has its key button with its light; the four positions
    // without a key are there but hidden. The device finds them all below the
    // keyboard container.
    void everyPositionHasItsKeyAndLight() {
        for (int n = 0; n < kKeyCount; ++n) {
            auto* key = Find<ui::CDeviceKeyButtonUI>(KeyName(n));
            QVERIFY2(key != nullptr, qPrintable(KeyName(n)));
            QCOMPARE(key->property("userdata").toString(), QStringLiteral("light_%1").arg(n));
            QCOMPARE(view_->Visible(KeyName(n).toStdString()), !kEmptyPositions.contains(n));
            QCOMPARE(key->parentWidget()->objectName(), QStringLiteral("device_key_light"));
        }
        std::set<std::string> found;
        for (const platform::ChildControl& c : view_->Descendants("keyboard_device_key_light"))
            if (c.className == "DeviceKeyButton") found.insert(c.name);
        QCOMPARE(found.size(), std::size_t{kKeyCount});
        QVERIFY(Find(QStringLiteral("device_key_light"))->inherits("vandrel::ui::CSelectPanelUI"));
    }

    void pageHasTheControlsItsDeviceAndPanelsUse_data() {
        QTest::addColumn<QString>("name");
        const auto row = [](std::string_view name) {
            QTest::newRow(name.data()) << QString::fromLatin1(name.data(), static_cast<qsizetype>(name.size()));
        };
        for (const char* name : {"DeviceProfileItem",
                                 "LightControlItem",
                                 "MacroControlItem",
                                 "KeySetControlItem",
                                 "deng_Op_tab",
                                 "key_Op_tab",
                                 "macro_Op_tab",
                                 "system_Op_tab",
                                 "device_function_switch",
                                 "device_key_function_switch",
                                 "keyboard_device_key_light",
                                 "device_key_light",
                                 "lightcustom_layout",
                                 "custom_bright_color_btn",
                                 "custom_off_color_btn",
                                 "winlockflag_option",
                                 "wflag_option",
                                 "6flag_option",
                                 "repeat_rate_slider",
                                 "repeat_delay_check_0",
                                 "repeat_delay_check_1",
                                 "repeat_delay_check_2",
                                 "repeat_delay_check_3",
                                 "repeat_delay_time_label1",
                                 "repeat_input_richedit",
                                 "reset_repeat_btn",
                                 "polling_rate_option_0",
                                 "polling_rate_option_1",
                                 "polling_rate_option_2",
                                 "polling_rate_option_3",
                                 "windowdeviceset_0",
                                 "text_test",
                                 "device_profile_combo",
                                 "device_add_btn",
                                 "deng_colordp_btn",
                                 "deng_same_mode",
                                 "light_color_tablayout",
                                 "lighteffect_layout",
                                 "deng_color_layout",
                                 "colorpallet_layout",
                                 "deng_light_layout",
                                 "deng_speed_layout",
                                 "deng_fx_layout",
                                 "light_combo_ZZCCmodeSelectLayout",
                                 "light_color_layout",
                                 "light_combo_AudiomodeSelectLayout",
                                 "color_option_0",
                                 "color_option_7"})
            row(name);
        namespace lc = lighting::light_controls;
        for (std::string_view name :
             {lc::kModeCombo, lc::kCustomCombo, lc::kZzccCombo, lc::kBrightness, lc::kSpeed, lc::kRed, lc::kGreen,
              lc::kBlue, lc::kPalette, lc::kDropper, lc::kSevenColour, lc::kLeft, lc::kRight, lc::kSameMode})
            row(name);
    }

    // By layout name or, for the panels, by the class the page gives them.
    void pageHasTheControlsItsDeviceAndPanelsUse() {
        QFETCH(QString, name);
        const bool byName = view_->HasControl(name.toStdString());
        bool byClass = false;
        for (const QWidget* w : page_->findChildren<QWidget*>())
            byClass = byClass || w->property("class").toString() == name;
        QVERIFY2(byName || byClass, qPrintable(name));
    }

    // The ranges and items the device writes into.
    void controlsHoldTheValuesTheDeviceShows() {
        QCOMPARE(view_->Items("light_combo_ZZCCmodeSelect").size(), std::size_t{4});
        auto* slider = Find<QAbstractSlider>(QStringLiteral("repeat_rate_slider"));
        QVERIFY(slider != nullptr);
        QCOMPARE(slider->minimum(), 0);
        QCOMPARE(slider->maximum(), 31);
        QVERIFY(!view_->Visible("text_test"));
        QVERIFY(!view_->Visible("device_key_set_panel"));
        // The macro panel is loaded into the page and shown.
        QVERIFY(view_->Visible("device_macro_panel"));
        QVERIFY(view_->HasControl("macro_name_list"));
        QVERIFY(view_->HasControl("macro_action_list"));
        // Only the keyboard's own desktop settings are offered here.
        QVERIFY(!view_->HasControl("windowdeviceset_1"));
    }

    // Keys sit side by side inside the keyboard, their captions fit them, and
    // the page's layout fits the page area so that nothing is squeezed.
    void keysAreLaidOutWithoutOverlapOrClipping() {
        ShowTab(1);
        const QRect keyboard = Keyboard()->rect();
        std::vector<std::pair<int, QRect>> placed;
        for (int n = 0; n < kKeyCount; ++n) {
            auto* key = Find<QAbstractButton>(KeyName(n));
            if (kEmptyPositions.contains(n)) continue;
            const QRect area(key->mapTo(Keyboard(), QPoint(0, 0)), key->size());
            QVERIFY2(keyboard.contains(area), qPrintable(KeyName(n)));
            QVERIFY2(key->isVisible(), qPrintable(KeyName(n)));
            const int textWidth = key->fontMetrics().horizontalAdvance(key->text());
            QVERIFY2(!key->text().isEmpty() && textWidth <= key->width() - 4,
                     qPrintable(KeyName(n) + QStringLiteral(" caption ") + key->text()));
            for (const auto& [other, otherArea] : placed)
                QVERIFY2(!area.intersects(otherArea), qPrintable(KeyName(n) + QStringLiteral(" / ") + KeyName(other)));
            placed.emplace_back(n, area);
        }
    }

    void everyTabFitsThePageAndCanBePictured_data() {
        QTest::addColumn<int>("category");
        QTest::addColumn<QString>("tab");
        QTest::addColumn<QString>("shown");
        QTest::addColumn<int>("effect");  // the lighting panel shows it; -1 none
        QTest::addColumn<QString>("alsoShown");
        QTest::newRow("lighting") << 1 << "deng_Op_tab"
                                  << "light_control_panel" << 1 << "deng_fx_layout";
        QTest::newRow("lighting_per_key") << 1 << "deng_Op_tab"
                                          << "light_control_panel" << 20 << "custom_off_color_btn";
        QTest::newRow("lighting_variant") << 1 << "deng_Op_tab"
                                          << "light_control_panel" << 17 << "light_combo_ZZCCmodeSelect";
        QTest::newRow("keys") << 2 << "key_Op_tab"
                              << "keyboard_key_set_panel" << -1 << "keyboard_key_set_panel_hint";
        QTest::newRow("macros") << 3 << "macro_Op_tab"
                                << "keyboard_macro_panel" << -1 << "macro_action_list";
        QTest::newRow("system") << 4 << "system_Op_tab"
                                << "keyboard_system_panel" << -1 << "windowdeviceset_0";
    }

    void everyTabFitsThePageAndCanBePictured() {
        QFETCH(int, category);
        QFETCH(QString, tab);
        QFETCH(QString, shown);
        QFETCH(int, effect);
        QFETCH(QString, alsoShown);
        view_->SetSelected(tab.toStdString(), true);
        ShowTab(category);
        if (effect >= 0) {
            // The keyboard's lighting panel adapts its rows to the effect.
            lighting::CLightControlUI panel(*view_, 1);
            view_->SetItems("light_combo_custommodeSelect", {"Group 1", "Group 2", "Group 3"});
            view_->SetCurrentIndex("light_combo_custommodeSelect", 0);
            profiles::LightInfo info;
            info.SelectItem = static_cast<std::uint8_t>(effect);
            info.Light = 4;
            info.Speed = 2;
            info.Red = 0x19;
            info.Green = 0xD3;
            info.Blue = 0xFF;
            panel.ShowLightInfo(info);
            QCoreApplication::processEvents();
        }
        QVERIFY(Find(shown)->isVisible());
        QVERIFY2(Find(alsoShown)->isVisible(), qPrintable(alsoShown));
        QVERIFY(Keyboard()->isVisible());
        // The picture comes first: it shows what a failing check below is about.
        if (const QByteArray folder = qgetenv("VANDREL_TEST_SHOTS"); !folder.isEmpty()) {
            QVERIFY(QDir().mkpath(QString::fromLocal8Bit(folder)));
            const QString file = QDir(QString::fromLocal8Bit(folder))
                                     .filePath(QStringLiteral("keyboard_%1.png").arg(QTest::currentDataTag()));
            QVERIFY(page_->grab().save(file));
        }
        const QSize needed = page_->minimumSizeHint();
        QVERIFY2(needed.width() <= kPageSize.width() && needed.height() <= kPageSize.height(),
                 qPrintable(QStringLiteral("the page needs %1 x %2").arg(needed.width()).arg(needed.height())));
        // Every shown caption has at least the room its text asks for.
        for (const QWidget* w : Find(shown)->findChildren<QWidget*>()) {
            const auto* label = qobject_cast<const QLabel*>(w);
            const auto* button = qobject_cast<const QAbstractButton*>(w);
            const QString caption = label != nullptr ? label->text() : button != nullptr ? button->text() : QString();
            if (!w->isVisible() || caption.isEmpty()) continue;
            const QSize least = w->minimumSizeHint();
            QVERIFY2(w->width() >= least.width() && w->height() >= least.height(), qPrintable(w->objectName()));
        }
    }

    // The device paints each key's lamp colour through the page view; the
    // keys keep their captions over it and lose the colour again with 0.
    void litKeysKeepTheirCaptions() {
        view_->SetSelected("deng_Op_tab", true);
        ShowTab(1);
        for (int n = 0; n < kKeyCount; ++n) {
            const QColor hue = QColor::fromHsv((n * 360 / kKeyCount) % 360, 200, 255);
            view_->SetColour(KeyName(n).toStdString(), hue.rgba());
        }
        QCoreApplication::processEvents();
        auto* key = Find<ui::CDeviceKeyButtonUI>(KeyName(64));
        QCOMPARE(key->PreviewColour().rgba(), QColor::fromHsv(64 * 360 / kKeyCount, 200, 255).rgba());
        if (const QByteArray folder = qgetenv("VANDREL_TEST_SHOTS"); !folder.isEmpty()) {
            QVERIFY(QDir().mkpath(QString::fromLocal8Bit(folder)));
            QVERIFY(
                page_->grab().save(QDir(QString::fromLocal8Bit(folder)).filePath(QStringLiteral("keyboard_lit.png"))));
        }
        for (int n = 0; n < kKeyCount; ++n) view_->SetColour(KeyName(n).toStdString(), 0);
        QVERIFY(!Find<ui::CDeviceKeyButtonUI>(KeyName(64))->PreviewColour().alpha());
    }

    // Each language text the page names is in both languages.
    void pageTextsAreInEveryLanguage() {
        QFile layout(ui::Skin::Instance().LayoutPath(kLayout));
        QVERIFY(layout.open(QIODevice::ReadOnly));
        const QString text = QString::fromUtf8(layout.readAll());
        static const QRegularExpression idProperty(
            QStringLiteral(R"re(name="(?:textid|tooltipid)" stdset="0"><string>([^<]+)</string>)re"));
        std::set<QString> ids;
        for (const auto& match : idProperty.globalMatch(text)) ids.insert(match.captured(1));
        // The texts the device shows on this page by id.
        ids.insert(QStringLiteral("Repeat_Delay_Time"));
        ids.insert(QStringLiteral("Repeat_input_text"));
        QVERIFY(ids.size() > 50);
        for (const QString& file : {QStringLiteral("English.json"), QStringLiteral("Chinese.json")}) {
            const QJsonObject language = ReadLanguage(file);
            QVERIFY2(!language.isEmpty(), qPrintable(file));
            for (const QString& id : ids) QVERIFY2(language.contains(id), qPrintable(file + QStringLiteral(": ") + id));
        }
    }
};

QTEST_MAIN(KeyboardPageTest)
#include "keyboard_page_test.moc"
