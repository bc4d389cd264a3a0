// CHandImgSelectButtonUI ("HandImgSelectButton"): a button that draws
// "handimage" over its status image, cut to the control's size, and takes the
// pointer shape named by its "cursor" attribute ("arrow", "hand", ...).
// Entering and leaving send "msenter" and "msleave".
#pragma once

#include <optional>

#include <QPushButton>
#include <QString>
#include <QStringView>

namespace vandrel::ui {

// The pointer shape of a "cursor" attribute value (any case); nothing for an
// unknown name.
std::optional<Qt::CursorShape> CursorShapeOfName(QStringView name);

class CHandImgSelectButtonUI : public QPushButton {
    Q_OBJECT
    Q_PROPERTY(QString handimage READ HandImage WRITE SetHandImage)
    // Stands in for QWidget's own "cursor" property, so that layouts can name
    // the shape as text.
    Q_PROPERTY(QString cursor READ CursorName WRITE SetCursorName)

public:
    explicit CHandImgSelectButtonUI(QWidget* parent = nullptr);

    QString HandImage() const { return handImage_; }
    void SetHandImage(const QString& description);

    QString CursorName() const { return cursorName_; }
    // An unknown name keeps the pointer shape as it was.
    void SetCursorName(const QString& name);

protected:
    void paintEvent(QPaintEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;

private:
    QString handImage_;
    QString cursorName_;
};

}  // namespace vandrel::ui
