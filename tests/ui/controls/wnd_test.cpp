// The native window host keeps its window on its own rectangle.
#include <QWindow>
#include <QtTest>

#include "ui/controls/wnd.h"

using vandrel::ui::CWndUI;

class WndTest : public QObject {
    Q_OBJECT

private slots:
    void hostedSiblingFollowsPlaceAndVisibility() {
        QWidget window;
        window.resize(400, 300);
        QWidget* pane = new QWidget(&window);  // owned by the window
        pane->setGeometry(50, 40, 300, 200);
        auto* host = new CWndUI(pane);
        host->setGeometry(10, 20, 100, 80);
        // A window placed in the top-level window, not inside the control.
        auto* hosted = new QWidget(&window);
        host->SetHostedWindow(hosted);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));

        QCOMPARE(hosted->geometry(), QRect(60, 60, 100, 80));
        QVERIFY(hosted->isVisible());

        host->move(30, 30);
        QCOMPARE(hosted->geometry(), QRect(80, 70, 100, 80));
        host->resize(120, 90);
        QCOMPARE(hosted->geometry(), QRect(80, 70, 120, 90));
        // A move of an ancestor moves the control on the window too.
        pane->move(0, 0);
        QCOMPARE(hosted->geometry(), QRect(30, 30, 120, 90));

        host->hide();
        QVERIFY(hosted->isHidden());
        host->show();
        QVERIFY(hosted->isVisible());
        pane->hide();
        QVERIFY(hosted->isHidden());
    }

    void topLevelHostedWindowIsPlacedOnScreen() {
        QWidget window;
        window.setGeometry(100, 100, 300, 200);
        auto* host = new CWndUI(&window);
        host->setGeometry(20, 10, 60, 40);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));

        QWidget floating;
        host->SetHostedWindow(&floating);
        QCOMPARE(floating.geometry(), QRect(host->mapToGlobal(QPoint(0, 0)), QSize(60, 40)));
        QVERIFY(floating.isVisible());
        host->hide();
        QVERIFY(floating.isHidden());
    }

    void nativeWindowFillsTheControl() {
        QWidget window;
        auto* host = new CWndUI(&window);
        host->setGeometry(5, 5, 70, 30);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        auto* native = new QWindow;  // the container takes it over
        QWidget* container = host->HostNativeWindow(native);
        QVERIFY(container != nullptr);
        QCOMPARE(container->parentWidget(), host);
        QCOMPARE(container->geometry(), QRect(0, 0, 70, 30));
        host->resize(90, 40);
        QCOMPARE(container->geometry(), QRect(0, 0, 90, 40));
    }
};

std::unique_ptr<QObject> MakeWndTest() { return std::make_unique<WndTest>(); }

#include "wnd_test.moc"
