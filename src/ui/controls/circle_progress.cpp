#include "ui/controls/circle_progress.h"

#include <cmath>

#include <QPainter>

#include "ui/controls/image_description.h"

namespace vandrel::ui {
namespace {

constexpr int kRingWidth = 10;
constexpr int kTwelveOClock16 = 90 * 16;

QColor ColourOf(const QString& text) {
    const auto value = ParseColourAttribute(text);
    return value ? QColor::fromRgba(*value) : QColor();
}

}  // namespace

double CircleSweepDegrees(int value, int minimum, int maximum) {
    const int range = maximum - minimum;
    if (range == 0) return 0.0;
    return static_cast<double>(value) / range * 360.0;
}

CircleRing CircleRingGeometry(const QRect& rect, int value, int minimum, int maximum) {
    CircleRing ring;
    ring.disc = QRectF(rect);
    ring.startAngle16 = kTwelveOClock16;
    ring.spanAngle16 = -static_cast<int>(std::lround(CircleSweepDegrees(value, minimum, maximum) * 16.0));
    ring.hole = QRectF(rect.adjusted(kRingWidth, kRingWidth, -kRingWidth, -kRingWidth));
    return ring;
}

CCircleProgressUI::CCircleProgressUI(QWidget* parent) : QProgressBar(parent) { setTextVisible(false); }

void CCircleProgressUI::SetBkColor(const QColor& colour) {
    bkColor_ = colour;
    update();
}

void CCircleProgressUI::SetForeColor(const QColor& colour) {
    foreColor_ = colour;
    update();
}

QColor CCircleProgressUI::BkColor() const { return bkColor_.isValid() ? bkColor_ : palette().color(QPalette::Window); }

QColor CCircleProgressUI::ForeColor() const {
    return foreColor_.isValid() ? foreColor_ : palette().color(QPalette::Highlight);
}

void CCircleProgressUI::SetBkColorText(const QString& text) {
    bkColorText_ = text;
    SetBkColor(ColourOf(text));
}

void CCircleProgressUI::SetForeColorText(const QString& text) {
    foreColorText_ = text;
    SetForeColor(ColourOf(text));
}

void CCircleProgressUI::paintEvent(QPaintEvent*) {
    // A reset bar (value below the minimum) shows no sector.
    const int shown = value() < minimum() ? 0 : value();
    const CircleRing ring = CircleRingGeometry(rect(), shown, minimum(), maximum());
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(BkColor());
    painter.drawEllipse(ring.disc);
    painter.setBrush(ForeColor());
    painter.drawPie(ring.disc, ring.startAngle16, ring.spanAngle16);
    if (!ring.hole.isEmpty()) {
        painter.setBrush(Qt::white);
        painter.drawEllipse(ring.hole);
    }
}

}  // namespace vandrel::ui
