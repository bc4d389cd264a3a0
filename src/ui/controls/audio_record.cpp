#include "ui/controls/audio_record.h"

#include <algorithm>

#include <QPainter>

#include "ui/controls/image_description.h"

namespace vandrel::ui {
namespace {

constexpr int kBarPitch = 2;
constexpr int kFullScale = 8192;
constexpr int kRisingLevels = 256;

}  // namespace

AudioLevels InitialAudioLevels() {
    AudioLevels levels{};
    for (int i = 0; i < kRisingLevels; ++i) levels[static_cast<std::size_t>(i)] = i;
    return levels;
}

std::vector<QRect> AudioRecordBars(const AudioLevels& levels, QSize size) {
    std::vector<QRect> bars;
    if (size.width() <= 0 || size.height() <= 0) return bars;
    const auto fit = static_cast<std::size_t>((size.width() + kBarPitch - 1) / kBarPitch);
    const std::size_t count = std::min(fit, levels.size());
    bars.reserve(count);
    for (std::size_t i = 0; i < count; ++i) {
        const int height = static_cast<int>(static_cast<long long>(levels[i]) * size.height() / kFullScale);
        const int x = static_cast<int>(i) * kBarPitch;
        bars.emplace_back(x, size.height() - height, 1, height);
    }
    return bars;
}

CAudioRecordUI::CAudioRecordUI(QWidget* parent) : QLabel(parent) {}

void CAudioRecordUI::SetBkColorText(const QString& text) {
    bkColorText_ = text;
    const auto value = ParseColourAttribute(text);
    bkColor_ = value ? QColor::fromRgba(*value) : QColor();
    update();
}

void CAudioRecordUI::paintEvent(QPaintEvent* event) {
    {
        QPainter painter(this);
        painter.fillRect(rect(), bkColor_.isValid() ? bkColor_ : palette().color(backgroundRole()));
    }
    QLabel::paintEvent(event);
    QPainter painter(this);
    for (const QRect& bar : AudioRecordBars(levels_, size()))
        if (!bar.isEmpty()) painter.fillRect(bar, Qt::black);
}

}  // namespace vandrel::ui
