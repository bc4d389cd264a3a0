// CCircleProgressUI ("CircleProgress"): a progress bar drawn as a ring. The
// background colour fills a disc, the foreground colour a sector from 90
// degrees (twelve o'clock) sweeping clockwise by value / (maximum - minimum)
// of a full turn, and a white disc inset by 10 pixels on every side makes the
// middle of the ring.
//
// Attributes: "bkcolor" and "forecolor" (0xAARRGGBB, optional '#'); without
// them the palette's window and highlight colours are used.
#pragma once

#include <QColor>
#include <QProgressBar>
#include <QRectF>
#include <QString>

namespace vandrel::ui {

// The sweep of the sector in degrees; 0 for an empty range.
double CircleSweepDegrees(int value, int minimum, int maximum);

struct CircleRing {
    QRectF disc;           // background disc and the sector's circle
    int startAngle16 = 0;  // QPainter angles, 1/16 degree, counter-clockwise from three o'clock
    int spanAngle16 = 0;   // negative: clockwise
    QRectF hole;           // the white inner disc
};

CircleRing CircleRingGeometry(const QRect& rect, int value, int minimum, int maximum);

class CCircleProgressUI : public QProgressBar {
    Q_OBJECT
    Q_PROPERTY(QString bkcolor READ BkColorText WRITE SetBkColorText)
    Q_PROPERTY(QString forecolor READ ForeColorText WRITE SetForeColorText)

public:
    explicit CCircleProgressUI(QWidget* parent = nullptr);

    void SetBkColor(const QColor& colour);
    void SetForeColor(const QColor& colour);
    QColor BkColor() const;
    QColor ForeColor() const;

    QString BkColorText() const { return bkColorText_; }
    void SetBkColorText(const QString& text);
    QString ForeColorText() const { return foreColorText_; }
    void SetForeColorText(const QString& text);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QColor bkColor_;
    QColor foreColor_;
    QString bkColorText_;
    QString foreColorText_;
};

}  // namespace vandrel::ui
