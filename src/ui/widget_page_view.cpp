#include "ui/widget_page_view.h"

#include <algorithm>
#include <functional>
#include <limits>
#include <optional>

#include <QAbstractButton>
#include <QAbstractSlider>
#include <QColor>
#include <QComboBox>
#include <QEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QListWidget>
#include <QProgressBar>
#include <QSpinBox>
#include <QStackedWidget>
#include <QStyledItemDelegate>
#include <QTabWidget>
#include <QTableWidget>
#include <QTextDocument>
#include <QTextEdit>
#include <QValidator>
#include <QVariant>

#include "ui/find_control.h"
#include "ui/notify.h"
#include "ui/preview_colour.h"
#include "ui/qt_text.h"
#include "ui/text_resources.h"

namespace vandrel::ui {
namespace {

// Tells when its widget gains the keyboard focus.
class FocusInWatcher : public QObject {
public:
    FocusInWatcher(QWidget* widget, std::function<void()> gained) : QObject(widget), gained_(std::move(gained)) {
        widget->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::FocusIn) gained_();
        return QObject::eventFilter(watched, event);
    }

private:
    std::function<void()> gained_;
};

// Dynamic properties the view and the layouts use.
constexpr const char* kColourProperty = "colour";
constexpr const char* kClassProperty = "class";
constexpr const char* kUserDataProperty = "userdata";
constexpr const char* kRectSelectedProperty = "rectSelected";
constexpr const char* kKeySetProperty = "keySetOn";  // key buttons' key-set display
constexpr const char* kToolTipProperty = "plainToolTip";
constexpr const char* kEditColumnProperty = "editcolumn";
constexpr const char* kEditMaximumProperty = "editmaximum";
constexpr const char* kEditNameProperty = "editname";

// Widgets whose value lies in a range: sliders, progress bars, spin boxes.
struct RangeAccess {
    int minimum = 0;
    int maximum = 0;
    int value = 0;
};

std::optional<RangeAccess> ReadRange(const QWidget* w) {
    if (const auto* s = qobject_cast<const QAbstractSlider*>(w))
        return RangeAccess{s->minimum(), s->maximum(), s->value()};
    if (const auto* p = qobject_cast<const QProgressBar*>(w))
        return RangeAccess{p->minimum(), p->maximum(), p->value()};
    if (const auto* b = qobject_cast<const QSpinBox*>(w)) return RangeAccess{b->minimum(), b->maximum(), b->value()};
    return std::nullopt;
}

// Writes range and value; the value is clamped here because a progress bar
// ignores a value outside its range instead of clamping it.
void WriteRange(QWidget* w, const RangeAccess& r) {
    const int maximum = std::max(r.minimum, r.maximum);
    const int value = std::clamp(r.value, r.minimum, maximum);
    if (auto* s = qobject_cast<QAbstractSlider*>(w)) {
        s->setRange(r.minimum, maximum);
        s->setValue(value);
    } else if (auto* p = qobject_cast<QProgressBar*>(w)) {
        p->setRange(r.minimum, maximum);
        p->setValue(value);
    } else if (auto* b = qobject_cast<QSpinBox*>(w)) {
        b->setRange(r.minimum, maximum);
        b->setValue(value);
    }
}

bool InItems(int index, int count) { return index >= 0 && index < count; }

void SelectRow(QTableWidget& table, int row) {
    if (row < 0) {
        table.clearSelection();
        table.setCurrentCell(-1, -1);
    } else {
        table.setCurrentCell(row, 0);
        table.selectRow(row);
    }
}

void ShowText(QWidget* w, const QString& text) {
    if (auto* label = qobject_cast<QLabel*>(w)) label->setText(text);
    else if (auto* edit = qobject_cast<QLineEdit*>(w)) edit->setText(text);
    else if (auto* button = qobject_cast<QAbstractButton*>(w)) button->setText(text);
    else if (auto* rich = qobject_cast<QTextEdit*>(w)) rich->setPlainText(text);
}

// Digits only, at most as many as the maximum has; a number above the
// maximum can still be typed over but is not acceptable.
class DigitsValidator : public QValidator {
public:
    DigitsValidator(int maximum, QObject* parent) : QValidator(parent), maximum_(maximum) {}

