// The hand image buttons: the delete area and its click, the delete icon,
// enter and leave notifications and the cursor attribute.
#include <QEnterEvent>
#include <QtTest>

#include "control_test_support.h"
#include "ui/controls/hand_img_button.h"
#include "ui/controls/hand_img_select_button.h"

using vandrel::ui::CHandImgButtonUI;
using vandrel::ui::CHandImgSelectButtonUI;
using vandrel::ui::test::LoadedPage;
using Events = std::vector<std::string>;

Q_DECLARE_METATYPE(std::optional<Qt::CursorShape>)

namespace {

void Enter(QWidget* widget) {
    QEnterEvent enter(QPointF(1, 1), QPointF(1, 1), widget->mapToGlobal(QPointF(1, 1)));
    QCoreApplication::sendEvent(widget, &enter);
}

void Leave(QWidget* widget) {
    QEvent leave(QEvent::Leave);
    QCoreApplication::sendEvent(widget, &leave);
}

}  // namespace

class HandButtonTest : public QObject {
    Q_OBJECT

private slots:
    void deleteAreaSitsAtTheBottomRight_data() {
        QTest::addColumn<QSize>("size");
        QTest::addColumn<int>("dpi");
        QTest::addColumn<QRect>("area");
        QTest::newRow("96 dpi") << QSize(80, 80) << 96 << QRect(50, 51, 20, 20);
        QTest::newRow("144 dpi") << QSize(100, 60) << 144 << QRect(55, 17, 30, 30);
        QTest::newRow("192 dpi, small button") << QSize(40, 40) << 192 << QRect(-20, -18, 40, 40);
    }

    void deleteAreaSitsAtTheBottomRight() {
        QFETCH(QSize, size);
        QFETCH(int, dpi);
        QFETCH(QRect, area);
        QCOMPARE(vandrel::ui::HandDeleteArea(size, dpi), area);
    }

    void releaseOverTheDeleteAreaDeletes_data() {
        QTest::addColumn<bool>("deletable");
        QTest::addColumn<QPoint>("press");
        QTest::addColumn<QPoint>("release");
        QTest::addColumn<Events>("events");
        // The 80 x 80 button's delete area is 50,51 to 69,70.
        QTest::newRow("on the delete area") << true << QPoint(60, 60) << QPoint(60, 60) << Events{"click_handdelete"};
        QTest::newRow("elsewhere inside") << true << QPoint(20, 20) << QPoint(20, 20) << Events{"click"};
        QTest::newRow("just outside the area") << true << QPoint(49, 60) << QPoint(49, 60) << Events{"click"};
        QTest::newRow("pressed elsewhere, released on it")
            << true << QPoint(20, 20) << QPoint(69, 70) << Events{"click_handdelete"};
        QTest::newRow("not deletable") << false << QPoint(60, 60) << QPoint(60, 60) << Events{"click"};
        QTest::newRow("released outside the button") << true << QPoint(60, 60) << QPoint(90, 90) << Events{};
    }

    void releaseOverTheDeleteAreaDeletes() {
        QFETCH(bool, deletable);
        QFETCH(QPoint, press);
        QFETCH(QPoint, release);
        QFETCH(Events, events);
        LoadedPage page(QStringLiteral("controls.ui"));
        page.Root()->show();
        QVERIFY(QTest::qWaitForWindowExposed(page.Root()));
        auto* hand = page.Find<CHandImgButtonUI>(QStringLiteral("macro_hand"));
        QVERIFY(hand != nullptr);
        hand->SetDeletable(deletable);

        QTest::mousePress(hand, Qt::LeftButton, {}, press);
        QTest::mouseRelease(hand, Qt::LeftButton, {}, release);

        QCOMPARE(page.EventsOf("macro_hand"), events);
        QVERIFY(!hand->isDown());
    }

