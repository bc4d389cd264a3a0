#include "ui/controls/list_container_element.h"

#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QPainter>
#include <QVBoxLayout>

#include "ui/control_factory.h"
#include "ui/controls/image_description.h"
#include "ui/layout_loader.h"
#include "ui/notify.h"

namespace vandrel::ui {
namespace {

constexpr const char* kFrameColourProperty = "itemlinecolor";

bool IsEnterKey(int key) { return key == Qt::Key_Return || key == Qt::Key_Enter; }

}  // namespace

CListContainerElementUI::CListContainerElementUI(QWidget* parent) : QFrame(parent) { setFocusPolicy(Qt::StrongFocus); }

void CListContainerElementUI::Activate() {
    if (isEnabled()) SendNotify(this, QStringLiteral("itemactivate"));
}

QColor CListContainerElementUI::HoverFrameColour() const {
    for (const QWidget* w = this; w != nullptr; w = w->parentWidget()) {
        if (const auto colour = ParseColourAttribute(w->property(kFrameColourProperty).toString()))
            return QColor::fromRgba(*colour);
    }
    return palette().color(QPalette::Highlight);
}

QWidget* CListContainerElementUI::LoadContent(const QString& skinRelativePath, const ControlFactory* factory) {
    static const ControlFactory kNoCustomControls;
    LayoutLoader loader(factory != nullptr ? *factory : kNoCustomControls);
    QWidget* content = loader.Load(SkinFolder() + skinRelativePath, this);
    if (content == nullptr) return nullptr;
    auto* column = qobject_cast<QBoxLayout*>(layout());
    if (column == nullptr && layout() == nullptr) {
        column = new QVBoxLayout(this);
        // One pixel round the content keeps the hover frame in sight.
        column->setContentsMargins(1, 1, 1, 1);
        column->setSpacing(0);
    }
    if (column != nullptr) column->addWidget(content);
    return content;
}

void CListContainerElementUI::paintEvent(QPaintEvent* event) {
    QFrame::paintEvent(event);
    if (!HoverFrameShown()) return;
    QPainter painter(this);
    painter.setPen(QPen(HoverFrameColour(), 1));
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(rect().adjusted(0, 0, -1, -1));
}

void CListContainerElementUI::mouseDoubleClickEvent(QMouseEvent* event) {
    QFrame::mouseDoubleClickEvent(event);
    Activate();
}

void CListContainerElementUI::keyPressEvent(QKeyEvent* event) {
    if (!IsEnterKey(event->key())) {
        QFrame::keyPressEvent(event);
        return;
    }
    event->accept();
    Activate();
}

void CListContainerElementUI::contextMenuEvent(QContextMenuEvent* event) {
    if (!menuUsed_) {
        QFrame::contextMenuEvent(event);
        return;
    }
    event->accept();
    const QPoint at = event->globalPos();
    SendNotify(this, QStringLiteral("menu"), at.x(), at.y());
}

void CListContainerElementUI::enterEvent(QEnterEvent* event) {
    hot_ = true;
    QFrame::enterEvent(event);
    update();
}

void CListContainerElementUI::leaveEvent(QEvent* event) {
    hot_ = false;
    QFrame::leaveEvent(event);
    update();
}

}  // namespace vandrel::ui
