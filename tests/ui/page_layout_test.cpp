// A page layout loaded through the control factory, read and written through
// the widget page view, with its notify events.
#include <algorithm>
#include <memory>
#include <vector>

#include <QDir>
#include <QFile>
#include <QPushButton>
#include <QStyle>
#include <QStyleOptionButton>
#include <QTemporaryFile>
#include <QtTest>

#include "ui/control_factory.h"
#include "ui/find_control.h"
#include "ui/layout_loader.h"
#include "ui/text_resources.h"
#include "ui/widget_page_view.h"

using vandrel::platform::ItemText;
using vandrel::platform::NotifyEvent;
using namespace vandrel::ui;

namespace {

// A custom control class, as a device page would register it.
class KeyButton : public QPushButton {
public:
    using QPushButton::QPushButton;
};

}  // namespace

class PageLayoutTest : public QObject {
    Q_OBJECT

private:
    ControlFactory factory_;
    QStringList libraryPaths_;  // before any layout was loaded
    std::unique_ptr<QWidget> root_;
    std::unique_ptr<WidgetPageView> view_;
    std::vector<NotifyEvent> events_;

    static QString LayoutPath() { return QStringLiteral(UI_TEST_DATA_DIR "/page.ui"); }

    // Loads a language of the given texts and puts it on the page, as a
    // language change does.
    void SwitchLanguage(const QByteArray& json) {
        QTemporaryFile file;
        QVERIFY(file.open());
        file.write(json);
        file.close();
        QVERIFY(TextResources::Instance().LoadLanguage(file.fileName()));
        TextResources::Instance().ApplyTexts(root_.get());
    }

private slots:
    void initTestCase() { libraryPaths_ = QCoreApplication::libraryPaths(); }

    void init() {
        factory_.RegistControl(QStringLiteral("devicekeybutton"),
                               [](QWidget* parent) { return new KeyButton(parent); });
        LayoutLoader loader(factory_);
        root_.reset(loader.Load(LayoutPath()));
        QVERIFY2(root_ != nullptr, qPrintable(loader.LastError()));
        view_ = std::make_unique<WidgetPageView>(root_.get());
        events_.clear();
        view_->SetNotifySink([this](const NotifyEvent& e) { events_.push_back(e); });
    }

    void cleanup() {
        view_.reset();
        root_.reset();
    }

    void customClassComesFromFactoryAndUnknownClassYieldsNoControl() {
        QVERIFY(dynamic_cast<KeyButton*>(FindControl(root_.get(), QStringLiteral("key_a"))) != nullptr);
        QVERIFY(FindControlBelow(FindControl(root_.get(), QStringLiteral("keys")), QStringLiteral("key_a")) != nullptr);
        QVERIFY(FindControlBelow(FindControl(root_.get(), QStringLiteral("pages")), QStringLiteral("key_a")) ==
                nullptr);
        QVERIFY(!view_->HasControl("mystery"));
        QVERIFY(!view_->HasControl("insideMystery"));
        QVERIFY(view_->HasControl("page"));
        // A control that is missing reads as empty and ignores writes.
        view_->SetValue("mystery", 5);
        QCOMPARE(view_->Value("mystery"), 0);
        QCOMPARE(view_->CurrentIndex("mystery"), -1);
    }

    void missingOrMalformedLayoutReportsError() {
        LayoutLoader loader(factory_);
        QVERIFY(loader.Load(QStringLiteral(UI_TEST_DATA_DIR "/absent.ui")) == nullptr);
        QVERIFY(loader.LastError().contains(QStringLiteral("absent.ui")));

        QTemporaryFile broken;
        QVERIFY(broken.open());
        broken.write("<ui version=\"4.0\"><widget class=\"QWidget\"");
        broken.close();
        QVERIFY(loader.Load(broken.fileName()) == nullptr);
        QVERIFY(!loader.LastError().isEmpty());
    }

    // init() has loaded a layout.
    void noDesignerPluginIsLoadedAndTheLibraryPathsStay() {
        QCOMPARE(QCoreApplication::libraryPaths(), libraryPaths_);
        const bool pluginsInstalled = std::any_of(libraryPaths_.begin(), libraryPaths_.end(), [](const QString& path) {
            return !QDir(path + QStringLiteral("/designer")).entryList(QDir::Files).isEmpty();
        });
        if (!pluginsInstalled) QSKIP("no Qt Designer plugin is installed");
        QFile maps(QStringLiteral("/proc/self/maps"));
        QVERIFY(maps.open(QIODevice::ReadOnly));
        QVERIFY(!maps.readAll().contains("/designer/"));
    }

    void readsAndWritesControls() {
        view_->SetRange("dpi", 1, 50);
        view_->SetValue("dpi", 80);
        QCOMPARE(view_->Value("dpi"), 50);
        view_->SetValue("dpi", 12);
        QCOMPARE(view_->Value("dpi"), 12);

        view_->SetItems("rate", {"125", "500", "1000"});
        view_->SetCurrentIndex("rate", 2);
        view_->SetItemVisible("rate", 1, false);
        QCOMPARE(view_->Items("rate"), (std::vector<std::string>{"125", "500", "1000"}));
        QCOMPARE(view_->CurrentIndex("rate"), 2);
        QVERIFY(view_->ItemVisible("rate", 0));
        QVERIFY(!view_->ItemVisible("rate", 1));
        QVERIFY(!view_->ItemVisible("rate", 3));
        view_->SetCurrentIndex("rate", 7);
        QCOMPARE(view_->CurrentIndex("rate"), -1);

        view_->SetSelected("angleSnap", true);
        QVERIFY(view_->Selected("angleSnap"));

        view_->SetText("title", "Maus \xC3\xBC");
        QCOMPARE(view_->Text("title"), std::string("Maus \xC3\xBC"));

        view_->SetCurrentPage("pages", 1);
        QCOMPARE(view_->CurrentPage("pages"), 1);

        view_->SetColour("swatch", 0x80FF2010u);
        QCOMPARE(view_->Colour("swatch"), 0x80FF2010u);

        view_->SetVisible("title", false);
        view_->SetEnabled("apply", false);
        QVERIFY(!view_->Visible("title"));
        QVERIFY(!view_->Enabled("apply"));

        // None of these writes is reported back as a notify event.
        QVERIFY(events_.empty());
    }

