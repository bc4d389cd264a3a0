// Key buttons on a device picture: the rubber band of the select panel, the
// double click, and the light and key-set overlays.
#include <QEnterEvent>
#include <QtTest>

#include "control_test_support.h"
#include "ui/controls/device_key_button.h"
#include "ui/controls/select_panel.h"

using vandrel::ui::CDeviceKeyButtonUI;
using vandrel::ui::CSelectPanelUI;
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
        QCOMPARE(page.EventsOf("device_key_light"),
                 ends ? std::vector<std::string>{"click_select_end"} : std::vector<std::string>{});
        if (ends) QCOMPARE(panel->SelectionRect(), QRect(from, to).normalized());
        // The drag never clicks a key.
        for (const QString& key : kKeys) QVERIFY(page.EventsOf(key.toStdString()).empty());
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