    State validate(QString& input, int& /*position*/) const override {
        if (input.size() > QString::number(maximum_).size()) return Invalid;
        for (const QChar c : input)
            if (c < QLatin1Char('0') || c > QLatin1Char('9')) return Invalid;
        if (input.isEmpty()) return Acceptable;  // the logic reads an empty cell as 0
        return input.toLongLong() <= maximum_ ? Acceptable : Intermediate;
    }
    void fixup(QString& input) const override {
        if (input.toLongLong() > maximum_) input = QString::number(maximum_);
    }

private:
    int maximum_;
};

// The editor of a table's edit column: a line edit that takes digits up to
// the maximum. The row of the cell edited last is kept for the event that
// ends the edit.
class DigitsDelegate : public QStyledItemDelegate {
public:
    DigitsDelegate(int maximum, QObject* parent) : QStyledItemDelegate(parent), maximum_(maximum) {}

    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& /*option*/,
                          const QModelIndex& index) const override {
        editedRow_ = index.row();
        auto* edit = new QLineEdit(parent);
        edit->setValidator(new DigitsValidator(maximum_, edit));
        edit->setMaxLength(static_cast<int>(QString::number(maximum_).size()));
        return edit;
    }
    void setModelData(QWidget* editor, QAbstractItemModel* model, const QModelIndex& index) const override {
        auto* edit = qobject_cast<QLineEdit*>(editor);
        if (edit == nullptr) return;
        QString text = edit->text();
        if (!text.isEmpty()) text = QString::number(std::min<qlonglong>(text.toLongLong(), maximum_));
        model->setData(index, text, Qt::EditRole);
    }
    int EditedRow() const { return editedRow_; }

private:
    int maximum_;
    mutable int editedRow_ = -1;
};

int EditColumn(const QTableWidget& table) {
    const QVariant column = table.property(kEditColumnProperty);
    bool ok = false;
    const int value = column.toInt(&ok);
    return column.isValid() && ok ? value : -1;
}

QTableWidgetItem* MakeCell(const platform::RowCell& cell, bool editable) {
    auto* item = new QTableWidgetItem(ToQt(cell.text));
    item->setData(kCellStyleRole, ToQt(cell.style));
    Qt::ItemFlags flags = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
    if (editable) flags |= Qt::ItemIsEditable;
    item->setFlags(flags);
    return item;
}

}  // namespace

WidgetPageView::WidgetPageView(QWidget* root) : root_(root) {
    if (root == nullptr) return;
    WireSignals(root);
    for (QWidget* child : root->findChildren<QWidget*>()) WireSignals(child);
    QObject::connect(&NotifyHub::Instance(), &NotifyHub::Notified, context_.get(),
                     [this](QWidget* sender, const QString& type, qintptr wParam, qintptr lParam) {
                         RaiseFromHub(sender, type, wParam, lParam);
                     });
}

WidgetPageView::~WidgetPageView() = default;

void WidgetPageView::SetNotifySink(NotifySink sink) { sink_ = std::move(sink); }

void WidgetPageView::Adopt(QWidget* subtree) {
    if (subtree == nullptr) return;
    WireSignals(subtree);
    for (QWidget* child : subtree->findChildren<QWidget*>()) WireSignals(child);
}

// The empty name is the page's root: logic lists the root's children by it.
QWidget* WidgetPageView::Find(std::string_view name) const {
    QWidget* root = root_.data();
    if (name.empty() || root == nullptr) return root;
    // A remembered control counts while it still has that name below the root.
    if (const auto it = found_.find(name); it != found_.end()) {
        QWidget* w = it->second.data();
        // Control names are ASCII: compared as they are, without a conversion.
        const QLatin1StringView latin(name.data(), static_cast<qsizetype>(name.size()));
        if (w != nullptr && w->objectName() == latin && (w == root || root->isAncestorOf(w))) return w;
        found_.erase(it);
    }
    QWidget* w = FindControl(root, ToQt(name));
    if (w != nullptr) found_.emplace(std::string(name), w);
    return w;
}