    // Only SetTextId and items marked as ids are looked up in the language; a
    // text given as such stays as given however much it looks like an id.
    void textIdsFollowTheLanguageAndGivenTextsStayAsGiven() {
        SwitchLanguage(R"({"greeting_text": "Hello", "fast_text": "Fast"})");
        view_->SetText("title", "greeting_text");
        view_->SetTextId("keyLabel", "greeting_text");
        view_->SetTextId("apply", "missing_text");
        view_->SetItemTexts("rate", {ItemText::Id("fast_text"), ItemText::Literal("fast_text")});
        QCOMPARE(view_->Text("title"), std::string("greeting_text"));
        QCOMPARE(view_->Text("keyLabel"), std::string("Hello"));
        QCOMPARE(view_->Text("apply"), std::string("missing_text"));
        QCOMPARE(view_->Items("rate"), (std::vector<std::string>{"Fast", "fast_text"}));

        SwitchLanguage(R"({"greeting_text": "Hallo", "fast_text": "Schnell", "missing_text": "Da"})");
        QCOMPARE(view_->Text("title"), std::string("greeting_text"));
        QCOMPARE(view_->Text("keyLabel"), std::string("Hallo"));
        QCOMPARE(view_->Text("apply"), std::string("Da"));
        QCOMPARE(view_->Items("rate"), (std::vector<std::string>{"Schnell", "fast_text"}));

        // A given text or item list ends the following of the ids before it.
        view_->SetText("keyLabel", "Mine");
        view_->SetItems("rate", {"fast_text"});
        SwitchLanguage(R"({"greeting_text": "Hello", "fast_text": "Fast"})");
        QCOMPARE(view_->Text("keyLabel"), std::string("Mine"));
        QCOMPARE(view_->Items("rate"), std::vector<std::string>{"fast_text"});

        TextResources::Instance().LoadLanguage(QString());
        QVERIFY(events_.empty());
    }

    void childrenListClassAndUserData() {
        const auto children = view_->Children("keys");
        QCOMPARE(children.size(), std::size_t{2});
        QCOMPARE(children[0].name, std::string("key_a"));
        QCOMPARE(children[0].className, std::string("DeviceKeyButton"));
        QCOMPARE(children[0].userData, std::string("key_3"));
        QCOMPARE(children[1].name, std::string("keyLabel"));
        QCOMPARE(children[1].className, std::string("QLabel"));
        QCOMPARE(children[1].userData, std::string());
    }

    void timersArriveWithTheirIds() {
        view_->SetTimer("title", 7, 10);
        view_->SetTimer("title", 9, 15);
        const auto seen = [this](std::intptr_t id) {
            for (const NotifyEvent& e : events_)
                if (e.type == "timer" && e.control == "title" && e.wParam == id) return true;
            return false;
        };
        QTRY_VERIFY_WITH_TIMEOUT(seen(7) && seen(9), 5000);

        view_->KillTimer("title", 7);
        view_->KillTimer("title", 9);
        QCoreApplication::processEvents();
        events_.clear();
        QTest::qWait(60);
        QVERIFY(events_.empty());
    }

    void userClickRaisesClickButProgrammaticChangeDoesNot() {
        root_->show();
        QVERIFY(QTest::qWaitForWindowExposed(root_.get()));
        auto* apply = FindControl(root_.get(), QStringLiteral("apply"));
        QTest::mouseClick(apply, Qt::LeftButton);
        QTRY_VERIFY_WITH_TIMEOUT(!events_.empty(), 2000);
        QCOMPARE(events_.front().type, std::string("click"));
        QCOMPARE(events_.front().control, std::string("apply"));

        events_.clear();
        view_->SetSelected("angleSnap", true);
        view_->SetText("profileName", "Work");
        QVERIFY(events_.empty());

        // A check box takes clicks on its indicator, not anywhere in its box.
        auto* snap = FindControl(root_.get(), QStringLiteral("angleSnap"));
        QStyleOptionButton option;
        option.initFrom(snap);
        const QPoint indicator = snap->style()->subElementRect(QStyle::SE_CheckBoxIndicator, &option, snap).center();
        QTest::mouseClick(snap, Qt::LeftButton, Qt::NoModifier, indicator);
        QTRY_VERIFY_WITH_TIMEOUT(events_.size() >= 2, 2000);
        QCOMPARE(events_[0].type, std::string("selectchanged"));
        QCOMPARE(events_[0].wParam, std::intptr_t{0});
        QCOMPARE(events_[1].type, std::string("click"));
    }
};

QTEST_MAIN(PageLayoutTest)
#include "page_layout_test.moc"
