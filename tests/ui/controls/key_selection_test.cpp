// Key buttons on a device picture: the rubber band of the select panel, the
// double click, and the light and key-set overlays.
#include <cstdlib>
#include <map>
#include <vector>

#include <QEnterEvent>
#include <QtTest>

#include "control_test_support.h"
#include "ui/controls/device_key_button.h"
#include "ui/controls/select_panel.h"

using vandrel::ui::CDeviceKeyButtonUI;
using vandrel::ui::CSelectPanelUI;
using vandrel::ui::WidgetPageView;
using vandrel::ui::test::LoadedPage;

namespace {

const QStringList kKeys{QStringLiteral("key_0"), QStringLiteral("key_1"), QStringLiteral("key_2"),
                        QStringLiteral("key_3"), QStringLiteral("key_4")};

QStringList MarkedKeys(const LoadedPage& page) {
    QStringList marked;
    for (const QString& name : kKeys)
        if (page.Find<CDeviceKeyButtonUI>(name)->RectSelected()) marked << name;
    return marked;
}

// The same marks as device logic reads them through the page view.
QStringList MarkedKeysSeenByView(LoadedPage& page) {
    QStringList marked;
    for (const QString& name : kKeys)
        if (page.View().RectSelected(name.toStdString())) marked << name;
    return marked;
}

int Distance(const QColor& a, const QColor& b) {
    return std::abs(a.red() - b.red()) + std::abs(a.green() - b.green()) + std::abs(a.blue() - b.blue());
}

void Enter(QWidget* widget) {
    QEnterEvent enter(QPointF(1, 1), QPointF(1, 1), widget->mapToGlobal(QPointF(1, 1)));
    QCoreApplication::sendEvent(widget, &enter);
}

}  // namespace

class KeySelectionTest : public QObject {
    Q_OBJECT

private slots:
    void rubberBandMarksTheKeysItTouches_data() {
        QTest::addColumn<bool>("enabled");
        QTest::addColumn<QPoint>("from");
        QTest::addColumn<QPoint>("to");
        QTest::addColumn<QStringList>("marked");
        QTest::addColumn<bool>("ends");

        // Keys (panel coordinates, 40 x 40): key_0 at 20,20; key_1 80,20;
        // key_2 140,20; key_3 200,20; key_4 80,100. key_0 is marked before.
        QTest::newRow("three keys, dragged up and left")
            << true << QPoint(150, 70) << QPoint(50, 10) << QStringList{"key_0", "key_1", "key_2"} << true;
        QTest::newRow("one key; the earlier mark is cleared")
            << true << QPoint(60, 90) << QPoint(130, 150) << QStringList{"key_4"} << true;
        QTest::newRow("a corner pixel is enough")
            << true << QPoint(239, 59) << QPoint(300, 80) << QStringList{"key_3"} << true;
        QTest::newRow("empty area clears every mark")
            << true << QPoint(300, 100) << QPoint(390, 170) << QStringList{} << true;
        QTest::newRow("press and release without a move")
            << true << QPoint(150, 70) << QPoint(150, 70) << QStringList{"key_0"} << false;
        QTest::newRow("disabled panel") << false << QPoint(150, 70) << QPoint(50, 10) << QStringList{"key_0"} << false;
    }

    void rubberBandMarksTheKeysItTouches() {
        QFETCH(bool, enabled);
        QFETCH(QPoint, from);
        QFETCH(QPoint, to);
        QFETCH(QStringList, marked);
        QFETCH(bool, ends);

        LoadedPage page(QStringLiteral("key_panel.ui"));
        QVERIFY(page.Root() != nullptr);
        page.Root()->show();
        QVERIFY(QTest::qWaitForWindowExposed(page.Root()));
        auto* panel = page.Find<CSelectPanelUI>(QStringLiteral("device_key_light"));
        QVERIFY(panel != nullptr);
        panel->setEnabled(enabled);
        page.Find<CDeviceKeyButtonUI>(QStringLiteral("key_0"))->SetRectSelected(true);

        QTest::mousePress(panel, Qt::LeftButton, {}, from);
        if (from != to) {
            const QPoint halfway = (from + to) / 2;
            QTest::mouseMove(panel, halfway);
            if (enabled) {
                QVERIFY(panel->Dragging());
                QCOMPARE(panel->SelectionRect(), QRect(from, halfway).normalized());
            }
            QTest::mouseMove(panel, to);
        }
        QTest::mouseRelease(panel, Qt::LeftButton, {}, to);

        QCOMPARE(MarkedKeys(page), marked);
        QCOMPARE(MarkedKeysSeenByView(page), marked);
        QCOMPARE(page.EventsOf("device_key_light"),
                 ends ? std::vector<std::string>{"click_select_end"} : std::vector<std::string>{});
        if (ends) QCOMPARE(panel->SelectionRect(), QRect(from, to).normalized());
        // The drag never clicks a key.
        for (const QString& key : kKeys) QVERIFY(page.EventsOf(key.toStdString()).empty());
    }