bool WidgetPageView::HasControl(std::string_view name) const { return Find(name) != nullptr; }

void WidgetPageView::Raise(const QString& type, const QString& control, std::intptr_t wParam, std::intptr_t lParam) {
    if (muted_ || !sink_) return;
    sink_(platform::NotifyEvent{FromQt(type), FromQt(control), wParam, lParam});
}

void WidgetPageView::RaiseFromHub(QWidget* sender, const QString& type, std::intptr_t wParam, std::intptr_t lParam) {
    // Only controls this view took on: a page with its own view inside this
    // one reports its controls there, not twice.
    if (root_.isNull() || !wired_.contains(sender)) return;
    Raise(type, sender->objectName(), wParam, lParam);
}

void WidgetPageView::Quietly(const std::function<void()>& change) {
    // A flag rather than QSignalBlocker: a change may move other widgets too
    // (an exclusive option unchecks its sibling), and those must stay quiet.
    struct Restore {
        bool& flag;
        bool before;
        ~Restore() { flag = before; }
    } const restore{muted_, std::exchange(muted_, true)};
    change();
}

void WidgetPageView::WireSignals(QWidget* widget) {
    const QString name = widget->objectName();
    if (name.isEmpty() || !wired_.insert(widget).second) return;
    QObject* context = context_.get();
    QObject::connect(widget, &QObject::destroyed, context, [this](QObject* gone) { wired_.erase(gone); });
    if (auto* button = qobject_cast<QAbstractButton*>(widget)) {
        QObject::connect(button, &QAbstractButton::clicked, context,
                         [this, name] { Raise(QStringLiteral("click"), name); });
        QObject::connect(button, &QAbstractButton::toggled, context,
                         [this, name](bool checked) { Raise(QStringLiteral("selectchanged"), name, checked ? 1 : 0); });
    }
    if (auto* slider = qobject_cast<QAbstractSlider*>(widget)) {
        // While the user drags, the value is live ("movevaluechanged"); it is
        // taken ("valuechanged") when the slider is let go or moved by keys,
        // wheel or a click on the groove.
        QObject::connect(slider, &QAbstractSlider::valueChanged, context, [this, name, slider](int value) {
            Raise(slider->isSliderDown() ? QStringLiteral("movevaluechanged") : QStringLiteral("valuechanged"), name,
                  value);
        });
        QObject::connect(slider, &QAbstractSlider::sliderReleased, context,
                         [this, name, slider] { Raise(QStringLiteral("valuechanged"), name, slider->value()); });
    }
    if (auto* combo = qobject_cast<QComboBox*>(widget))
        QObject::connect(combo, &QComboBox::currentIndexChanged, context,
                         [this, name](int index) { Raise(QStringLiteral("itemselect"), name, index); });
    if (auto* list = qobject_cast<QListWidget*>(widget))
        QObject::connect(list, &QListWidget::currentRowChanged, context,
                         [this, name](int row) { Raise(QStringLiteral("itemselect"), name, row); });
    if (auto* table = qobject_cast<QTableWidget*>(widget)) WireTable(table);
    if (auto* edit = qobject_cast<QLineEdit*>(widget)) {
        QObject::connect(edit, &QLineEdit::textChanged, context,
                         [this, name] { Raise(QStringLiteral("textchanged"), name); });
        QObject::connect(edit, &QLineEdit::editingFinished, context,
                         [this, name] { Raise(QStringLiteral("killfocus"), name); });
        QObject::connect(edit, &QLineEdit::returnPressed, context,
                         [this, name] { Raise(QStringLiteral("return"), name); });
        new FocusInWatcher(edit, [this, name] { Raise(QStringLiteral("setfocus"), name); });  // owned by the edit
    }
}

