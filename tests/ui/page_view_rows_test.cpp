// The widget page view's tables, tool tips and key-set marks, over widgets
// as a layout makes them.
#include <memory>
#include <vector>

#include <QAbstractItemDelegate>
#include <QLabel>
#include <QLineEdit>
#include <QTableWidget>
#include <QVBoxLayout>
#include <QtTest>

#include "ui/controls/device_key_button.h"
#include "ui/widget_page_view.h"

using vandrel::platform::ListRow;
using vandrel::platform::NotifyEvent;
using vandrel::platform::RowCell;
using namespace vandrel::ui;

class PageViewRowsTest : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<QWidget> root_;
    QTableWidget* table_ = nullptr;
    QTableWidget* plainTable_ = nullptr;
    CDeviceKeyButtonUI* key_ = nullptr;
    QLabel* label_ = nullptr;
    std::unique_ptr<WidgetPageView> view_;
    std::vector<NotifyEvent> events_;

    static std::vector<ListRow> ThreeRows() {
        return {
            {{{"keyboard_key_A", "macro_label_keyboard_style"}, {"down", "macro_label_down_style"}, {"12", ""}},
             R"({"Type":10})"},
            {{{"left", "macro_label_mouse_style"}, {"up", "macro_label_up_style"}, {"0", ""}}, "second"},
            {{{"<b>x</b>", ""}, {"30", "macro_label_text_style"}, {"65535", ""}}, ""},
        };
    }