    void deleteIconShowsWhileHot() {
        const vandrel::ui::test::ScratchSkin skin;
        skin.WritePicture(QStringLiteral("hand/delete.png"), 4, 4, Qt::green);
        skin.WritePicture(QStringLiteral("hand/delete_hot.png"), 4, 4, Qt::blue);
        CHandImgButtonUI hand;
        hand.resize(80, 80);
        hand.SetDeleteNormalImage(QStringLiteral("hand/delete.png"));
        hand.SetDeleteHotImage(QStringLiteral("hand/delete_hot.png"));
        hand.SetDeletable(true);
        hand.show();
        QVERIFY(QTest::qWaitForWindowExposed(&hand));
        // Showing may already have put the pointer over it.
        Leave(&hand);
        const QPoint inArea(60, 60);

        QVERIFY(vandrel::ui::test::Render(hand).pixelColor(inArea) != QColor(Qt::green));
        Enter(&hand);
        QCOMPARE(vandrel::ui::test::Render(hand).pixelColor(inArea), QColor(Qt::green));
        QTest::mouseMove(&hand, inArea);
        QVERIFY(hand.OverDeleteArea());
        QCOMPARE(vandrel::ui::test::Render(hand).pixelColor(inArea), QColor(Qt::blue));
        QTest::mouseMove(&hand, QPoint(10, 10));
        QCOMPARE(vandrel::ui::test::Render(hand).pixelColor(inArea), QColor(Qt::green));
        hand.SetDeletable(false);
        QVERIFY(vandrel::ui::test::Render(hand).pixelColor(inArea) != QColor(Qt::green));
        Leave(&hand);
        QVERIFY(!hand.Hot());
    }

    void enterAndLeaveAreNotified_data() {
        QTest::addColumn<QString>("name");
        QTest::newRow("HandImgButton") << QStringLiteral("macro_hand");
        QTest::newRow("HandImgSelectButton") << QStringLiteral("hand_select");
    }

    void enterAndLeaveAreNotified() {
        QFETCH(QString, name);
        LoadedPage page(QStringLiteral("controls.ui"));
        QWidget* button = page.FindWidget(name);
        QVERIFY(button != nullptr);
        Enter(button);
        Leave(button);
        Enter(button);
        QCOMPARE(page.EventsOf(name.toStdString()), (Events{"msenter", "msleave", "msenter"}));
    }

    void cursorNamesMapToShapes_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<std::optional<Qt::CursorShape>>("shape");
        const auto row = [](const char* name, std::optional<Qt::CursorShape> shape) {
            QTest::newRow(name) << QString::fromLatin1(name) << shape;
        };
        row("arrow", Qt::ArrowCursor);
        row("ibeam", Qt::IBeamCursor);
        row("wait", Qt::WaitCursor);
        row("cross", Qt::CrossCursor);
        row("uparrow", Qt::UpArrowCursor);
        row("size", Qt::SizeAllCursor);
        row("icon", Qt::ArrowCursor);
        row("sizenwse", Qt::SizeFDiagCursor);
        row("sizenesw", Qt::SizeBDiagCursor);
        row("sizewe", Qt::SizeHorCursor);
        row("sizens", Qt::SizeVerCursor);
        row("sizeall", Qt::SizeAllCursor);
        row("no", Qt::ForbiddenCursor);
        row("hand", Qt::PointingHandCursor);
        row("HAND", Qt::PointingHandCursor);
        row("pointer", std::nullopt);
        row("", std::nullopt);
    }

    void cursorNamesMapToShapes() {
        QFETCH(QString, name);
        QFETCH(std::optional<Qt::CursorShape>, shape);
        QCOMPARE(vandrel::ui::CursorShapeOfName(name), shape);

        // An unknown name leaves the shape the button had.
        CHandImgSelectButtonUI button;
        button.setCursor(Qt::WaitCursor);
        button.SetCursorName(name);
        QCOMPARE(button.cursor().shape(), shape.value_or(Qt::WaitCursor));
    }
};

std::unique_ptr<QObject> MakeHandButtonTest() { return std::make_unique<HandButtonTest>(); }

#include "hand_button_test.moc"
