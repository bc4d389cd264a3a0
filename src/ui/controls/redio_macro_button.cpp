#include "ui/controls/redio_macro_button.h"

#include <algorithm>

#include <QPainter>

#include "ui/controls/image_description.h"

namespace vandrel::ui {

CRedioMacroButtonUI::CRedioMacroButtonUI(QWidget* parent) : QPushButton(parent) {}

void CRedioMacroButtonUI::SetRedioImage(const QString& description) {
    redioImage_ = description;
    update();
}

void CRedioMacroButtonUI::SetRedioFade(int fade) {
    fade_ = std::clamp(fade, 0, 255);
    update();
}

void CRedioMacroButtonUI::paintEvent(QPaintEvent* event) {
    QPushButton::paintEvent(event);
    if (redioImage_.isEmpty()) return;
    ImageDescription image = ParseImageDescription(redioImage_);
    image.fade = image.fade * fade_ / 255;
    QPainter painter(this);
    DrawImage(painter, rect(), image, ControlDpi(this));
}

}  // namespace vandrel::ui
