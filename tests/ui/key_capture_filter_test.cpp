// The key capture filter over real widgets: while the capture edit has the
// focus every press becomes a hook record and nothing reaches the edit, the
// focus chain or a shortcut; without the focus keys behave as usual.
#include <vector>

#include <QAction>
#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QVBoxLayout>
#include <QWidget>
#include <QtTest>

#include "ui/key_capture_filter.h"

using vandrel::platform::KeyRecord;
using vandrel::ui::KeyCaptureFilter;

class KeyCaptureFilterTest : public QObject {
    Q_OBJECT

    // X11 and Wayland give the evdev code plus 8.
    static constexpr quint32 kNativeA = 30 + 8;
    static constexpr quint32 kNativeTab = 15 + 8;
    static constexpr quint32 kNativeEnter = 28 + 8;
    static constexpr quint32 kNativeLeftCtrl = 29 + 8;

    struct Window {
        QWidget root;
        QLineEdit* capture = nullptr;
        QLineEdit* other = nullptr;
        std::vector<KeyRecord> records;
        KeyCaptureFilter filter{[this](const KeyRecord& r) { records.push_back(r); }};

        Window() {
            auto* box = new QVBoxLayout(&root);
            capture = new QLineEdit(&root);
            capture->setObjectName(QStringLiteral("keyset_keyboard_text_edit"));
            other = new QLineEdit(&root);
            box->addWidget(capture);
            box->addWidget(other);
            root.show();
            QApplication::setActiveWindow(&root);
            capture->setFocus();
            qApp->installEventFilter(&filter);
        }
        ~Window() { qApp->removeEventFilter(&filter); }
    };

    // As the window system delivers it: to the window, which hands it to the
    // focus widget.
    static void Press(QWidget& root, int key, quint32 nativeScanCode, Qt::KeyboardModifiers mods = {},
                      const QString& text = {}, bool autoRepeat = false) {
        QKeyEvent press(QEvent::KeyPress, key, mods, nativeScanCode, 0, 0, text, autoRepeat);
        QApplication::sendEvent(root.windowHandle(), &press);
        QKeyEvent release(QEvent::KeyRelease, key, mods, nativeScanCode, 0, 0, text, autoRepeat);
        QApplication::sendEvent(root.windowHandle(), &release);
    }

private slots:
    void capturesEveryKeyWhileArmed() {
        Window w;
        QVERIFY(QTest::qWaitForWindowExposed(&w.root));
        QCOMPARE(QApplication::focusWidget(), w.capture);
        w.filter.Arm(w.capture);

        Press(w.root, Qt::Key_A, kNativeA, {}, QStringLiteral("a"));
        Press(w.root, Qt::Key_Tab, kNativeTab);
        Press(w.root, Qt::Key_Return, kNativeEnter, {}, QStringLiteral("\r"));
        Press(w.root, Qt::Key_Control, kNativeLeftCtrl, Qt::ControlModifier);

        const std::vector<KeyRecord> expected{
            {0x1E, false, 0x41}, {0x0F, false, 0x09}, {0x1C, false, 0x0D}, {0x1D, false, 0xA2}};
        QCOMPARE(w.records.size(), expected.size());
        for (std::size_t i = 0; i < expected.size(); ++i) QVERIFY(w.records[i] == expected[i]);
        // Nothing typed, the focus stayed.
        QCOMPARE(w.capture->text(), QString());
        QCOMPARE(QApplication::focusWidget(), w.capture);
    }

    void dropsRepeatsAndKeysWithoutRecord() {
        Window w;
        QVERIFY(QTest::qWaitForWindowExposed(&w.root));
        w.filter.Arm(w.capture);
        Press(w.root, Qt::Key_A, kNativeA, {}, QStringLiteral("a"), /*autoRepeat=*/true);
        Press(w.root, Qt::Key_unknown, 0);        // a test helper's key: no native code
        Press(w.root, Qt::Key_unknown, 8 + 500);  // a code the table does not list
        QVERIFY(w.records.empty());
        QCOMPARE(w.capture->text(), QString());
    }

    void shortcutsDoNotFireWhileCapturing() {
        Window w;
        QVERIFY(QTest::qWaitForWindowExposed(&w.root));
        int fired = 0;
        auto* action = new QAction(&w.root);
        action->setShortcut(QKeySequence(Qt::Key_A));
        w.root.addAction(action);
        connect(action, &QAction::triggered, [&fired] { ++fired; });
        w.filter.Arm(w.capture);
        QKeyEvent overrideEvent(QEvent::ShortcutOverride, Qt::Key_A, {}, kNativeA, 0, 0, QStringLiteral("a"));
        QApplication::sendEvent(w.capture, &overrideEvent);
        QVERIFY(overrideEvent.isAccepted());
        Press(w.root, Qt::Key_A, kNativeA, {}, QStringLiteral("a"));
        QCOMPARE(fired, 0);
        QCOMPARE(w.records.size(), std::size_t{1});
    }

    void keysBehaveAsUsualOtherwise() {
        Window w;
        QVERIFY(QTest::qWaitForWindowExposed(&w.root));
        // Not armed: the edit types.
        Press(w.root, Qt::Key_A, kNativeA, {}, QStringLiteral("a"));
        QCOMPARE(w.capture->text(), QStringLiteral("a"));
        // Armed, but the focus is elsewhere: the other edit types.
        w.filter.Arm(w.capture);
        w.other->setFocus();
        Press(w.root, Qt::Key_A, kNativeA, {}, QStringLiteral("a"));
        QCOMPARE(w.other->text(), QStringLiteral("a"));
        // Disarmed with the focus back: typing again.
        w.capture->setFocus();
        w.filter.Disarm();
        Press(w.root, Qt::Key_A, kNativeA, {}, QStringLiteral("a"));
        QCOMPARE(w.capture->text(), QStringLiteral("aa"));
        QVERIFY(w.records.empty());
    }
};

QTEST_MAIN(KeyCaptureFilterTest)
#include "key_capture_filter_test.moc"
