// The list items: content from the skin's item layouts, activation, context
// menu, hover frame, and the update item's states.
#include <QAbstractButton>
#include <QContextMenuEvent>
#include <QEnterEvent>
#include <QLabel>
#include <QLineEdit>
#include <QtTest>

#include "control_test_support.h"
#include "ui/controls/cloud_share_list_item.h"
#include "ui/controls/combo_edit_container_element.h"
#include "ui/controls/image_description.h"
#include "ui/controls/update_info_list_item.h"
#include "ui/find_control.h"
#include "ui/text_resources.h"

using namespace vandrel::ui;
using vandrel::ui::test::DataPath;
using vandrel::ui::test::LoadedPage;
using Events = std::vector<std::string>;

namespace {

void Enter(QWidget* widget) {
    QEnterEvent enter(QPointF(1, 1), QPointF(1, 1), widget->mapToGlobal(QPointF(1, 1)));
    QCoreApplication::sendEvent(widget, &enter);
}

void Leave(QWidget* widget) {
    QEvent leave(QEvent::Leave);
    QCoreApplication::sendEvent(widget, &leave);
}

void ContextMenu(QWidget* widget, const QPoint& globalPos) {
    QContextMenuEvent menu(QContextMenuEvent::Mouse, widget->mapFromGlobal(globalPos), globalPos);
    QCoreApplication::sendEvent(widget, &menu);
}

bool Shown(const QWidget* item, const char* name) {
    const QWidget* part = FindControl(const_cast<QWidget*>(item), QString::fromLatin1(name));
    return part != nullptr && !part->isHidden();
}

}  // namespace

class ListItemTest : public QObject {
    Q_OBJECT

private slots:
    void init() { SetSkinFolder(DataPath(QStringLiteral("skin"))); }

    void comboEditBuildsItsContent() {
        CComboEditContainerElementUI item;
        QVERIFY(item.Content() != nullptr);
        QCOMPARE(qobject_cast<QLabel*>(item.Text1())->text(), QStringLiteral("Left click"));
        QCOMPARE(qobject_cast<QLabel*>(item.Text2())->text(), QStringLiteral("Down"));
        QCOMPARE(qobject_cast<QLineEdit*>(item.DelayEdit())->text(), QStringLiteral("10"));
        QCOMPARE(item.Content()->parentWidget(), &item);
    }

    void comboEditWithoutItsLayoutStaysEmpty() {
        const test::ScratchSkin empty;
        CComboEditContainerElementUI item;
        QVERIFY(item.Content() == nullptr);
        QVERIFY(item.Text1() == nullptr && item.Text2() == nullptr && item.DelayEdit() == nullptr);
        QVERIFY(item.findChildren<QWidget*>().isEmpty());
    }

    void enterKeyOfComboEditSendsReturn() {
        LoadedPage page(QStringLiteral("controls.ui"));
        QWidget* item = page.FindWidget(QStringLiteral("combo_edit_item"));
        QVERIFY(item != nullptr);
        QTest::keyClick(item, Qt::Key_Return);
        QTest::keyClick(item, Qt::Key_Enter);
        QTest::keyClick(item, Qt::Key_A);
        QCOMPARE(page.EventsOf("combo_edit_item"), (Events{"return", "return"}));
    }