    // Only a key button has the flag: a checked plain button or the panel is
    // not marked, and a missing name reads as unmarked.
    void onlyKeyButtonsReadAsRectSelected() {
        LoadedPage page(QStringLiteral("key_panel.ui"));
        page.Find<CDeviceKeyButtonUI>(QStringLiteral("key_1"))->SetRectSelected(true);
        auto* checked = page.Find<CDeviceKeyButtonUI>(QStringLiteral("key_2"));
        checked->setCheckable(true);
        checked->setChecked(true);
        WidgetPageView& view = page.View();
        QVERIFY(view.RectSelected("key_1"));
        QVERIFY(!view.RectSelected("key_2"));
        QVERIFY(view.Selected("key_2"));
        QVERIFY(!view.Selected("key_1"));
        QVERIFY(!view.RectSelected("device_key_light"));
        QVERIFY(!view.RectSelected("no_such_key"));
    }

    // The keys sit in the picture panel inside the keyboard frame: the frame's
    // children are the panel alone, its descendants reach the keys, each
    // control before what it holds.
    void descendantsReachKeysAtAnyDepth() {
        LoadedPage page(QStringLiteral("key_panel.ui"));
        const auto names = [](const std::vector<vandrel::platform::ChildControl>& controls) {
            QStringList list;
            for (const auto& c : controls) list << QString::fromStdString(c.name);
            return list;
        };
        WidgetPageView& view = page.View();
        QCOMPARE(names(view.Children("keyboard_device_key_light")), QStringList{"device_key_light"});
        const auto below = view.Descendants("keyboard_device_key_light");
        QCOMPARE(names(below),
                 (QStringList{"device_key_light", "keyboard_picture", "key_0", "key_1", "key_2", "key_3", "key_4"}));
        QCOMPARE(below[0].className, std::string("SelectPanel"));
        QCOMPARE(below[2].className, std::string("DeviceKeyButton"));
        QCOMPARE(names(view.Descendants("key_0")), QStringList{});
        QCOMPARE(names(view.Descendants("no_such_frame")), QStringList{});
        // The root by its empty name: everything, the frame first.
        QCOMPARE(names(view.Descendants("")).size(), 8);
        QCOMPARE(view.Descendants("").front().name, std::string("keyboard_device_key_light"));
    }

    void doubleClickInsideAnEnabledKey_data() {
        QTest::addColumn<bool>("enabled");
        QTest::addColumn<QPoint>("at");
        QTest::addColumn<bool>("sent");
        QTest::newRow("enabled, inside") << true << QPoint(20, 20) << true;
        QTest::newRow("enabled, outside") << true << QPoint(45, 20) << false;
        QTest::newRow("disabled, inside") << false << QPoint(20, 20) << false;
    }

    void doubleClickInsideAnEnabledKey() {
        QFETCH(bool, enabled);
        QFETCH(QPoint, at);
        QFETCH(bool, sent);
        LoadedPage page(QStringLiteral("key_panel.ui"));
        page.Root()->show();
        QVERIFY(QTest::qWaitForWindowExposed(page.Root()));
        auto* key = page.Find<CDeviceKeyButtonUI>(QStringLiteral("key_2"));
        key->setEnabled(enabled);

        QTest::mouseDClick(key, Qt::LeftButton, {}, at);

        const auto events = page.EventsOf("key_2");
        const auto doubles = std::count(events.begin(), events.end(), std::string("dbclick"));
        QCOMPARE(doubles, sent ? 1 : 0);
    }

    // A lamp colour fills the key; its caption is drawn over the fill in a
    // colour that stands out from it (its pixels nearer the caption colour
    // than the lamp's, whatever the smoothing of the glyph edges).
    void captionStaysReadableOverTheLampColour_data() {
        QTest::addColumn<QColor>("lamp");
        QTest::addColumn<QColor>("caption");
        QTest::newRow("white lamp, dark caption") << QColor(Qt::white) << QColor(0x10, 0x12, 0x16);
        QTest::newRow("navy lamp, white caption") << QColor(0, 0, 0x80) << QColor(Qt::white);
    }

    void captionStaysReadableOverTheLampColour() {
        QFETCH(QColor, lamp);
        QFETCH(QColor, caption);
        CDeviceKeyButtonUI key;
        key.resize(60, 30);  // a keycap, not a round lamp dot
        key.setText(QStringLiteral("W"));
        key.SetPreviewColour(lamp);
        const QImage shown = vandrel::ui::test::Render(key);
        QCOMPARE(shown.pixelColor(4, 15), lamp);
        int captionPixels = 0;
        for (int y = 5; y < 25; ++y)
            for (int x = 20; x < 40; ++x)
                if (Distance(shown.pixelColor(x, y), caption) < Distance(shown.pixelColor(x, y), lamp)) ++captionPixels;
        QVERIFY2(captionPixels > 5, "no caption over the lamp colour");
    }

