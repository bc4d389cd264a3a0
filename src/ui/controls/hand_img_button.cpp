#include "ui/controls/hand_img_button.h"

#include <QMouseEvent>
#include <QPainter>

#include "ui/controls/image_description.h"
#include "ui/notify.h"

namespace vandrel::ui {
namespace {

constexpr int kDeleteSide = 20;
constexpr int kDeleteFromRight = 30;
constexpr int kDeleteFromBottom = 29;

int Scaled(int length, int dpi) { return length * dpi / 96; }

}  // namespace

QRect HandDeleteArea(QSize size, int dpi) {
    return QRect(size.width() - Scaled(kDeleteFromRight, dpi), size.height() - Scaled(kDeleteFromBottom, dpi),
                 Scaled(kDeleteSide, dpi), Scaled(kDeleteSide, dpi));
}

CHandImgButtonUI::CHandImgButtonUI(QWidget* parent) : QPushButton(parent) { setMouseTracking(true); }

void CHandImgButtonUI::SetHandImage(const QString& description) {
    handImage_ = description;
    update();
}

void CHandImgButtonUI::SetDeleteHotImage(const QString& description) {
    deleteHotImage_ = description;
    update();
}

void CHandImgButtonUI::SetDeleteNormalImage(const QString& description) {
    deleteNormalImage_ = description;
    update();
}

void CHandImgButtonUI::SetDeletable(bool deletable) {
    deletable_ = deletable;
    update();
}

QRect CHandImgButtonUI::DeleteArea() const { return HandDeleteArea(size(), ControlDpi(this)); }

void CHandImgButtonUI::paintEvent(QPaintEvent* event) {
    QPushButton::paintEvent(event);
    QPainter painter(this);
    const int dpi = ControlDpi(this);
    DrawImage(painter, rect(), handImage_, dpi);
    if (hot_ && deletable_) DrawImage(painter, DeleteArea(), overDelete_ ? deleteHotImage_ : deleteNormalImage_, dpi);
}

void CHandImgButtonUI::mouseMoveEvent(QMouseEvent* event) {
    const bool over = DeleteArea().contains(event->position().toPoint());
    if (over != overDelete_) {
        overDelete_ = over;
        update();
    }
    QPushButton::mouseMoveEvent(event);
}

void CHandImgButtonUI::mouseReleaseEvent(QMouseEvent* event) {
    const bool onDelete = event->button() == Qt::LeftButton && deletable_ && isDown() &&
                          DeleteArea().contains(event->position().toPoint());
    if (!onDelete) {
        QPushButton::mouseReleaseEvent(event);
        return;
    }
    // Let the button end its press without a click.
    setDown(false);
    QPushButton::mouseReleaseEvent(event);
    event->accept();
    SendNotify(this, QStringLiteral("click_handdelete"));
}

void CHandImgButtonUI::enterEvent(QEnterEvent* event) {
    hot_ = true;
    QPushButton::enterEvent(event);
    update();
    SendNotify(this, QStringLiteral("msenter"));
}

void CHandImgButtonUI::leaveEvent(QEvent* event) {
    hot_ = false;
    overDelete_ = false;
    QPushButton::leaveEvent(event);
    update();
    SendNotify(this, QStringLiteral("msleave"));
}

}  // namespace vandrel::ui
