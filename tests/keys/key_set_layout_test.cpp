// The key-assignment panel's layout with the real widgets and language texts:
// every control the panel logic names is there with the class it needs, the
// panel runs over it through the widget page view, and both device pages
// hold it in their key-set frame.
#include <memory>
#include <set>
#include <utility>

#include <QAbstractButton>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLineEdit>
#include <QRadioButton>
#include <QRegularExpression>
#include <QStackedWidget>
#include <QtTest>

#include "keys/key_set_control.h"
#include "ui/control_factory.h"
#include "ui/controls/register_controls.h"
#include "ui/find_control.h"
#include "ui/layout_loader.h"
#include "ui/text_resources.h"
#include "ui/widget_page_view.h"

using namespace vandrel;
namespace kc = keys::keyset_controls;

namespace {

QString SkinPath(const QString& relative) { return QStringLiteral(VANDREL_SKIN_DIR) + relative; }
const QString kLayout = QStringLiteral("XML/CustomControlXML/KeySetControl.xml");

QString Q(std::string_view name) { return QString::fromLatin1(name.data(), static_cast<qsizetype>(name.size())); }

std::string Translate(std::string_view id) {
    return ui::TextResources::Instance()
        .Text(QString::fromUtf8(id.data(), static_cast<qsizetype>(id.size())))
        .toStdString();
}

}  // namespace

class KeySetLayoutTest : public QObject {
    Q_OBJECT

private:
    ui::ControlFactory factory_;
    ui::ControlFactory tags_;
    std::unique_ptr<QWidget> root_;
    std::unique_ptr<ui::WidgetPageView> view_;
    std::unique_ptr<keys::CKeySetControlUI> panel_;

    template <typename T>
    T* Find(std::string_view name) const {
        return qobject_cast<T*>(ui::FindControl(root_.get(), Q(name)));
    }

private slots:
    void initTestCase() {
        factory_.RegistControl(QStringLiteral("KeySetControl"), [](QWidget* parent) { return new QWidget(parent); });
        // The sub-layout tag of the device pages, as the window registers it.
        tags_.RegistControl(QStringLiteral("KeySetControlUI"), [this](QWidget* parent) {
            return ui::LayoutLoader(factory_, &tags_).Load(SkinPath(kLayout), parent);
        });
        QVERIFY(ui::TextResources::Instance().LoadLanguage(SkinPath(QStringLiteral("lang/English.json"))));
    }

    void init() {
        panel_.reset();
        view_.reset();
        root_.reset(ui::LayoutLoader(factory_).Load(SkinPath(kLayout)));
        QVERIFY(root_ != nullptr);
        ui::TextResources::Instance().ApplyTexts(root_.get());
        view_ = std::make_unique<ui::WidgetPageView>(root_.get());
        panel_ = std::make_unique<keys::CKeySetControlUI>(*view_, Translate);
        panel_->SetMacroNames({"first", "second"});
    }

    void cleanupTestCase() {
        panel_.reset();
        view_.reset();
        root_.reset();
        ui::TextResources::Instance().LoadLanguage(QString());
    }