    // What a lamp keeps between paints (its look, its caption) follows a new
    // caption and a new size.
    void keptDrawingFollowsCaptionAndSize() {
        CDeviceKeyButtonUI key;
        key.resize(60, 30);
        key.setText(QStringLiteral("W"));
        key.SetPreviewColour(Qt::white);
        const QImage w = vandrel::ui::test::Render(key);
        key.setText(QStringLiteral("M"));
        QVERIFY(vandrel::ui::test::Render(key) != w);
        key.setText(QStringLiteral("W"));
        QCOMPARE(vandrel::ui::test::Render(key), w);
        key.resize(80, 30);
        const QImage wide = vandrel::ui::test::Render(key);
        QCOMPARE(wide.width(), 80 * wide.devicePixelRatio());
        QCOMPARE(wide.pixelColor(wide.width() - 5, 15), QColor(Qt::white));
    }

    // Lamps that change together are repainted after the changes, each of
    // them: many as one piece of their picture, a few one by one.
    void lampsChangedTogetherAreAllRepainted_data() {
        QTest::addColumn<int>("changed");
        QTest::newRow("a few") << 3;
        QTest::newRow("many") << 40;
    }

    void lampsChangedTogetherAreAllRepainted() {
        QFETCH(int, changed);
        QWidget picture;
        picture.resize(800, 200);
        std::vector<CDeviceKeyButtonUI*> keys;
        for (int i = 0; i < 60; ++i) {
            auto* key = new CDeviceKeyButtonUI(&picture);
            key->setGeometry((i % 20) * 40, (i / 20) * 40, 36, 36);
            key->SetPreviewColour(Qt::red);
            keys.push_back(key);
        }
        picture.show();
        QVERIFY(QTest::qWaitForWindowExposed(&picture));
        QTest::qWait(50);
        struct PaintCounter : QObject {
            std::map<QObject*, int> paints;
            bool eventFilter(QObject* watched, QEvent* event) override {
                if (event->type() == QEvent::Paint) ++paints[watched];
                return false;
            }
        } counter;
        for (CDeviceKeyButtonUI* key : keys) key->installEventFilter(&counter);
        for (int i = 0; i < changed; ++i) keys[static_cast<std::size_t>(i)]->SetPreviewColour(Qt::green);
        QTRY_COMPARE(static_cast<int>(counter.paints.size()) >= changed, true);
        for (int i = 0; i < changed; ++i) QVERIFY(counter.paints.count(keys[static_cast<std::size_t>(i)]) == 1);
        // A few lamps repaint alone; the one piece of many lamps stays within their rows.
        if (changed < 16) QCOMPARE(static_cast<int>(counter.paints.size()), changed);
        else QVERIFY(counter.paints.count(keys.back()) == 0);
    }

    void overlaysFollowTheLightingState_data() {
        QTest::addColumn<bool>("lightOn");
        QTest::addColumn<bool>("keySetOn");
        QTest::addColumn<int>("fade");
        QTest::addColumn<int>("hotFade");
        QTest::addColumn<bool>("hot");
        QTest::addColumn<QString>("shows");

        QTest::newRow("both off") << false << false << 255 << 200 << false << "base";
        QTest::newRow("light on") << true << false << 255 << 200 << false << "light";
        QTest::newRow("light on, first value 0") << true << false << 0 << 255 << false << "base";
        QTest::newRow("light on and hot, second value 0") << true << false << 255 << 0 << true << "base";
        QTest::newRow("light on and hot, second value 255") << true << false << 0 << 255 << true << "light";
        QTest::newRow("key set over the light") << true << true << 255 << 200 << false << "keyset";
        QTest::newRow("key set alone") << false << true << 255 << 200 << false << "keyset";
    }

    void overlaysFollowTheLightingState() {
        QFETCH(bool, lightOn);
        QFETCH(bool, keySetOn);
        QFETCH(int, fade);
        QFETCH(int, hotFade);
        QFETCH(bool, hot);
        QFETCH(QString, shows);

        const vandrel::ui::test::ScratchSkin skin;
        skin.WritePicture(QStringLiteral("keys/light.png"), 8, 8, Qt::red);
        skin.WritePicture(QStringLiteral("keys/keyset.png"), 8, 8, Qt::blue);
        CDeviceKeyButtonUI key;
        key.resize(40, 40);
        key.setProperty("lightimage", QStringLiteral("keys/light.png"));
        key.setProperty("keysetimage", QStringLiteral("file='keys/keyset.png' dest='10,10,30,30'"));
        // The button's own look, hot or not, without any overlay.
        if (hot) Enter(&key);
        const QImage base = vandrel::ui::test::Render(key);

        key.SetDrawValues(fade, hotFade);
        key.SetLightOn(lightOn);
        key.SetKeySetOn(keySetOn);
        const QImage shown = vandrel::ui::test::Render(key);

        const QColor expected = shows == "light"    ? QColor(Qt::red)
                                : shows == "keyset" ? QColor(Qt::blue)
                                                    : base.pixelColor(20, 20);
        QCOMPARE(shown.pixelColor(20, 20), expected);
        // The key-set overlay keeps to its dest; the light covers the key.
        if (shows == "keyset") QCOMPARE(shown.pixelColor(5, 5), lightOn ? QColor(Qt::red) : base.pixelColor(5, 5));
    }
};

std::unique_ptr<QObject> MakeKeySelectionTest() { return std::make_unique<KeySelectionTest>(); }

#include "key_selection_test.moc"
