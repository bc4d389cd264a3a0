// The page view over a loaded layout: device and panel logic reads and writes
// the page's widgets by layout name, and the widgets' own signals reach the
// notify sink as notify events ("click", "valuechanged", ...). Changes made
// through the view raise no events, so logic never sees its own writes.
//
// Tables (QTableWidget) show rows of cells; a cell's style name is kept in
// the item (kCellStyleRole) and a row's user data in its first item. A table
// may let one column be edited, by dynamic properties of the layout:
//   "editcolumn"  the column (none without it),
//   "editmaximum" the largest number the cell takes (digits only, 0 up),
//   "editname"    the control name of the "killfocus" event raised when an
//                 edit of that column ends; wParam is the row.
#pragma once

#include <functional>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <utility>

#include <QObject>
#include <QPointer>
#include <QTimer>
#include <QWidget>

#include "platform/page_view.h"

class QTableWidget;

namespace vandrel::ui {

// Item data roles of table cells.
inline constexpr int kCellStyleRole = Qt::UserRole + 1;
inline constexpr int kRowUserDataRole = Qt::UserRole + 2;

class WidgetPageView : public platform::IPageView {
public:
    using NotifySink = std::function<void(const platform::NotifyEvent&)>;

    // root stays owned by the caller and must outlive the view's use of it;
    // once it is gone the page reads as empty.
    explicit WidgetPageView(QWidget* root);
    ~WidgetPageView() override;

    void SetNotifySink(NotifySink sink);
    // Widgets added below the root after the view was made (device tabs and
    // pages) raise events once they are adopted.
    void Adopt(QWidget* subtree);

    bool HasControl(std::string_view name) const override;

    int Value(std::string_view name) const override;
    void SetValue(std::string_view name, int value) override;
    void SetRange(std::string_view name, int minimum, int maximum) override;

    std::string Text(std::string_view name) const override;
    void SetText(std::string_view name, std::string_view text) override;
    void SetTextId(std::string_view name, std::string_view id) override;

    bool Selected(std::string_view name) const override;
    void SetSelected(std::string_view name, bool selected) override;

    bool Visible(std::string_view name) const override;
    void SetVisible(std::string_view name, bool visible) override;
    bool Enabled(std::string_view name) const override;
    void SetEnabled(std::string_view name, bool enabled) override;

    std::vector<std::string> Items(std::string_view name) const override;
    void SetItems(std::string_view name, const std::vector<std::string>& items) override;
    void SetItemTexts(std::string_view name, const std::vector<platform::ItemText>& items) override;
    void SetItemVisible(std::string_view name, int index, bool visible) override;
    bool ItemVisible(std::string_view name, int index) const override;
    int CurrentIndex(std::string_view name) const override;
    void SetCurrentIndex(std::string_view name, int index) override;

    int CurrentPage(std::string_view name) const override;
    void SetCurrentPage(std::string_view name, int page) override;

    std::vector<platform::ChildControl> Children(std::string_view container) const override;
    std::vector<platform::ChildControl> Descendants(std::string_view container) const override;
    bool RectSelected(std::string_view name) const override;
    bool Marked(std::string_view name) const override;
    void SetMarked(std::string_view name, bool marked) override;

    std::string ToolTip(std::string_view name) const override;
    void SetToolTip(std::string_view name, std::string_view text) override;

    std::vector<platform::ListRow> Rows(std::string_view name) const override;
    void SetRows(std::string_view name, const std::vector<platform::ListRow>& rows) override;

    void SetColour(std::string_view name, std::uint32_t argb) override;
    std::uint32_t Colour(std::string_view name) const override;

    void SetTimer(std::string_view name, int timerId, int periodMs) override;
    void KillTimer(std::string_view name, int timerId) override;

private:
    QWidget* Find(std::string_view name) const;
    void WireSignals(QWidget* widget);
    void WireTable(QTableWidget* table);
    void Raise(const QString& type, const QString& control, std::intptr_t wParam = 0, std::intptr_t lParam = 0);
    // A custom control's event from the notify hub, when the sender is one of this view's.
    void RaiseFromHub(QWidget* sender, const QString& type, std::intptr_t wParam, std::intptr_t lParam);
    // Runs a change with the view's event forwarding muted.
    void Quietly(const std::function<void()>& change);

    QPointer<QWidget> root_;
    NotifySink sink_;
    bool muted_ = false;
    // Context of every signal connection: they end with the view.
    std::unique_ptr<QObject> context_ = std::make_unique<QObject>();
    std::map<std::pair<std::string, int>, std::unique_ptr<QTimer>> timers_;
    std::set<const QObject*> wired_;  // widgets whose signals reach this view
    // Controls found by name: the LED previews are looked up 30 times a
    // second, and a walk of the whole page each time would cost more than
    // everything else the page does.
    mutable std::map<std::string, QPointer<QWidget>, std::less<>> found_;
};

}  // namespace vandrel::ui