    void everyControlIsThereWithItsClass() {
        QVERIFY(Find<QWidget>(kc::kPanel) != nullptr);
        QVERIFY(Find<QWidget>(kc::kMacroRepeatLayout) != nullptr);
        auto* pages = Find<QStackedWidget>(kc::kFamilyPages);
        QVERIFY(pages != nullptr);
        QCOMPARE(pages->count(), 12);
        for (const std::string_view combo :
             {kc::kFunctionCombo, kc::kMouseButtonCombo, kc::kSwingDirection, kc::kWheelDirection, kc::kDpiCombo,
              kc::kMediaCombo, kc::kSystemCombo, kc::kMacroCombo, kc::kMacroModeCombo, kc::kGunKeyCombo,
              kc::kShortcutCombo})
            QVERIFY2(Find<QComboBox>(combo) != nullptr, combo.data());
        for (const std::string_view edit :
             {kc::kSwingCount, kc::kSwingDelay, kc::kSwingSpeed, kc::kWheelCount, kc::kWheelDelay, kc::kWheelSpeed,
              kc::kFireInterval, kc::kFireCount, kc::kKeyEdit, kc::kMacroRepeatEdit})
            QVERIFY2(Find<QLineEdit>(edit) != nullptr, edit.data());
        for (const std::string_view button : {kc::kDefaultButton, kc::kSaveButton, kc::kCancelButton, kc::kWriteButton})
            QVERIFY2(Find<QAbstractButton>(button) != nullptr, button.data());
        for (int n = 0; n < kc::kModifierOptions; ++n)
            QVERIFY(Find<QRadioButton>(std::string(kc::kModifierPrefix) + std::to_string(n)) != nullptr);
        // Family controls sit on their family's page.
        QVERIFY(pages->widget(6)->isAncestorOf(Find<QLineEdit>(kc::kKeyEdit)));
        QVERIFY(pages->widget(9)->isAncestorOf(Find<QComboBox>(kc::kMacroModeCombo)));
        QVERIFY(pages->widget(2)->isAncestorOf(Find<QLineEdit>(kc::kSwingCount)));
        QVERIFY(pages->widget(3)->isAncestorOf(Find<QLineEdit>(kc::kWheelCount)));
        // Hidden until a key is chosen.
        QVERIFY(Find<QWidget>(kc::kPanel)->isHidden());
    }

    void itemsShowTheLanguageTexts() {
        auto* families = Find<QComboBox>(kc::kFunctionCombo);
        QCOMPARE(families->count(), 12);
        QCOMPARE(families->itemText(6), QStringLiteral("Keyboard key"));
        QCOMPARE(Find<QComboBox>(kc::kMediaCombo)->itemText(1), QStringLiteral("Play/Pause"));
        QCOMPARE(Find<QComboBox>(kc::kMouseButtonCombo)->itemText(2), QStringLiteral("Right button"));
        panel_->SetDeviceKind(keys::CKeySetControlUI::kKeyboardKind);
        QVERIFY(!view_->ItemVisible(kc::kFunctionCombo, 4));
        QVERIFY(!view_->ItemVisible(kc::kFunctionCombo, 10));
        QVERIFY(view_->ItemVisible(kc::kFunctionCombo, 5));
    }

    void panelShowsAndBuildsOverTheWidgets() {
        panel_->SetDeviceKind(keys::CKeySetControlUI::kMouseKind);
        panel_->LoadAssignment({2, {0x20, 0x40, 0x04}, 2, {0x10, 0x01, 0x00}});
        QVERIFY(!Find<QWidget>(kc::kPanel)->isHidden());
        QCOMPARE(Find<QStackedWidget>(kc::kFamilyPages)->currentIndex(), 6);
        QCOMPARE(Find<QLineEdit>(kc::kKeyEdit)->text(), QStringLiteral("A"));
        QCOMPARE(panel_->CheckedModifier(), 3);
        QCOMPARE(panel_->BuildCode().assignment, (profiles::KeyCode{0x20, 0x04, 0x04}));

        // The options can all be cleared: the keyboard page starts empty.
        view_->SetCurrentIndex(kc::kFunctionCombo, 6);
        panel_->OnFunctionChosen();
        QCOMPARE(panel_->CheckedModifier(), -1);
        QVERIFY(panel_->Capture(0x41, false));
        QCOMPARE(panel_->BuildCode().assignment, (profiles::KeyCode{0x20, 0x00, 0x04}));

        panel_->LoadAssignment({2, {0x12, 0x21, 0x80}, 2, {0x10, 0x01, 0x00}});
        QCOMPARE(Find<QLineEdit>(kc::kWheelCount)->text(), QStringLiteral("128"));
        Find<QLineEdit>(kc::kWheelDelay)->setText(QStringLiteral("300"));
        QCOMPARE(panel_->BuildCode().assignment, (profiles::KeyCode{0x12, 0xF1, 0x80}));
        QCOMPARE(Find<QLineEdit>(kc::kWheelDelay)->text(), QStringLiteral("15"));

        panel_->LoadAssignment({2, {0x71, 0x01, 0x05}, 2, {0x10, 0x01, 0x00}});
        QVERIFY(!Find<QWidget>(kc::kMacroRepeatLayout)->isHidden());
        view_->SetCurrentIndex(kc::kMacroModeCombo, 1);
        panel_->OnModeChosen();
        QVERIFY(Find<QWidget>(kc::kMacroRepeatLayout)->isHidden());
        QCOMPARE(panel_->BuildCode().assignment, (profiles::KeyCode{0x70, 0x01, 0x01}));

        // Pictures of a few pages, to look at the panel at the device page's size.
        if (const QByteArray folder = qgetenv("VANDREL_TEST_SHOTS"); !folder.isEmpty()) {
            root_->resize(700, 250);
            for (const auto& [code, file] : {std::pair{profiles::KeyCode{0x20, 0x01, 0x04}, "keyset_keyboard.png"},
                                             std::pair{profiles::KeyCode{0x11, 0x35, 0x85}, "keyset_swing.png"},
                                             std::pair{profiles::KeyCode{0x71, 0x00, 0x03}, "keyset_macro.png"}}) {
                panel_->LoadAssignment({2, code, 2, {0x10, 0x01, 0x00}});
                QVERIFY(root_->grab().save(QDir(QString::fromLocal8Bit(folder)).filePath(QLatin1String(file))));
            }
        }
    }

