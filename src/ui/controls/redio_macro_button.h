// CRedioMacroButtonUI ("RedioMacroButton"): a button that draws one more
// image, "redioimage", over its status image with a fade value (0..255,
// opaque until set), combined with the image's own "fade".
#pragma once

#include <QPushButton>
#include <QString>

namespace vandrel::ui {

class CRedioMacroButtonUI : public QPushButton {
    Q_OBJECT
    Q_PROPERTY(QString redioimage READ RedioImage WRITE SetRedioImage)
    Q_PROPERTY(int rediofade READ RedioFade WRITE SetRedioFade)

public:
    explicit CRedioMacroButtonUI(QWidget* parent = nullptr);

    QString RedioImage() const { return redioImage_; }
    void SetRedioImage(const QString& description);
    int RedioFade() const { return fade_; }
    void SetRedioFade(int fade);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QString redioImage_;
    int fade_ = 255;
};

}  // namespace vandrel::ui
