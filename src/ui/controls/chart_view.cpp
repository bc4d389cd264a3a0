#include "ui/controls/chart_view.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <numbers>
#include <numeric>

#include <QFont>
#include <QPainter>
#include <QStaticText>

#include "ui/controls/image_description.h"

namespace vandrel::ui {
namespace {

// Distinct hues first, then their lighter and darker companions.
constexpr std::array<QRgb, kChartColourCount> kChartColours{
    0xFF0099FF, 0xFFFF6A00, 0xFF2ECC71, 0xFFE74C3C, 0xFF9B59B6, 0xFFF1C40F, 0xFF1ABC9C, 0xFFE91E63, 0xFF34495E,
    0xFF66CCFF, 0xFFFFAA66, 0xFF82E0AA, 0xFFF1948A, 0xFFC39BD3, 0xFFF7DC6F, 0xFF76D7C4, 0xFF8D6E63, 0xFF95A5A6,
};

constexpr int kTwelveOClock16 = 90 * 16;
constexpr int kFullCircle16 = 360 * 16;
constexpr double kBarShare = 0.6;  // of each bar's slot, without a pillar width

double Positive(double value) { return std::isfinite(value) && value > 0.0 ? value : 0.0; }

}  // namespace

QColor ChartColour(std::size_t index) { return QColor::fromRgba(kChartColours[index % kChartColours.size()]); }

std::vector<int> PieSpans16(const std::vector<double>& values) {
    std::vector<int> spans(values.size(), 0);
    const double total =
        std::accumulate(values.begin(), values.end(), 0.0, [](double sum, double v) { return sum + Positive(v); });
    if (total <= 0.0) return spans;
    // Rounded from the running sum, so that the slices close the circle.
    double running = 0.0;
    int drawn = 0;
    for (std::size_t i = 0; i < values.size(); ++i) {
        running += Positive(values[i]);
        const int end = static_cast<int>(std::lround(running / total * kFullCircle16));
        spans[i] = -(end - drawn);
        drawn = end;
    }
    return spans;
}

CChartViewUI::CChartViewUI(QWidget* parent) : QWidget(parent) {}

void CChartViewUI::AddItem(const QString& label, double value) {
    items_.push_back({label, value});
    update();
}

void CChartViewUI::RemoveAllItems() {
    items_.clear();
    update();
}

bool CChartViewUI::IsHistogram() const { return view_.compare(QStringLiteral("histpgram"), Qt::CaseInsensitive) == 0; }

void CChartViewUI::SetView(const QString& view) {
    view_ = view;
    update();
}

void CChartViewUI::SetShadowImage(const QString& description) {
    shadowImage_ = description;
    update();
}

void CChartViewUI::SetShadowImageHeight(int height) {
    shadowImageHeight_ = std::max(0, height);
    update();
}

void CChartViewUI::SetPillarImage(const QString& description) {
    pillarImage_ = description;
    update();
}

void CChartViewUI::SetPillarImageWidth(int width) {
    pillarImageWidth_ = std::max(0, width);
    update();
}

void CChartViewUI::SetShowHtml(bool on) {
    showHtml_ = on;
    update();
}

void CChartViewUI::SetShowText(bool on) {
    showText_ = on;
    update();
}

void CChartViewUI::SetFontAttribute(const QVariant& font) {
    fontAttribute_ = font;
    if (font.metaType().id() == QMetaType::QFont) {
        setFont(font.value<QFont>());
        return;
    }
    QFont described;
    const QString text = font.toString();
    bool isNumber = false;
    text.toInt(&isNumber);
    if (!isNumber && described.fromString(text)) setFont(described);
}

void CChartViewUI::paintEvent(QPaintEvent*) {
    if (items_.empty()) return;
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    if (IsHistogram()) PaintBars(painter);
    else PaintPie(painter);
}

void CChartViewUI::PaintLabel(QPainter& painter, const QRect& box, const QString& label) const {
    if (!showText_ || label.isEmpty()) return;
    painter.setPen(palette().color(QPalette::WindowText));
    if (!showHtml_) {
        painter.drawText(box, Qt::AlignCenter | Qt::TextSingleLine, label);
        return;
    }
    QStaticText rich(label);
    rich.setTextFormat(Qt::RichText);
    rich.setTextWidth(box.width());
    const QSizeF shown = rich.size();
    painter.drawStaticText(
        QPointF(box.left() + (box.width() - shown.width()) / 2.0, box.top() + (box.height() - shown.height()) / 2.0),
        rich);
}

void CChartViewUI::PaintPie(QPainter& painter) const {
    const int side = std::min(width(), height());
    if (side <= 0) return;
    const QRect disc((width() - side) / 2, (height() - side) / 2, side, side);
    std::vector<double> values;
    values.reserve(items_.size());
    for (const ChartItem& item : items_) values.push_back(item.value);
    const std::vector<int> spans = PieSpans16(values);

    painter.setPen(Qt::NoPen);
    int start = kTwelveOClock16;
    for (std::size_t i = 0; i < spans.size(); ++i) {
        painter.setBrush(ChartColour(i));
        painter.drawPie(disc, start, spans[i]);
        start += spans[i];
    }
    // Labels in the middle of their slices, two thirds out from the centre.
    const QFontMetrics metrics = painter.fontMetrics();
    start = kTwelveOClock16;
    for (std::size_t i = 0; i < spans.size(); ++i) {
        if (spans[i] != 0) {
            const double middle = (start + spans[i] / 2.0) / 16.0 * std::numbers::pi / 180.0;
            const double reach = side / 3.0;
            const QPoint centre(disc.center().x() + static_cast<int>(reach * std::cos(middle)),
                                disc.center().y() - static_cast<int>(reach * std::sin(middle)));
            QRect box(0, 0, side / 2, metrics.height() * 2);
            box.moveCenter(centre);
            PaintLabel(painter, box, items_[i].label);
        }
        start += spans[i];
    }
}

void CChartViewUI::PaintBars(QPainter& painter) const {
    const int textHeight = showText_ ? painter.fontMetrics().height() + 4 : 0;
    const int baseline = height() - textHeight - shadowImageHeight_;
    if (baseline <= 0) return;
    double largest = 0.0;
    for (const ChartItem& item : items_) largest = std::max(largest, Positive(item.value));

    if (!shadowImage_.isEmpty() && shadowImageHeight_ > 0)
        DrawImage(painter, QRect(0, baseline, width(), shadowImageHeight_), shadowImage_, ControlDpi(this));

    const int slot = width() / static_cast<int>(items_.size());
    const int barWidth = pillarImageWidth_ > 0 ? std::min(pillarImageWidth_, slot) : static_cast<int>(slot * kBarShare);
    painter.setPen(Qt::NoPen);
    for (std::size_t i = 0; i < items_.size(); ++i) {
        const int left = static_cast<int>(i) * slot;
        const int barHeight = largest > 0.0 ? static_cast<int>(Positive(items_[i].value) / largest * baseline) : 0;
        const QRect bar(left + (slot - barWidth) / 2, baseline - barHeight, barWidth, barHeight);
        if (!bar.isEmpty()) {
            if (!pillarImage_.isEmpty()) DrawImage(painter, bar, pillarImage_, ControlDpi(this));
            else painter.fillRect(bar, ChartColour(i));
        }
        PaintLabel(painter, QRect(left, height() - textHeight, slot, textHeight), items_[i].label);
    }
}

}  // namespace vandrel::ui