void WidgetPageView::WireTable(QTableWidget* table) {
    QObject* context = context_.get();
    const QString name = table->objectName();
    QObject::connect(table, &QTableWidget::currentCellChanged, context,
                     [this, name](int row, int /*column*/, int previousRow, int /*previousColumn*/) {
                         if (row != previousRow) Raise(QStringLiteral("itemselect"), name, row);
                     });
    const int column = EditColumn(*table);
    if (column < 0) return;
    bool ok = false;
    int maximum = table->property(kEditMaximumProperty).toInt(&ok);
    if (!ok || maximum < 0) maximum = std::numeric_limits<int>::max();
    const QString editName = table->property(kEditNameProperty).toString();
    auto* delegate = new DigitsDelegate(maximum, table);
    table->setItemDelegateForColumn(column, delegate);
    table->setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::SelectedClicked |
                           QAbstractItemView::EditKeyPressed | QAbstractItemView::AnyKeyPressed);
    QObject::connect(delegate, &QAbstractItemDelegate::closeEditor, context, [this, editName, delegate] {
        if (!editName.isEmpty()) Raise(QStringLiteral("killfocus"), editName, delegate->EditedRow());
    });
}

int WidgetPageView::Value(std::string_view name) const {
    const auto range = ReadRange(Find(name));
    return range ? range->value : 0;
}

void WidgetPageView::SetValue(std::string_view name, int value) {
    QWidget* w = Find(name);
    auto range = ReadRange(w);
    if (!range) return;
    range->value = value;
    Quietly([&] { WriteRange(w, *range); });
}

void WidgetPageView::SetRange(std::string_view name, int minimum, int maximum) {
    QWidget* w = Find(name);
    auto range = ReadRange(w);
    if (!range) return;
    range->minimum = minimum;
    range->maximum = maximum;
    Quietly([&] { WriteRange(w, *range); });
}

std::string WidgetPageView::Text(std::string_view name) const {
    const QWidget* w = Find(name);
    if (const auto* label = qobject_cast<const QLabel*>(w)) return FromQt(label->text());
    if (const auto* edit = qobject_cast<const QLineEdit*>(w)) return FromQt(edit->text());
    if (const auto* button = qobject_cast<const QAbstractButton*>(w)) return FromQt(button->text());
    if (const auto* rich = qobject_cast<const QTextEdit*>(w)) return FromQt(rich->toPlainText());
    return {};
}

void WidgetPageView::SetText(std::string_view name, std::string_view text) {
    QWidget* w = Find(name);
    if (w == nullptr) return;
    // Shown as given: a text that happens to spell a language id stays itself,
    // and a language change no longer replaces it.
    w->setProperty(kTextIdProperty, QVariant());
    Quietly([&] { ShowText(w, ToQt(text)); });
}

void WidgetPageView::SetTextId(std::string_view name, std::string_view id) {
    QWidget* w = Find(name);
    if (w == nullptr) return;
    const QString textId = ToQt(id);
    Quietly([&] {
        ui::SetTextId(w, textId);
        // Without a text in the language the id itself shows what is missing.
        if (!TextResources::Instance().Has(textId)) ShowText(w, textId);
    });
}

bool WidgetPageView::Selected(std::string_view name) const {
    const auto* button = qobject_cast<const QAbstractButton*>(Find(name));
    return button != nullptr && button->isChecked();
}

void WidgetPageView::SetSelected(std::string_view name, bool selected) {
    auto* button = qobject_cast<QAbstractButton*>(Find(name));
    if (button == nullptr) return;
    Quietly([&] {
        // A plain button cannot hold a state until it is made checkable.
        if (selected && !button->isCheckable()) button->setCheckable(true);
        button->setChecked(selected);
    });
}

// Visible means "not hidden by the page", whether or not the window is shown.
bool WidgetPageView::Visible(std::string_view name) const {
    const QWidget* w = Find(name);
    return w != nullptr && !w->isHidden();
}

void WidgetPageView::SetVisible(std::string_view name, bool visible) {
    if (QWidget* w = Find(name)) Quietly([&] { w->setVisible(visible); });
}

bool WidgetPageView::Enabled(std::string_view name) const {
    const QWidget* w = Find(name);
    return w != nullptr && w->isEnabled();
}

void WidgetPageView::SetEnabled(std::string_view name, bool enabled) {
    if (QWidget* w = Find(name)) Quietly([&] { w->setEnabled(enabled); });
}

