#include "ui/controls/device_key_button.h"

#include <algorithm>

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

void CDeviceKeyButtonUI::paintEvent(QPaintEvent* event) {
    QPushButton::paintEvent(event);
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