    void listItemsActivateAndOfferTheirMenu_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("menu");
        QTest::newRow("update item, menu on") << QStringLiteral("update_item") << true;
        QTest::newRow("cloud share item, menu off") << QStringLiteral("share_item") << false;
    }

    void listItemsActivateAndOfferTheirMenu() {
        QFETCH(QString, name);
        QFETCH(bool, menu);
        LoadedPage page(QStringLiteral("controls.ui"));
        page.Root()->show();
        QVERIFY(QTest::qWaitForWindowExposed(page.Root()));
        QWidget* item = page.FindWidget(name);
        QVERIFY(item != nullptr);
        const std::string control = name.toStdString();

        QTest::mouseDClick(item, Qt::LeftButton, {}, QPoint(5, 5));
        QTest::keyClick(item, Qt::Key_Return);
        ContextMenu(item, QPoint(123, 45));
        item->setEnabled(false);
        CListContainerElementUI* element = qobject_cast<CListContainerElementUI*>(item);
        element->Activate();

        const Events expected =
            menu ? Events{"itemactivate", "itemactivate", "menu"} : Events{"itemactivate", "itemactivate"};
        QCOMPARE(page.EventsOf(control), expected);
        if (menu) {
            const auto& last = page.Events().back();
            QCOMPARE(last.wParam, std::intptr_t{123});
            QCOMPARE(last.lParam, std::intptr_t{45});
        }
    }

    void hoverFrameWhileHotAndNotChosen() {
        CUpdateInfoListItemUI item;
        item.resize(200, 50);
        item.setProperty("itemlinecolor", QStringLiteral("#FFFF0000"));
        QVERIFY(!item.HoverFrameShown());
        Enter(&item);
        QVERIFY(item.HoverFrameShown());
        QCOMPARE(test::Render(item).pixelColor(0, 25), QColor(Qt::red));
        item.SelectCheck(true);
        QVERIFY(!item.HoverFrameShown());
        item.SelectCheck(false);
        item.setEnabled(false);
        QVERIFY(!item.HoverFrameShown());
        item.setEnabled(true);
        Leave(&item);
        QVERIFY(!item.HoverFrameShown());

        // The colour comes from the list when the item has none.
        QWidget list;
        list.setProperty("itemlinecolor", QStringLiteral("FF00FF00"));
        CCloudShareListItemUI shared(&list);
        QCOMPARE(shared.HoverFrameColour(), QColor(Qt::green));
    }

    void updateStatesSetTheirLook_data() {
        QTest::addColumn<int>("state");
        QTest::addColumn<QString>("textId");
        QTest::addColumn<bool>("progress");
        QTest::addColumn<bool>("done");
        QTest::addColumn<bool>("checkEnabled");
        QTest::addColumn<uint>("colour");
        QTest::addColumn<uint>("disabledColour");
        QTest::newRow("0") << 0 << "LessUpdateText" << false << false << false << 0xFFFFFFFFu << 0xFF666666u;
        QTest::newRow("2") << 2 << "NeedUpdateText" << false << false << true << 0xFF0099FFu << 0xFF0078C8u;
        QTest::newRow("4") << 4 << "DownloadIngText" << true << false << false << 0xFF0099FFu << 0xFF0078C8u;
        QTest::newRow("5") << 5 << "DownloadOkText" << false << true << false << 0xFF0099FFu << 0xFF0078C8u;
        QTest::newRow("6") << 6 << "UpdateIngText" << true << false << false << 0xFF0099FFu << 0xFF0078C8u;
        QTest::newRow("7") << 7 << "UpdateOkText" << false << false << false << 0xFFFFFFFFu << 0xFF666666u;
        QTest::newRow("8") << 8 << "UpdateFailText" << false << false << true << 0xFF0099FFu << 0xFF0078C8u;
    }

    void updateStatesSetTheirLook() {
        QFETCH(int, state);
        QFETCH(QString, textId);
        QFETCH(bool, progress);
        QFETCH(bool, done);
        QFETCH(bool, checkEnabled);
        QFETCH(uint, colour);
        QFETCH(uint, disabledColour);

        CUpdateInfoListItemUI item;
        // Start from the opposite look, so that every part must change.
        item.SetState(state == 4 ? 5 : 4);
        item.EnableCheck(!checkEnabled);
        item.SetState(state);

        QCOMPARE(item.State(), state);
        QWidget* text = FindControl(&item, QStringLiteral("update_status_text"));
        QCOMPARE(text->property(kTextIdProperty).toString(), textId);
        QCOMPARE(Shown(&item, "update_status_ing"), progress);
        QCOMPARE(Shown(&item, "update_status_ok"), done);
        auto* check = qobject_cast<QAbstractButton*>(FindControl(&item, QStringLiteral("check_name_select")));
        QCOMPARE(check->isEnabled(), checkEnabled);
        QCOMPARE(check->property("textcolor").toUInt(), colour);
        QCOMPARE(check->property("selectedtextcolor").toUInt(), colour);
        QCOMPARE(check->property("disabledtextcolor").toUInt(), disabledColour);
    }

    void updateItemTexts() {
        CUpdateInfoListItemUI item;
        item.SetName(QStringLiteral("AP"));
        item.SetInstalledText(QStringLiteral("V0103"));
        item.SetOfferedText(QString());
        item.SetProgress(42);
        const auto textOf = [&](const char* name) {
            return qobject_cast<QLabel*>(FindControl(&item, QString::fromLatin1(name)))->text();
        };
        QCOMPARE(qobject_cast<QAbstractButton*>(FindControl(&item, QStringLiteral("check_name_select")))->text(),
                 QStringLiteral("AP"));
        QCOMPARE(textOf("OldRev"), QStringLiteral("V0103"));
        QCOMPARE(textOf("update_progress_value"), QStringLiteral("42%"));
        QVERIFY(!Shown(&item, "updateRev"));
        item.SetOfferedText(QStringLiteral("V0104"));
        QVERIFY(Shown(&item, "updateRev"));
        QCOMPARE(textOf("updateRev"), QStringLiteral("V0104"));

        // The same state again changes nothing, even what was changed by hand.
        item.SetState(1);
        item.EnableCheck(false);
        item.SetState(1);
        QVERIFY(!FindControl(&item, QStringLiteral("check_name_select"))->isEnabled());
        item.SelectCheck(true);
        QVERIFY(item.IsCheckSelected());
    }

    void updateItemWithoutItsLayoutIgnoresEverything() {
        const test::ScratchSkin empty;
        CUpdateInfoListItemUI item;
        item.SetState(4);
        item.SetName(QStringLiteral("x"));
        item.SelectCheck(true);
        QCOMPARE(item.State(), 4);
        QVERIFY(!item.IsCheckSelected());
        QCOMPARE(item.height(), kUpdateItemHeight);
    }
};

std::unique_ptr<QObject> MakeListItemTest() { return std::make_unique<ListItemTest>(); }

#include "list_item_test.moc"