std::vector<std::string> WidgetPageView::Items(std::string_view name) const {
    std::vector<std::string> items;
    const QWidget* w = Find(name);
    if (const auto* combo = qobject_cast<const QComboBox*>(w)) {
        for (int i = 0; i < combo->count(); ++i) items.push_back(FromQt(combo->itemText(i)));
    } else if (const auto* list = qobject_cast<const QListWidget*>(w)) {
        for (int i = 0; i < list->count(); ++i) items.push_back(FromQt(list->item(i)->text()));
    }
    return items;
}

void WidgetPageView::SetItems(std::string_view name, const std::vector<std::string>& items) {
    std::vector<platform::ItemText> literal;
    literal.reserve(items.size());
    for (const std::string& item : items) literal.push_back(platform::ItemText::Literal(item));
    SetItemTexts(name, literal);
}

void WidgetPageView::SetItemTexts(std::string_view name, const std::vector<platform::ItemText>& items) {
    QWidget* w = Find(name);
    QStringList texts;
    QStringList ids;  // the language text id of each item, or empty
    const TextResources& language = TextResources::Instance();
    for (const platform::ItemText& item : items) {
        const QString text = ToQt(item.text);
        texts.append(item.isTextId ? language.Text(text) : text);
        ids.append(item.isTextId ? text : QString());
    }
    const int keep = CurrentIndex(name);
    const int current = InItems(keep, static_cast<int>(texts.size())) ? keep : -1;
    Quietly([&] {
        if (auto* combo = qobject_cast<QComboBox*>(w)) {
            combo->clear();
            combo->addItems(texts);
            for (int i = 0; i < ids.size(); ++i)
                if (!ids[i].isEmpty()) combo->setItemData(i, ids[i], kItemTextIdRole);
            combo->setCurrentIndex(current);
        } else if (auto* list = qobject_cast<QListWidget*>(w)) {
            list->clear();
            list->addItems(texts);
            list->setCurrentRow(current);
        }
    });
}

void WidgetPageView::SetItemVisible(std::string_view name, int index, bool visible) {
    QWidget* w = Find(name);
    if (auto* combo = qobject_cast<QComboBox*>(w)) {
        auto* rows = qobject_cast<QListView*>(combo->view());
        if (rows != nullptr && InItems(index, combo->count())) rows->setRowHidden(index, !visible);
    } else if (auto* list = qobject_cast<QListWidget*>(w)) {
        if (InItems(index, list->count())) list->item(index)->setHidden(!visible);
    }
}

bool WidgetPageView::ItemVisible(std::string_view name, int index) const {
    const QWidget* w = Find(name);
    if (const auto* combo = qobject_cast<const QComboBox*>(w)) {
        const auto* rows = qobject_cast<const QListView*>(combo->view());
        return InItems(index, combo->count()) && (rows == nullptr || !rows->isRowHidden(index));
    }
    if (const auto* list = qobject_cast<const QListWidget*>(w))
        return InItems(index, list->count()) && !list->item(index)->isHidden();
    return false;
}

int WidgetPageView::CurrentIndex(std::string_view name) const {
    const QWidget* w = Find(name);
    if (const auto* combo = qobject_cast<const QComboBox*>(w)) return combo->currentIndex();
    if (const auto* list = qobject_cast<const QListWidget*>(w)) return list->currentRow();
    if (const auto* table = qobject_cast<const QTableWidget*>(w)) return table->currentRow();
    return -1;
}

void WidgetPageView::SetCurrentIndex(std::string_view name, int index) {
    QWidget* w = Find(name);
    Quietly([&] {
        if (auto* combo = qobject_cast<QComboBox*>(w))
            combo->setCurrentIndex(InItems(index, combo->count()) ? index : -1);
        else if (auto* list = qobject_cast<QListWidget*>(w))
            list->setCurrentRow(InItems(index, list->count()) ? index : -1);
        else if (auto* table = qobject_cast<QTableWidget*>(w))
            SelectRow(*table, InItems(index, table->rowCount()) ? index : -1);
    });
}

