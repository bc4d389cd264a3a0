// CHandImgButtonUI ("HandImgButton"): a button that draws "handimage" (image
// description) over its status image. While the pointer is over a deletable
// button, a delete icon sits in a 20 x 20 area whose top is 29 and left 30
// scaled pixels from the bottom and right edges: "deletehotimage" while the
// pointer is over that area, "deletenormalimage" otherwise. Releasing the
// press over that area sends "click_handdelete" instead of a click. Entering
// and leaving send "msenter" and "msleave".
#pragma once

#include <QPushButton>
#include <QRect>
#include <QSize>
#include <QString>

namespace vandrel::ui {

// The delete area of a button of this size drawn at dpi.
QRect HandDeleteArea(QSize size, int dpi);

class CHandImgButtonUI : public QPushButton {
    Q_OBJECT
    Q_PROPERTY(QString handimage READ HandImage WRITE SetHandImage)
    Q_PROPERTY(QString deletehotimage READ DeleteHotImage WRITE SetDeleteHotImage)
    Q_PROPERTY(QString deletenormalimage READ DeleteNormalImage WRITE SetDeleteNormalImage)
    Q_PROPERTY(bool deletable READ Deletable WRITE SetDeletable)

public:
    explicit CHandImgButtonUI(QWidget* parent = nullptr);

    QString HandImage() const { return handImage_; }
    void SetHandImage(const QString& description);
    QString DeleteHotImage() const { return deleteHotImage_; }
    void SetDeleteHotImage(const QString& description);
    QString DeleteNormalImage() const { return deleteNormalImage_; }
    void SetDeleteNormalImage(const QString& description);

    bool Deletable() const { return deletable_; }
    void SetDeletable(bool deletable);

    QRect DeleteArea() const;
    bool Hot() const { return hot_; }
    bool OverDeleteArea() const { return overDelete_; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;

private:
    QString handImage_;
    QString deleteHotImage_;
    QString deleteNormalImage_;
    bool deletable_ = false;
    bool hot_ = false;
    bool overDelete_ = false;
};

}  // namespace vandrel::ui
