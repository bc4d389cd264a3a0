// CDeviceKeyButtonUI ("DeviceKeyButton"): a key or lamp on a device picture.
// Over its status image (the button's own look) it draws
//  - "lightimage" while the lighting code has switched the light on, with the
//    opacity of the first drawing value, or of the second while the pointer
//    is over the key (255 and 200 until the lighting code sets them);
//  - "keysetimage" while the key-set display is on (off initially).
// "gmnametextcolor" (hexadecimal, optional '#') is kept and not drawn.
// A double click inside an enabled button sends "dbclick". The
// rectangle-selection flag is set by the rubber band of CSelectPanelUI.
#pragma once

#include <cstdint>

#include <array>
#include <optional>

#include <QColor>
#include <QFont>
#include <QPixmap>
#include <QPushButton>
#include <QString>

#include "ui/preview_colour.h"

namespace vandrel::ui {

struct KeyDrawValues {
    int fade = 255;     // light overlay opacity, 0..255
    int hotFade = 200;  // the same while the pointer is over the key
    bool operator==(const KeyDrawValues&) const = default;
};

class CDeviceKeyButtonUI : public QPushButton, public IPreviewColour {
    Q_OBJECT
    Q_PROPERTY(QString lightimage READ LightImage WRITE SetLightImage)
    Q_PROPERTY(QString keysetimage READ KeySetImage WRITE SetKeySetImage)
    Q_PROPERTY(QString gmnametextcolor READ GmNameTextColorText WRITE SetGmNameTextColorText)
    // The colour an LED preview shows, painted inside the button's own look
    // (round for a small square button), with the button's caption over it;
    // invalid: none.
    Q_PROPERTY(QColor previewColour READ PreviewColour WRITE SetPreviewColour)
    // The rectangle-selection flag, read by the page view.
    Q_PROPERTY(bool rectSelected READ RectSelected WRITE SetRectSelected)
    // The key-set display, read and written by the page view as a mark.
    Q_PROPERTY(bool keySetOn READ KeySetOn WRITE SetKeySetOn)

public:
    explicit CDeviceKeyButtonUI(QWidget* parent = nullptr);

    void SetLightOn(bool on);
    bool LightOn() const { return lightOn_; }
    void SetDrawValues(int fade, int hotFade);
    KeyDrawValues DrawValues() const { return drawValues_; }

    void SetKeySetOn(bool on);
    bool KeySetOn() const { return keySetOn_; }

    void SetRectSelected(bool selected) { rectSelected_ = selected; }
    bool RectSelected() const { return rectSelected_; }

    QString LightImage() const { return lightImage_; }
    void SetLightImage(const QString& description);
    QString KeySetImage() const { return keySetImage_; }
    void SetKeySetImage(const QString& description);

    QString GmNameTextColorText() const { return gmNameTextColorText_; }
    void SetGmNameTextColorText(const QString& text);
    // 0xAARRGGBB; 0 when unset or malformed.
    std::uint32_t GmNameTextColor() const { return gmNameTextColor_; }

    QColor PreviewColour() const { return previewColour_; }
    void SetPreviewColour(const QColor& colour);
    void SetPreviewArgb(std::uint32_t argb) override { SetPreviewColour(QColor::fromRgba(argb)); }
    std::uint32_t PreviewArgb() const override { return previewColour_.isValid() ? previewColour_.rgba() : 0u; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;

private:
    // The button's own look for its state and size, drawn by its style (the
    // style sheet's rules cost most of a paint) once and kept: a lamp may
    // change its colour 30 times a second.
    struct LookKey {
        bool enabled = true;
        bool hot = false;
        bool down = false;
        bool checked = false;
        QSize size;
        qreal pixelRatio = 1;
        bool operator==(const LookKey&) const = default;
    };
    // The caption, light or dark, drawn once per text, font and size.
    struct CaptionKey {
        QString text;
        QFont font;
        qreal pixelRatio = 1;
        bool operator==(const CaptionKey&) const = default;
    };
    void PaintPreview(QPainter& painter);
    QRectF LampArea() const;
    const QPixmap& Look();
    const QPixmap& Caption(bool dark);

    QString lightImage_;
    QString keySetImage_;
    QString gmNameTextColorText_;
    std::uint32_t gmNameTextColor_ = 0;
    KeyDrawValues drawValues_;
    bool lightOn_ = false;
    bool keySetOn_ = false;
    bool rectSelected_ = false;
    bool hot_ = false;
    QColor previewColour_;
    QPixmap look_;
    std::optional<LookKey> lookKey_;
    std::array<QPixmap, 2> captions_;  // light, dark
    std::optional<CaptionKey> captionKey_;
};

}  // namespace vandrel::ui
