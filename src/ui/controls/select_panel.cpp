#include "ui/controls/select_panel.h"

#include <QLayout>
#include <QMouseEvent>
#include <QRubberBand>
#include <QVariant>

#include "ui/controls/device_key_button.h"
#include "ui/notify.h"

namespace vandrel::ui {
namespace {

constexpr QLatin1StringView kKeyButtonClass("DeviceKeyButton");

// Key buttons are recognised by type; a child that only names the class in
// its "class" property keeps the flag in its "rectselected" property.
void SetRectSelected(QWidget* child, bool selected) {
    if (auto* key = qobject_cast<CDeviceKeyButtonUI*>(child)) {
        key->SetRectSelected(selected);
        key->update();
    } else if (child->property("class").toString().compare(kKeyButtonClass, Qt::CaseInsensitive) == 0) {
        child->setProperty("rectselected", selected);
    }
}

}  // namespace

CSelectPanelUI::CSelectPanelUI(QWidget* parent) : QWidget(parent) {}

void CSelectPanelUI::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton || !isEnabled()) {
        QWidget::mousePressEvent(event);
        return;
    }
    dragging_ = true;
    moved_ = false;
    start_ = event->position().toPoint();
    selection_ = QRect(start_, QSize());
    event->accept();
}

void CSelectPanelUI::mouseMoveEvent(QMouseEvent* event) {
    if (!dragging_ || !(event->buttons() & Qt::LeftButton)) {
        QWidget::mouseMoveEvent(event);
        return;
    }
    moved_ = true;
    selection_ = QRect(start_, event->position().toPoint()).normalized();
    if (band_ == nullptr) band_ = new QRubberBand(QRubberBand::Rectangle, this);
    band_->setGeometry(selection_);
    band_->show();
    band_->raise();
    update();
    event->accept();
}

void CSelectPanelUI::mouseReleaseEvent(QMouseEvent* event) {
    if (!dragging_ || event->button() != Qt::LeftButton) {
        QWidget::mouseReleaseEvent(event);
        return;
    }
    dragging_ = false;
    if (band_ != nullptr) band_->hide();
    event->accept();
    if (!moved_) return;
    MarkKeys();
    if (QLayout* own = layout()) own->invalidate();
    update();
    SendNotify(this, QStringLiteral("click_select_end"));
}

void CSelectPanelUI::MarkKeys() {
    for (QObject* object : children()) {
        auto* child = qobject_cast<QWidget*>(object);
        if (child == nullptr || child == band_) continue;
        SetRectSelected(child, child->geometry().intersects(selection_));
    }
}

}  // namespace vandrel::ui