private slots:
    void init() {
        root_ = std::make_unique<QWidget>();
        auto* box = new QVBoxLayout(root_.get());
        table_ = new QTableWidget(0, 3, root_.get());
        table_->setObjectName(QStringLiteral("macro_action_list"));
        table_->setProperty("editcolumn", 2);
        table_->setProperty("editmaximum", 65535);
        table_->setProperty("editname", QStringLiteral("macro_delay"));
        plainTable_ = new QTableWidget(0, 2, root_.get());
        plainTable_->setObjectName(QStringLiteral("plain_table"));
        key_ = new CDeviceKeyButtonUI(root_.get());
        key_->setObjectName(QStringLiteral("key_a"));
        label_ = new QLabel(root_.get());
        label_->setObjectName(QStringLiteral("title"));
        for (QWidget* w : std::initializer_list<QWidget*>{table_, plainTable_, key_, label_}) box->addWidget(w);
        view_ = std::make_unique<WidgetPageView>(root_.get());
        events_.clear();
        view_->SetNotifySink([this](const NotifyEvent& e) { events_.push_back(e); });
    }

    void cleanup() {
        view_.reset();
        root_.reset();
    }

    void rowsReadBackAsSetWithStylesAndUserData() {
        const std::vector<ListRow> rows = ThreeRows();
        view_->SetRows("macro_action_list", rows);
        QCOMPARE(table_->rowCount(), 3);
        QCOMPARE(table_->item(2, 0)->text(), QStringLiteral("<b>x</b>"));
        QCOMPARE(table_->item(0, 0)->data(kCellStyleRole).toString(), QStringLiteral("macro_label_keyboard_style"));
        QVERIFY(view_->Rows("macro_action_list") == rows);

        // Only the edit column is editable.
        QVERIFY(table_->item(1, 2)->flags().testFlag(Qt::ItemIsEditable));
        QVERIFY(!table_->item(1, 0)->flags().testFlag(Qt::ItemIsEditable));
        // A table without an edit column has no editable cell.
        view_->SetRows("plain_table", rows);
        QCOMPARE(plainTable_->columnCount(), 3);  // widened to the widest row
        QVERIFY(!plainTable_->item(1, 2)->flags().testFlag(Qt::ItemIsEditable));

        // Rows shorter than the table read as they were set.
        const std::vector<ListRow> shortRows = {{{{"one", ""}}, "u"}};
        view_->SetRows("macro_action_list", shortRows);
        QVERIFY(view_->Rows("macro_action_list") == shortRows);

        view_->SetRows("macro_action_list", {});
        QCOMPARE(table_->rowCount(), 0);
        QVERIFY(view_->Rows("macro_action_list").empty());
        QVERIFY(view_->Rows("title").empty());
        view_->SetRows("absent", rows);  // nothing happens
        QVERIFY(events_.empty());
    }

    void currentRowFollowsTheViewAndTheUser() {
        view_->SetRows("macro_action_list", ThreeRows());
        QCOMPARE(view_->CurrentIndex("macro_action_list"), -1);
        view_->SetCurrentIndex("macro_action_list", 1);
        QCOMPARE(view_->CurrentIndex("macro_action_list"), 1);
        QVERIFY(events_.empty());  // the view's own change raises nothing

        // New rows keep the current row while it is still a row.
        view_->SetRows("macro_action_list", ThreeRows());
        QCOMPARE(view_->CurrentIndex("macro_action_list"), 1);
        view_->SetRows("macro_action_list", {ThreeRows()[0]});
        QCOMPARE(view_->CurrentIndex("macro_action_list"), -1);
        view_->SetCurrentIndex("macro_action_list", 5);
        QCOMPARE(view_->CurrentIndex("macro_action_list"), -1);

        // A row the user picks is an "itemselect" of the table.
        view_->SetRows("macro_action_list", ThreeRows());
        table_->setCurrentCell(2, 1);
        QCOMPARE(events_.size(), std::size_t{1});
        QCOMPARE(events_[0].type, std::string("itemselect"));
        QCOMPARE(events_[0].control, std::string("macro_action_list"));
        QCOMPARE(events_[0].wParam, std::intptr_t{2});
        table_->setCurrentCell(2, 0);  // the same row: no new selection
        QCOMPARE(events_.size(), std::size_t{1});
    }

    void delayCellTakesDigitsUpToItsMaximumAndEndsWithKillFocus() {
        root_->show();
        QVERIFY(QTest::qWaitForWindowExposed(root_.get()));
        view_->SetRows("macro_action_list", ThreeRows());
        events_.clear();

        table_->setCurrentCell(1, 2);
        table_->editItem(table_->item(1, 2));
        auto* edit = table_->findChild<QLineEdit*>();
        QVERIFY(edit != nullptr);
        edit->selectAll();
        QTest::keyClicks(edit, QStringLiteral("-4a70000"));
        QCOMPARE(edit->text(), QStringLiteral("47000"));  // digits only, no more than the maximum has
        edit->setText(QStringLiteral("99999"));
        QTest::keyClick(edit, Qt::Key_Return);
        QTRY_VERIFY_WITH_TIMEOUT(table_->findChild<QLineEdit*>() == nullptr || !edit->isVisible(), 2000);

        QCOMPARE(view_->Rows("macro_action_list")[1].cells[2].text, std::string("65535"));
        bool killFocus = false;
        for (const NotifyEvent& e : events_)
            if (e.type == "killfocus" && e.control == "macro_delay" && e.wParam == 1) killFocus = true;
        QVERIFY(killFocus);

        // An emptied cell stays empty: the logic decides what it means.
        table_->editItem(table_->item(0, 2));
        edit = table_->findChild<QLineEdit*>();
        QVERIFY(edit != nullptr);
        edit->clear();
        QTest::keyClick(edit, Qt::Key_Return);
        QTRY_COMPARE(view_->Rows("macro_action_list")[0].cells[2].text, std::string());
    }

    void toolTipsArePlainText() {
        view_->SetToolTip("title", "Left & <b>right</b>");
        QCOMPARE(view_->ToolTip("title"), std::string("Left & <b>right</b>"));
        QVERIFY(!label_->toolTip().contains(QStringLiteral("<b>")));  // escaped: shown as typed
        view_->SetToolTip("title", "plain");
        QCOMPARE(label_->toolTip(), QStringLiteral("plain"));
        QCOMPARE(view_->ToolTip("title"), std::string("plain"));
        view_->SetToolTip("absent", "x");
        QCOMPARE(view_->ToolTip("absent"), std::string());
    }

    void marksAreTheKeySetDisplayOfKeyButtonsOnly() {
        QVERIFY(!view_->Marked("key_a"));
        view_->SetMarked("key_a", true);
        QVERIFY(key_->KeySetOn());
        QVERIFY(view_->Marked("key_a"));
        view_->SetMarked("key_a", false);
        QVERIFY(!key_->KeySetOn());

        view_->SetMarked("title", true);
        QVERIFY(!view_->Marked("title"));
        QVERIFY(!label_->property("keySetOn").isValid());
        QVERIFY(!view_->Marked("absent"));
    }
};

QTEST_MAIN(PageViewRowsTest)
#include "page_view_rows_test.moc"