std::vector<platform::ListRow> WidgetPageView::Rows(std::string_view name) const {
    std::vector<platform::ListRow> rows;
    const auto* table = qobject_cast<const QTableWidget*>(Find(name));
    if (table == nullptr) return rows;
    for (int r = 0; r < table->rowCount(); ++r) {
        platform::ListRow row;
        for (int c = 0; c < table->columnCount(); ++c) {
            const QTableWidgetItem* item = table->item(r, c);
            if (item == nullptr) {
                row.cells.push_back({});
                continue;
            }
            row.cells.push_back({FromQt(item->text()), FromQt(item->data(kCellStyleRole).toString())});
            if (c == 0) row.userData = FromQt(item->data(kRowUserDataRole).toString());
        }
        // Cells the rows never had are not reported: a row reads as it was set.
        while (!row.cells.empty() && table->item(r, static_cast<int>(row.cells.size()) - 1) == nullptr)
            row.cells.pop_back();
        rows.push_back(std::move(row));
    }
    return rows;
}

void WidgetPageView::SetRows(std::string_view name, const std::vector<platform::ListRow>& rows) {
    auto* table = qobject_cast<QTableWidget*>(Find(name));
    if (table == nullptr) return;
    const int keep = table->currentRow();
    const int editColumn = EditColumn(*table);
    Quietly([&] {
        table->clearContents();
        table->setRowCount(static_cast<int>(rows.size()));
        std::size_t widest = 0;
        for (const platform::ListRow& row : rows) widest = std::max(widest, row.cells.size());
        if (static_cast<int>(widest) > table->columnCount()) table->setColumnCount(static_cast<int>(widest));
        for (int r = 0; r < static_cast<int>(rows.size()); ++r) {
            const platform::ListRow& row = rows[static_cast<std::size_t>(r)];
            for (int c = 0; c < static_cast<int>(row.cells.size()); ++c) {
                QTableWidgetItem* item = MakeCell(row.cells[static_cast<std::size_t>(c)], c == editColumn);
                if (c == 0) item->setData(kRowUserDataRole, ToQt(row.userData));
                table->setItem(r, c, item);
            }
        }
        SelectRow(*table, InItems(keep, table->rowCount()) ? keep : -1);
    });
}

int WidgetPageView::CurrentPage(std::string_view name) const {
    const QWidget* w = Find(name);
    if (const auto* stack = qobject_cast<const QStackedWidget*>(w)) return stack->currentIndex();
    if (const auto* tabs = qobject_cast<const QTabWidget*>(w)) return tabs->currentIndex();
    return 0;
}

void WidgetPageView::SetCurrentPage(std::string_view name, int page) {
    QWidget* w = Find(name);
    Quietly([&] {
        if (auto* stack = qobject_cast<QStackedWidget*>(w)) stack->setCurrentIndex(page);
        else if (auto* tabs = qobject_cast<QTabWidget*>(w)) tabs->setCurrentIndex(page);
    });
}

namespace {

// Unnamed widgets and Qt's own parts ("qt_...") are not layout controls.
bool IsLayoutControl(const QWidget& w) {
    return !w.objectName().isEmpty() && !w.objectName().startsWith(QStringLiteral("qt_"));
}

platform::ChildControl DescribeControl(const QWidget& w) {
    const QVariant layoutClass = w.property(kClassProperty);
    const QString className =
        layoutClass.isValid() ? layoutClass.toString() : QString::fromLatin1(w.metaObject()->className());
    return {FromQt(w.objectName()), FromQt(className), FromQt(w.property(kUserDataProperty).toString())};
}

// Walks through unnamed widgets too: a stacked widget or a scroll area puts
// named pages below parts of its own.
void CollectDescendants(const QWidget& parent, std::vector<platform::ChildControl>& found) {
    for (const QObject* child : parent.children()) {
        const auto* w = qobject_cast<const QWidget*>(child);
        if (w == nullptr) continue;
        if (IsLayoutControl(*w)) found.push_back(DescribeControl(*w));
        CollectDescendants(*w, found);
    }
}

}  // namespace

std::vector<platform::ChildControl> WidgetPageView::Children(std::string_view container) const {
    std::vector<platform::ChildControl> children;
    const QWidget* parent = Find(container);
    if (parent == nullptr) return children;
    for (const QObject* child : parent->children()) {
        const auto* w = qobject_cast<const QWidget*>(child);
        if (w != nullptr && IsLayoutControl(*w)) children.push_back(DescribeControl(*w));
    }
    return children;
}

