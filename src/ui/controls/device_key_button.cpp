#include "ui/controls/device_key_button.h"

#include <algorithm>
#include <cstdlib>

#include <QMouseEvent>
#include <QPainter>

#include "ui/controls/image_description.h"
#include "ui/notify.h"

namespace vandrel::ui {

CDeviceKeyButtonUI::CDeviceKeyButtonUI(QWidget* parent) : QPushButton(parent) {}

void CDeviceKeyButtonUI::SetLightOn(bool on) {
    if (lightOn_ == on) return;
    lightOn_ = on;
    update();
}

void CDeviceKeyButtonUI::SetDrawValues(int fade, int hotFade) {
    const KeyDrawValues values{std::clamp(fade, 0, 255), std::clamp(hotFade, 0, 255)};
    if (values == drawValues_) return;
    drawValues_ = values;
    if (lightOn_) update();
}

void CDeviceKeyButtonUI::SetKeySetOn(bool on) {
    if (keySetOn_ == on) return;
    keySetOn_ = on;
    update();
}

void CDeviceKeyButtonUI::SetLightImage(const QString& description) {
    lightImage_ = description;
    update();
}

void CDeviceKeyButtonUI::SetKeySetImage(const QString& description) {
    keySetImage_ = description;
    update();
}

void CDeviceKeyButtonUI::SetGmNameTextColorText(const QString& text) {
    gmNameTextColorText_ = text;
    gmNameTextColor_ = ParseColourAttribute(text).value_or(0);
}

void CDeviceKeyButtonUI::SetPreviewColour(const QColor& colour) {
    if (colour == previewColour_) return;
    previewColour_ = colour;
    update();
}

void CDeviceKeyButtonUI::paintEvent(QPaintEvent* event) {
    QPushButton::paintEvent(event);
    if (previewColour_.isValid() && previewColour_.alpha() > 0) {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(Qt::NoPen);
        painter.setBrush(previewColour_);
        const QRectF area = QRectF(rect()).adjusted(1.5, 1.5, -1.5, -1.5);
        const bool dot = std::abs(width() - height()) <= 2;
        const qreal radius = dot ? area.height() / 2 : 2.0;
        painter.drawRoundedRect(area, radius, radius);
        // A keycap's caption stays readable on its lamp colour: dark on a
        // light colour, light on a dark one.
        if (!text().isEmpty()) {
            painter.setPen(qGray(previewColour_.rgb()) > 140 ? QColor(0x10, 0x12, 0x16) : QColor(Qt::white));
            painter.drawText(rect(), Qt::AlignCenter, text());
        }
    }
    const bool light = lightOn_ && !lightImage_.isEmpty();
    const bool keySet = keySetOn_ && !keySetImage_.isEmpty();
    if (!light && !keySet) return;
    QPainter painter(this);
    const int dpi = ControlDpi(this);
    if (light) {
        ImageDescription image = ParseImageDescription(lightImage_);
        image.fade = image.fade * (hot_ ? drawValues_.hotFade : drawValues_.fade) / 255;
        DrawImage(painter, rect(), image, dpi);
    }
    if (keySet) DrawImage(painter, rect(), keySetImage_, dpi);
}

void CDeviceKeyButtonUI::mouseDoubleClickEvent(QMouseEvent* event) {
    QPushButton::mouseDoubleClickEvent(event);
    if (isEnabled() && rect().contains(event->position().toPoint())) SendNotify(this, QStringLiteral("dbclick"));
}

void CDeviceKeyButtonUI::enterEvent(QEnterEvent* event) {
    hot_ = true;
    QPushButton::enterEvent(event);
    update();
}

void CDeviceKeyButtonUI::leaveEvent(QEvent* event) {
    hot_ = false;
    QPushButton::leaveEvent(event);
    update();
}

}  // namespace vandrel::ui