    void layoutTextsAreInEveryLanguage() {
        QFile layout(SkinPath(kLayout));
        QVERIFY(layout.open(QIODevice::ReadOnly));
        const QString text = QString::fromUtf8(layout.readAll());
        static const QRegularExpression idProperty(
            QStringLiteral(R"re(name="(?:textid|tooltipid)" stdset="0"><string>([^<]+)</string>)re"));
        std::set<QString> ids;
        for (const auto& match : idProperty.globalMatch(text)) ids.insert(match.captured(1));
        QVERIFY(ids.size() > 20);
        for (const QString& file : {QStringLiteral("English.json"), QStringLiteral("Chinese.json")}) {
            QFile json(SkinPath(QStringLiteral("lang/") + file));
            QVERIFY(json.open(QIODevice::ReadOnly));
            const QJsonObject language = QJsonDocument::fromJson(json.readAll()).object();
            QVERIFY2(!language.isEmpty(), qPrintable(file));
            for (const QString& id : ids) QVERIFY2(language.contains(id), qPrintable(file + QStringLiteral(": ") + id));
        }
    }

    void devicePagesHoldThePanel() {
        for (const QString& page :
             {QStringLiteral("XML/DeviceXml/mousedevice.xml"), QStringLiteral("XML/DeviceXml/keyboarddevice.xml")}) {
            ui::ControlFactory pageFactory;
            ui::RegisterCustomControls(pageFactory);
            for (const QString& cls : {QStringLiteral("MorvaneMouseDevice"), QStringLiteral("MorvaneKeyboardDevice")})
                pageFactory.RegistControl(cls, [](QWidget* parent) { return new QWidget(parent); });
            std::unique_ptr<QWidget> root(ui::LayoutLoader(pageFactory, &tags_).Load(SkinPath(page)));
            QVERIFY2(root != nullptr, qPrintable(page));
            QWidget* frame = ui::FindControl(root.get(), QStringLiteral("device_key_set_panel"));
            QVERIFY2(frame != nullptr, qPrintable(page));
            QWidget* panel = ui::FindControl(root.get(), Q(kc::kPanel));
            QVERIFY2(panel != nullptr && frame->isAncestorOf(panel), qPrintable(page));
            QVERIFY(frame->isAncestorOf(ui::FindControl(root.get(), Q(kc::kFunctionCombo))));
        }
    }
};

QTEST_MAIN(KeySetLayoutTest)
#include "key_set_layout_test.moc"