std::vector<platform::ChildControl> WidgetPageView::Descendants(std::string_view container) const {
    std::vector<platform::ChildControl> found;
    if (const QWidget* parent = Find(container)) CollectDescendants(*parent, found);
    return found;
}

bool WidgetPageView::RectSelected(std::string_view name) const {
    const QWidget* w = Find(name);
    return w != nullptr && w->property(kRectSelectedProperty).toBool();
}

bool WidgetPageView::Marked(std::string_view name) const {
    const QWidget* w = Find(name);
    return w != nullptr && w->metaObject()->indexOfProperty(kKeySetProperty) >= 0 &&
           w->property(kKeySetProperty).toBool();
}

void WidgetPageView::SetMarked(std::string_view name, bool marked) {
    QWidget* w = Find(name);
    // Only a control with the mark of its own: any other would just gain a
    // dynamic property that draws nothing.
    if (w != nullptr && w->metaObject()->indexOfProperty(kKeySetProperty) >= 0) w->setProperty(kKeySetProperty, marked);
}

std::string WidgetPageView::ToolTip(std::string_view name) const {
    const QWidget* w = Find(name);
    if (w == nullptr) return {};
    const QVariant plain = w->property(kToolTipProperty);
    return FromQt(plain.isValid() ? plain.toString() : w->toolTip());
}

void WidgetPageView::SetToolTip(std::string_view name, std::string_view text) {
    QWidget* w = Find(name);
    if (w == nullptr) return;
    const QString plain = ToQt(text);
    w->setProperty(kToolTipProperty, plain);
    // Qt guesses whether a tip is rich text; a plain tip that looks like markup
    // is escaped so that it shows as typed.
    if (Qt::mightBeRichText(plain))
        w->setToolTip(QStringLiteral("<p style='white-space:pre'>%1</p>").arg(plain.toHtmlEscaped()));
    else w->setToolTip(plain);
}

void WidgetPageView::SetColour(std::string_view name, std::uint32_t argb) {
    QWidget* w = Find(name);
    if (w == nullptr) return;
    if (auto* preview = dynamic_cast<IPreviewColour*>(w)) {
        preview->SetPreviewArgb(argb);
        return;
    }
    // LED previews are set 30 times a second: an unchanged colour costs nothing.
    const QVariant before = w->property(kColourProperty);
    if (before.isValid() && before.toUInt() == argb) return;
    w->setProperty(kColourProperty, QVariant::fromValue(static_cast<uint>(argb)));
    // Selected by name so that the colour does not spread to the children.
    const QString style = QStringLiteral("#%1 { background-color: rgba(%2, %3, %4, %5); }")
                              .arg(w->objectName())
                              .arg((argb >> 16) & 0xFF)
                              .arg((argb >> 8) & 0xFF)
                              .arg(argb & 0xFF)
                              .arg((argb >> 24) & 0xFF);
    w->setAttribute(Qt::WA_StyledBackground, true);
    w->setStyleSheet(style);
}

std::uint32_t WidgetPageView::Colour(std::string_view name) const {
    const QWidget* w = Find(name);
    if (const auto* preview = dynamic_cast<const IPreviewColour*>(w)) return preview->PreviewArgb();
    return w == nullptr ? 0u : w->property(kColourProperty).toUInt();
}

void WidgetPageView::SetTimer(std::string_view name, int timerId, int periodMs) {
    if (Find(name) == nullptr) return;
    auto timer = std::make_unique<QTimer>();
    timer->setInterval(std::max(periodMs, 0));
    const QString control = ToQt(name);
    QObject::connect(timer.get(), &QTimer::timeout, context_.get(),
                     [this, control, timerId] { Raise(QStringLiteral("timer"), control, timerId); });
    timer->start();
    // Setting an id again restarts it with the new period.
    timers_[{std::string(name), timerId}] = std::move(timer);
}

void WidgetPageView::KillTimer(std::string_view name, int timerId) { timers_.erase({std::string(name), timerId}); }

}  // namespace vandrel::ui
