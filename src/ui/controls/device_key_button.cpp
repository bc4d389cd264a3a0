#include "ui/controls/device_key_button.h"

#include <algorithm>
#include <cstdlib>

#include <QFontMetrics>
#include <QList>
#include <QMouseEvent>
#include <QPainter>
#include <QRect>
#include <QStyleOptionButton>

#include "ui/controls/image_description.h"
#include "ui/notify.h"

namespace vandrel::ui {
namespace {

// The lamps of one picture change together, up to 30 times a second. Their
// repaints are gathered and asked of the picture once, after the changes:
// many lamps as one rectangle (one background under them all instead of a
// region of a hundred pieces), a few one by one.
class LampRepaints final : public QObject {
public:
    static constexpr qsizetype kOneRectangleFrom = 16;

    explicit LampRepaints(QWidget* picture) : QObject(picture), picture_(picture) { setObjectName(kName); }

    // Found by its name: the class has no meta-object of its own to be found by.
    static LampRepaints& Of(QWidget& picture) {
        auto* repaints = picture.findChild<QObject*>(kName, Qt::FindDirectChildrenOnly);
        return repaints != nullptr ? *static_cast<LampRepaints*>(repaints) : *new LampRepaints(&picture);
    }

    void Add(const QRect& lamp) {
        if (lamps_.isEmpty()) QMetaObject::invokeMethod(this, &LampRepaints::Flush, Qt::QueuedConnection);
        lamps_.push_back(lamp);
    }

private:
    static constexpr QLatin1StringView kName{"vandrel_lamp_repaints"};

    void Flush() {
        if (lamps_.size() >= kOneRectangleFrom) {
            QRect all;
            for (const QRect& lamp : lamps_) all |= lamp;
            picture_->update(all);
        } else {
            for (const QRect& lamp : lamps_) picture_->update(lamp);
        }
        lamps_.clear();
    }

    QWidget* picture_;
    QList<QRect> lamps_;
};

}  // namespace

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
    // From one lamp colour to another only the lamp changes.
    const bool lampOnly =
        previewColour_.isValid() && previewColour_.alpha() > 0 && colour.isValid() && colour.alpha() > 0;
    previewColour_ = colour;
    if (lampOnly && parentWidget() != nullptr) LampRepaints::Of(*parentWidget()).Add(geometry());
    else update();
}

void CDeviceKeyButtonUI::paintEvent(QPaintEvent* event) {
    if (previewColour_.isValid() && previewColour_.alpha() > 0) {
        QPainter painter(this);
        PaintPreview(painter);
    } else {
        QPushButton::paintEvent(event);
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

// The lamp's colour over its area, the look (with the lamp's rounded shape
// cut out of it) over the lamp, the caption over both: a solid fill and two
// copies of pixmaps drawn once.
void CDeviceKeyButtonUI::PaintPreview(QPainter& painter) {
    painter.fillRect(LampArea().toAlignedRect(), previewColour_);
    painter.drawPixmap(0, 0, Look());
    if (text().isEmpty()) return;
    // A keycap's caption stays readable on its lamp colour: dark on a light
    // colour, light on a dark one.
    const QPixmap& caption = Caption(qGray(previewColour_.rgb()) > 140);
    const QSizeF size = caption.deviceIndependentSize();
    painter.drawPixmap(QPointF((width() - size.width()) / 2, (height() - size.height()) / 2), caption);
}

// Inside the key's edge; round for a small square button.
QRectF CDeviceKeyButtonUI::LampArea() const { return QRectF(rect()).adjusted(1.5, 1.5, -1.5, -1.5); }

const QPixmap& CDeviceKeyButtonUI::Look() {
    const LookKey key{isEnabled(), hot_, isDown(), isChecked(), size(), devicePixelRatioF()};
    if (lookKey_ == key) return look_;
    QStyleOptionButton option;
    initStyleOption(&option);
    option.text.clear();
    look_ = QPixmap(size() * key.pixelRatio);
    look_.setDevicePixelRatio(key.pixelRatio);
    look_.fill(Qt::transparent);
    QPainter painter(&look_);
    style()->drawControl(QStyle::CE_PushButton, &option, &painter, this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setCompositionMode(QPainter::CompositionMode_Clear);
    painter.setPen(Qt::NoPen);
    painter.setBrush(Qt::black);
    const QRectF lamp = LampArea();
    const bool dot = std::abs(width() - height()) <= 2;
    const qreal radius = dot ? lamp.height() / 2 : 2.0;
    painter.drawRoundedRect(lamp, radius, radius);
    lookKey_ = key;
    return look_;
}

const QPixmap& CDeviceKeyButtonUI::Caption(bool dark) {
    const CaptionKey key{text(), font(), devicePixelRatioF()};
    if (captionKey_ != key) {
        const QFontMetrics metrics(key.font);
        const QSize size = metrics.size(Qt::TextSingleLine, key.text) + QSize(2, 0);
        for (const bool darkText : {false, true}) {
            QPixmap& caption = captions_[darkText ? 1 : 0];
            caption = QPixmap(size * key.pixelRatio);
            caption.setDevicePixelRatio(key.pixelRatio);
            caption.fill(Qt::transparent);
            QPainter painter(&caption);
            painter.setFont(key.font);
            painter.setPen(darkText ? QColor(0x10, 0x12, 0x16) : QColor(Qt::white));
            painter.drawText(QRect(QPoint(), size), Qt::AlignCenter, key.text);
        }
        captionKey_ = key;
    }
    return captions_[dark ? 1 : 0];
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
